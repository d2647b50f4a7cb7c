// CWnd: the framework's window object, attached to a window record (HWND).
//
// A CWnd is attached to at most one window and a window to at most one
// permanent CWnd; m_hWnd is null while the object has no window (before Create
// or DDX_Control binds it, and after the window is destroyed). Destroying the
// object destroys a window it is still attached to. Messages sent to a window
// (SendMessage) go to its CWnd's WindowProc, which dispatches WM_COMMAND,
// WM_NOTIFY and WM_DESTROY through the message maps; control notifications go
// to the control's parent.
#pragma once

#include "base/cstring.h"
#include "geometry.h"
#include "message_map.h"
#include "window_state.h"
#include "winuser.h"

class CDataExchange;

class CWnd : public CCmdTarget {
  DECLARE_DYNCREATE(CWnd)
 public:
  CWnd();
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;

  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }  // NOLINT: implicit as in the framework

  // The permanent CWnd of a window, or else a wrapper kept with the window
  // whose class matches the window's (CButton, CEdit, CComboBox, CStatic or
  // CWnd). Null for a null or destroyed window.
  static CWnd* FromHandle(HWND hWnd);
  // The permanent CWnd of a window, or null.
  static CWnd* FromHandlePermanent(HWND hWnd);

  // Attaching to an existing window. Both fail (FALSE) when this object is
  // already attached or the window already has a permanent CWnd.
  BOOL Attach(HWND hWndNew);
  HWND Detach();
  BOOL SubclassWindow(HWND hWnd);
  BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
  HWND UnsubclassWindow();

  // Creates a child window (style with WS_CHILD; rect in the parent's client
  // coordinates) or a top-level window, attached to this object.
  BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
              CWnd* pParentWnd, UINT nID, void* pContext = nullptr);
  BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
  virtual BOOL DestroyWindow();

  // Identity and family.
  int GetDlgCtrlID() const;
  int SetDlgCtrlID(int nID);
  CWnd* GetParent() const;
  CWnd* GetOwner() const { return GetParent(); }
  CWnd* GetDlgItem(int nID) const;
  void GetDlgItem(int nID, HWND* phWnd) const;

  // Text.
  void SetWindowText(LPCTSTR lpszString);
  int GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const;
  void GetWindowText(CString& rString) const;
  int GetWindowTextLength() const;
  void SetDlgItemText(int nID, LPCTSTR lpszString);
  int GetDlgItemText(int nID, CString& rString) const;

  // Buttons of this window.
  void CheckDlgButton(int nIDButton, UINT nCheck);
  UINT IsDlgButtonChecked(int nIDButton) const;
  void CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton);
  int GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) const;

  // State. EnableWindow returns nonzero when the window was disabled before;
  // ShowWindow nonzero when it was visible before.
  BOOL EnableWindow(BOOL bEnable = TRUE);
  BOOL IsWindowEnabled() const;
  BOOL ShowWindow(int nCmdShow);
  // True when the window and every ancestor have WS_VISIBLE.
  BOOL IsWindowVisible() const;
  DWORD GetStyle() const;
  DWORD GetExStyle() const;
  BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
  BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);

  // Geometry (see window_state.h for the fixed screen layout).
  void GetWindowRect(LPRECT lpRect) const;
  void GetClientRect(LPRECT lpRect) const;
  void ScreenToClient(LPPOINT lpPoint) const;
  void ScreenToClient(LPRECT lpRect) const;
  void ClientToScreen(LPPOINT lpPoint) const;
  void ClientToScreen(LPRECT lpRect) const;
  void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
  void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
  BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
  void CenterWindow(CWnd* pAlternateOwner = nullptr);

  // Painting: counted, nothing is drawn in console mode.
  void Invalidate(BOOL bErase = TRUE);
  void UpdateWindow();
  BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, void* prgnUpdate = nullptr,
                    UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);

  // Keyboard focus.
  CWnd* SetFocus();
  static CWnd* GetFocus();

  // Messages. SendMessage calls the window's WindowProc at once; PostMessage
  // queues the message until the modal loop next pumps (winplat::pumpMessages).
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  // Data exchange: runs DoDataExchange; FALSE when a value was refused (the
  // user has been told).
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
  virtual void DoDataExchange(CDataExchange* pDX);

  // Message handling. WindowProc hands WM_COMMAND to OnCommand, WM_NOTIFY to
  // OnNotify and every other message to OnWndMsg's map search, then to
  // DefWindowProc (the control's own behaviour).
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  // Default handlers named by ON_WM_DESTROY and ON_WM_CLOSE.
  void OnDestroy() {}
  void OnClose();

 protected:
  // Called when the object is attached to an existing window (SubclassWindow).
  virtual void PreSubclassWindow() {}
  // Called after the window was destroyed and the object detached.
  virtual void PostNcDestroy() {}

  DECLARE_MESSAGE_MAP()

 private:
  friend bool winplat::destroyWindow(HWND h);
};

namespace winplat {

// Sends a control's notification to its parent: WM_COMMAND with the control's
// id and code, unless the parent is exchanging data (UpdateData), during which
// the framework ignores its controls' notifications.
void notifyParent(HWND control, UINT code);
// Dispatches the messages queued by PostMessage, oldest first.
void pumpMessages();

}  // namespace winplat
