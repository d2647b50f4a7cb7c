// Buttons, edits and statics.
#include "controls.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CStatic, CWnd)

BOOL CButton::Create(LPCTSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                     UINT nID) {
  return CWnd::Create(L"BUTTON", lpszCaption, dwStyle, rect, pParentWnd, nID);
}

int CButton::GetCheck() const { return m_hWnd ? m_hWnd->check : BST_UNCHECKED; }

void CButton::SetCheck(int nCheck) {
  if (!m_hWnd) return;
  m_hWnd->check = nCheck;
  winplat::noteStateChange();
}

UINT CButton::GetState() const { return static_cast<UINT>(GetCheck()) & 0x3; }

UINT CButton::GetButtonStyle() const { return m_hWnd ? (m_hWnd->style & 0xFFFF) : 0; }

void CButton::SetButtonStyle(UINT nStyle, BOOL /*bRedraw*/) {
  if (!m_hWnd) return;
  m_hWnd->style = (m_hWnd->style & 0xFFFF0000u) | (nStyle & 0xFFFF);
  winplat::noteStateChange();
}

BOOL CEdit::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CWnd::Create(L"EDIT", L"", dwStyle, rect, pParentWnd, nID);
}

void CEdit::SetLimitText(UINT nMax) {
  if (m_hWnd) m_hWnd->textLimit = static_cast<int>(nMax);
}

UINT CEdit::GetLimitText() const {
  // The native default limit of a single-line edit.
  constexpr UINT kDefaultLimit = 30000;
  return m_hWnd && m_hWnd->textLimit > 0 ? static_cast<UINT>(m_hWnd->textLimit) : kDefaultLimit;
}

BOOL CEdit::GetModify() const { return m_hWnd && m_hWnd->modified ? TRUE : FALSE; }

void CEdit::SetModify(BOOL bModified) {
  if (m_hWnd) m_hWnd->modified = bModified != FALSE;
}

void CEdit::SetReadOnly(BOOL bReadOnly) {
  if (bReadOnly) {
    ModifyStyle(0, ES_READONLY);
  } else {
    ModifyStyle(ES_READONLY, 0);
  }
}

void CEdit::SetSel(int /*nStartChar*/, int /*nEndChar*/, BOOL /*bNoScroll*/) {}

// Without a caret the selection is taken to be the end of the text.
void CEdit::ReplaceSel(LPCTSTR lpszNewText, BOOL /*bCanUndo*/) {
  if (!m_hWnd) return;
  CString text;
  GetWindowText(text);
  SetWindowText(text + CString(lpszNewText));
}

BOOL CStatic::Create(LPCTSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                     UINT nID) {
  return CWnd::Create(L"STATIC", lpszText, dwStyle, rect, pParentWnd, nID);
}

namespace winplat {

std::vector<HWND> radioGroupOf(HWND hWnd) {
  std::vector<HWND> group;
  if (!isWindow(hWnd) || !isWindow(hWnd->parent)) return group;
  const auto& siblings = hWnd->parent->children;
  std::size_t self = 0;
  while (self < siblings.size() && siblings[self].get() != hWnd) ++self;
  if (self == siblings.size()) return group;
  std::size_t first = self;
  while (first > 0 && !(siblings[first]->style & WS_GROUP)) --first;
  for (std::size_t i = first; i < siblings.size(); ++i) {
    if (i > first && (siblings[i]->style & WS_GROUP)) break;
    group.push_back(siblings[i].get());
  }
  return group;
}

void clickButton(HWND button) {
  if (!isWindow(button)) return;
  switch (button->style & BS_TYPEMASK) {
    case BS_AUTORADIOBUTTON:
      for (HWND other : radioGroupOf(button)) {
        if (other != button && controlKind(*other) == "radio" &&
            (other->style & BS_TYPEMASK) == BS_AUTORADIOBUTTON) {
          other->check = BST_UNCHECKED;
        }
      }
      button->check = BST_CHECKED;
      break;
    case BS_AUTOCHECKBOX:
      button->check = button->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
      break;
    case BS_AUTO3STATE:
      button->check = (button->check + 1) % 3;
      break;
    default:
      break;
  }
  noteStateChange();
  notifyParent(button, BN_CLICKED);
}

}  // namespace winplat
