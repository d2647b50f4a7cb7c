// CStyleDlg: construction, the grid's creation and loading, the two choice
// lists, the combo cells, the click on a cell, and the message map.
#include "styledlg/style_dlg.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "db/catalogue_statements.h"
#include "db/field_text.h"
#include "db/probe_query.h"
#include "res/resource.h"

namespace {

constexpr DWORD kGridStyle = WS_CHILD | WS_VISIBLE | WS_BORDER;
constexpr int kKeyColumnWidth = 20;
// The drop-down button of a combo cell: a scroll-down arrow at the right edge.
constexpr int kComboButtonWidth = 19;

const wchar_t* const kHeadings[CStyleDlg::kColumnCount] = {L"ID",     L"类型",      L"传动方式",
                                                           L"机号No", L"转速r/min", L"标注型号"};

}  // namespace

CStyleDlg::CStyleDlg(CFanDatabase* pFanDb, CWnd* pParent)
    : CDialog(IDD_STYLE_DIALOG, pParent), m_Grid(0, 0, 0, 0), m_pFanDb(nullptr) {
  if (pFanDb) m_pFanDb = pFanDb;
  m_BtnDataBase.SetGrid(&m_Grid);
}

CStyleDlg::~CStyleDlg() = default;

// No control is bound by data exchange: the grid is read and written directly.
void CStyleDlg::DoDataExchange(CDataExchange* /*pDX*/) {}

BOOL CStyleDlg::Create(UINT nIDTemplate, CWnd* pParentWnd) {
  return CDialog::Create(nIDTemplate, pParentWnd);
}

BOOL CStyleDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  CRect rect;
  GetDlgItem(IDC_STATIC_MODELGRID)->GetWindowRect(&rect);
  ScreenToClient(&rect);
  m_Grid.Create(rect, this, IDC_GRID_MODEL, kGridStyle);
  m_Grid.EnableWindow(TRUE);
  m_Grid.SetRowCount(1);
  m_Grid.SetFixedRowCount(1);
  m_Grid.SetFixedColumnCount(1);
  m_Grid.SetColumnCount(kColumnCount);
  for (int nCol = 0; nCol < kColumnCount; ++nCol) m_Grid.SetItemText(0, nCol, kHeadings[nCol]);
  m_Grid.SetColumnWidth(kColID, kKeyColumnWidth);
  FillModelGrid();
  m_Grid.Refresh();
  return TRUE;
}

// The model rows of one fill: the open recordset they were read from, the
// series cell every row has, and the drive-mode cell of each series that has
// a row with a drive mode. The grid asks for a cell's text and set-up when the
// cell is first read, shown or made; the recordset's cursor goes to that row
// from where it stands, so reading the rows in order (a dump, the check before
// OK, a screenful) steps one row at a time.
class CStyleDlg::ModelRows : public CGridRowSource {
 public:
  explicit ModelRows(_RecordsetPtr pRecordset) : m_pRecordset(std::move(pRecordset)) {}

  CString GetText(int nSourceRow, int nCol) const override {
    const _variant_t value = Value(nSourceRow, nCol);
    // An integer's text is its decimal digits, as the data layer writes one;
    // made here without the round trip through a BSTR and two copies, since
    // the check before OK reads two per row (key and speed: 10,000 rows,
    // 16 -> 12 ms of processor time).
    if (value.vt == VT_I4) return CString(std::to_wstring(value.lVal));
    return FieldText(value);
  }

  // A row without a drive mode has a plain cell there (until it is clicked);
  // one with a drive mode the cell of its series, which the fill made when it
  // met the series' first row with one.
  std::shared_ptr<const CGridCellBase> GetPattern(int nSourceRow, int nCol) const override {
    if (nCol == kColBigModel) return m_bigModels;
    if (nCol != kColDriveMode || Value(nSourceRow, kColDriveMode).vt == VT_NULL) return nullptr;
    const auto it = m_driveModes.find(FieldText(Value(nSourceRow, kColBigModel)).str());
    return it == m_driveModes.end() ? nullptr : it->second;
  }

  _RecordsetPtr m_pRecordset;
  // Each found by name at its first read, in the order the row reads them.
  FieldPtr m_fields[kColumnCount];
  std::shared_ptr<const CGridCellBase> m_bigModels;
  // By series text (a row without a series: the empty text).
  std::unordered_map<std::wstring, std::shared_ptr<const CGridCellBase>> m_driveModes;
  int m_nRows = 0;
  // The row the recordset stands on.
  mutable int m_position = 0;

