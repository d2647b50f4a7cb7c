// CGridCtrl: the grid control of the UI component library, a child window of a
// dialog with rows and columns of text cells, fixed rows at the top and fixed
// columns at the left.
//
// Invariants: 0 <= fixed rows <= rows, 0 <= fixed columns <= columns; every
// cell (row, col) inside the counts exists and is owned by the grid; the focus
// cell is either (-1, -1) or a cell inside the counts. Growing the row or
// column count adds empty cells at the end; shrinking it deletes the cells
// beyond (and the focus when it was there).
//
// Notifications go to the parent as WM_NOTIFY with the grid's id and an
// NM_GRIDVIEW carrying the cell's row and column: NM_CLICK after a click (row
// and column -1 for a click outside the cells) and GVN_ENDLABELEDIT after an
// in-place edit has changed a cell's text (a handler that sets a negative
// result refuses the edit and the old text comes back). An edit that ends
// with the text the cell already had moves the focus and sends nothing.
//
// Cells are made when first asked for (GetCell, or a change to their data,
// state or format): a plain cell of the default class CGridCell, or a cell
// given a pattern (SetCellPattern), is until then its text alone, and reads
// (GetItemText, the grid model's cell functions) exactly as the made cell
// would. A grid of many rows therefore costs a text per cell when it is
// filled, not an object per cell.
//
// Rows may go further and hold no cells at all (AppendSourceRows): such a row
// is an index into a CGridRowSource, which keeps the values and gives a cell's
// text and pattern when the cell is read. Reading leaves the row as it is; the
// first change to any of its cells (text, data, state, type, pattern, GetCell)
// and any change to the columns unfold it into cells holding the source's texts
// and patterns, after which it is an ordinary row. Rows moved by insertions and
// deletions keep their index, so a row stands for the same source row wherever
// it goes. A grid of many rows shown a screenful at a time then costs a few
// bytes per row.
//
// Widths: columns start kDefaultColumnWidth wide and rows kDefaultRowHeight
// high. AutoSizeColumns sets every column to the width of its widest text
// (fixed cells included) plus a margin of kCellMargin pixels on each side,
// measuring text in the dialog font: a full-width character (CJK ideographs,
// kana, hangul, full-width forms) is kFullWidthChar pixels, any other
// character kHalfWidthChar; a cell of several lines counts its widest line.
#pragma once

#include <memory>
#include <vector>

#include "uikit/grid_cell.h"
#include "win/ui_models.h"
#include "win/wnd.h"

// The record of the grid's notifications.
struct NM_GRIDVIEW {
  NMHDR hdr;
  int iRow;
  int iColumn;
};
using LPNM_GRIDVIEW = NM_GRIDVIEW*;

constexpr UINT GVN_BEGINDRAG = LVN_BEGINDRAG;
constexpr UINT GVN_BEGINLABELEDIT = LVN_BEGINLABELEDIT;
constexpr UINT GVN_BEGINRDRAG = LVN_BEGINRDRAG;
constexpr UINT GVN_COLUMNCLICK = LVN_COLUMNCLICK;
constexpr UINT GVN_DELETEITEM = LVN_DELETEITEM;
constexpr UINT GVN_ENDLABELEDIT = LVN_ENDLABELEDIT;  // -176
constexpr UINT GVN_SELCHANGING = LVN_ITEMCHANGING;
constexpr UINT GVN_SELCHANGED = LVN_ITEMCHANGED;

// AutoSizeColumns styles.
constexpr UINT GVS_DEFAULT = 0;
constexpr UINT GVS_HEADER = 1;  // fixed cells only
constexpr UINT GVS_DATA = 2;    // non-fixed cells only
constexpr UINT GVS_BOTH = 3;

// Grid lines.
constexpr int GVL_NONE = 0;
constexpr int GVL_HORZ = 1;
constexpr int GVL_VERT = 2;
constexpr int GVL_BOTH = 3;

