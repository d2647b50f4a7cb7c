// CGridCtrl: counts, cells, widths, rows and columns, focus and notifications.
#include "uikit/grid_ctrl.h"

#include <algorithm>
#include <cassert>

#include "base/text_width.h"

IMPLEMENT_DYNCREATE(CGridCtrl, CWnd)

CGridCtrl::CGridCtrl(int nRows, int nCols, int nFixedRows, int nFixedCols)
    : m_pDefaultCellType(RUNTIME_CLASS(CGridCell)) {
  SetRowCount(nRows);
  SetColumnCount(nCols);
  SetFixedRowCount(nFixedRows);
  SetFixedColumnCount(nFixedCols);
}

CGridCtrl::~CGridCtrl() = default;

BOOL CGridCtrl::Create(const RECT& rect, CWnd* pParentWnd, UINT nID, DWORD dwStyle) {
  if (m_hWnd || !pParentWnd || !pParentWnd->m_hWnd) return FALSE;
  return CreateEx(0, L"MFCGridCtrl", L"", dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

CGridCtrl::Slot CGridCtrl::NewSlot() const {
  Slot slot;
  // A plain cell waits to be made; a cell of another default class is made
  // now, since only a made cell can tell what that class shows.
  if (m_pDefaultCellType == RUNTIME_CLASS(CGridCell)) return slot;
  std::unique_ptr<CObject> obj(m_pDefaultCellType->CreateObject());
  slot.cell.reset(dynamic_cast<CGridCellBase*>(obj.get()));
  if (slot.cell) {
    obj.release();
  } else {
    slot.cell = std::make_unique<CGridCell>();
  }
  slot.cell->SetGrid(const_cast<CGridCtrl*>(this));
  return slot;
}

CGridCtrl::Row CGridCtrl::NewRow() const {
  Row row;
  row.cells.reserve(static_cast<std::size_t>(m_nCols));
  for (int c = 0; c < m_nCols; ++c) row.cells.push_back(NewSlot());
  return row;
}

CGridCtrl::Slot* CGridCtrl::SlotAt(int nRow, int nCol) const {
  if (!IsValid(nRow, nCol)) return nullptr;
  Row& row = m_rows[static_cast<std::size_t>(nRow)];
  Unfold(row);
  return &row.cells[static_cast<std::size_t>(nCol)];
}

const CGridCtrl::Row* CGridCtrl::RowAt(int nRow, int nCol) const {
  return IsValid(nRow, nCol) ? &m_rows[static_cast<std::size_t>(nRow)] : nullptr;
}

void CGridCtrl::Unfold(Row& row) const {
  if (row.source < 0) return;
  assert(m_source && row.cells.empty());
  row.cells.resize(static_cast<std::size_t>(m_nCols));
  for (int c = 0; c < m_nCols; ++c) {
    Slot& slot = row.cells[static_cast<std::size_t>(c)];
    slot.text = m_source->GetText(row.source, c);
    slot.pattern = m_source->GetPattern(row.source, c);
  }
  row.source = -1;
}

void CGridCtrl::UnfoldAll() const {
  if (!m_source) return;
  for (Row& row : m_rows) Unfold(row);
}

const CGridCellBase* CGridCtrl::SetUpAt(int nRow, int nCol,
                                        std::shared_ptr<const CGridCellBase>& held) const {
  const Row* row = RowAt(nRow, nCol);
  if (!row) return nullptr;
  if (row->source >= 0) {
    held = m_source->GetPattern(row->source, nCol);
    return held.get();
  }
  return SetUpOf(row->cells[static_cast<std::size_t>(nCol)]);
}

CGridCellBase* CGridCtrl::Made(Slot& slot) const {
  if (slot.cell) return slot.cell.get();
  CellPtr cell;
  if (slot.pattern) {
    std::unique_ptr<CObject> obj(slot.pattern->GetRuntimeClass()->CreateObject());
    cell.reset(dynamic_cast<CGridCellBase*>(obj.get()));
    // SetCellPattern took only creatable cell classes.
    assert(cell);
    obj.release();
    cell->CopySetUp(*slot.pattern);
  } else {
    cell = std::make_unique<CGridCell>();
  }
  cell->SetText(slot.text);
  cell->SetGrid(const_cast<CGridCtrl*>(this));
  slot.text.Empty();
  slot.pattern.reset();
  slot.cell = std::move(cell);
  return slot.cell.get();
}

const CGridCellBase* CGridCtrl::SetUpOf(const Slot& slot) {
  return slot.cell ? slot.cell.get() : slot.pattern.get();
}

BOOL CGridCtrl::SetRowCount(int nRows) {
  if (nRows < 0) return FALSE;
  const auto n = static_cast<std::size_t>(nRows);
  if (n < m_rows.size()) {
    m_rows.erase(m_rows.begin() + nRows, m_rows.end());
  } else {
    while (m_rows.size() < n) m_rows.push_back(NewRow());
  }
  m_nFixedRows = std::min(m_nFixedRows, nRows);
  if (!IsValid(m_focus)) m_focus = CCellID();
  modelChanged();
  return TRUE;
}

BOOL CGridCtrl::SetColumnCount(int nCols) {
  if (nCols < 0) return FALSE;
  // A source answers only for the columns its rows were appended with.
  UnfoldAll();
  const auto n = static_cast<std::size_t>(nCols);
  for (Row& row : m_rows) {
    if (n < row.cells.size()) {
      row.cells.erase(row.cells.begin() + nCols, row.cells.end());
    } else {
      while (row.cells.size() < n) row.cells.push_back(NewSlot());
    }
  }
  m_colWidths.resize(n, kDefaultColumnWidth);
  m_nCols = nCols;
  m_nFixedCols = std::min(m_nFixedCols, nCols);
  if (!IsValid(m_focus)) m_focus = CCellID();
  modelChanged();
  return TRUE;
}

BOOL CGridCtrl::SetFixedRowCount(int nFixedRows) {
  if (nFixedRows < 0) return FALSE;
  if (nFixedRows > GetRowCount() && !SetRowCount(nFixedRows)) return FALSE;
  m_nFixedRows = nFixedRows;
  modelChanged();
  return TRUE;
}

BOOL CGridCtrl::SetFixedColumnCount(int nFixedCols) {
  if (nFixedCols < 0) return FALSE;
  if (nFixedCols > GetColumnCount() && !SetColumnCount(nFixedCols)) return FALSE;
  m_nFixedCols = nFixedCols;
  modelChanged();
  return TRUE;
}

int CGridCtrl::GetRowHeight(int nRow) const {
  if (nRow < 0 || nRow >= GetRowCount()) return -1;
  return m_rows[static_cast<std::size_t>(nRow)].height;
}

BOOL CGridCtrl::SetRowHeight(int nRow, int height) {
  if (nRow < 0 || nRow >= GetRowCount() || height < 0) return FALSE;
  m_rows[static_cast<std::size_t>(nRow)].height = height;
  return TRUE;
}

int CGridCtrl::GetColumnWidth(int nCol) const {
  if (nCol < 0 || nCol >= m_nCols) return -1;
  return m_colWidths[static_cast<std::size_t>(nCol)];
}

BOOL CGridCtrl::SetColumnWidth(int nCol, int width) {
  if (nCol < 0 || nCol >= m_nCols || width < 0) return FALSE;
  m_colWidths[static_cast<std::size_t>(nCol)] = width;
  modelChanged();
  return TRUE;
}

int CGridCtrl::TextWidth(LPCTSTR text) {
  int widest = 0;
  int line = 0;
  for (const wchar_t* p = text ? text : L""; *p; ++p) {
    if (*p == L'\n') {
      widest = std::max(widest, line);
      line = 0;
    } else if (*p != L'\r') {
      line += zrbase::isWide(static_cast<char32_t>(*p)) ? kFullWidthChar : kHalfWidthChar;
    }
  }
  return std::max(widest, line);
}

BOOL CGridCtrl::AutoSizeColumn(int nCol, UINT nAutoSizeStyle) {
  if (nCol < 0 || nCol >= m_nCols) return FALSE;
  const UINT style = nAutoSizeStyle == GVS_DEFAULT ? GVS_BOTH : nAutoSizeStyle;
  int widest = 0;
  for (int r = 0; r < GetRowCount(); ++r) {
    const bool fixed = r < m_nFixedRows;
    if ((fixed && !(style & GVS_HEADER)) || (!fixed && !(style & GVS_DATA))) continue;
    widest = std::max(widest, TextWidth(GetItemText(r, nCol)));
  }
  return SetColumnWidth(nCol, widest + 2 * kCellMargin);
}

void CGridCtrl::AutoSizeColumns(UINT nAutoSizeStyle) {
  for (int c = 0; c < m_nCols; ++c) AutoSizeColumn(c, nAutoSizeStyle);
}

BOOL CGridCtrl::IsValid(int nRow, int nCol) const {
  return nRow >= 0 && nCol >= 0 && nRow < GetRowCount() && nCol < m_nCols;
}

CGridCellBase* CGridCtrl::GetCell(int nRow, int nCol) const {
  Slot* slot = SlotAt(nRow, nCol);
  return slot ? Made(*slot) : nullptr;
}

BOOL CGridCtrl::SetItemText(int nRow, int nCol, LPCTSTR str) {
  Slot* slot = SlotAt(nRow, nCol);
  if (!slot) return FALSE;
  if (slot->cell) {
    slot->cell->SetText(str);
  } else {
    slot->text = str ? str : L"";
  }
  modelChanged();
  return TRUE;
}

CString CGridCtrl::GetItemText(int nRow, int nCol) const {
  const Row* row = RowAt(nRow, nCol);
  if (!row) return CString();
  if (row->source >= 0) return m_source->GetText(row->source, nCol);
  const Slot& slot = row->cells[static_cast<std::size_t>(nCol)];
  return slot.cell ? CString(slot.cell->GetText()) : slot.text;
}

BOOL CGridCtrl::SetItemData(int nRow, int nCol, LPARAM lParam) {
  CGridCellBase* cell = GetCell(nRow, nCol);
  if (!cell) return FALSE;
  cell->SetData(lParam);
  return TRUE;
}

// A cell not made yet (a source row's too) has data, state and format 0.
LPARAM CGridCtrl::GetItemData(int nRow, int nCol) const {
  const Row* row = RowAt(nRow, nCol);
  if (!row || row->source >= 0) return 0;
  const Slot& slot = row->cells[static_cast<std::size_t>(nCol)];
  return slot.cell ? slot.cell->GetData() : 0;
}

BOOL CGridCtrl::SetItemState(int nRow, int nCol, UINT state) {
  CGridCellBase* cell = GetCell(nRow, nCol);
  if (!cell) return FALSE;
  cell->SetState(state);
  return TRUE;
}

UINT CGridCtrl::GetItemState(int nRow, int nCol) const {
  const Row* row = RowAt(nRow, nCol);
  if (!row || row->source >= 0) return 0;
  const Slot& slot = row->cells[static_cast<std::size_t>(nCol)];
  return slot.cell ? slot.cell->GetState() : 0;
}

BOOL CGridCtrl::IsCellFixed(int nRow, int nCol) const {
  return nRow < m_nFixedRows || nCol < m_nFixedCols;
}

BOOL CGridCtrl::IsCellEditable(int nRow, int nCol) const {
  return IsValid(nRow, nCol) && m_bEditable && !IsCellFixed(nRow, nCol) &&
         !(GetItemState(nRow, nCol) & GVIS_READONLY);
}

BOOL CGridCtrl::SetCellType(int nRow, int nCol, CRuntimeClass* pRuntimeClass) {
  if (!IsValid(nRow, nCol) || !pRuntimeClass ||
      !pRuntimeClass->IsDerivedFrom(RUNTIME_CLASS(CGridCellBase))) {
    return FALSE;
  }
  std::unique_ptr<CObject> obj(pRuntimeClass->CreateObject());
  auto* fresh = dynamic_cast<CGridCellBase*>(obj.get());
  if (!fresh) return FALSE;
  Slot& slot = *SlotAt(nRow, nCol);
  *fresh = *Made(slot);
  fresh->SetGrid(this);
  obj.release();
  slot.cell.reset(fresh);
  modelChanged();
  return TRUE;
}

BOOL CGridCtrl::SetCellPattern(int nRow, int nCol, std::shared_ptr<const CGridCellBase> pattern) {
  Slot* slot = SlotAt(nRow, nCol);
  if (!slot || !pattern || !pattern->GetRuntimeClass()->m_pfnCreateObject) return FALSE;
  if (slot->cell) {
    // A made cell may hold data, state or format: it is made again at once.
    if (!SetCellType(nRow, nCol, pattern->GetRuntimeClass())) return FALSE;
    slot->cell->CopySetUp(*pattern);
  } else {
    slot->pattern = std::move(pattern);
  }
  modelChanged();
  return TRUE;
}

BOOL CGridCtrl::SetDefaultCellType(CRuntimeClass* pRuntimeClass) {
  if (!pRuntimeClass || !pRuntimeClass->IsDerivedFrom(RUNTIME_CLASS(CGridCellBase)) ||
      !pRuntimeClass->m_pfnCreateObject) {
    return FALSE;
  }
  m_pDefaultCellType = pRuntimeClass;
  return TRUE;
}

BOOL CGridCtrl::AppendSourceRows(std::shared_ptr<const CGridRowSource> source, int nRows) {
  if (!source || nRows < 0) return FALSE;
  if (source != m_source) {
    UnfoldAll();
    m_source = std::move(source);
  }
  const std::size_t first = m_rows.size();
  m_rows.resize(first + static_cast<std::size_t>(nRows));
  for (int i = 0; i < nRows; ++i) m_rows[first + static_cast<std::size_t>(i)].source = i;
  modelChanged();
  return TRUE;
}

BOOL CGridCtrl::DeleteAllItems() {
  m_rows.clear();
  m_source.reset();
  m_colWidths.clear();
  m_nCols = 0;
  m_nFixedRows = 0;
  m_nFixedCols = 0;
  m_focus = CCellID();
  modelChanged();
  return TRUE;
}

BOOL CGridCtrl::DeleteNonFixedRows() { return SetRowCount(m_nFixedRows); }

int CGridCtrl::InsertRow(LPCTSTR strHeading, int nRow) {
  if (nRow > GetRowCount()) return -1;
  if (nRow < 0) nRow = GetRowCount();
  if (m_nCols < 1) SetColumnCount(1);
  m_rows.insert(m_rows.begin() + nRow, NewRow());
  SetItemText(nRow, 0, strHeading);
  if (m_focus.row >= nRow) ++m_focus.row;
  return nRow;
}

int CGridCtrl::InsertColumn(LPCTSTR strHeading, UINT nFormat, int nColumn) {
  if (nColumn > m_nCols) return -1;
  if (nColumn < 0) nColumn = m_nCols;
  if (GetRowCount() < 1) SetRowCount(1);
  UnfoldAll();
  for (Row& row : m_rows) row.cells.insert(row.cells.begin() + nColumn, NewSlot());
  m_colWidths.insert(m_colWidths.begin() + nColumn, kDefaultColumnWidth);
  ++m_nCols;
  SetItemText(0, nColumn, strHeading);
  if (CGridCellBase* cell = GetCell(0, nColumn)) cell->SetFormat(nFormat);
  if (m_focus.col >= nColumn) ++m_focus.col;
  return nColumn;
}

BOOL CGridCtrl::DeleteRow(int nRow) {
  if (nRow < 0 || nRow >= GetRowCount()) return FALSE;
  m_rows.erase(m_rows.begin() + nRow);
  if (nRow < m_nFixedRows) --m_nFixedRows;
  if (m_focus.row == nRow) {
    m_focus = CCellID();
  } else if (m_focus.row > nRow) {
    --m_focus.row;
  }
  modelChanged();
  return TRUE;
}

BOOL CGridCtrl::DeleteColumn(int nColumn) {
  if (nColumn < 0 || nColumn >= m_nCols) return FALSE;
  UnfoldAll();
  for (Row& row : m_rows) row.cells.erase(row.cells.begin() + nColumn);
  m_colWidths.erase(m_colWidths.begin() + nColumn);
  --m_nCols;
  if (nColumn < m_nFixedCols) --m_nFixedCols;
  if (m_focus.col == nColumn) {
    m_focus = CCellID();
  } else if (m_focus.col > nColumn) {
    --m_focus.col;
  }
  modelChanged();
  return TRUE;
}

CCellID CGridCtrl::SetFocusCell(CCellID cell) {
  const CCellID previous = m_focus;
  m_focus = IsValid(cell) ? cell : CCellID();
  modelChanged();
  return previous;
}

void CGridCtrl::Refresh() {
  ++m_refreshCount;
  Invalidate();
}

void CGridCtrl::EnsureVisible(int /*nRow*/, int /*nCol*/) {}

void CGridCtrl::RedrawCell(int /*nRow*/, int /*nCol*/) { Invalidate(); }

LRESULT CGridCtrl::SendMessageToParent(int nRow, int nCol, int nMessage) {
  CWnd* parent = GetParent();
  if (!parent) return 0;
  NM_GRIDVIEW nm{};
  nm.hdr.hwndFrom = m_hWnd;
  nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
  nm.hdr.code = static_cast<UINT>(nMessage);
  nm.iRow = nRow;
  nm.iColumn = nCol;
  return parent->SendMessage(WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm.hdr));
}

std::wstring CGridCtrl::cellText(int row, int col) const { return GetItemText(row, col).str(); }

winplat::GridModel::CellKind CGridCtrl::cellKind(int row, int col) const {
  std::shared_ptr<const CGridCellBase> held;
  const CGridCellBase* cell = SetUpAt(row, col, held);
  return cell && cell->IsComboCell() ? CellKind::Combo : CellKind::Plain;
}

std::vector<std::wstring> CGridCtrl::cellChoices(int row, int col) const {
  std::vector<std::wstring> list;
  std::shared_ptr<const CGridCellBase> held;
  const CGridCellBase* cell = SetUpAt(row, col, held);
  if (!cell || !cell->IsComboCell()) return list;
  CStringArray choices;
  cell->GetComboChoices(choices);
  for (const CString& s : choices) list.push_back(s.str());
  return list;
}

bool CGridCtrl::cellChoicesOnly(int row, int col) const {
  std::shared_ptr<const CGridCellBase> held;
  const CGridCellBase* cell = SetUpAt(row, col, held);
  return cell && cell->IsComboCell() && cell->TakesChoicesOnly();
}

bool CGridCtrl::cellEditable(int row, int col) const { return IsCellEditable(row, col) != FALSE; }

void CGridCtrl::clickCell(int row, int col) {
  if (IsValid(row, col)) {
    SetFocusCell(row, col);
  } else {
    row = -1;
    col = -1;
  }
  SendMessageToParent(row, col, static_cast<int>(NM_CLICK));
}

bool CGridCtrl::EndEdit(int row, int col, const std::wstring& text) {
  SetFocusCell(row, col);
  const CString old = GetItemText(row, col);
  // Confirming a cell without changing it is no edit: the parent, which may
  // write every edit through to a file, is not told.
  if (old.str() == text) return true;
  SetItemText(row, col, text.c_str());
  // A handler that answers with a negative result refuses the new text.
  const LRESULT result = SendMessageToParent(row, col, static_cast<int>(GVN_ENDLABELEDIT));
  if (result < 0 && IsValid(row, col)) SetItemText(row, col, old);
  return true;
}

bool CGridCtrl::IsChoice(int row, int col, const std::wstring& text) const {
  const auto choices = cellChoices(row, col);
  return std::find(choices.begin(), choices.end(), text) != choices.end();
}

bool CGridCtrl::editCell(int row, int col, const std::wstring& text) {
  if (!IsCellEditable(row, col)) return false;
  if (cellChoicesOnly(row, col) && !IsChoice(row, col, text)) return false;
  return EndEdit(row, col, text);
}

bool CGridCtrl::pickCell(int row, int col, const std::wstring& text) {
  if (!IsCellEditable(row, col) || cellKind(row, col) != CellKind::Combo) return false;
  if (!IsChoice(row, col, text)) return false;
  return EndEdit(row, col, text);
}
