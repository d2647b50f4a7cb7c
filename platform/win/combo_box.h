// CComboBox: drop-down lists (CBS_DROPDOWNLIST), drop-down combos with an edit
// field (CBS_DROPDOWN, and CBS_SIMPLE treated alike), sorted (CBS_SORT) or not.
//
// Sorted order: items compare code point by code point with the ASCII letters
// folded to upper case (ordinal, ignoring case); a new item goes after every
// item that compares equal to it, so items that differ only in case stay in
// the order they were added. Texts of numbers sort as texts: "1450" before
// "960".
//
// The displayed text: a drop-down list shows its selected item, or nothing;
// a drop-down shows its edit field, which follows the selection whenever the
// selection is set (SetCurSel, SelectString, the user's choice) and can also
// be set on its own (SetWindowText, the user's typing), leaving the selection
// as it is.
#pragma once

#include "wnd.h"

class CComboBox : public CWnd {
  DECLARE_DYNAMIC(CComboBox)
 public:
  CComboBox() = default;
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

  // The index of the new item: in sorted order for CBS_SORT, else at the end.
  int AddString(LPCTSTR lpszString);
  // At nIndex (-1: at the end), never sorted. CB_ERR when nIndex is past the end.
  int InsertString(int nIndex, LPCTSTR lpszString);
  // The number of items left, or CB_ERR for a bad index.
  int DeleteString(UINT nIndex);
  void ResetContent();
  int GetCount() const;

  int GetCurSel() const;
  // Selects item nSelect; -1 or a bad index clears the selection (and a bad
  // index returns CB_ERR). The edit field of a drop-down shows the item.
  int SetCurSel(int nSelect);

  // Empty text and CB_ERR for a bad index.
  int GetLBText(int nIndex, LPTSTR lpszText) const;
  void GetLBText(int nIndex, CString& rString) const;
  int GetLBTextLen(int nIndex) const;

  // Searches start after nIndexStart (-1: from the start) and wrap around;
  // both ignore case. FindString matches a prefix, FindStringExact the whole text.
  int FindString(int nStartAfter, LPCTSTR lpszString) const;
  int FindStringExact(int nIndexStart, LPCTSTR lpszFind) const;
  // Selects the first item found as FindString finds it; CB_ERR (selection
  // unchanged) when there is none.
  int SelectString(int nStartAfter, LPCTSTR lpszString);

  DWORD_PTR GetItemData(int nIndex) const;
  int SetItemData(int nIndex, DWORD_PTR dwItemData);
  BOOL LimitText(int nMaxChars);
  BOOL SetEditSel(int nStartChar, int nEndChar);
  void ShowDropDown(BOOL bShowIt = TRUE);
  BOOL GetDroppedState() const;

 private:
  bool m_dropped = false;
};

namespace winplat {

// The combo box operations on a window record, for callers that hold an HWND.
int comboSetCurSel(HWND h, int nSelect);
// AddString on a record: sorted for CBS_SORT, else at the end. Returns the index.
int comboAddString(HWND h, const std::wstring& text);
// The index at which a sorted combo box puts text (see the file comment).
int comboSortedIndex(const HWND__& w, const std::wstring& text);
// Ordinal comparison with ASCII letters folded to upper case: <0, 0, >0.
int compareNoCaseOrdinal(const std::wstring& a, const std::wstring& b);
// FindString (exact false) and FindStringExact (exact true) on a record.
int comboFindString(const HWND__& w, int startAfter, const std::wstring& text, bool exact);
// The first item whose text is exactly text (case-sensitive), or -1.
int comboFindCaseSensitive(const HWND__& w, const std::wstring& text);

}  // namespace winplat
