// CWnd: attaching to window records, window state, geometry and message dispatch.
#include "wnd.h"

#include <cwchar>
#include <deque>

#include "base/exception.h"
#include "base/user_action.h"
#include "combo_box.h"
#include "controls.h"
#include "data_exchange.h"
#include "message_box.h"

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

namespace {

struct PostedMessage {
  HWND hWnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

std::deque<PostedMessage>& postedMessages() {
  static std::deque<PostedMessage> queue;
  return queue;
}

// Windows exchanging data now: their controls' notifications are ignored.
std::vector<HWND>& lockedOut() {
  static std::vector<HWND> list;
  return list;
}

bool isLockedOut(HWND h) {
  for (HWND w : lockedOut()) {
    if (w == h) return true;
  }
  return false;
}

HWND g_focus = nullptr;

std::unique_ptr<CWnd> makeWrapper(const HWND__& w) {
  const std::string kind = winplat::controlKind(w);
  if (kind == "combobox") return std::make_unique<CComboBox>();
  if (kind == "edit") return std::make_unique<CEdit>();
  if (kind == "button" || kind == "radio" || kind == "checkbox") return std::make_unique<CButton>();
  if (kind == "static") return std::make_unique<CStatic>();
  return std::make_unique<CWnd>();
}

}  // namespace

CWnd::CWnd() = default;

CWnd::~CWnd() {
  if (m_hWnd && winplat::isWindow(m_hWnd) && m_hWnd->wnd == this) winplat::destroyWindow(m_hWnd);
}

CWnd* CWnd::FromHandle(HWND hWnd) {
  if (!winplat::isWindow(hWnd)) return nullptr;
  if (hWnd->wnd) return hWnd->wnd;
  if (!hWnd->temporary) {
    hWnd->temporary = makeWrapper(*hWnd);
    hWnd->temporary->m_hWnd = hWnd;
  }
  return hWnd->temporary.get();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) { return winplat::isWindow(hWnd) ? hWnd->wnd : nullptr; }

BOOL CWnd::Attach(HWND hWndNew) {
  if (m_hWnd || !winplat::isWindow(hWndNew) || hWndNew->wnd) return FALSE;
  hWndNew->wnd = this;
  m_hWnd = hWndNew;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND h = m_hWnd;
  if (h && winplat::isWindow(h) && h->wnd == this) h->wnd = nullptr;
  m_hWnd = nullptr;
  return h;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
  if (!Attach(hWnd)) return FALSE;
  PreSubclassWindow();
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
  if (!pParent) return FALSE;
  HWND h = winplat::findChild(pParent->m_hWnd, static_cast<int>(nID));
  return h ? SubclassWindow(h) : FALSE;
}

HWND CWnd::UnsubclassWindow() { return Detach(); }

BOOL CWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, void* /*pContext*/) {
  return CreateEx(0, lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID /*lpParam*/) {
  if (m_hWnd) return FALSE;
  HWND parent = pParentWnd ? pParentWnd->m_hWnd : nullptr;
  if ((dwStyle & WS_CHILD) && !winplat::isWindow(parent)) return FALSE;
  HWND h = winplat::createWindow(lpszClassName ? lpszClassName : L"",
                                 lpszWindowName ? lpszWindowName : L"", dwStyle, dwExStyle, rect,
                                 parent, static_cast<int>(nID));
  Attach(h);
  SendMessage(WM_CREATE);
  return TRUE;
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  return winplat::destroyWindow(m_hWnd) ? TRUE : FALSE;
}

int CWnd::GetDlgCtrlID() const { return m_hWnd ? m_hWnd->id : 0; }

int CWnd::SetDlgCtrlID(int nID) {
  if (!m_hWnd) return 0;
  const int old = m_hWnd->id;
  m_hWnd->id = nID & 0xFFFF;
  return old;
}

CWnd* CWnd::GetParent() const {
  return m_hWnd && winplat::isWindow(m_hWnd->parent) ? FromHandle(m_hWnd->parent) : nullptr;
}

CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(winplat::findChild(m_hWnd, nID)); }

void CWnd::GetDlgItem(int nID, HWND* phWnd) const {
  if (phWnd) *phWnd = winplat::findChild(m_hWnd, nID);
}

