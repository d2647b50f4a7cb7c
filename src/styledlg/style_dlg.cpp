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

// The model rows of one fill: the open recordset they were read from, and for
// each row the pattern of its drive-mode cell. The grid asks for a cell's text
// when the cell is first read, shown or made; the recordset's cursor goes to
// that row from where it stands, so reading the rows in order (a dump, the
// check before OK, a screenful) steps one row at a time.
class CStyleDlg::ModelRows : public CGridRowSource {
 public:
  explicit ModelRows(_RecordsetPtr pRecordset) : m_pRecordset(std::move(pRecordset)) {}

  CString GetText(int nSourceRow, int nCol) const override {
    // A field the table lacks (the fill stopped at it) has no text, as it
    // had none when rows were filled by setting each text.
    const FieldPtr& field = m_fields[nCol];
    if (!field) return CString();
    try {
      if (nSourceRow != m_position) {
        m_pRecordset->Move(nSourceRow - m_position, g_vtMissing);
        m_position = nSourceRow;
      }
      return FieldText(field->GetValue());
    } catch (const _com_error&) {
      // Only a connection closed under the editor gets here; the connection
      // is lent for the editor's whole life, so none is. An empty cell is
      // better than ending the program from a paint.
      return CString();
    }
  }

  std::shared_ptr<const CGridCellBase> GetPattern(int nSourceRow, int nCol) const override {
    if (nCol == kColBigModel) return m_bigModels;
    if (nCol != kColDriveMode) return nullptr;
    const int index = m_driveModeOf[static_cast<std::size_t>(nSourceRow)];
    return index < 0 ? nullptr : m_driveModes[static_cast<std::size_t>(index)];
  }

  int RowCount() const { return static_cast<int>(m_driveModeOf.size()); }

  _RecordsetPtr m_pRecordset;
  // Each found by name at its first read, in the order the row reads them.
  FieldPtr m_fields[kColumnCount];
  // The series cell of every row; the drive-mode cells of each series met,
  // in the order met, and the index of its row's one (-1: a plain cell).
  std::shared_ptr<const CGridCellBase> m_bigModels;
  std::vector<std::shared_ptr<const CGridCellBase>> m_driveModes;
  std::vector<int> m_driveModeOf;
  // The row the recordset stands on.
  mutable int m_position = 0;
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
// the cell is first read or shown (ModelRows), which took opening from 17 ms
// to a third of that.
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
    m_Grid.AppendSourceRows(rows, rows->RowCount());
    AfxMessageBox(e.ErrorMessage(), MB_OK);
    return false;
  }
  m_Grid.AppendSourceRows(rows, rows->RowCount());
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
  std::unordered_map<std::wstring, int> driveModeIndex;
  std::wstring strLastBigModel;
  int nLastIndex = -1;
  for (int nRow = 0; !pRecordset->GetadoEOF(); ++nRow) {
    rows.m_position = nRow;
    rows.m_driveModeOf.push_back(-1);
    if (!rows.m_bigModels) {
      CStringArray bigModels;
      GetBigModelList(bigModels);
      rows.m_bigModels = ComboPattern(bigModels);
    }
    field(kColID, L"ID");
    const _variant_t bigModel = field(kColBigModel, L"BigModel").GetValue();
    // A row without a drive mode keeps a plain cell until it is clicked.
    const _variant_t driveMode = field(kColDriveMode, L"DriveMode").GetValue();
    if (driveMode.vt != VT_NULL) {
      CString holder;
      const std::wstring_view strBigModel =
          bigModel.vt == VT_NULL ? std::wstring_view() : ValueText(bigModel, holder);
      // Rows of one series mostly come together: the last series' list is
      // taken again without a look-up.
      if (nLastIndex < 0 || strBigModel != strLastBigModel) {
        strLastBigModel.assign(strBigModel);
        auto [it, bNew] = driveModeIndex.try_emplace(strLastBigModel, 0);
        if (bNew) {
          CStringArray driveModes;
          GetDriveModeList(CString(strLastBigModel), driveModes);
          it->second = static_cast<int>(rows.m_driveModes.size());
          rows.m_driveModes.push_back(ComboPattern(driveModes));
        }
        nLastIndex = it->second;
      }
      rows.m_driveModeOf.back() = nLastIndex;
    }
    field(kColFanNo, L"FanNo");
    field(kColSpeed, L"Speed");
    field(kColLabelModel, L"LabelModel");
    pRecordset->MoveNext();
  }
  rows.m_position = rows.RowCount();
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