 private:
  _variant_t Value(int nSourceRow, int nCol) const {
    // A field the table lacks (the fill stopped at it) has no value, as the
    // cell had no text when rows were filled by setting each text.
    _variant_t null;
    null.vt = VT_NULL;
    const FieldPtr& field = m_fields[nCol];
    if (!field) return null;
    try {
      if (nSourceRow != m_position) {
        m_pRecordset->Move(nSourceRow - m_position, g_vtMissing);
        m_position = nSourceRow;
      }
      return field->GetValue();
    } catch (const _com_error&) {
      // Only a connection closed under the editor gets here; the connection
      // is lent for the editor's whole life, so none is. An empty cell is
      // better than ending the program from a paint.
      return null;
    }
  }
};

namespace {

// The text of a field value without a copy when it is a text already (the
// common case: a series or drive mode); other values are converted into
// holder. Either is the text FieldText gives.
std::wstring_view ValueText(const _variant_t& value, CString& holder) {
  if (value.vt == VT_BSTR) return value.bstrVal ? value.bstrVal : L"";
  holder = FieldText(value);
  return holder.str();
}

}  // namespace

// One grid row per record. Every row offers the same series list and every
// row of a series the same drive modes, so each list is asked for once per
// fill, the first time a row needs it, and its cells share one pattern.
// Asking again for every row re-reads the whole table per row: measured on
// 10,000 models, 14 s of CPU to open the editor against 55 ms this way. The
// rows' texts are not read here: the grid takes each from the recordset when
// the cell is first read or shown (ModelRows), which took opening from 17-28
// to 3.4-5.0 ms of processor time on a busy machine.
bool CStyleDlg::FillModelGrid() {
  if (!m_pFanDb) return false;
  _RecordsetPtr pRecordset = ProbeAndOpen(*m_pFanDb, SqlAllModels());
  if (pRecordset == nullptr) return false;
  auto rows = std::make_shared<ModelRows>(pRecordset);
  try {
    if (pRecordset->GetBOF()) {
      pRecordset->Close();
      return false;
    }
    ReadModelRows(pRecordset, *rows);
  } catch (const _com_error& e) {
    // A Model table without one of the editor's columns: the rows begun so
    // far stay, with the texts of the fields found before.
    m_Grid.AppendSourceRows(rows, rows->m_nRows);
    AfxMessageBox(e.ErrorMessage(), MB_OK);
    return false;
  }
  m_Grid.AppendSourceRows(rows, rows->m_nRows);
  return true;
}

void CStyleDlg::ReadModelRows(const _RecordsetPtr& pRecordset, ModelRows& rows) {
  // A field is found by name where the row would first read it, so that a
  // table without one fails at the same field of the first row, after the
  // same statements, as reading each by name did.
  const auto field = [&pRecordset, &rows](int nCol, const wchar_t* lpszField) -> Field& {
    FieldPtr& bound = rows.m_fields[nCol];
    if (!bound) bound = pRecordset->GetFields()->GetItem(_variant_t(lpszField));
    return *bound;
  };
  // Only a series not met yet with a drive mode needs its row's drive mode
  // read: rows of one series mostly come together, so most rows are passed
  // over on their series alone.
  std::wstring strLast;
  bool bLastHasList = false;
  for (; !pRecordset->GetadoEOF(); pRecordset->MoveNext()) {
    rows.m_position = rows.m_nRows++;
    if (!rows.m_bigModels) {
      CStringArray bigModels;
      GetBigModelList(bigModels);
      rows.m_bigModels = ComboPattern(bigModels);
    }
    field(kColID, L"ID");
    const _variant_t bigModel = field(kColBigModel, L"BigModel").GetValue();
    CString holder;
    const std::wstring_view strBigModel =
        bigModel.vt == VT_NULL ? std::wstring_view() : ValueText(bigModel, holder);
    if (!bLastHasList || strBigModel != strLast) {
      strLast.assign(strBigModel);
      bLastHasList = rows.m_driveModes.count(strLast) != 0;
    }
    // The first row always reads it: no series has a list yet.
    if (!bLastHasList && field(kColDriveMode, L"DriveMode").GetValue().vt != VT_NULL) {
      CStringArray driveModes;
      GetDriveModeList(CString(strLast), driveModes);
      rows.m_driveModes.emplace(strLast, ComboPattern(driveModes));
      bLastHasList = true;
    }
    field(kColFanNo, L"FanNo");
    field(kColSpeed, L"Speed");
    field(kColLabelModel, L"LabelModel");
  }
  rows.m_position = rows.m_nRows;
}

