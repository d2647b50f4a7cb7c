// Button cells and the combo cell.
#include "uikit/grid_btn_cell.h"

#include <mutex>
#include <vector>

IMPLEMENT_DYNCREATE(CGridBtnCellBase, CGridCell)
IMPLEMENT_DYNCREATE(CGridBtnCell, CGridBtnCellBase)
IMPLEMENT_DYNCREATE(CGridBtnCellCombo, CGridBtnCell)

void CGridBtnCellBase::SetBtnDataBase(CBtnDataBase* pBtnDataBase) {
  m_pBtnDataBase = pBtnDataBase;
  if (pBtnDataBase) pBtnDataBase->NoteBound();
}

BOOL CGridBtnCellBase::SetupBtns(int iImage, UINT nDrawCtl, UINT nDrawCtlState, int iAlign,
                                 int iWidth, BOOL bIsMbrRadioGrp, LPCTSTR strText) {
  return SetupBtns(0, iImage, nDrawCtl, nDrawCtlState, iAlign, iWidth, bIsMbrRadioGrp, strText);
}

BOOL CGridBtnCellBase::SetupBtns(int iWhich, int iImage, UINT nDrawCtl, UINT nDrawCtlState,
                                 int iAlign, int iWidth, BOOL bIsMbrRadioGrp, LPCTSTR strText) {
  if (iWhich < 0) return FALSE;
  if (static_cast<int>(m_buttons.size()) <= iWhich) {
    m_buttons.resize(static_cast<std::size_t>(iWhich) + 1);
  }
  Button& b = m_buttons[static_cast<std::size_t>(iWhich)];
  b.imageIndex = iImage;
  b.drawCtl = nDrawCtl;
  b.drawCtlState = nDrawCtlState;
  b.align = iAlign;
  b.width = iWidth;
  b.isRadioGroupMember = bIsMbrRadioGrp;
  b.text = strText ? strText : L"";
  return TRUE;
}

const CGridBtnCellBase::Button* CGridBtnCellBase::GetButton(int iWhich) const {
  if (iWhich < 0 || iWhich >= GetButtonCount()) return nullptr;
  return &m_buttons[static_cast<std::size_t>(iWhich)];
}

// A cell made a button cell again starts with no buttons of its own: only the
// text, data, state and format of the cell it replaces are kept.
void CGridBtnCellBase::operator=(const CGridCellBase& cell) { CGridCellBase::operator=(cell); }

void CGridBtnCellCombo::operator=(const CGridCellBase& cell) { CGridBtnCellBase::operator=(cell); }

void CGridBtnCellBase::CopySetUp(const CGridCellBase& pattern) {
  const auto* from = dynamic_cast<const CGridBtnCellBase*>(&pattern);
  if (!from || from == this) return;
  m_buttons = from->m_buttons;
  SetBtnDataBase(from->m_pBtnDataBase);
}

void CGridBtnCellCombo::CopySetUp(const CGridCellBase& pattern) {
  CGridBtnCellBase::CopySetUp(pattern);
  const auto* from = dynamic_cast<const CGridBtnCellCombo*>(&pattern);
  if (!from || from == this) return;
  m_dwComboStyle = from->m_dwComboStyle;
  m_choices = from->m_choices;
  m_bAutoSizeText = from->m_bAutoSizeText;
}

std::shared_ptr<const CStringArray> CGridBtnCellCombo::NoChoices() {
  static const auto none = std::make_shared<const CStringArray>();
  return none;
}

void CGridBtnCellCombo::SetComboString(const CStringArray& ar) {
  // The lists last made, taken again for the same texts: a row's cells take
  // turns (its series, then its series' drive modes), so a few are kept.
  static std::mutex mutex;
  static std::vector<std::shared_ptr<const CStringArray>> recent;
  const std::lock_guard lock(mutex);
  const auto sameTexts = [&ar](const CStringArray& list) {
    if (list.GetSize() != ar.GetSize()) return false;
    for (INT_PTR i = 0; i < ar.GetSize(); ++i) {
      if (list[i] != ar[i]) return false;
    }
    return true;
  };
  for (const auto& list : recent) {
    if (sameTexts(*list)) {
      m_choices = list;
      return;
    }
  }
  auto copy = std::make_shared<CStringArray>();
  copy->Copy(ar);
  constexpr std::size_t kRecentLists = 8;
  if (recent.size() == kRecentLists) recent.pop_back();
  recent.insert(recent.begin(), copy);
  m_choices = std::move(copy);
}

BOOL CGridBtnCellCombo::TakesChoicesOnly() const {
  // The low two bits of a combo style are its type: CBS_SIMPLE, CBS_DROPDOWN
  // or CBS_DROPDOWNLIST; the rest are flags such as CBS_SORT.
  constexpr DWORD kComboTypeMask = 0x3;
  return (m_dwComboStyle & kComboTypeMask) == CBS_DROPDOWNLIST;
}
