// CFanDlgOnModel: the fan selection dialog opened on a given model.
//
// The dialog initialises exactly as the FAN command's does; then it chooses
// the model's series, fan number, drive mode and speed in the four lists, in
// that order, through the lists' own selection handlers, as a user picking
// them would. So the grids, the preview and every member hold what they hold
// after those picks, and everything the user does next works as usual. A
// value missing from its list (the catalogue changed meanwhile) stops the
// choosing there and leaves the dialog where it got to. With a view given
// (SetView), the view, hand and outlet angle are chosen next, through their
// handlers too; an angle the view drawing does not offer is left unchosen.
#pragma once

#include <optional>

#include "drawings/view_names.h"
#include "fandlg/fan_dlg.h"

class CFanDlgOnModel : public CFanDlg {
 public:
  CFanDlgOnModel(const CString& strBigModel, const CString& strFanNo, const CString& strDriveMode,
                 const CString& strSpeed, CWnd* pParent = nullptr);

  // Before DoModal: the view, hand and outlet angle to open on.
  void SetView(const PlacedView& view) { m_WantedView = view; }
  // After initialisation: whether all four lists show the model.
  BOOL IsOnModel() const { return m_bOnModel; }

 protected:
  BOOL OnInitDialog() override;

 private:
  // Selects the item whose text is exactly text (case-sensitive, as the
  // lists keep values that differ in case apart) and runs the handler, unless
  // it is selected already; FALSE when there is no such item.
  BOOL Choose(CComboBox& combo, const CString& text, void (CFanDlg::*handler)());
  void ChooseView(const PlacedView& view);

  CString m_strWantedBigModel;
  CString m_strWantedFanNo;
  CString m_strWantedDriveMode;
  CString m_strWantedSpeed;
  std::optional<PlacedView> m_WantedView;
  BOOL m_bOnModel = FALSE;
};
