// The drawing library's names of a FanView.
#include "drawings/fan_view.h"

#include "uikit/folders.h"

CString FanView::BaseName() const {
  return ViewDrawingBaseName(strBigModel, strFanNo, strDriveMode);
}

CString FanView::DwgPath() const {
  return ViewDrawingPath(GetDwgPath(), ViewDrawingFileName(BaseName()));
}

CString FanView::ViewBlock() const { return ViewBlockName(nView, strHand, strAngle); }

CString FanView::PlacedBlock() const { return PlacedBlockName(BaseName(), ViewBlock()); }

CString FanView::Label() const { return ModelLabel(BaseName(), strSpeed); }
