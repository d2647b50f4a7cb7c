// The standard controls other than the combo box: buttons (push buttons, radio
// buttons, check boxes, group frames), edits and statics. Each class adds only
// operations on the window's state, so any of them can wrap any window of its
// kind (DDX_Control, FromHandle).
#pragma once

#include "wnd.h"

class CButton : public CWnd {
  DECLARE_DYNAMIC(CButton)
 public:
  CButton() = default;
  BOOL Create(LPCTSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

  // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
  int GetCheck() const;
  // Sets the check state without any notification; setting a radio button
  // does not uncheck the others of its group (as the native control).
  void SetCheck(int nCheck);
  UINT GetState() const;
  UINT GetButtonStyle() const;
  void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE);
};

class CEdit : public CWnd {
  DECLARE_DYNAMIC(CEdit)
 public:
  CEdit() = default;
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

  void SetLimitText(UINT nMax);
  void LimitText(int nChars = 0) { SetLimitText(static_cast<UINT>(nChars)); }
  UINT GetLimitText() const;
  BOOL GetModify() const;
  void SetModify(BOOL bModified = TRUE);
  void SetReadOnly(BOOL bReadOnly = TRUE);
  void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
  void ReplaceSel(LPCTSTR lpszNewText, BOOL bCanUndo = FALSE);
};

class CStatic : public CWnd {
  DECLARE_DYNAMIC(CStatic)
 public:
  CStatic() = default;
  BOOL Create(LPCTSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
              UINT nID = 0xffff);
};

namespace winplat {

// Clicks a button as the user would: an auto radio button becomes checked and
// the other auto radio buttons of its group unchecked; an auto check box
// toggles (an auto three-state box cycles); then BN_CLICKED goes to the
// parent. The caller checks that the button is enabled.
void clickButton(HWND button);
// The buttons of the radio group that hWnd belongs to: from the nearest
// sibling at or before it with WS_GROUP to the sibling before the next one
// with WS_GROUP, in template order.
std::vector<HWND> radioGroupOf(HWND hWnd);

}  // namespace winplat
