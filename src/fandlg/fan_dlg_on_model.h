// CFanDlgOnModel: the fan selection dialog opened on a given model.
//
// The dialog initialises exactly as the FAN command's does; then it chooses
// the model's series, fan number, drive mode and speed in the four lists, in
// that order, through the lists' own selection handlers, as a user picking
// them would. So the grids, the preview and every member hold what they hold
// after those picks, and everything the user does next works as usual. A
// value missing from its list (the catalogue changed meanwhile) stops the
// choosing there and leaves the dialog where it got to.
#pragma once

#include "fandlg/fan_dlg.h"

class CFanDlgOnModel : public CFanDlg {
 public:
  CFanDlgOnModel(const CString& strBigModel, const CString& strFanNo, const CString& strDriveMode,
                 const CString& strSpeed, CWnd* pParent = nullptr);

  // After initialisation: whether all four lists show the model.
  BOOL IsOnModel() const { return m_bOnModel; }

 protected:
  BOOL OnInitDialog() override;

 private:
  // Selects the item whose text is exactly text (case-sensitive, as the
  // lists keep values that differ in case apart) and runs the handler, unless
  // it is selected already; FALSE when there is no such item.
  BOOL Choose(CComboBox& combo, const CString& text, void (CFanDlg::*handler)());

  CString m_strWantedBigModel;
  CString m_strWantedFanNo;
  CString m_strWantedDriveMode;
  CString m_strWantedSpeed;
  BOOL m_bOnModel = FALSE;
};