// The values behind rows that a grid holds as references (AppendSourceRows).
// Source rows are numbered from 0 in the order appended; a source answers for
// every row and column it was appended with, and what it answers for a cell
// must not change while the grid holds the row.
class CGridRowSource {
 public:
  virtual ~CGridRowSource() = default;
  // The cell's text, as the grid's GetItemText gives it.
  virtual CString GetText(int nSourceRow, int nCol) const = 0;
  // The cell's class and set-up, as SetCellPattern takes it; null for a plain
  // CGridCell.
  virtual std::shared_ptr<const CGridCellBase> GetPattern(int nSourceRow, int nCol) const = 0;
};

class CGridCtrl : public CWnd, public winplat::GridModel {
  DECLARE_DYNCREATE(CGridCtrl)
 public:
  static constexpr int kDefaultColumnWidth = 64;
  static constexpr int kDefaultRowHeight = 20;
  static constexpr int kCellMargin = 4;
  static constexpr int kHalfWidthChar = 6;
  static constexpr int kFullWidthChar = 12;

  explicit CGridCtrl(int nRows = 0, int nCols = 0, int nFixedRows = 0, int nFixedCols = 0);
  ~CGridCtrl() override;

  // A child window of pParentWnd with id nID over rect (the parent's client
  // coordinates); FALSE when the grid already has a window or the parent none.
  BOOL Create(const RECT& rect, CWnd* pParentWnd, UINT nID,
              DWORD dwStyle = WS_CHILD | WS_BORDER | WS_TABSTOP | WS_VISIBLE);

  // Counts. The setters return FALSE for a negative count.
  int GetRowCount() const { return static_cast<int>(m_rows.size()); }
  int GetColumnCount() const { return m_nCols; }
  int GetFixedRowCount() const { return m_nFixedRows; }
  int GetFixedColumnCount() const { return m_nFixedCols; }
  BOOL SetRowCount(int nRows = 10);
  BOOL SetColumnCount(int nCols = 10);
  BOOL SetFixedRowCount(int nFixedRows = 1);
  BOOL SetFixedColumnCount(int nFixedCols = 1);

  // Sizes in pixels; -1 / FALSE for a bad index.
  int GetRowHeight(int nRow) const;
  BOOL SetRowHeight(int nRow, int height);
  int GetColumnWidth(int nCol) const;
  BOOL SetColumnWidth(int nCol, int width);
  // Fits the columns to their texts (see the file comment).
  void AutoSizeColumns(UINT nAutoSizeStyle = GVS_DEFAULT);
  BOOL AutoSizeColumn(int nCol, UINT nAutoSizeStyle = GVS_DEFAULT);
  // The text width model used by AutoSizeColumns, in pixels.
  static int TextWidth(LPCTSTR text);

  // Cells. Outside the counts: FALSE, the empty text, null.
  BOOL SetItemText(int nRow, int nCol, LPCTSTR str);
  CString GetItemText(int nRow, int nCol) const;
  BOOL SetItemData(int nRow, int nCol, LPARAM lParam);
  LPARAM GetItemData(int nRow, int nCol) const;
  BOOL SetItemState(int nRow, int nCol, UINT state);
  UINT GetItemState(int nRow, int nCol) const;
  BOOL IsValid(int nRow, int nCol) const;
  BOOL IsValid(const CCellID& cell) const { return IsValid(cell.row, cell.col); }
  BOOL IsCellFixed(int nRow, int nCol) const;
  BOOL IsCellEditable(int nRow, int nCol) const;
  CGridCellBase* GetCell(int nRow, int nCol) const;
  // Replaces the cell by a new cell of pRuntimeClass (which must derive from
  // CGridCellBase and be creatable), keeping its text, data, state and format.
  BOOL SetCellType(int nRow, int nCol, CRuntimeClass* pRuntimeClass);
  // The class of the cells made from now on (new rows and columns).
  BOOL SetDefaultCellType(CRuntimeClass* pRuntimeClass);
  // Gives the cell pattern's class and set-up (CGridCellBase::CopySetUp:
  // buttons, choices, style), keeping its text, data, state and format: what
  // SetCellType followed by the pattern's set-up gives, but the cell is made
  // only when first asked for. Many cells may share one pattern, which must
  // not change afterwards. FALSE outside the counts or for a null pattern.
  BOOL SetCellPattern(int nRow, int nCol, std::shared_ptr<const CGridCellBase> pattern);

