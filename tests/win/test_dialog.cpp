// Message maps of the test dialogs.
#include "test_dialog.h"

namespace testdlg {

BEGIN_MESSAGE_MAP(CBaseTestDlg, CAcUiDialog)
ON_BN_CLICKED(204, &CBaseTestDlg::OnAdd)
ON_BN_CLICKED(206, &CBaseTestDlg::OnDelete)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CTestDlg, CBaseTestDlg)
ON_CBN_SELCHANGE(1012, &CTestDlg::OnBigModelSelChange)
ON_CBN_SELENDOK(1012, &CTestDlg::OnBigModelSelEndOk)
ON_CBN_EDITCHANGE(1017, &CTestDlg::OnAngleEditChange)
ON_EN_CHANGE(1003, &CTestDlg::OnEditChange)
ON_BN_CLICKED(206, &CTestDlg::OnDelete)
ON_BN_CLICKED(202, &CTestDlg::OnSelectMode)
ON_CONTROL_RANGE(BN_CLICKED, 1026, 1028, &CTestDlg::OnView)
ON_NOTIFY(NM_CLICK, 210, &CTestDlg::OnPreviewNotify)
ON_WM_DESTROY()
END_MESSAGE_MAP()

}  // namespace testdlg
