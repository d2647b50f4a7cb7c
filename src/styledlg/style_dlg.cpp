// CStyleDlg: construction, the grid's creation and loading, the two choice
// lists, the combo cells, the click on a cell, and the message map.
#include "styledlg/style_dlg.h"

#include <unordered_set>

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

// One grid row per record. Every row offers the same series list and every
// row of a series the same drive modes, so each list is asked for once per
// fill, the first time a row needs it, and its cells share one pattern.
// Asking again for every row re-reads the whole table per row: measured on
// 10,000 models, 14 s of CPU to open the editor against 55 ms this way; a
// combo cell set up per row, rather than made from its pattern when shown,
// took half of what was left.
bool CStyleDlg::FillModelGrid() {
  if (!m_pFanDb) return false;
  _RecordsetPtr pRecordset = ProbeAndOpen(*m_pFanDb, SqlAllModels());
  if (pRecordset == nullptr) return false;
  try {
    if (pRecordset->GetBOF()) {
      pRecordset->Close();
      return false;
    }
    ModelLists lists;
    for (int nRow = 1; !pRecordset->GetadoEOF(); ++nRow) {
      m_Grid.SetRowCount(m_Grid.GetRowCount() + 1);
      FillModelRow(pRecordset, nRow, lists);
      pRecordset->MoveNext();
    }
    pRecordset->Close();
  } catch (const _com_error& e) {
    // A Model table without one of the editor's columns: the rows read so far stay.
    AfxMessageBox(e.ErrorMessage(), MB_OK);
    return false;
  }
  return true;
}

void CStyleDlg::FillModelRow(const _RecordsetPtr& pRecordset, int nRow, ModelLists& lists) {
  if (!lists.bigModels) {
    CStringArray bigModels;
    GetBigModelList(bigModels);
    lists.bigModels = ComboPattern(bigModels);
  }
  m_Grid.SetCellPattern(nRow, kColBigModel, lists.bigModels);

  // A field is found by name at its first read, so that a table without it
  // fails at the same field of the first row as reading each by name would.
  const auto read = [&pRecordset, &lists](int nCol, const wchar_t* lpszField) {
    FieldPtr& field = lists.fields[nCol];
    if (!field) field = pRecordset->GetFields()->GetItem(_variant_t(lpszField));
    return field->GetValue();
  };
  const _variant_t id = read(kColID, L"ID");
  if (id.vt != VT_NULL) m_Grid.SetItemText(nRow, kColID, FieldText(id));
  CString strBigModel;
  const _variant_t bigModel = read(kColBigModel, L"BigModel");
  if (bigModel.vt != VT_NULL) {
    strBigModel = FieldText(bigModel);
    m_Grid.SetItemText(nRow, kColBigModel, strBigModel);
  }
  // A row without a drive mode keeps a plain cell until it is clicked.
  const _variant_t driveMode = read(kColDriveMode, L"DriveMode");
  if (driveMode.vt != VT_NULL) {
    auto [it, bNew] = lists.driveModes.try_emplace(strBigModel.str());
    if (bNew) {
      CStringArray driveModes;
      GetDriveModeList(strBigModel, driveModes);
      it->second = ComboPattern(driveModes);
    }
    m_Grid.SetCellPattern(nRow, kColDriveMode, it->second);
    m_Grid.SetItemText(nRow, kColDriveMode, FieldText(driveMode));
  }
  for (const auto& [nCol, lpszField] :
       {std::pair{kColFanNo, L"FanNo"}, std::pair{kColSpeed, L"Speed"},
        std::pair{kColLabelModel, L"LabelModel"}}) {
    const _variant_t value = read(nCol, lpszField);
    if (value.vt != VT_NULL) m_Grid.SetItemText(nRow, nCol, FieldText(value));
  }
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
  CString strLast;
  bool bHaveLast = false;
  while (!pRecordset->GetadoEOF()) {
    if (!field) field = pRecordset->GetFields()->GetItem(_variant_t(lpszColumn));
    const _variant_t value = field->GetValue();
    if (value.vt != VT_NULL) {
      CString text = FieldText(value);
      if (!bHaveLast || text != strLast) {
        if (seen.insert(text.str()).second) list.Add(text);
        strLast = std::move(text);
        bHaveLast = true;
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
