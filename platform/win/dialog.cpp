// CDialog: creation from templates, the modal run and the standard buttons.
#include "dialog.h"

#include <algorithm>

#include "base/user_action.h"
#include "combo_box.h"
#include "extension_module.h"
#include "message_box.h"
#include "resources.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

namespace {

std::vector<CDialog*>& modalStack() {
  static std::vector<CDialog*> stack;
  return stack;
}

void leaveModalStack(CDialog* dlg) {
  auto& stack = modalStack();
  stack.erase(std::remove(stack.begin(), stack.end(), dlg), stack.end());
}

}  // namespace

namespace winplat {
const std::vector<CDialog*>& modalDialogs() { return modalStack(); }
}  // namespace winplat

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_pParentWnd(pParentWnd), m_nIDTemplate(nIDTemplate) {}

CDialog::~CDialog() {
  leaveModalStack(this);
  if (m_hWnd) DestroyWindow();
}

const winplat::DialogTemplate* CDialog::FindTemplate() const {
  return winplat::findDialogTemplate(m_nIDTemplate);
}

void CDialog::ShowTemplateError() const {
  CString text;
  text.Format(L"找不到对话框模板 %u。", m_nIDTemplate);
  AfxMessageBox(text, MB_OK | MB_ICONERROR);
}

bool CDialog::CreateFromTemplate(const winplat::DialogTemplate& tmpl, CWnd* pParentWnd) {
  HWND owner = pParentWnd ? pParentWnd->m_hWnd : nullptr;
  const bool child = (tmpl.style & WS_CHILD) && winplat::isWindow(owner);
  const RECT client = winplat::dluRectToPixels(tmpl.x, tmpl.y, tmpl.cx, tmpl.cy);
  HWND h = winplat::createWindow(L"#32770", tmpl.caption, tmpl.style, 0, client,
                                 child ? owner : nullptr, 0);
  if (!child) {
    // Top-level dialogs stand at the fixed screen place, their client area
    // the template's size.
    h->parent = owner;
    const RECT e = winplat::nonClientEdges(*h);
    const LONG w = client.right - client.left + e.left + e.right;
    const LONG ht = client.bottom - client.top + e.top + e.bottom;
    h->rect = RECT{winplat::kScreenLeft, winplat::kScreenTop, winplat::kScreenLeft + w,
                   winplat::kScreenTop + ht};
  } else {
    h->rect = client;
  }
  h->id = child ? static_cast<int>(m_nIDTemplate & 0xFFFF) : 0;
  if (!Attach(h)) {
    winplat::destroyWindow(h);
    return false;
  }
  m_pTemplate = &tmpl;
  for (const auto& c : tmpl.controls) {
    HWND ctl = winplat::createWindow(c.className, c.text, c.style, c.exStyle,
                                     winplat::dluRectToPixels(c.x, c.y, c.cx, c.cy), h, c.id);
    ctl->fromTemplate = true;
  }
  return true;
}

void CDialog::AddInitialItems() {
  if (!m_pTemplate || !m_hWnd) return;
  for (const auto& c : m_pTemplate->controls) {
    if (c.items.empty()) continue;
    HWND ctl = winplat::findChild(m_hWnd, c.id);
    if (!ctl || winplat::controlKind(*ctl) != "combobox") continue;
    for (const auto& item : c.items) winplat::comboAddString(ctl, item);
  }
}

INT_PTR CDialog::DoModal() {
  const winplat::DialogTemplate* tmpl = FindTemplate();
  if (!tmpl) {
    ShowTemplateError();
    return -1;
  }
  if (m_hWnd || !CreateFromTemplate(*tmpl, m_pParentWnd)) return -1;
  m_ended = false;
  m_nModalResult = -1;
  m_modalRunning = true;
  modalStack().push_back(this);
  try {
    {
      // Filling the dialog belongs to the action that opened it (or is one of its own).
      zrbase::UserActionScope opening;
      // TRUE from OnInitDialog: the focus goes to the first control that takes it.
      if (OnInitDialog() && !m_ended) FocusFirstControl();
    }
    if (!m_ended) {
      ShowWindow(SW_SHOW);
      winplat::pumpMessages();
    }
    if (!m_ended && m_hWnd) {
      // While the dialog is up the user acts in it: each input there is an action of its
      // own, not part of the one that opened the dialog.
      zrbase::UserInputWait waiting;
      winplat::uiService().runModal(*this);
    }
  } catch (...) {
    m_modalRunning = false;
    leaveModalStack(this);
    if (m_hWnd) DestroyWindow();
    m_pTemplate = nullptr;
    throw;
  }
  m_modalRunning = false;
  leaveModalStack(this);
  if (m_hWnd) DestroyWindow();
  m_pTemplate = nullptr;
  return m_nModalResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
  m_nIDTemplate = nIDTemplate;
  if (pParentWnd) m_pParentWnd = pParentWnd;
  const winplat::DialogTemplate* tmpl = FindTemplate();
  if (!tmpl) {
    ShowTemplateError();
    return FALSE;
  }
  if (m_hWnd || !CreateFromTemplate(*tmpl, m_pParentWnd)) return FALSE;
  m_ended = false;
  m_nModalResult = -1;
  // As for a modal dialog: filling it belongs to the action that opened it.
  const zrbase::UserActionScope opening;
  OnInitDialog();
  return TRUE;
}

BOOL CDialog::OnInitDialog() {
  AddInitialItems();
  if (!UpdateData(FALSE)) {
    EndDialog(-1);
    return FALSE;
  }
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int nResult) {
  m_nModalResult = nResult;
  m_ended = true;
  if (m_hWnd) ShowWindow(SW_HIDE);
}

void CDialog::FocusFirstControl() {
  if (!m_hWnd) return;
  for (const auto& child : m_hWnd->children) {
    const DWORD style = child->style;
    if ((style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED)) {
      CWnd::FromHandle(child.get())->SetFocus();
      return;
    }
  }
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl) {
  if (pWndCtrl) pWndCtrl->SetFocus();
}
