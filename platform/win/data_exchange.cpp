// Dialog data exchange: the DDX_ and DDV_ functions.
#include "data_exchange.h"

#include <cerrno>
#include <cmath>
#include <cwchar>
#include <limits>
#include <stdexcept>

#include "base/exception.h"
#include "combo_box.h"
#include "controls.h"
#include "message_box.h"

namespace {

// The framework's prompts.
constexpr const wchar_t* kParseReal = L"请输入一个数字。";
constexpr const wchar_t* kParseInt = L"请输入一个整数。";
constexpr const wchar_t* kParseUInt = L"请输入一个正整数。";

void skipBlanks(const wchar_t*& p) {
  while (*p == L' ' || *p == L'\t') ++p;
}

// A decimal number as the framework's parser reads one: blanks, an optional
// sign, digits with an optional point and exponent, blanks. As there, a
// value of zero counts only when the text starts with '0' (so ".0" and "-0"
// are refused), and hexadecimal, "inf" and "nan" are not numbers.
bool parseReal(const std::wstring& text, double& value) {
  const wchar_t* p = text.c_str();
  skipBlanks(p);
  const wchar_t first = *p;
  const wchar_t* q = p;
  if (*q == L'+' || *q == L'-') ++q;
  bool digits = false;
  while (*q >= L'0' && *q <= L'9') ++q, digits = true;
  if (*q == L'.') {
    ++q;
    while (*q >= L'0' && *q <= L'9') ++q, digits = true;
  }
  if (!digits) return false;
  if (*q == L'e' || *q == L'E') {
    const wchar_t* e = q + 1;
    if (*e == L'+' || *e == L'-') ++e;
    if (*e >= L'0' && *e <= L'9') {
      while (*e >= L'0' && *e <= L'9') ++e;
      q = e;
    }
  }
  const std::wstring number(p, q);
  errno = 0;
  value = std::wcstod(number.c_str(), nullptr);
  if (!std::isfinite(value)) return false;
  if (value == 0.0 && first != L'0') return false;
  skipBlanks(q);
  return *q == 0;
}

// A decimal integer: blanks, optional sign, digits, blanks; within [lo, hi].
bool parseInteger(const std::wstring& text, long long lo, long long hi, long long& value) {
  const wchar_t* p = text.c_str();
  skipBlanks(p);
  bool negative = false;
  if (*p == L'+' || *p == L'-') negative = *p++ == L'-';
  if (!(*p >= L'0' && *p <= L'9')) return false;
  long long v = 0;
  while (*p >= L'0' && *p <= L'9') {
    v = v * 10 + (*p++ - L'0');
    if (v > (1LL << 40)) return false;
  }
  skipBlanks(p);
  if (*p != 0) return false;
  v = negative ? -v : v;
  if (v < lo || v > hi) return false;
  value = v;
  return true;
}

// Sets a control's text only when it differs, as the framework does, so that
// an unchanged control sees no change.
void setTextIfChanged(HWND h, const std::wstring& text) {
  CWnd* w = CWnd::FromHandle(h);
  CString old;
  w->GetWindowText(old);
  if (old.str() != text) w->SetWindowText(text.c_str());
}

std::wstring controlText(HWND h) { return winplat::windowText(*h); }

std::wstring formatGeneral(double value, int digits) {
  wchar_t buf[64];
  std::swprintf(buf, 64, L"%.*g", digits, value);
  return buf;
}

void exchangeInteger(CDataExchange* pDX, int nIDC, long long& value, long long lo, long long hi,
                     const wchar_t* prompt) {
  HWND h = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    long long v = 0;
    if (!parseInteger(controlText(h), lo, hi, v)) {
      AfxMessageBox(prompt, MB_OK | MB_ICONEXCLAMATION);
      pDX->Fail();
    }
    value = v;
  } else {
    setTextIfChanged(h, std::to_wstring(value));
  }
}

}  // namespace

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

HWND CDataExchange::PrepareCtrl(int nIDC) {
  HWND h = m_pDlgWnd ? winplat::findChild(m_pDlgWnd->m_hWnd, nIDC) : nullptr;
  if (!h) {
    const int dialog = m_pDlgWnd && m_pDlgWnd->m_hWnd ? m_pDlgWnd->m_hWnd->id : 0;
    throw std::logic_error("data exchange: the window has no control " + std::to_string(nIDC) +
                           (dialog ? " (window id " + std::to_string(dialog) + ")" : ""));
  }
  m_idLastControl = static_cast<UINT>(nIDC);
  m_bEditLastControl = FALSE;
  return h;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
  HWND h = PrepareCtrl(nIDC);
  m_bEditLastControl = TRUE;
  return h;
}

