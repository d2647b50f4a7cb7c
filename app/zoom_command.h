// ZOOM, the desktop view of the drawing:
//
//   Specify corner of window or [Extents/Window/In/Out] <Extents>:
//
// Enter or E shows the whole drawing; a point (or W, then a point) and the
// opposite corner fill the window with that box; I and O zoom in and out by
// two.
#pragma once

namespace zrgui {
class DrawingCanvas;
}

namespace fancad {

void registerZoomCommand(zrgui::DrawingCanvas* canvas);

}  // namespace fancad