void CWnd::SetWindowText(LPCTSTR lpszString) {
  if (!m_hWnd) return;
  HWND h = m_hWnd;
  const std::wstring text = lpszString ? lpszString : L"";
  const std::string kind = winplat::controlKind(*h);
  // A drop-down list has no text of its own to set.
  if (kind == "combobox" && !winplat::isComboWithEdit(*h)) return;
  h->text = text;
  winplat::noteStateChange();
  // A single-line edit reports the change even when the program made it.
  if (kind == "edit" && !(h->style & ES_MULTILINE)) winplat::notifyParent(h, EN_CHANGE);
}

int CWnd::GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const {
  if (!lpszStringBuf || nMaxCount <= 0) return 0;
  const std::wstring text = m_hWnd ? winplat::windowText(*m_hWnd) : std::wstring();
  const auto n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(nMaxCount - 1));
  std::wmemcpy(lpszStringBuf, text.data(), n);
  lpszStringBuf[n] = 0;
  return static_cast<int>(n);
}

void CWnd::GetWindowText(CString& rString) const {
  rString = m_hWnd ? CString(winplat::windowText(*m_hWnd)) : CString();
}

int CWnd::GetWindowTextLength() const {
  return m_hWnd ? static_cast<int>(winplat::windowText(*m_hWnd).size()) : 0;
}

void CWnd::SetDlgItemText(int nID, LPCTSTR lpszString) {
  if (CWnd* w = GetDlgItem(nID)) w->SetWindowText(lpszString);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const {
  rString.Empty();
  if (CWnd* w = GetDlgItem(nID)) w->GetWindowText(rString);
  return rString.GetLength();
}

void CWnd::CheckDlgButton(int nIDButton, UINT nCheck) {
  if (HWND h = winplat::findChild(m_hWnd, nIDButton)) {
    h->check = static_cast<int>(nCheck);
    winplat::noteStateChange();
  }
}

UINT CWnd::IsDlgButtonChecked(int nIDButton) const {
  HWND h = winplat::findChild(m_hWnd, nIDButton);
  return h ? static_cast<UINT>(h->check) : 0;
}

void CWnd::CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
  for (int id = nIDFirstButton; id <= nIDLastButton; ++id) {
    CheckDlgButton(id, id == nIDCheckButton ? BST_CHECKED : BST_UNCHECKED);
  }
}