void CDataExchange::Fail() {
  if (m_bSaveAndValidate && m_pDlgWnd) {
    if (CWnd* last = m_pDlgWnd->GetDlgItem(static_cast<int>(m_idLastControl))) last->SetFocus();
  }
  AfxThrowUserException();
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (rControl.m_hWnd) return;
  HWND h = pDX->PrepareCtrl(nIDC);
  if (!rControl.SubclassWindow(h)) {
    throw std::logic_error("DDX_Control: control " + std::to_string(nIDC) +
                           " is already bound to another object");
  }
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
  HWND h = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    value = CString(controlText(h));
  } else {
    setTextIfChanged(h, value.str());
  }
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
  long long v = value;
  exchangeInteger(pDX, nIDC, v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(),
                  kParseInt);
  value = static_cast<int>(v);
}

void DDX_Text(CDataExchange* pDX, int nIDC, long& value) {
  long long v = value;
  exchangeInteger(pDX, nIDC, v, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max(),
                  kParseInt);
  value = static_cast<long>(v);
}

void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) {
  long long v = value;
  exchangeInteger(pDX, nIDC, v, 0, std::numeric_limits<UINT>::max(), kParseUInt);
  value = static_cast<UINT>(v);
}

void DDX_Text(CDataExchange* pDX, int nIDC, double& value) {
  HWND h = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    double v = 0;
    if (!parseReal(controlText(h), v)) {
      AfxMessageBox(kParseReal, MB_OK | MB_ICONEXCLAMATION);
      pDX->Fail();
    }
    value = v;
  } else {
    setTextIfChanged(h, formatGeneral(value, 15));
  }
}

void DDX_Text(CDataExchange* pDX, int nIDC, float& value) {
  HWND h = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    double v = 0;
    if (!parseReal(controlText(h), v) || std::fabs(v) > std::numeric_limits<float>::max()) {
      AfxMessageBox(kParseReal, MB_OK | MB_ICONEXCLAMATION);
      pDX->Fail();
    }
    value = static_cast<float>(v);
  } else {
    setTextIfChanged(h, formatGeneral(value, 6));
  }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    value = h->check;
  } else {
    h->check = (value >= 0 && value <= 2) ? value : BST_UNCHECKED;
    winplat::noteStateChange();
  }
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
  HWND first = pDX->PrepareCtrl(nIDC);
  if (winplat::controlKind(*first) != "radio") {
    throw std::logic_error("DDX_Radio: control " + std::to_string(nIDC) + " is not a radio button");
  }
  if (pDX->m_bSaveAndValidate) value = -1;
  int index = 0;
  // The group runs from the given button to the next sibling with WS_GROUP,
  // as the framework walks it.
  const auto& siblings = first->parent->children;
  std::size_t i = 0;
  while (siblings[i].get() != first) ++i;
  for (; i < siblings.size(); ++i) {
    HWND h = siblings[i].get();
    if (h != first && (h->style & WS_GROUP)) break;
    if (winplat::controlKind(*h) != "radio") continue;
    if (pDX->m_bSaveAndValidate) {
      if (h->check == BST_CHECKED) value = index;
    } else {
      h->check = index == value ? BST_CHECKED : BST_UNCHECKED;
    }
    ++index;
  }
  winplat::noteStateChange();
}

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    value = CString(controlText(h));
    return;
  }
  const int i = winplat::comboFindString(*h, -1, value.str(), false);
  if (i != CB_ERR) {
    winplat::comboSetCurSel(h, i);
  } else if (winplat::isComboWithEdit(*h)) {
    setTextIfChanged(h, value.str());
  }
}

void DDX_CBStringExact(CDataExchange* pDX, int nIDC, CString& value) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    value = CString(controlText(h));
    return;
  }
  const int i = winplat::comboFindString(*h, -1, value.str(), true);
  if (i != CB_ERR) {
    winplat::comboSetCurSel(h, i);
  } else if (winplat::isComboWithEdit(*h)) {
    setTextIfChanged(h, value.str());
  }
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    index = h->curSel;
  } else {
    winplat::comboSetCurSel(h, index);
  }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
  if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
  CString prompt;
  prompt.Format(L"请输入一个介于 %d 和 %d 之间的整数。", minVal, maxVal);
  AfxMessageBox(prompt, MB_OK | MB_ICONEXCLAMATION);
  pDX->Fail();
}

void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double minVal, double maxVal) {
  if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
  CString prompt;
  prompt.Format(L"请输入一个介于 %s 和 %s 之间的数字。", formatGeneral(minVal, 15),
                formatGeneral(maxVal, 15));
  AfxMessageBox(prompt, MB_OK | MB_ICONEXCLAMATION);
  pDX->Fail();
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
  if (!pDX->m_bSaveAndValidate || value.GetLength() <= nChars) return;
  CString prompt;
  prompt.Format(L"请输入不超过 %d 个字符。", nChars);
  AfxMessageBox(prompt, MB_OK | MB_ICONEXCLAMATION);
  pDX->Fail();
}
