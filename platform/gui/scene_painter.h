// Paints a scene through a view onto any paint device (a widget, an image).
#pragma once

#include <QFont>
#include <QPainter>
#include <vector>

#include "gui/drawing_scene.h"
#include "gui/view_transform.h"

namespace zrgui {

class ScenePainter {
 public:
  ScenePainter();

  // Fills the painter's viewport with background and draws the scene through
  // view: segments one pixel wide, only those that can be seen; texts in the
  // drawing font, as lines when they are too small to read. With an area (in
  // the view's pixels) only that part is painted, the rest left as it was;
  // what it shows there is what a whole paint shows.
  void paint(QPainter& painter, const Scene& scene, const ViewTransform& view, QColor background,
             QRect area = QRect());

  // The font CAD text is drawn with (a CJK font when one is installed).
  static QFont textFont();
  // Makes now the segment grids that a view of part of the scene looks
  // through (made otherwise by the first such paint: a pan or zoom after a
  // whole view would wait for them).
  static void prepare(const Scene& scene);

 private:
  void paintTexts(QPainter& painter, const SceneBatch& batch, const ViewTransform& view,
                  const QTransform& toScreen);
  // Calls fn(first, count) for runs of the batch's segments that hold all
  // that may meet world.
  template <class Fn>
  static void forSegmentsMeeting(const Scene& scene, std::size_t batch, const QRectF& world,
                                 bool whole, Fn fn);

  std::vector<QLineF> m_buffer;  // kept between paints: redraws allocate nothing
  QFont m_font;
  double m_capRatio;  // cap height per pixel of font size
};

}  // namespace zrgui