int CWnd::GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) const {
  for (int id = nIDFirstButton; id <= nIDLastButton; ++id) {
    if (IsDlgButtonChecked(id) == BST_CHECKED) return id;
  }
  return 0;
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
  if (!m_hWnd) return FALSE;
  const BOOL wasDisabled = (m_hWnd->style & WS_DISABLED) ? TRUE : FALSE;
  if (bEnable) {
    m_hWnd->style &= ~WS_DISABLED;
  } else {
    m_hWnd->style |= WS_DISABLED;
  }
  winplat::noteStateChange();
  return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const {
  return m_hWnd && !(m_hWnd->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL CWnd::ShowWindow(int nCmdShow) {
  if (!m_hWnd) return FALSE;
  const BOOL wasVisible = (m_hWnd->style & WS_VISIBLE) ? TRUE : FALSE;
  if (nCmdShow == SW_HIDE) {
    m_hWnd->style &= ~WS_VISIBLE;
  } else {
    m_hWnd->style |= WS_VISIBLE;
  }
  winplat::noteStateChange();
  return wasVisible;
}

BOOL CWnd::IsWindowVisible() const {
  return m_hWnd && winplat::isVisibleOnScreen(*m_hWnd) ? TRUE : FALSE;
}

DWORD CWnd::GetStyle() const { return m_hWnd ? m_hWnd->style : 0; }
DWORD CWnd::GetExStyle() const { return m_hWnd ? m_hWnd->exStyle : 0; }

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT /*nFlags*/) {
  if (!m_hWnd) return FALSE;
  const DWORD style = (m_hWnd->style & ~dwRemove) | dwAdd;
  if (style == m_hWnd->style) return FALSE;
  m_hWnd->style = style;
  winplat::noteStateChange();
  return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT /*nFlags*/) {
  if (!m_hWnd) return FALSE;
  const DWORD style = (m_hWnd->exStyle & ~dwRemove) | dwAdd;
  if (style == m_hWnd->exStyle) return FALSE;
  m_hWnd->exStyle = style;
  winplat::noteStateChange();
  return TRUE;
}

void CWnd::GetWindowRect(LPRECT lpRect) const {
  if (!lpRect) return;
  if (!m_hWnd) {
    *lpRect = RECT{0, 0, 0, 0};
    return;
  }
  *lpRect = m_hWnd->rect;
  if ((m_hWnd->style & WS_CHILD) && winplat::isWindow(m_hWnd->parent)) {
    const POINT origin = winplat::clientOriginOnScreen(*m_hWnd->parent);
    CRect r(*lpRect);
    r.OffsetRect(origin.x, origin.y);
    *lpRect = r;
  }
}

void CWnd::GetClientRect(LPRECT lpRect) const {
  if (!lpRect) return;
  if (!m_hWnd) {
    *lpRect = RECT{0, 0, 0, 0};
    return;
  }
  const RECT e = winplat::nonClientEdges(*m_hWnd);
  const RECT& r = m_hWnd->rect;
  *lpRect = RECT{0, 0, std::max<LONG>(0, r.right - r.left - e.left - e.right),
                 std::max<LONG>(0, r.bottom - r.top - e.top - e.bottom)};
}

void CWnd::ScreenToClient(LPPOINT lpPoint) const {
  if (!lpPoint || !m_hWnd) return;
  const POINT o = winplat::clientOriginOnScreen(*m_hWnd);
  lpPoint->x -= o.x;
  lpPoint->y -= o.y;
}

void CWnd::ScreenToClient(LPRECT lpRect) const {
  if (!lpRect || !m_hWnd) return;
  const POINT o = winplat::clientOriginOnScreen(*m_hWnd);
  CRect r(*lpRect);
  r.OffsetRect(-o.x, -o.y);
  *lpRect = r;
}

void CWnd::ClientToScreen(LPPOINT lpPoint) const {
  if (!lpPoint || !m_hWnd) return;
  const POINT o = winplat::clientOriginOnScreen(*m_hWnd);
  lpPoint->x += o.x;
  lpPoint->y += o.y;
}

void CWnd::ClientToScreen(LPRECT lpRect) const {
  if (!lpRect || !m_hWnd) return;
  const POINT o = winplat::clientOriginOnScreen(*m_hWnd);
  CRect r(*lpRect);
  r.OffsetRect(o.x, o.y);
  *lpRect = r;
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
  if (!m_hWnd) return;
  m_hWnd->rect = RECT{x, y, x + nWidth, y + nHeight};
  winplat::noteStateChange();
  if (bRepaint) Invalidate();
}

void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint) {
  if (lpRect) {
    MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
               lpRect->bottom - lpRect->top, bRepaint);
  }
}

BOOL CWnd::SetWindowPos(const CWnd* /*pWndInsertAfter*/, int x, int y, int cx, int cy,
                        UINT nFlags) {
  if (!m_hWnd) return FALSE;
  CRect r(m_hWnd->rect);
  if (!(nFlags & SWP_NOMOVE)) r.MoveToXY(x, y);
  if (!(nFlags & SWP_NOSIZE)) {
    r.right = r.left + cx;
    r.bottom = r.top + cy;
  }
  m_hWnd->rect = r;
  if (nFlags & SWP_SHOWWINDOW) ShowWindow(SW_SHOW);
  if (nFlags & SWP_HIDEWINDOW) ShowWindow(SW_HIDE);
  winplat::noteStateChange();
  return TRUE;
}

// Top-level windows keep their fixed place (window_state.h), so that screen
// coordinates stay the same every run.
void CWnd::CenterWindow(CWnd* /*pAlternateOwner*/) {}

void CWnd::Invalidate(BOOL /*bErase*/) {
  if (m_hWnd) ++m_hWnd->paintCount;
}

void CWnd::UpdateWindow() {}

BOOL CWnd::RedrawWindow(LPCRECT /*lpRectUpdate*/, void* /*prgnUpdate*/, UINT /*flags*/) {
  if (!m_hWnd) return FALSE;
  ++m_hWnd->paintCount;
  return TRUE;
}

