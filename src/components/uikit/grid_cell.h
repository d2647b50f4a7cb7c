// Cells of the grid control: CCellID (a cell's row and column), the cell base
// class CGridCellBase and the plain text cell CGridCell.
//
// A cell holds its text, a user data word, a state and a format; the grid
// owns its cells and changes a cell's class with CGridCtrl::SetCellType, which
// keeps the text and data. Cell classes are chosen at run time by their
// CRuntimeClass, so each creatable class declares DECLARE_DYNCREATE.
#pragma once

#include "base/containers.h"
#include "base/cstring.h"
#include "base/windef.h"
#include "win/afx_object.h"

class CGridCtrl;

// A cell's position; -1 and -1 stands for no cell.
class CCellID {
 public:
  int row;
  int col;
  explicit CCellID(int nRow = -1, int nCol = -1) : row(nRow), col(nCol) {}
  int IsValid() const { return row >= 0 && col >= 0; }
  friend bool operator==(const CCellID& a, const CCellID& b) {
    return a.row == b.row && a.col == b.col;
  }
  friend bool operator!=(const CCellID& a, const CCellID& b) { return !(a == b); }
};

// Cell states.
constexpr DWORD GVIS_FOCUSED = 0x0001;
constexpr DWORD GVIS_SELECTED = 0x0002;
constexpr DWORD GVIS_DROPHILITED = 0x0004;
constexpr DWORD GVIS_READONLY = 0x0008;
constexpr DWORD GVIS_FIXED = 0x0010;
constexpr DWORD GVIS_FIXEDROW = 0x0020;
constexpr DWORD GVIS_FIXEDCOL = 0x0040;
constexpr DWORD GVIS_MODIFIED = 0x0080;

class CGridCellBase : public CObject {
  DECLARE_DYNAMIC(CGridCellBase)
 public:
  CGridCellBase() = default;
  ~CGridCellBase() override = default;

  virtual void SetText(LPCTSTR szText) { m_strText = szText ? szText : L""; }
  virtual LPCTSTR GetText() const { return m_strText; }
  virtual void SetData(LPARAM lParam) { m_lParam = lParam; }
  virtual LPARAM GetData() const { return m_lParam; }
  virtual void SetState(DWORD nState) { m_nState = nState; }
  virtual DWORD GetState() const { return m_nState; }
  virtual void SetFormat(DWORD nFormat) { m_nFormat = nFormat; }
  virtual DWORD GetFormat() const { return m_nFormat; }
  virtual void SetGrid(CGridCtrl* pGrid) { m_pGrid = pGrid; }
  virtual CGridCtrl* GetGrid() const { return m_pGrid; }

  // Combo cells offer a list of choices; plain cells none.
  virtual BOOL IsComboCell() const { return FALSE; }
  virtual void GetComboChoices(CStringArray& choices) const { choices.RemoveAll(); }
  // TRUE for a combo cell that takes only one of its choices (a drop-down list).
  virtual BOOL TakesChoicesOnly() const { return FALSE; }

  // Copies text, data, state and format from another cell.
  virtual void operator=(const CGridCellBase& cell);
  // Copies what a cell class adds to a cell's set-up (buttons, choices,
  // styles) from a cell of the same class, and nothing of text, data, state
  // or format: the grid makes cells from a pattern with it
  // (CGridCtrl::SetCellPattern). A class with set-up of its own overrides it.
  virtual void CopySetUp(const CGridCellBase& /*pattern*/) {}

 private:
  CString m_strText;
  LPARAM m_lParam = 0;
  DWORD m_nState = 0;
  DWORD m_nFormat = 0;
  CGridCtrl* m_pGrid = nullptr;
};

// The plain text cell, the grid's default cell type.
class CGridCell : public CGridCellBase {
  DECLARE_DYNCREATE(CGridCell)
 public:
  CGridCell() = default;
};
