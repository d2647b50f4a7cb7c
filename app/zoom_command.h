// ZOOM, the view of the drawing:
//
//   Specify corner of window or [Extents/Window/In/Out] <Extents>:
//
// Enter or E shows the whole drawing; a point (or W, then a point) and the
// opposite corner ("Specify opposite corner:") fill the view with that box;
// I and O zoom in and out by two.
//
// The view belongs to the desktop window, not to the drawing (it is not
// saved with it). Without a window (console and scripts headless) ZOOM asks
// the same questions and accepts the same answers, so a script runs alike in
// both modes, and changes nothing.
#pragma once

namespace fancad {

// What ZOOM acts on: the desktop's drawing view.
class ZoomView {
 public:
  virtual ~ZoomView() = default;
  virtual void zoomExtents() = 0;
  // The box with corners (x1,y1) and (x2,y2), in drawing units.
  virtual void zoomWindow(double x1, double y1, double x2, double y2) = 0;
  virtual void zoomBy(double factor) = 0;
};

// The view ZOOM acts on from now on; null: none (headless).
void setZoomView(ZoomView* view);

void registerZoomCommand();

}  // namespace fancad
