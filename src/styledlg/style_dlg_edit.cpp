// CStyleDlg: writing an edited row to its record, the placeholder rows of its
// dependent tables, and the check that guards OK and adding a row.
#include <cwchar>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/wide_stdlib.h"
#include "db/catalogue_statements.h"
#include "db/field_text.h"
#include "db/probe_query.h"
#include "styledlg/style_dlg.h"
#include "win/message_box.h"

// The record is looked for first at the row's position, where it stands
// while the grid shows the records in the catalogue's order, and otherwise
// among all records by its ID: rows inserted by key, rows removed from the
// grid only, or another order of the catalogue's records all move rows away
// from their positions, and a positional write would change another model.
bool CStyleDlg::SeekModelRecord(const _RecordsetPtr& pRecordset, int nRow, const CString& strKey) {
  pRecordset->Move(nRow - 1, g_vtMissing);
  if (!pRecordset->GetadoEOF() && FieldText(pRecordset->GetCollect(L"ID")) == strKey) return true;
  for (pRecordset->MoveFirst(); !pRecordset->GetadoEOF(); pRecordset->MoveNext()) {
    if (FieldText(pRecordset->GetCollect(L"ID")) == strKey) return true;
  }
  return false;
}

void CStyleDlg::EnsurePlaceholderRow(const CString& strTable, const CString& strKey) {
  _RecordsetPtr pRecordset = ProbeAndOpen(*m_pFanDb, SqlPlaceholderRows(strTable, strKey));
  if (pRecordset == nullptr) return;
  const bool bHasRow = !pRecordset->GetBOF();
  pRecordset->Close();
  if (bHasRow) return;
  m_pFanDb->Execute(SqlAddPlaceholderRow(strTable, strKey));
}

void CStyleDlg::OnGridEndEdit(NMHDR* pNotifyStruct, LRESULT* /*pResult*/) {
  const auto* pItem = reinterpret_cast<const NM_GRIDVIEW*>(pNotifyStruct);
  const int nRow = pItem->iRow;
  if (nRow < m_Grid.GetFixedRowCount() || nRow >= m_Grid.GetRowCount() || !m_pFanDb) return;
  // The whole row is written, whichever cell was edited; an incomplete row
  // waits until its key, series, drive mode, fan number and speed are all there.
  CString texts[kColumnCount];
  for (int nCol = 0; nCol < kColumnCount; ++nCol) texts[nCol] = m_Grid.GetItemText(nRow, nCol);
  for (int nCol = kColID; nCol <= kColSpeed; ++nCol) {
    if (texts[nCol].IsEmpty()) return;
  }
  const CString& strKey = texts[kColID];
  const CString& strBigModel = texts[kColBigModel];
  const CString& strDriveMode = texts[kColDriveMode];

  _RecordsetPtr pRecordset = ProbeAndOpen(*m_pFanDb, SqlAllModelsToEdit());
  if (pRecordset == nullptr) return;
  try {
    if (pRecordset->GetBOF() || !SeekModelRecord(pRecordset, nRow, strKey)) {
      pRecordset->Close();
      return;
    }
    // Fan number and speed are stored as numbers: the leading number of the
    // text, 0 when it has none ("4.5abc" is 4.5, "abc" 0).
    pRecordset->PutCollect(L"BigModel", _variant_t(strBigModel));
    pRecordset->PutCollect(L"DriveMode", _variant_t(strDriveMode));
    pRecordset->PutCollect(L"FanNo", _variant_t(std::wcstod(texts[kColFanNo], nullptr)));
    pRecordset->PutCollect(L"Speed", _variant_t(static_cast<long>(_wtoi(texts[kColSpeed]))));
    pRecordset->PutCollect(L"LabelModel", _variant_t(texts[kColLabelModel]));
    pRecordset->Update(g_vtMissing, g_vtMissing);
    EnsurePlaceholderRow(strBigModel + L"_Parameter", strKey);
    EnsurePlaceholderRow(strBigModel + L"_" + strDriveMode + L"_Accessory", strKey);
    pRecordset->Close();
  } catch (const _com_error& e) {
    // A value its column refuses: nothing of the row was written; the grid
    // keeps the text.
    AfxMessageBox(e.ErrorMessage(), MB_OK);
  }
}

void CStyleDlg::OnOK() {
  // Every complete row was written when it was edited; OK only checks.
  if (!CheckModelRows()) return;
  CDialog::OnOK();
}

bool CStyleDlg::CheckModelRows() {
  const int nRowCount = m_Grid.GetRowCount();
  if (nRowCount < 2) return false;
  std::vector<std::wstring> keys;
  for (int nRow = 1; nRow < nRowCount; ++nRow) {
    std::wstring key;
    for (int nCol = kColID; nCol <= kColSpeed; ++nCol) {
      const CString text = m_Grid.GetItemText(nRow, nCol);
      if (text.IsEmpty()) {
        CString strMessage;
        strMessage.Format(L"%d行%d列不能为空!", nRow, nCol);
        AfxMessageBox(strMessage, MB_OK);
        return false;
      }
      // The model key: series, drive mode, fan number and speed run together.
      if (nCol != kColID) key += text.str();
    }
    keys.push_back(std::move(key));
  }
  // The pair reported is the first in the order (i, then j, ascending): the
  // smallest i that has a duplicate, with its first duplicate j. One pass
  // finds it: each key's first row, and the row of its first repetition.
  std::unordered_map<std::wstring, std::pair<int, int>> rows;
  int nFirst = 0;
  int nSecond = 0;
  for (int i = 0; i < static_cast<int>(keys.size()); ++i) {
    auto [it, bNew] = rows.try_emplace(keys[static_cast<std::size_t>(i)], i + 1, 0);
    if (bNew || it->second.second != 0) continue;
    it->second.second = i + 1;
    if (nFirst == 0 || it->second.first < nFirst) {
      nFirst = it->second.first;
      nSecond = i + 1;
    }
  }
  if (nFirst != 0) {
    CString strMessage;
    strMessage.Format(L"第%d行与第%d行表示型号相同!", nFirst, nSecond);
    AfxMessageBox(strMessage, MB_OK);
    return false;
  }
  return true;
}
