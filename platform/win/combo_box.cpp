// CComboBox: items, selection and the displayed text.
#include "combo_box.h"

#include <cwchar>

IMPLEMENT_DYNAMIC(CComboBox, CWnd)

namespace winplat {

namespace {

wchar_t foldUpper(wchar_t c) {
  return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool startsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
  if (prefix.size() > text.size()) return false;
  return compareNoCaseOrdinal(text.substr(0, prefix.size()), prefix) == 0;
}

bool validIndex(const HWND__& w, int i) { return i >= 0 && i < static_cast<int>(w.items.size()); }

// Searches the items after start (-1: from the first), wrapping around.
template <class Match>
int searchItems(const HWND__& w, int start, Match match) {
  const int n = static_cast<int>(w.items.size());
  if (n == 0) return CB_ERR;
  const int first = validIndex(w, start) ? start + 1 : 0;
  for (int k = 0; k < n; ++k) {
    const int i = (first + k) % n;
    if (match(w.items[static_cast<std::size_t>(i)])) return i;
  }
  return CB_ERR;
}

void insertItem(HWND h, int index, const std::wstring& text) {
  h->items.insert(h->items.begin() + index, text);
  h->itemData.insert(h->itemData.begin() + index, 0);
  if (h->curSel >= index) ++h->curSel;
  noteStateChange();
}

}  // namespace

int compareNoCaseOrdinal(const std::wstring& a, const std::wstring& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const wchar_t x = foldUpper(a[i]);
    const wchar_t y = foldUpper(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int comboSortedIndex(const HWND__& w, const std::wstring& text) {
  int index = static_cast<int>(w.items.size());
  while (index > 0 &&
         compareNoCaseOrdinal(w.items[static_cast<std::size_t>(index - 1)], text) > 0) {
    --index;
  }
  return index;
}

int comboFindCaseSensitive(const HWND__& w, const std::wstring& text) {
  for (std::size_t i = 0; i < w.items.size(); ++i) {
    if (w.items[i] == text) return static_cast<int>(i);
  }
  return -1;
}

int comboFindString(const HWND__& w, int startAfter, const std::wstring& text, bool exact) {
  return searchItems(w, startAfter, [&](const std::wstring& item) {
    return exact ? compareNoCaseOrdinal(item, text) == 0 : startsWithNoCase(item, text);
  });
}

int comboSetCurSel(HWND h, int nSelect) {
  if (!isWindow(h)) return CB_ERR;
  const bool valid = validIndex(*h, nSelect);
  h->curSel = valid ? nSelect : -1;
  if (isComboWithEdit(*h)) h->text = valid ? h->items[static_cast<std::size_t>(nSelect)] : L"";
  noteStateChange();
  return valid ? nSelect : CB_ERR;
}

int comboAddString(HWND h, const std::wstring& text) {
  if (!isWindow(h)) return CB_ERR;
  const int index =
      (h->style & CBS_SORT) ? comboSortedIndex(*h, text) : static_cast<int>(h->items.size());
  insertItem(h, index, text);
  return index;
}

}  // namespace winplat

BOOL CComboBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CWnd::Create(L"COMBOBOX", L"", dwStyle, rect, pParentWnd, nID);
}

int CComboBox::AddString(LPCTSTR lpszString) {
  return winplat::comboAddString(m_hWnd, lpszString ? lpszString : L"");
}

int CComboBox::InsertString(int nIndex, LPCTSTR lpszString) {
  if (!m_hWnd) return CB_ERR;
  const int count = static_cast<int>(m_hWnd->items.size());
  if (nIndex < 0) nIndex = count;
  if (nIndex > count) return CB_ERR;
  winplat::insertItem(m_hWnd, nIndex, lpszString ? lpszString : L"");
  return nIndex;
}

int CComboBox::DeleteString(UINT nIndex) {
  if (!m_hWnd || !winplat::validIndex(*m_hWnd, static_cast<int>(nIndex))) return CB_ERR;
  const int i = static_cast<int>(nIndex);
  m_hWnd->items.erase(m_hWnd->items.begin() + i);
  m_hWnd->itemData.erase(m_hWnd->itemData.begin() + i);
  if (m_hWnd->curSel == i) {
    m_hWnd->curSel = -1;
  } else if (m_hWnd->curSel > i) {
    --m_hWnd->curSel;
  }
  winplat::noteStateChange();
  return static_cast<int>(m_hWnd->items.size());
}

void CComboBox::ResetContent() {
  if (!m_hWnd) return;
  m_hWnd->items.clear();
  m_hWnd->itemData.clear();
  m_hWnd->curSel = -1;
  // The edit field of a drop-down is emptied with the list.
  if (winplat::isComboWithEdit(*m_hWnd)) m_hWnd->text.clear();
  winplat::noteStateChange();
}

int CComboBox::GetCount() const { return m_hWnd ? static_cast<int>(m_hWnd->items.size()) : 0; }

int CComboBox::GetCurSel() const { return m_hWnd ? m_hWnd->curSel : CB_ERR; }

int CComboBox::SetCurSel(int nSelect) { return winplat::comboSetCurSel(m_hWnd, nSelect); }

int CComboBox::GetLBText(int nIndex, LPTSTR lpszText) const {
  if (!m_hWnd || !winplat::validIndex(*m_hWnd, nIndex)) {
    if (lpszText) *lpszText = 0;
    return CB_ERR;
  }
  const std::wstring& item = m_hWnd->items[static_cast<std::size_t>(nIndex)];
  if (lpszText) {
    std::wmemcpy(lpszText, item.c_str(), item.size() + 1);
  }
  return static_cast<int>(item.size());
}

void CComboBox::GetLBText(int nIndex, CString& rString) const {
  if (!m_hWnd || !winplat::validIndex(*m_hWnd, nIndex)) {
    rString.Empty();
    return;
  }
  rString = CString(m_hWnd->items[static_cast<std::size_t>(nIndex)]);
}

int CComboBox::GetLBTextLen(int nIndex) const {
  if (!m_hWnd || !winplat::validIndex(*m_hWnd, nIndex)) return CB_ERR;
  return static_cast<int>(m_hWnd->items[static_cast<std::size_t>(nIndex)].size());
}

int CComboBox::FindString(int nStartAfter, LPCTSTR lpszString) const {
  if (!m_hWnd) return CB_ERR;
  return winplat::comboFindString(*m_hWnd, nStartAfter, lpszString ? lpszString : L"", false);
}

int CComboBox::FindStringExact(int nIndexStart, LPCTSTR lpszFind) const {
  if (!m_hWnd) return CB_ERR;
  return winplat::comboFindString(*m_hWnd, nIndexStart, lpszFind ? lpszFind : L"", true);
}

int CComboBox::SelectString(int nStartAfter, LPCTSTR lpszString) {
  const int i = FindString(nStartAfter, lpszString);
  if (i == CB_ERR) return CB_ERR;
  return SetCurSel(i);
}

DWORD_PTR CComboBox::GetItemData(int nIndex) const {
  if (!m_hWnd || !winplat::validIndex(*m_hWnd, nIndex)) return static_cast<DWORD_PTR>(CB_ERR);
  return m_hWnd->itemData[static_cast<std::size_t>(nIndex)];
}

int CComboBox::SetItemData(int nIndex, DWORD_PTR dwItemData) {
  if (!m_hWnd || !winplat::validIndex(*m_hWnd, nIndex)) return CB_ERR;
  m_hWnd->itemData[static_cast<std::size_t>(nIndex)] = dwItemData;
  return CB_OKAY;
}

BOOL CComboBox::LimitText(int nMaxChars) {
  if (!m_hWnd || !winplat::isComboWithEdit(*m_hWnd)) return FALSE;
  m_hWnd->textLimit = nMaxChars;
  return TRUE;
}

BOOL CComboBox::SetEditSel(int /*nStartChar*/, int /*nEndChar*/) {
  return m_hWnd && winplat::isComboWithEdit(*m_hWnd) ? TRUE : FALSE;
}

void CComboBox::ShowDropDown(BOOL bShowIt) { m_dropped = bShowIt != FALSE; }

BOOL CComboBox::GetDroppedState() const { return m_dropped ? TRUE : FALSE; }
