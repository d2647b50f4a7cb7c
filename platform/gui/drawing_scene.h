// A drawing's model space reduced to what is painted: line segments, filled
// polygons, points and texts in world coordinates, grouped by screen colour.
//
// Building the scene walks the model space once, following block references
// into their blocks (nested ones too, with their transforms, their attributes,
// and layer-0 and BYBLOCK entities taking the reference's layer and colour),
// skipping what a layer that is off or frozen hides, and resolving every
// colour (by index, by layer, by block) against the background. Curves become
// polylines; texts keep their anchor, height, rotation and alignment and are
// laid out with a real font when painted. The scene owns nothing of the
// database and stays valid after it changes; the front ends rebuild it when
// the database's change stamp moves on.
#pragma once

#include <QColor>
#include <QLineF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <vector>

class AcDbDatabase;
class AcDbObjectId;

namespace zrgui {

struct SceneText {
  QString text;
  QPointF anchor;  // world point the alignment refers to
  double height = 0;
  double rotation = 0;  // radians, counter-clockwise
  double widthFactor = 1;
  enum HAlign { Left, Center, Right } hAlign = Left;
  enum VAlign { Baseline, Bottom, Middle, Top } vAlign = Baseline;
  // Texts fitted between two points ("aligned" and "fit"): the end of the
  // baseline; the text is stretched to reach it.
  bool fitted = false;
  QPointF fitEnd;
};

struct SceneBatch {
  QRgb color = 0;
  std::vector<QLineF> segments;
  std::vector<QPolygonF> fills;
  std::vector<QPointF> points;
  std::vector<SceneText> texts;
};

struct Scene {
  std::vector<SceneBatch> batches;  // one per colour, in order of first use
  bool hasBounds = false;
  QRectF bounds;        // of everything in the scene, when hasBounds
  int entityCount = 0;  // model-space entities drawn (a reference counts once)

  bool isEmpty() const { return !hasBounds; }
  std::size_t segmentCount() const;
};

// The model space of db as seen on a widget of this background colour. A null
// database gives an empty scene.
Scene buildScene(const AcDbDatabase* db, QRgb background);
// The same for these entities of its model space only (what is selected or
// dragged); erased ones are left out.
Scene buildScene(const AcDbDatabase* db, QRgb background, const std::vector<AcDbObjectId>& only);

// A reference to block placed at the origin with this scale and rotation
// (radians), as the model space would show it: what INSERT is about to place.
// Its layer-0 entities keep layer 0; attributes are not shown.
Scene buildReferenceScene(const AcDbDatabase* db, QRgb background, const AcDbObjectId& block,
                          double scale, double rotation);

// What a click picks: the one model-space entity of db whose drawing comes
// nearest to at among those whose drawing meets the square of half-side half
// around it (the pick box); a null id when none does. The drawing is what the
// scene holds: lines, curves and polyline segments count by their line, a
// block reference by the entities of its block and its attributes, a filled
// solid by its area, a text by its box; so a click inside a closed polyline
// but away from its sides does not pick it. at and half are in the
// coordinates toBox maps world points to (the canvas' screen pixels, or the
// world itself). Of entities at the same distance the one drawn last (on top)
// wins.
AcDbObjectId pickEntity(const AcDbDatabase* db, QPointF at, double half,
                        const QTransform& toBox = QTransform());

}  // namespace zrgui
