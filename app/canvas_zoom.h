// ZOOM in the desktop window: the drawing canvas is the view it changes.
#pragma once

namespace zrgui {
class DrawingCanvas;
}

namespace fancad {

// ZOOM acts on canvas from now on (null: on no view again, as headless).
void setZoomCanvas(zrgui::DrawingCanvas* canvas);

}  // namespace fancad