CWnd* CWnd::SetFocus() {
  CWnd* previous = GetFocus();
  if (m_hWnd) g_focus = m_hWnd;
  return previous;
}

CWnd* CWnd::GetFocus() { return FromHandle(g_focus); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!winplat::isWindow(m_hWnd)) return 0;
  CWnd* target = m_hWnd->wnd ? m_hWnd->wnd : this;
  return target->WindowProc(message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!winplat::isWindow(m_hWnd)) return FALSE;
  postedMessages().push_back({m_hWnd, message, wParam, lParam});
  return TRUE;
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
  struct Lockout {
    explicit Lockout(HWND h) { lockedOut().push_back(h); }
    ~Lockout() { lockedOut().pop_back(); }
  } lockout(m_hWnd);
  CDataExchange dx(this, bSaveAndValidate);
  try {
    DoDataExchange(&dx);
    return TRUE;
  } catch (CUserException* e) {
    // The user has been told why.
    e->Delete();
  } catch (CException* e) {
    wchar_t text[512];
    e->GetErrorMessage(text, 512);
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    e->Delete();
  }
  return FALSE;
}

void CWnd::DoDataExchange(CDataExchange* /*pDX*/) {}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // A message from outside any action (the front end passing on a click) begins one; the
  // messages its handlers send join it.
  zrbase::UserActionScope action;
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message == WM_COMMAND) {
    if (!OnCommand(wParam, lParam)) return FALSE;
    if (pResult) *pResult = 1;
    return TRUE;
  }
  if (message == WM_NOTIFY) return OnNotify(wParam, lParam, pResult);
  return DispatchMessageMap(message, 0, 0, wParam, lParam, pResult);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT id = LOWORD(wParam);
  UINT code = HIWORD(wParam);
  if (lParam == 0) {
    code = CN_COMMAND;
  } else {
    // Control notifications are ignored while this window exchanges data.
    if (isLockedOut(m_hWnd)) return TRUE;
    if (id == 0) return FALSE;
  }
  return OnCmdMsg(id, static_cast<int>(code), nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM /*wParam*/, LPARAM lParam, LRESULT* pResult) {
  const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
  if (!hdr) return FALSE;
  if (isLockedOut(m_hWnd)) return TRUE;
  return DispatchMessageMap(WM_NOTIFY, hdr->code, static_cast<UINT>(hdr->idFrom), 0, lParam,
                            pResult);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!m_hWnd) return 0;
  switch (message) {
    case WM_SETTEXT:
      SetWindowText(reinterpret_cast<LPCTSTR>(lParam));
      return TRUE;
    case WM_GETTEXTLENGTH:
      return GetWindowTextLength();
    case WM_GETTEXT:
      return GetWindowText(reinterpret_cast<LPTSTR>(lParam), static_cast<int>(wParam));
    case WM_CLOSE:
      if (m_hWnd->className == L"#32770") {
        return SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      }
      DestroyWindow();
      return 0;
    case BM_GETCHECK:
      return m_hWnd->check;
    case BM_SETCHECK:
      m_hWnd->check = static_cast<int>(wParam);
      winplat::noteStateChange();
      return 0;
    case BM_CLICK:
      if (IsWindowEnabled()) winplat::clickButton(m_hWnd);
      return 0;
    case CB_GETCOUNT:
      return static_cast<LRESULT>(m_hWnd->items.size());
    case CB_GETCURSEL:
      return m_hWnd->curSel;
    case CB_SETCURSEL:
      return winplat::comboSetCurSel(m_hWnd, static_cast<int>(wParam));
    default:
      return 0;
  }
}

void CWnd::OnClose() { DefWindowProc(WM_CLOSE, 0, 0); }

namespace winplat {

void notifyParent(HWND control, UINT code) {
  if (!isWindow(control) || !isWindow(control->parent)) return;
  CWnd* parent = CWnd::FromHandle(control->parent);
  parent->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<UINT>(control->id), code),
                      reinterpret_cast<LPARAM>(control));
}

void pumpMessages() {
  auto& queue = postedMessages();
  while (!queue.empty()) {
    const PostedMessage m = queue.front();
    queue.pop_front();
    if (CWnd* w = CWnd::FromHandle(m.hWnd)) w->SendMessage(m.message, m.wParam, m.lParam);
  }
}

}  // namespace winplat
