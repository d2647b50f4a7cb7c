// Selection by parameters: the two mode radios, the tolerance, and the search
// of every series' parameter table for models that cover the duty point.
//
// Parameter mode (radio 202) keeps the models found in m_Models and fills the
// series list from them; the cascade handlers then narrow the lower lists to
// those models. Browse mode (radio 203) lists the whole catalogue again. The
// controls that only make sense in one mode follow it: the four duty edits are
// enabled in parameter mode, the row-deletion and model-editor buttons in
// browse mode.
#include <climits>
#include <cwchar>
#include <string>
#include <vector>

#include "db/catalogue_statements.h"
#include "db/field_text.h"
#include "db/probe_query.h"
#include "fandlg/fan_dlg.h"
#include "res/resource.h"

namespace {

constexpr int kDutyEdits[] = {IDC_EDIT_ATMPRESSURE, IDC_EDIT_FLUX, IDC_EDIT_AIRTEMP,
                              IDC_EDIT_ALLPRESS};
constexpr int kBrowseButtons[] = {IDC_BUTTON_DELETEPARAMROW, IDC_BUTTON_DELETEACCESSORYROW,
                                  IDC_BUTTON_MODIFYTYPE};

template <std::size_t N>
void EnableControls(CWnd& dlg, const int (&ids)[N], BOOL bEnable) {
  for (const int nID : ids) {
    if (CWnd* pWnd = dlg.GetDlgItem(nID)) pWnd->EnableWindow(bEnable);
  }
}

// A text read as a decimal integer the way the catalogue's numbers are typed:
// leading blanks, a sign, then digits up to the first other character; no
// digits at all gives 0. Values beyond int are held at its bounds.
int DecimalValue(const CString& text) {
  const long value = std::wcstol(text.GetString(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

void CFanDlg::OnAutoSelect() {
  m_nSelectMode = kSelectByParameters;
  EnableControls(*this, kBrowseButtons, FALSE);
  EnableControls(*this, kDutyEdits, TRUE);
  // A text in an edit that is not a number is refused here by the framework's
  // prompt; the search then runs on the values the members still hold, and
  // the cascade it refills writes them back into the edits.
  UpdateData(TRUE);
  SelectByParameters(m_dAllPress, m_dFlux);
  UpdateData(TRUE);
}

void CFanDlg::OnBrowseAll() {
  m_nSelectMode = kBrowseAll;
  // FillCascade starts from empty lists: its series filler adds to what is there.
  m_cbBigModel.ResetContent();
  m_cbDriveMode.ResetContent();
  m_cbFanNo.ResetContent();
  m_cbSpeed.ResetContent();
  EnableControls(*this, kBrowseButtons, TRUE);
  EnableControls(*this, kDutyEdits, FALSE);
  FillCascade();
  UpdateData(TRUE);
}

int CFanDlg::GetErrorNum() { return DecimalValue(GetTableHead(L"ERRORNUM")); }

void CFanDlg::PrefetchSearches(double dAllPress, double dFlux, int nErrorNum) {
  // A series' table style is only known when its turn comes (asking for it here would
  // send its statement twice): both searches are read, and the one of the other style
  // fails on the columns it names, changing nothing.
  std::vector<std::wstring> searches;
  for (int i = 0; i < m_cbBigModel.GetCount(); ++i) {
    CString strBigModel;
    m_cbBigModel.GetLBText(i, strBigModel);
    const CString strTable = strBigModel + L"_Parameter";
    searches.push_back(SqlPointRowsNear(strTable, dAllPress, dFlux, nErrorNum).str());
    searches.push_back(SqlRangeRowsHolding(strTable, dAllPress, dFlux).str());
  }
  m_FanDb.Prefetch(searches);
}

bool CFanDlg::LastMatchingModelID(const CString& strBigModel, int nStyle, double dAllPress,
                                  double dFlux, int nErrorNum, CString& strModelID) {
  const CString strTable = strBigModel + L"_Parameter";
  CString strSql;
  if (nStyle == kPointTable) {
    strSql = SqlPointRowsNear(strTable, dAllPress, dFlux, nErrorNum);
  } else if (nStyle == kRangeTable) {
    strSql = SqlRangeRowsHolding(strTable, dAllPress, dFlux);
  } else {
    return false;
  }

  // A series whose table cannot be queried (the wrapper has said why) finds nothing.
  _RecordsetPtr pRecordset = ProbeAndOpen(m_FanDb, strSql);
  if (pRecordset == nullptr) return false;
  const bool found = !pRecordset->GetBOF();
  if (found) {
    // The statement has no sort clause: "last" is the last matching row in
    // the table's own order, which the data layer keeps as insertion order.
    while (!pRecordset->GetadoEOF()) {
      strModelID = FieldText(pRecordset->GetCollect(L"ModelID"));
      pRecordset->MoveNext();
    }
  }
  pRecordset->Close();
  return found;
}

BOOL CFanDlg::SelectByParameters(double dAllPress, double dFlux) {
  // The series list is refilled from the catalogue, not added to: the list of
  // the previous mode or search would otherwise stay in it and every series
  // would be searched, and shown, twice.
  m_cbBigModel.ResetContent();
  FillBigModelList();
  const int nErrorNum = GetErrorNum();
  m_Models.RemoveAll();
  CStringArray modelIDs;
  PrefetchSearches(dAllPress, dFlux, nErrorNum);

  for (int i = 0; i < m_cbBigModel.GetCount(); ++i) {
    CString strBigModel;
    m_cbBigModel.GetLBText(i, strBigModel);
    const int nStyle = GetTableStyle(strBigModel);
    // Without a style the series' table cannot be read: the whole search
    // stops, leaving the series list as the catalogue filled it.
    if (nStyle == kNoTableStyle) return FALSE;
    // The last matching row's ModelID is taken as it is, empty too: the
    // candidate query then names no model by it.
    CString strModelID;
    if (LastMatchingModelID(strBigModel, nStyle, dAllPress, dFlux, nErrorNum, strModelID))
      modelIDs.Add(strModelID);
  }
  if (modelIDs.GetSize() == 0) {
    m_cbBigModel.ResetContent();
    return FALSE;
  }

  _RecordsetPtr pRecordset = ProbeAndOpen(m_FanDb, SqlCandidateModels(modelIDs));
  if (pRecordset == nullptr) return FALSE;
  if (pRecordset->GetBOF()) {
    pRecordset->Close();
    return FALSE;
  }
  while (!pRecordset->GetadoEOF()) {
    Model model;
    model.ID = DecimalValue(FieldText(pRecordset->GetCollect(L"ID")));
    model.BigModel = FieldText(pRecordset->GetCollect(L"BigModel"));
    model.DriveMode = FieldText(pRecordset->GetCollect(L"DriveMode"));
    model.FanNo = FieldText(pRecordset->GetCollect(L"FanNo"));
    model.Speed = FieldText(pRecordset->GetCollect(L"Speed"));
    model.LabelModel = FieldText(pRecordset->GetCollect(L"LabelModel"));
    m_Models.Add(model);
    pRecordset->MoveNext();
  }
  pRecordset->Close();

  m_cbBigModel.ResetContent();
  m_cbDriveMode.ResetContent();
  m_cbFanNo.ResetContent();
  m_cbSpeed.ResetContent();
  for (int i = 0; i < m_Models.GetSize(); ++i) {
    AddDistinctItem(m_cbBigModel, m_Models[i].BigModel);
  }
  m_cbBigModel.SetCurSel(0);
  OnBigModelSelChange();
  return TRUE;
}
