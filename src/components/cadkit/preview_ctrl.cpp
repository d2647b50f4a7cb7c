// CZrAcGsPreviewCtrl: the database it holds, its graphics objects and what the
// front ends read of it.
#include "cadkit/preview_ctrl.h"

#include <algorithm>
#include <cmath>

IMPLEMENT_DYNAMIC(CZrAcGsPreviewCtrl, CWnd)

namespace {

// The live entities of the model space and the box they lie in (empty when
// none has extents).
void ScanModelSpace(AcDbDatabase* pDb, int& count, AcDbExtents& extents) {
  count = 0;
  AcDbObjectPointer<AcDbBlockTableRecord> space(pDb->modelSpaceId(), AcDb::kForRead);
  if (!space) return;
  for (AcDbObjectId id : space->entityIds()) {
    ++count;
    AcDbObjectPointer<AcDbEntity> ent(id, AcDb::kForRead);
    AcDbExtents box;
    if (ent && ent->getGeomExtents(box) == Acad::eOk && !box.isEmpty()) extents.addExt(box);
  }
}

bool IsUsable(double v) { return std::isfinite(v) && v > 0; }

}  // namespace

CZrAcGsPreviewCtrl::CZrAcGsPreviewCtrl() = default;

CZrAcGsPreviewCtrl::~CZrAcGsPreviewCtrl() { delete m_pDb; }

void CZrAcGsPreviewCtrl::SetCtrlStyle(const DWORD& style) {
  m_style = style;
  modelChanged();
}

bool CZrAcGsPreviewCtrl::init(AcDbDatabase* pDb, bool bFitView, bool bRedraw) {
  if (pDb != m_pDb) {
    delete m_pDb;
    m_pDb = pDb;
  }
  // The field of the view being replaced, for a caller that keeps it.
  const std::unique_ptr<AcGsView> previous = std::move(m_view);
  m_device.reset();
  m_model.reset();
  m_shown = false;
  m_entityCount = 0;
  if (m_pDb == nullptr) {
    if (bRedraw) modelChanged();
    return false;
  }

  AcDbExtents extents;
  ScanModelSpace(m_pDb, m_entityCount, extents);
  m_view = std::make_unique<AcGsView>();
  m_device = std::make_unique<AcGsDevice>();
  m_model = std::make_unique<AcGsModel>();
  if (m_hWnd) {
    CRect client;
    GetClientRect(&client);
    m_device->onSize(client.Width(), client.Height());
  }

  AcGePoint3d target;
  double width = 1;
  double height = 1;
  if (bFitView && (m_style & kStyleFitContent) && !extents.isEmpty()) {
    const AcGePoint3d lo = extents.minPoint();
    const AcGePoint3d hi = extents.maxPoint();
    target = AcGePoint3d((lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2);
    width = hi.x - lo.x;
    height = hi.y - lo.y;
  } else if (!bFitView && previous && previous->fieldWidth() > 0) {
    target = previous->target();
    width = previous->fieldWidth();
    height = previous->fieldHeight();
  } else {
    target = AcGePoint3d(0.5, 0.5, 0);
  }
  m_view->setView(target + AcGeVector3d(0, 0, 1), target, AcGeVector3d(0, 1, 0), width, height);
  m_shown = true;
  if (bRedraw) modelChanged();
  return true;
}

void CZrAcGsPreviewCtrl::erasePreview() {
  m_shown = false;
  m_view.reset();
  m_device.reset();
  m_model.reset();
  modelChanged();
}

const void* CZrAcGsPreviewCtrl::previewDatabase() const { return previewShown() ? m_pDb : nullptr; }

int CZrAcGsPreviewCtrl::previewEntityCount() const { return previewShown() ? m_entityCount : 0; }

bool CZrAcGsPreviewCtrl::previewShown() const { return m_shown && m_pDb != nullptr; }

COLORREF CZrAcGsPreviewCtrl::previewBackground() const {
  const AcGsColor c = m_device ? m_device->getBackgroundColor() : AcGsDevice().getBackgroundColor();
  return RGB(c.m_red, c.m_green, c.m_blue);
}

winplat::PreviewView CZrAcGsPreviewCtrl::previewView() const {
  winplat::PreviewView out;
  if (!previewShown() || !m_view) return out;
  const AcGePoint3d target = m_view->target();
  out.centerX = target.x;
  out.centerY = target.y;
  // A drawing that is a point or a line along an axis still needs a field.
  double fw = m_view->fieldWidth();
  double fh = m_view->fieldHeight();
  if (!IsUsable(fw) && !IsUsable(fh)) fw = fh = 1;
  if (!IsUsable(fw)) fw = fh;
  if (!IsUsable(fh)) fh = fw;
  const int pxWidth = m_device ? m_device->width() : 0;
  const int pxHeight = m_device ? m_device->height() : 0;
  if (pxWidth <= 0 || pxHeight <= 0) {
    out.width = fw;
    out.height = fh;
    return out;
  }
  const int margin = m_view->frameMargin();
  const double usableX = std::max(1, pxWidth - 2 * margin);
  const double usableY = std::max(1, pxHeight - 2 * margin);
  const double pixelsPerUnit = std::min(usableX / fw, usableY / fh);
  out.width = pxWidth / pixelsPerUnit;
  out.height = pxHeight / pixelsPerUnit;
  return out;
}
