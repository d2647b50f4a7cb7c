// Grid editing: writing an edited cell back into the catalogue, adding a row
// through the spare row, and deleting the focus cell's row.
//
// A grid row stands for a catalogue row by position: grid row r (r >= 1) is
// the r-th row of the current model in its table, and grid column j is the
// field whose heading the column shows. Each edit and deletion finds its row
// again with a fresh query of the model's rows and moves r-1 rows from the
// first, so the load and every later query must return the rows in the same
// order. The statements have no sort clause; the data layer reads a
// single-table SELECT in rowid order (insertion order), and a row added with
// INSERT gets a rowid above all others, so it comes last, where the spare
// row that added it stands. Every change is committed at once and the grid is
// not reloaded: until the next load it shows the texts as typed.
#include "db/catalogue_statements.h"
#include "db/probe_query.h"
#include "fandlg/fan_dlg.h"

namespace {

const NM_GRIDVIEW* GridItem(const NMHDR* pNotifyStruct) {
  return reinterpret_cast<const NM_GRIDVIEW*>(pNotifyStruct);
}

// What the user is shown when the recordset refuses a write or a deletion: the
// error's own text ("类型不匹配。" for a number column given letters, the
// no-current-record text for a position past the model's last row).
void ShowDataError(const _com_error& e) { AfxMessageBox(e.ErrorMessage(), MB_OK); }

}  // namespace

// The grids keep the typed text whatever happens to the write, so the
// notification's result is left alone.
void CFanDlg::OnParamGridEndEdit(NMHDR* pNotifyStruct, LRESULT* /*pResult*/) {
  const NM_GRIDVIEW* pItem = GridItem(pNotifyStruct);
  StoreCellEdit(m_GridParam, ParamTableName(), pItem->iRow, pItem->iColumn, true);
}

// An emptied accessory cell is not written: the old value comes back at the
// next load.
void CFanDlg::OnAccessoryGridEndEdit(NMHDR* pNotifyStruct, LRESULT* /*pResult*/) {
  const NM_GRIDVIEW* pItem = GridItem(pNotifyStruct);
  StoreCellEdit(m_GridAccessory, AccessoryTableName(), pItem->iRow, pItem->iColumn, false);
}

void CFanDlg::OnDeleteParamRow() { DeleteFocusRow(m_GridParam, ParamTableName()); }

void CFanDlg::OnDeleteAccessoryRow() { DeleteFocusRow(m_GridAccessory, AccessoryTableName()); }

void CFanDlg::StoreCellEdit(CGridCtrl& grid, const CString& strTable, int nRow, int nCol,
                            bool bStoreEmpty) {
  if (nRow == grid.GetRowCount() - 1) {
    // The spare row becomes a catalogue row once its first column has text;
    // until then what is typed there stays in the grid only.
    if (grid.GetItemText(nRow, 1).IsEmpty()) return;
    CString strNumber;
    strNumber.Format(L"%d", nRow);
    grid.SetItemText(nRow, 0, strNumber);
    grid.SetRowCount(nRow + 2);
    // A failed insert has been reported; the write below then finds no row at
    // this position and says so.
    m_FanDb.Execute(SqlAddRow(strTable, GetModelID()));
  }

  const CString strValue = grid.GetItemText(nRow, nCol);
  if (strValue.IsEmpty() && !bStoreEmpty) return;
  const CString strField = GetIndexName(grid.GetItemText(0, nCol));

  _RecordsetPtr pRecordset = ProbeAndOpen(m_FanDb, SqlRowsToEdit(strTable, GetModelID()));
  if (pRecordset == nullptr) return;
  try {
    if (pRecordset->GetBOF()) {
      pRecordset->Close();
      return;
    }
    pRecordset->Move(nRow - 1, g_vtMissing);
    // Written as text: the column's type decides whether it can take it. An
    // unknown field (an empty or unmapped heading) is refused here too.
    pRecordset->PutCollect(strField, _variant_t(strValue));
    pRecordset->Update(g_vtMissing, g_vtMissing);
    pRecordset->Close();
  } catch (const _com_error& e) {
    // Nothing of this edit is stored: closing drops a value that was staged.
    ShowDataError(e);
  }
}

void CFanDlg::DeleteFocusRow(CGridCtrl& grid, const CString& strTable) {
  const CCellID cell = grid.GetFocusCell();
  if (cell.row < 1) return;

  _RecordsetPtr pRecordset = ProbeAndOpen(m_FanDb, SqlRowsToEdit(strTable, GetModelID()));
  if (pRecordset == nullptr) return;
  try {
    if (pRecordset->GetBOF()) {
      pRecordset->Close();
      return;
    }
    pRecordset->Move(cell.row - 1, g_vtMissing);
    pRecordset->Delete(adAffectCurrent);
    pRecordset->Close();
  } catch (const _com_error& e) {
    ShowDataError(e);
    return;
  }
  // The rows below keep their numbers until the next load.
  grid.DeleteRow(cell.row);
  grid.Refresh();
}
