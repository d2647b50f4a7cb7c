// The performance and accessory grids: the model's ID, the heading dictionary,
// the table style of a series, and loading a model's rows into a grid.
//
// Grid layout after a load of n rows of a table with m fields: row 0 holds the
// headings of fields 1..m-1, rows 1..n the catalogue rows in the order the
// table returns them (column 0 numbered 1..n), row n+1 is an empty spare row.
// Field 0 is never shown. Grid editing relies on exactly this correspondence.
#include "db/catalogue_statements.h"
#include "db/field_text.h"
#include "db/probe_query.h"
#include "fandlg/fan_dlg.h"

namespace {

constexpr int kDataColumnWidth = 45;
constexpr int kNumberColumnWidth = 20;

// A click on a cell is acknowledged; one outside the cells is ignored.
void AcknowledgeCellClick(const NMHDR* pNotifyStruct, LRESULT* pResult) {
  const auto* pItem = reinterpret_cast<const NM_GRIDVIEW*>(pNotifyStruct);
  if (pItem->iRow < 0) return;
  *pResult = 0;
}

}  // namespace

void CFanDlg::OnSpeedSelChange() {
  m_cbSpeed.GetWindowText(m_strSpeed);
  LoadParamGrid();
  LoadAccessoryGrid();
}

bool CFanDlg::LookupFirst(const CString& strSql, LPCTSTR lpszColumn, _variant_t& value) {
  _RecordsetPtr pRecordset = ProbeAndOpen(m_FanDb, strSql);
  if (pRecordset == nullptr) return false;
  if (pRecordset->GetBOF()) {
    pRecordset->Close();
    return false;
  }
  value = pRecordset->GetCollect(lpszColumn);
  pRecordset->Close();
  return true;
}

int CFanDlg::GetModelID() {
  _variant_t value;
  if (!LookupFirst(SqlModelOfSpeed(m_strBigModel, m_strFanNo, m_strDriveMode, m_strSpeed), L"ID",
                   value) ||
      value.vt == VT_NULL)
    return 0;
  // IDs are read as 16-bit integers; one beyond that range is reported by the
  // data layer as an overflow and counts as no model.
  try {
    return static_cast<short>(value);
  } catch (const _com_error&) {
    return 0;
  }
}

CString CFanDlg::GetTableHead(CString strIndexName) {
  _variant_t value;
  if (!LookupFirst(SqlHeadingOfColumn(strIndexName), L"TableHead", value)) return CString();
  return FieldText(value);
}

CString CFanDlg::GetIndexName(CString strTableHead) {
  _variant_t value;
  if (!LookupFirst(SqlColumnOfHeading(strTableHead), L"IndexName", value)) return CString();
  return FieldText(value);
}

int CFanDlg::GetRecordCount(const _RecordsetPtr& pRecordset) {
  if (pRecordset->GetBOF()) return -1;
  int nCount = 0;
  while (!pRecordset->GetadoEOF()) {
    pRecordset->MoveNext();
    ++nCount;
  }
  pRecordset->MoveFirst();
  return nCount;
}

int CFanDlg::GetTableStyle(CString strBigModel) {
  _variant_t value;
  if (!LookupFirst(SqlTableStyle(strBigModel), L"TableStyle", value) || value.vt == VT_NULL)
    return kNoTableStyle;
  return static_cast<bool>(value) ? kPointTable : kRangeTable;
}

CString CFanDlg::ParamTableName() const { return m_strBigModel + L"_Parameter"; }

CString CFanDlg::AccessoryTableName() const {
  return m_strBigModel + L"_" + m_strDriveMode + L"_Accessory";
}

BOOL CFanDlg::LoadParamGrid() { return LoadGrid(m_GridParam, ParamTableName()); }

BOOL CFanDlg::LoadAccessoryGrid() { return LoadGrid(m_GridAccessory, AccessoryTableName()); }

BOOL CFanDlg::LoadGrid(CGridCtrl& grid, const CString& strTable) {
  grid.DeleteAllItems();
  const int nModelID = GetModelID();
  if (nModelID < 1) return FALSE;

  _RecordsetPtr pRecordset = ProbeAndOpen(m_FanDb, SqlGridRows(strTable, nModelID));
  if (pRecordset == nullptr) return FALSE;
  if (pRecordset->GetBOF()) {
    pRecordset->Close();
    return FALSE;
  }

  const int nRows = GetRecordCount(pRecordset);
  grid.SetRowCount(1);
  grid.SetRowCount(nRows + 2);
  grid.SetFixedRowCount(1);
  FieldsPtr pFields = pRecordset->GetFields();
  const int nFields = static_cast<int>(pFields->GetCount());
  grid.SetColumnCount(nFields);
  grid.SetFixedColumnCount(1);

  for (int r = 0; !pRecordset->GetadoEOF(); ++r) {
    for (int j = 1; j < nFields; ++j) {
      const CString strName(
          static_cast<const wchar_t*>(pFields->GetItem(static_cast<long>(j))->GetName()));
      const CString strHead = GetTableHead(strName);
      if (strHead.IsEmpty()) {
        // A field without a heading: what was filled so far stays.
        pRecordset->Close();
        return FALSE;
      }
      grid.SetItemText(r + 1, j, FieldText(pRecordset->GetCollect(strName.GetString())));
      grid.SetColumnWidth(j, kDataColumnWidth);
      if (r == 0) grid.SetItemText(0, j, strHead);
      grid.AutoSizeColumns();
    }
    CString strNumber;
    strNumber.Format(L"%d", r + 1);
    grid.SetItemText(r + 1, 0, strNumber);
    grid.SetColumnWidth(0, kNumberColumnWidth);
    pRecordset->MoveNext();
  }
  pRecordset->Close();
  grid.Refresh();
  return TRUE;
}

void CFanDlg::OnParamGridClick(NMHDR* pNotifyStruct, LRESULT* pResult) {
  AcknowledgeCellClick(pNotifyStruct, pResult);
}

void CFanDlg::OnAccessoryGridClick(NMHDR* pNotifyStruct, LRESULT* pResult) {
  AcknowledgeCellClick(pNotifyStruct, pResult);
}
