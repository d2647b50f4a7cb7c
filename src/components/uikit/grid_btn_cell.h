// Button cells of the grid: cells that carry small buttons at an edge, and
// the combo cell whose drop-down button offers a list of choices and puts the
// chosen one into the cell's text.
//
// CBtnDataBase is the button data that the cells of one grid share; the
// dialog owns it and binds each button cell to it (SetBtnDataBase). A cell
// describes each of its buttons with SetupBtns: image, frame-control type and
// state (DFC_/DFCS_ values), alignment, width, radio-group membership, text.
// A combo cell's choices and style are its own; the grid offers the choices
// to the front end through its grid model (kind Combo), and a pick puts the
// chosen text into the cell and raises the end-of-edit notification. A cell
// made a combo cell again (SetCellType) keeps its text but starts without
// buttons, choices or style of its own: the caller sets it up from scratch.
#pragma once

#include <memory>

#include <vector>

#include "uikit/grid_cell.h"
#include "win/winuser.h"

class CBtnDataBase {
 public:
  CBtnDataBase() = default;
  virtual ~CBtnDataBase() = default;
  void SetGrid(CGridCtrl* pGrid) { m_pGrid = pGrid; }
  CGridCtrl* GetGrid() const { return m_pGrid; }
  // Button cells bound to this data, counted by SetBtnDataBase.
  int GetBoundCellCount() const { return m_boundCells; }
  void NoteBound() { ++m_boundCells; }

 private:
  CGridCtrl* m_pGrid = nullptr;
  int m_boundCells = 0;
};

class CGridBtnCellBase : public CGridCell {
  DECLARE_DYNCREATE(CGridBtnCellBase)
 public:
  // Button alignment in the cell.
  enum CTL_ALIGN { CTL_ALIGN_CENTER = 0, CTL_ALIGN_LEFT = 1, CTL_ALIGN_RIGHT = 2 };

  struct Button {
    int imageIndex = -1;
    UINT drawCtl = 0;       // DFC_ type
    UINT drawCtlState = 0;  // DFCS_ state
    int align = CTL_ALIGN_RIGHT;
    int width = 0;
    BOOL isRadioGroupMember = FALSE;
    CString text;
  };

  CGridBtnCellBase() = default;

  void SetBtnDataBase(CBtnDataBase* pBtnDataBase);
  CBtnDataBase* GetBtnDataBase() const { return m_pBtnDataBase; }

  // Describes the cell's first button; the second form describes button iWhich
  // (0 for the first) and adds buttons up to it. FALSE for a negative index.
  BOOL SetupBtns(int iImage, UINT nDrawCtl, UINT nDrawCtlState, int iAlign, int iWidth,
                 BOOL bIsMbrRadioGrp, LPCTSTR strText);
  BOOL SetupBtns(int iWhich, int iImage, UINT nDrawCtl, UINT nDrawCtlState, int iAlign, int iWidth,
                 BOOL bIsMbrRadioGrp, LPCTSTR strText);
  int GetButtonCount() const { return static_cast<int>(m_buttons.size()); }
  // Null for a button that was not set up.
  const Button* GetButton(int iWhich) const;

  void operator=(const CGridCellBase& cell) override;
  // The buttons, and the button data (a cell made so counts as bound to it).
  void CopySetUp(const CGridCellBase& pattern) override;

 private:
  CBtnDataBase* m_pBtnDataBase = nullptr;
  std::vector<Button> m_buttons;
};

class CGridBtnCell : public CGridBtnCellBase {
  DECLARE_DYNCREATE(CGridBtnCell)
 public:
  CGridBtnCell() = default;
};

class CGridBtnCellCombo : public CGridBtnCell {
  DECLARE_DYNCREATE(CGridBtnCellCombo)
 public:
  CGridBtnCellCombo() = default;

  // CBS_DROPDOWNLIST (the choices only) or CBS_DROPDOWN (free text too).
  virtual void SetComboStyle(DWORD dwStyle) { m_dwComboStyle = dwStyle; }
  virtual DWORD GetComboStyle() const { return m_dwComboStyle; }
  virtual void SetComboString(const CStringArray& ar);
  virtual const CStringArray& GetComboString() const { return *m_choices; }
  // Whether the text is sized to the cell when drawn; kept for the front end.
  virtual void SetAutoSizeText(BOOL bAutoSize) { m_bAutoSizeText = bAutoSize; }
  virtual BOOL GetAutoSizeText() const { return m_bAutoSizeText; }

  BOOL IsComboCell() const override { return TRUE; }
  void GetComboChoices(CStringArray& choices) const override { choices.Copy(*m_choices); }
  // A drop-down list (CBS_DROPDOWNLIST) takes only its choices; a drop-down
  // combo (CBS_DROPDOWN, CBS_SIMPLE) any text.
  BOOL TakesChoicesOnly() const override;
  void operator=(const CGridCellBase& cell) override;
  // The buttons, style, choices (shared, not copied) and text sizing.
  void CopySetUp(const CGridCellBase& pattern) override;

 private:
  DWORD m_dwComboStyle = CBS_DROPDOWNLIST;
  // Never changed once made, so cells given the same texts share one list:
  // an editor gives each of its 10,000 rows the same 40 series.
  std::shared_ptr<const CStringArray> m_choices = NoChoices();
  static std::shared_ptr<const CStringArray> NoChoices();
  BOOL m_bAutoSizeText = FALSE;
};
