// The CAD host's dialog classes and the editor-command protocol.
#include "acui_dialog.h"

#include "extension_module.h"

IMPLEMENT_DYNAMIC(CAdUiBaseDialog, CDialog)
IMPLEMENT_DYNAMIC(CAdUiDialog, CAdUiBaseDialog)
IMPLEMENT_DYNAMIC(CAcUiDialog, CAdUiDialog)

BEGIN_MESSAGE_MAP(CAdUiBaseDialog, CDialog)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CAdUiDialog, CAdUiBaseDialog)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CAcUiDialog, CAdUiDialog)
END_MESSAGE_MAP()

namespace {
int g_acUiInit = 0;
}

CAdUiBaseDialog::CAdUiBaseDialog(UINT idd, CWnd* pParent, HINSTANCE hDialogResource)
    : CDialog(idd, pParent), m_hDialogResource(hDialogResource) {}

BOOL CAdUiBaseDialog::OnInitDialog() { return CDialog::OnInitDialog(); }

const winplat::DialogTemplate* CAdUiBaseDialog::FindTemplate() const {
  return winplat::findDialogTemplate(m_nIDTemplate, m_hDialogResource);
}

CAdUiDialog::CAdUiDialog(UINT idd, CWnd* pParent, HINSTANCE hDialogResource)
    : CAdUiBaseDialog(idd, pParent, hDialogResource) {}

BOOL CAdUiDialog::BeginEditorCommand() {
  m_editorCommand = true;
  ShowWindow(SW_HIDE);
  return TRUE;
}

void CAdUiDialog::CompleteEditorCommand(BOOL restoreDialogs) {
  m_editorCommand = false;
  if (restoreDialogs && !IsDialogEnded()) ShowWindow(SW_SHOW);
}

void CAdUiDialog::CancelEditorCommand() {
  m_editorCommand = false;
  if (!IsDialogEnded()) ShowWindow(SW_SHOW);
}

CAcUiDialog::CAcUiDialog(UINT idd, CWnd* pParent, HINSTANCE hDialogResource)
    : CAdUiDialog(idd, pParent, hDialogResource) {}

void InitAcUiDLL() { ++g_acUiInit; }

namespace winplat {
int acUiInitCount() { return g_acUiInit; }
}  // namespace winplat