  // Appends nRows rows standing for rows 0..nRows-1 of source, over the
  // columns the grid has now (see the file comment). A grid has one source at
  // a time: rows of an earlier one are unfolded first. FALSE for a null
  // source or a negative count.
  BOOL AppendSourceRows(std::shared_ptr<const CGridRowSource> source, int nRows);

  // Rows and columns.
  // Removes every row and column (fixed ones and headings too).
  BOOL DeleteAllItems();
  BOOL DeleteNonFixedRows();
  // Inserts a row before nRow (-1: at the end) with strHeading in column 0
  // (a grid without columns gets one). Returns the new row's index, -1 when
  // nRow is past the end.
  int InsertRow(LPCTSTR strHeading, int nRow = -1);
  int InsertColumn(LPCTSTR strHeading, UINT nFormat = 0, int nColumn = -1);
  BOOL DeleteRow(int nRow);
  BOOL DeleteColumn(int nColumn);

  // Focus.
  CCellID GetFocusCell() const { return m_focus; }
  // A cell outside the counts clears the focus. Returns the previous focus.
  CCellID SetFocusCell(CCellID cell);
  CCellID SetFocusCell(int nRow, int nCol) { return SetFocusCell(CCellID(nRow, nCol)); }

  // Behaviour and looks: kept for the front end; editing obeys IsEditable.
  void SetEditable(BOOL bEditable = TRUE) { m_bEditable = bEditable; }
  BOOL IsEditable() const { return m_bEditable; }
  void SetListMode(BOOL bEnable = TRUE) { m_bListMode = bEnable; }
  BOOL GetListMode() const { return m_bListMode; }
  void SetSingleRowSelection(BOOL bSing = TRUE) { m_bSingleRowSelection = bSing; }
  void SetSingleColSelection(BOOL bSing = TRUE) { m_bSingleColSelection = bSing; }
  void EnableSelection(BOOL bEnable = TRUE) { m_bEnableSelection = bEnable; }
  void SetFixedRowSelection(BOOL bSelect) { m_bFixedRowSelection = bSelect; }
  void SetFixedColumnSelection(BOOL bSelect) { m_bFixedColumnSelection = bSelect; }
  void SetRowResize(BOOL bResize = TRUE) { m_bAllowRowResize = bResize; }
  void SetColumnResize(BOOL bResize = TRUE) { m_bAllowColumnResize = bResize; }
  void SetGridLines(int nWhichLines = GVL_BOTH) { m_nGridLines = nWhichLines; }
  int GetGridLines() const { return m_nGridLines; }
  void SetTextBkColor(COLORREF clr) { m_crTextBk = clr; }
  COLORREF GetTextBkColor() const { return m_crTextBk; }
  void SetBkColor(COLORREF clr) { m_crBk = clr; }
  COLORREF GetBkColor() const { return m_crBk; }
  void EnableTitleTips(BOOL bEnable = TRUE) { m_bTitleTips = bEnable; }
  void SetHeaderSort(BOOL bSortOnClick = TRUE) { m_bSortOnClick = bSortOnClick; }

  // Redraws the grid (counted: nothing is drawn in console mode).
  void Refresh();
  void EnsureVisible(int nRow, int nCol);
  void RedrawCell(int nRow, int nCol);
  unsigned long GetRefreshCount() const { return m_refreshCount; }

  // Sends a notification about a cell to the parent; returns the handler's result.
  LRESULT SendMessageToParent(int nRow, int nCol, int nMessage);

