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
  // drawing font, as lines when they are too small to read.
  void paint(QPainter& painter, const Scene& scene, const ViewTransform& view, QColor background);

  // The font CAD text is drawn with (a CJK font when one is installed).
  static QFont textFont();

 private:
  void paintTexts(QPainter& painter, const SceneBatch& batch, const ViewTransform& view,
                  const QTransform& toScreen);

  std::vector<QLineF> m_buffer;  // kept between paints: redraws allocate nothing
  QFont m_font;
  double m_capRatio;  // cap height per pixel of font size
};

}  // namespace zrgui
