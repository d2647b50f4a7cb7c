// How the fan dialog's preview looks: the settings it gives the preview
// control and its graphics objects after each load, and the base-point cross.
#pragma once

#include "base/windef.h"
#include "cad/gs/acgs.h"
#include "cadkit/preview_ctrl.h"

// The control's style: fit the view to the block (kStyleFitContent) with the
// host's mouse interaction (16: zoom, pan and orbit from the pop-up menu).
inline constexpr DWORD kPreviewCtrlStyle = CZrAcGsPreviewCtrl::kStyleFitContent | 16;
// Pixels kept free round the block.
inline constexpr int kPreviewFrameMargin = 8;
// Lines are drawn as they are; a 2D outline looks the same in any mode.
inline constexpr AcGsView::RenderMode kPreviewRenderMode = AcGsView::kFlatShaded;

// The cross on the block's base point: arms five pixels long when the block
// fills the control, in red (colour index 1).
inline constexpr double kBaseMarkPixels = 5.0;
inline constexpr Adesk::UInt16 kBaseMarkColor = 1;
