// CStyleDlg: adding a model (a new record holding only its key) and deleting
// one (its record, its dependent rows, and its view drawing once unused).
#include <set>

#include "base/file_functions.h"
#include "base/wide_stdlib.h"
#include "db/catalogue_statements.h"
#include "db/field_text.h"
#include "db/probe_query.h"
#include "styledlg/style_dlg.h"
#include "uikit/folders.h"
#include "win/message_box.h"

namespace {

// Whether the statement finds a row (the recordset is not at its end right
// after opening). The recordset is closed either way.
bool FindsRow(CAdoDB& db, const CString& strSql) {
  _RecordsetPtr pRecordset = ProbeAndOpen(db, strSql);
  if (pRecordset == nullptr) return false;
  const bool bFound = !pRecordset->GetadoEOF();
  pRecordset->Close();
  return bFound;
}

// The view drawing of a series, fan number and drive mode: speed is not part
// of the name, so models that differ only in speed share one drawing.
CString ViewDrawingPath(const CString& strBigModel, const CString& strFanNo,
                        const CString& strDriveMode) {
  return GetDwgPath() + L"\\Fan\\" + strBigModel + L"No" + strFanNo + strDriveMode + L".dwg";
}

}  // namespace

// The smallest positive integer that no record carries as its ID. One pass
// collects the IDs (as the integer value of their text; a NULL ID is 0 and
// never a key); the answer is the first gap in them.
int CStyleDlg::NewModelKey(const _RecordsetPtr& pRecordset) {
  std::set<int> used;
  for (; !pRecordset->GetadoEOF(); pRecordset->MoveNext()) {
    used.insert(_wtoi(FieldText(pRecordset->GetCollect(L"ID"))));
  }
  int nKey = 1;
  while (used.count(nKey)) ++nKey;
  return nKey;
}

// Keys 1..n-1 all exist, so with the rows in key order the new row's index is
// its key: between the rows of keys n-1 and n+1, or last. When rows are
// missing from the grid (removed from the grid only) a key past the last row
// is appended right after it rather than leaving empty rows between.
int CStyleDlg::InsertKeyRow(int nKey, int nRowCount) {
  CString strKey;
  strKey.Format(L"%d", nKey);
  if (nKey < nRowCount) return m_Grid.InsertRow(strKey, nKey);
  m_Grid.SetRowCount(nRowCount + 1);
  m_Grid.SetItemText(nRowCount, kColID, strKey);
  return nRowCount;
}

void CStyleDlg::OnAddRow() {
  // Rows on screen must be complete and distinct before another is added;
  // an editor without model rows adds nothing either.
  if (!CheckModelRows() || !m_pFanDb) return;
  const int nRowCount = m_Grid.GetRowCount();
  CStringArray bigModels;
  GetBigModelList(bigModels);

  _RecordsetPtr pRecordset = ProbeAndOpen(*m_pFanDb, SqlAllModelsToNumber());
  if (pRecordset == nullptr) return;
  int nKey = 0;
  try {
    if (pRecordset->GetBOF()) {
      pRecordset->Close();
      return;
    }
    nKey = NewModelKey(pRecordset);
    pRecordset->AddNew(g_vtMissing, g_vtMissing);
    pRecordset->PutCollect(L"ID", _variant_t(static_cast<long>(nKey)));
    pRecordset->Update(g_vtMissing, g_vtMissing);
    pRecordset->Close();
  } catch (const _com_error& e) {
    AfxMessageBox(e.ErrorMessage(), MB_OK);
    return;
  }
  const int nRow = InsertKeyRow(nKey, nRowCount);
  SetComboCell(nRow, kColBigModel, bigModels, TRUE);
  m_Grid.Refresh();
}

void CStyleDlg::DeleteModelRecords(const CString& strBigModel, const CString& strDriveMode,
                                   int nKey) {
  const CString strParamTable = strBigModel + L"_Parameter";
  const CString strAccessoryTable = strBigModel + L"_" + strDriveMode + L"_Accessory";
  if (FindsRow(*m_pFanDb, SqlParameterRowsOfKey(strBigModel, nKey))) {
    m_pFanDb->Execute(SqlDeleteRowsOfKey(strParamTable, nKey));
  }
  if (FindsRow(*m_pFanDb, SqlAccessoryRowsOfKey(strBigModel, strDriveMode, nKey))) {
    m_pFanDb->Execute(SqlDeleteRowsOfKey(strAccessoryTable, nKey));
  }
  if (FindsRow(*m_pFanDb, SqlModelOfKey(nKey))) m_pFanDb->Execute(SqlDeleteModelOfKey(nKey));
}

bool CStyleDlg::DeleteUnusedViewDrawing(const CString& strBigModel, const CString& strFanNo,
                                        const CString& strDriveMode) {
  _RecordsetPtr pRecordset =
      ProbeAndOpen(*m_pFanDb, SqlModelsOfViewDrawing(strBigModel, strFanNo, strDriveMode));
  if (pRecordset == nullptr) return false;
  const bool bUnused = pRecordset->GetBOF() != 0;
  pRecordset->Close();
  // A missing file is no error: the model may never have had a drawing.
  if (bUnused) DeleteFile(ViewDrawingPath(strBigModel, strFanNo, strDriveMode));
  return bUnused;
}

void CStyleDlg::OnDeleteRow() {
  if (MessageBox(m_hWnd, L"确认删除该型号吗?", L"提示", MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }
  const CCellID cell = m_Grid.GetFocusCell();
  if (cell.row <= 0) {
    m_Grid.Refresh();
    return;
  }
  const int nKey = _wtoi(m_Grid.GetItemText(cell.row, kColID));
  const CString strBigModel = m_Grid.GetItemText(cell.row, kColBigModel);
  const CString strDriveMode = m_Grid.GetItemText(cell.row, kColDriveMode);
  const CString strFanNo = m_Grid.GetItemText(cell.row, kColFanNo);
  // A row without series or drive mode names no dependent tables: it is only
  // removed from the grid, and its record (and any drawing) stays.
  const bool bNamesTables = !strBigModel.IsEmpty() && !strDriveMode.IsEmpty();
  try {
    if (bNamesTables && m_pFanDb) DeleteModelRecords(strBigModel, strDriveMode, nKey);
  } catch (const _com_error& e) {
    AfxMessageBox(e.ErrorMessage(), MB_OK);
  }
  m_Grid.DeleteRow(cell.row);
  // The remaining-model query runs for every deleted row, one without series or
  // drive mode too: the view drawing its texts name goes when no model is left.
  if (!m_pFanDb || DeleteUnusedViewDrawing(strBigModel, strFanNo, strDriveMode)) {
    m_Grid.Refresh();
  }
}