bool CStyleDlg::CollectDistinct(const CString& strSql, LPCTSTR lpszColumn, CStringArray& list) {
  if (!m_pFanDb) return false;
  _RecordsetPtr pRecordset = ProbeAndOpen(*m_pFanDb, strSql);
  if (pRecordset == nullptr) return false;
  if (pRecordset->GetBOF()) {
    pRecordset->Close();
    return false;
  }
  // The set finds a repeated text at once; the list keeps the order of first
  // appearance. Both compare exactly, letter case included. Rows of one
  // series mostly come together, so a text equal to the last is passed over
  // before it is looked up.
  std::unordered_set<std::wstring> seen;
  for (const CString& s : list) seen.insert(s.str());
  FieldPtr field;
  std::wstring strLast;
  bool bHaveLast = false;
  while (!pRecordset->GetadoEOF()) {
    if (!field) field = pRecordset->GetFields()->GetItem(_variant_t(lpszColumn));
    const _variant_t value = field->GetValue();
    if (value.vt != VT_NULL) {
      CString holder;
      const std::wstring_view text = ValueText(value, holder);
      if (!bHaveLast || text != strLast) {
        strLast.assign(text);
        bHaveLast = true;
        if (seen.insert(strLast).second) list.Add(CString(strLast));
      }
    }
    pRecordset->MoveNext();
  }
  pRecordset->Close();
  return true;
}

bool CStyleDlg::GetBigModelList(CStringArray& list) {
  return CollectDistinct(SqlAllModels(), L"BigModel", list);
}

bool CStyleDlg::GetDriveModeList(const CString& strBigModel, CStringArray& list) {
  if (strBigModel.IsEmpty()) return false;
  return CollectDistinct(SqlModelsOfSeries(strBigModel), L"DriveMode", list);
}

void CStyleDlg::SetComboCell(int nRow, int nCol, const CStringArray& list, BOOL bButton) {
  m_Grid.SetCellType(nRow, nCol, RUNTIME_CLASS(CGridBtnCellCombo));
  auto* pCell = dynamic_cast<CGridBtnCellCombo*>(m_Grid.GetCell(nRow, nCol));
  if (pCell) SetUpCombo(*pCell, list, bButton);
}

void CStyleDlg::SetUpCombo(CGridBtnCellCombo& cell, const CStringArray& list, BOOL bButton) {
  if (bButton) {
    cell.SetupBtns(0, DFC_SCROLL, DFCS_SCROLLDOWN, CGridBtnCellBase::CTL_ALIGN_RIGHT,
                   kComboButtonWidth, FALSE, L"");
  }
  cell.SetAutoSizeText(FALSE);
  cell.SetComboStyle(CBS_DROPDOWNLIST);
  cell.SetComboString(list);
  cell.SetBtnDataBase(&m_BtnDataBase);
}

std::shared_ptr<const CGridCellBase> CStyleDlg::ComboPattern(const CStringArray& list) {
  auto pattern = std::make_shared<CGridBtnCellCombo>();
  pattern->SetGrid(&m_Grid);
  SetUpCombo(*pattern, list, TRUE);
  return pattern;
}

void CStyleDlg::OnGridClick(NMHDR* pNotifyStruct, LRESULT* pResult) {
  const auto* pItem = reinterpret_cast<const NM_GRIDVIEW*>(pNotifyStruct);
  if (pItem->iRow < 0) return;
  // The drive modes offered are those of the series the row shows now, also
  // right after the series was changed. The heading row is no model row.
  if (pItem->iColumn == kColDriveMode && pItem->iRow >= m_Grid.GetFixedRowCount()) {
    const CString strBigModel = m_Grid.GetItemText(pItem->iRow, kColBigModel);
    if (!strBigModel.IsEmpty()) {
      CStringArray driveModes;
      GetDriveModeList(strBigModel, driveModes);
      SetComboCell(pItem->iRow, kColDriveMode, driveModes, TRUE);
    }
  }
  m_Grid.Refresh();
  *pResult = 0;
}

// clang-format off
BEGIN_MESSAGE_MAP(CStyleDlg, CDialog)
  ON_BN_CLICKED(IDC_BUTTON_ADDROW, &CStyleDlg::OnAddRow)
  ON_BN_CLICKED(IDC_BUTTON_DELETEROW, &CStyleDlg::OnDeleteRow)
  ON_NOTIFY(NM_CLICK, IDC_GRID_MODEL, &CStyleDlg::OnGridClick)
  ON_NOTIFY(GVN_ENDLABELEDIT, IDC_GRID_MODEL, &CStyleDlg::OnGridEndEdit)
END_MESSAGE_MAP()
// clang-format on
