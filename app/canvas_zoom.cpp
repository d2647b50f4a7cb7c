// ZOOM on the drawing canvas.
#include "canvas_zoom.h"

#include <memory>

#include "gui/drawing_canvas.h"
#include "zoom_command.h"

namespace fancad {

namespace {

class CanvasZoom : public ZoomView {
 public:
  explicit CanvasZoom(zrgui::DrawingCanvas* canvas) : m_canvas(canvas) {}
  void zoomExtents() override { m_canvas->zoomExtents(); }
  void zoomWindow(double x1, double y1, double x2, double y2) override {
    m_canvas->zoomWindow(QRectF(QPointF(x1, y1), QPointF(x2, y2)));
  }
  void zoomBy(double factor) override { m_canvas->zoomBy(factor); }

 private:
  zrgui::DrawingCanvas* m_canvas;
};

std::unique_ptr<CanvasZoom> g_zoom;

}  // namespace

void setZoomCanvas(zrgui::DrawingCanvas* canvas) {
  g_zoom = canvas ? std::make_unique<CanvasZoom>(canvas) : nullptr;
  setZoomView(g_zoom.get());
}

}  // namespace fancad
