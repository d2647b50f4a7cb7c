// The fan selection dialog opened on a given model, through the cascade's handlers.
#include "fandlg/fan_dlg_on_model.h"

#include "res/resource.h"

CFanDlgOnModel::CFanDlgOnModel(const CString& strBigModel, const CString& strFanNo,
                               const CString& strDriveMode, const CString& strSpeed, CWnd* pParent)
    : CFanDlg(pParent),
      m_strWantedBigModel(strBigModel),
      m_strWantedFanNo(strFanNo),
      m_strWantedDriveMode(strDriveMode),
      m_strWantedSpeed(strSpeed) {}

BOOL CFanDlgOnModel::OnInitDialog() {
  const BOOL result = CFanDlg::OnInitDialog();
  m_bOnModel = Choose(m_cbBigModel, m_strWantedBigModel, &CFanDlg::OnBigModelSelChange) &&
               Choose(m_cbFanNo, m_strWantedFanNo, &CFanDlg::OnFanNoSelChange) &&
               Choose(m_cbDriveMode, m_strWantedDriveMode, &CFanDlg::OnDriveModeSelChange) &&
               Choose(m_cbSpeed, m_strWantedSpeed, &CFanDlg::OnSpeedSelChange);
  if (m_bOnModel && m_WantedView) ChooseView(*m_WantedView);
  return result;
}

BOOL CFanDlgOnModel::Choose(CComboBox& combo, const CString& text, void (CFanDlg::*handler)()) {
  for (int i = 0; i < combo.GetCount(); ++i) {
    CString item;
    combo.GetLBText(i, item);
    if (item != text) continue;
    if (combo.GetCurSel() != i) {
      combo.SetCurSel(i);
      (this->*handler)();
    }
    return TRUE;
  }
  return FALSE;
}

void CFanDlgOnModel::ChooseView(const PlacedView& view) {
  static constexpr void (CFanDlg::*kViewHandlers[])() = {&CFanDlg::OnFrontView,
                                                         &CFanDlg::OnSideView, &CFanDlg::OnTopView};
  if (view.nView != m_nView && view.nView >= kFrontView && view.nView <= kTopView) {
    CheckRadioButton(IDC_RADIO_FRONTVIEW, IDC_RADIO_TOPVIEW, IDC_RADIO_FRONTVIEW + view.nView);
    (this->*kViewHandlers[view.nView])();
  }
  if (Choose(m_cbHand, view.strHand, &CFanDlg::OnHandSelChange))
    Choose(m_cbAngle, view.strAngle, &CFanDlg::OnAngleSelChange);
}