  // winplat::GridModel.
  int gridRowCount() const override { return GetRowCount(); }
  int gridColumnCount() const override { return GetColumnCount(); }
  int gridFixedRowCount() const override { return GetFixedRowCount(); }
  int gridFixedColumnCount() const override { return GetFixedColumnCount(); }
  std::wstring cellText(int row, int col) const override;
  CellKind cellKind(int row, int col) const override;
  std::vector<std::wstring> cellChoices(int row, int col) const override;
  bool cellChoicesOnly(int row, int col) const override;
  bool cellEditable(int row, int col) const override;
  int columnWidth(int col) const override { return GetColumnWidth(col); }
  int rowHeight(int row) const override { return GetRowHeight(row); }
  int focusRow() const override { return m_focus.row; }
  int focusColumn() const override { return m_focus.col; }
  void clickCell(int row, int col) override;
  bool editCell(int row, int col, const std::wstring& text) override;
  bool pickCell(int row, int col, const std::wstring& text) override;

 private:
  using CellPtr = std::unique_ptr<CGridCellBase>;
  // A cell, made or not yet: while cell is null the slot stands for a cell of
  // pattern's class and set-up (CGridCell without one) holding text, with
  // data, state and format 0; once made, cell holds all of it.
  struct Slot {
    CellPtr cell;
    CString text;
    std::shared_ptr<const CGridCellBase> pattern;
  };
  // A row of cells, or, while source is not -1, m_source's row of that
  // index with no cells yet.
  struct Row {
    std::vector<Slot> cells;
    int height = kDefaultRowHeight;
    int source = -1;
  };

  Slot NewSlot() const;
  Row NewRow() const;
  // The cell's slot, its row unfolded first; null outside the counts.
  Slot* SlotAt(int nRow, int nCol) const;
  // Null outside the counts; the row as it stands (perhaps a source row).
  const Row* RowAt(int nRow, int nCol) const;
  // Gives a source row its cells, holding the source's texts and patterns.
  void Unfold(Row& row) const;
  void UnfoldAll() const;
  // The cell's class and set-up, as SetUpOf; held keeps a source's pattern alive.
  const CGridCellBase* SetUpAt(int nRow, int nCol,
                               std::shared_ptr<const CGridCellBase>& held) const;
  // The slot's cell, made now when it was not.
  CGridCellBase* Made(Slot& slot) const;
  // The cell's class and set-up: the made cell, the pattern, or null for a plain cell.
  static const CGridCellBase* SetUpOf(const Slot& slot);
  bool EndEdit(int row, int col, const std::wstring& text);
  bool IsChoice(int row, int col, const std::wstring& text) const;

  // Mutable: reading a cell (GetCell) may make it.
  mutable std::vector<Row> m_rows;
  // The source of the rows that hold an index; null when none do.
  std::shared_ptr<const CGridRowSource> m_source;
  std::vector<int> m_colWidths;
  int m_nCols = 0;
  int m_nFixedRows = 0;
  int m_nFixedCols = 0;
  CCellID m_focus;
  CRuntimeClass* m_pDefaultCellType;
  unsigned long m_refreshCount = 0;

  BOOL m_bEditable = TRUE;
  BOOL m_bListMode = FALSE;
  BOOL m_bSingleRowSelection = FALSE;
  BOOL m_bSingleColSelection = FALSE;
  BOOL m_bEnableSelection = TRUE;
  BOOL m_bFixedRowSelection = FALSE;
  BOOL m_bFixedColumnSelection = FALSE;
  BOOL m_bAllowRowResize = TRUE;
  BOOL m_bAllowColumnResize = TRUE;
  int m_nGridLines = GVL_BOTH;
  COLORREF m_crTextBk = RGB(255, 255, 255);
  COLORREF m_crBk = RGB(255, 255, 255);
  BOOL m_bTitleTips = TRUE;
  BOOL m_bSortOnClick = FALSE;
};
