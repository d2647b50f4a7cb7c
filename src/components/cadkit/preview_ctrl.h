// CZrAcGsPreviewCtrl: the preview control of the CAD component library, a
// child window of a dialog (usually a static control it is bound to by data
// exchange) that shows the model space of a drawing database.
//
// Ownership: the control owns the database that init gives it and frees it
// exactly once: when a later init gives it another database (or none), or
// when the control is destroyed. erasePreview only stops showing it. Callers
// therefore never delete a database they have handed to init; a pointer they
// keep to it stays valid until they hand over the next one or the control
// goes.
//
// States: nothing shown (new, or after erasePreview) and shown (after init
// with a database). While a database is shown the control has its graphics
// objects (view, device, model); they are made anew by each init, so settings
// made on them last until the next init, and they are gone (null) while
// nothing is shown.
#pragma once

#include <memory>

#include "cad/acdb.h"
#include "cad/gs/acgs.h"
#include "win/ui_models.h"
#include "win/wnd.h"

class CZrAcGsPreviewCtrl : public CWnd, public winplat::PreviewModel {
  DECLARE_DYNAMIC(CZrAcGsPreviewCtrl)
 public:
  // Style bit (SetCtrlStyle): init fits the view to the whole content of the
  // database it is given; without it a new view shows the drawing's unit
  // square at its origin. The other bits are kept and read back but change
  // nothing here: they select the mouse interaction (zoom, pan, orbit from the
  // pop-up menu) of a host that has one. Views are always plan views.
  static constexpr DWORD kStyleFitContent = 0x01;

  CZrAcGsPreviewCtrl();
  ~CZrAcGsPreviewCtrl() override;

  void SetCtrlStyle(const DWORD& style);
  DWORD GetCtrlStyle() const { return m_style; }

  // Shows the model space of pDb (taking it over, see above); a null pDb frees
  // the database held and shows nothing. bFitView: fit the view to the content
  // as the style says (false keeps the field of view of the last init). bRedraw:
  // tell the front ends now (false when the caller changes the graphics
  // objects next and tells them itself through Redraw). Returns false when
  // nothing is shown afterwards.
  bool init(AcDbDatabase* pDb, bool bFitView, bool bRedraw);
  // Shows nothing; the database stays held.
  void erasePreview();
  // Tells the front ends that the graphics objects' settings changed.
  void Redraw() { modelChanged(); }

  AcGsView* view() const { return m_view.get(); }
  AcGsDevice* device() const { return m_device.get(); }
  AcGsModel* model() const { return m_model.get(); }
  // The database held (shown or not); owned by the control.
  AcDbDatabase* database() const { return m_pDb; }

  // winplat::PreviewModel
  const void* previewDatabase() const override;
  int previewEntityCount() const override;
  bool previewShown() const override;
  COLORREF previewBackground() const override;
  // The view's field centred on its target and widened to the device's
  // proportions, with the frame margin kept free on every side.
  winplat::PreviewView previewView() const override;

 private:
  DWORD m_style = 0;
  AcDbDatabase* m_pDb = nullptr;
  bool m_shown = false;
  int m_entityCount = 0;
  std::unique_ptr<AcGsView> m_view;
  std::unique_ptr<AcGsDevice> m_device;
  std::unique_ptr<AcGsModel> m_model;
};
