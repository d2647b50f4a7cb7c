// The texts of the dialogs' statements (db/catalogue_statements.h).
#include "db/catalogue_statements.h"

namespace {

template <typename... Args>
CString Format(LPCTSTR lpszFormat, const Args&... args) {
  CString strSql;
  strSql.Format(lpszFormat, args...);
  return strSql;
}

}  // namespace

CString SqlAllModels() { return L"SELECT * FROM Model"; }
CString SqlAllModelsToEdit() { return L"select * from Model"; }
CString SqlAllModelsToNumber() { return L"Select * from Model"; }

CString SqlModelsOfSeries(const CString& strBigModel) {
  return Format(L"SELECT * FROM Model WHERE BigModel LIKE '%s'", strBigModel);
}

CString SqlModelsOfFanNo(const CString& strBigModel, const CString& strFanNo) {
  return Format(L"SELECT * FROM Model WHERE FanNo LIKE '%s' AND BigModel LIKE '%s'", strFanNo,
                strBigModel);
}

CString SqlModelsOfDriveMode(const CString& strBigModel, const CString& strFanNo,
                             const CString& strDriveMode) {
  return Format(
      L"SELECT * FROM Model WHERE FanNo LIKE '%s' AND BigModel LIKE '%s' AND DriveMode LIKE '%s'",
      strFanNo, strBigModel, strDriveMode);
}

CString SqlModelOfSpeed(const CString& strBigModel, const CString& strFanNo,
                        const CString& strDriveMode, const CString& strSpeed) {
  return Format(
      L"SELECT * FROM Model WHERE BigModel LIKE '%s' AND FanNo LIKE '%s' AND DriveMode LIKE "
      L"'%s' AND Speed LIKE '%s'",
      strBigModel, strFanNo, strDriveMode, strSpeed);
}

CString SqlPlacedModel(const CString& strBigModel, const CString& strDriveMode,
                       const CString& strFanNo, const CString& strSpeed) {
  return Format(
      L"select * From Model where BigModel like '%s' and DriveMode like '%s' and FanNo like '%s' "
      L"and Speed like '%s'",
      strBigModel, strDriveMode, strFanNo, strSpeed);
}

CString SqlCandidateModels(const CStringArray& modelIDs) {
  CString strSql = L"select * from Model where ";
  for (int i = 0; i < modelIDs.GetSize(); ++i) {
    strSql += Format(i + 1 < modelIDs.GetSize() ? L"ID like %s or " : L"ID like %s", modelIDs[i]);
  }
  return strSql;
}

CString SqlHeadingOfColumn(const CString& strIndexName) {
  return Format(L"SELECT * FROM IndexTableName WHERE IndexName LIKE '%s'", strIndexName);
}

CString SqlColumnOfHeading(const CString& strTableHead) {
  return Format(L"SELECT * FROM IndexTableName WHERE TableHead LIKE '%s'", strTableHead);
}

CString SqlTableStyle(const CString& strBigModel) {
  return Format(L"SELECT * FROM Model_Table_Parameter_Style WHERE  BigModel LIKE '%s'",
                strBigModel);
}

CString SqlGridRows(const CString& strTable, int nModelID) {
  return Format(L"SELECT * FROM %s WHERE ModelID LIKE '%d'", strTable, nModelID);
}

CString SqlRowsToEdit(const CString& strTable, int nModelID) {
  return Format(L"select * from %s where ModelID like %d", strTable, nModelID);
}

CString SqlAddRow(const CString& strTable, int nModelID) {
  return Format(L"insert into %s (ModelID) values(%d)", strTable, nModelID);
}

CString SqlPointRowsNear(const CString& strTable, double dAllPress, double dFlux, int nErrorNum) {
  return Format(
      L"select * from %s where AllPress >= %f And AllPress <=%f And Flux >= %f And Flux <= %f",
      strTable, dAllPress - nErrorNum, dAllPress + nErrorNum, dFlux - nErrorNum, dFlux + nErrorNum);
}

CString SqlRangeRowsHolding(const CString& strTable, double dAllPress, double dFlux) {
  return Format(
      L"select * from %s where AllPressLow <= %f AND AllPressHigh >= %f and FluxLow <= %f and "
      L"FluxHigh >= %f",
      strTable, dAllPress, dAllPress, dFlux, dFlux);
}

CString SqlPlaceholderRows(const CString& strTable, const CString& strKey) {
  return Format(L"select * from %s where ModelID like %s", strTable, strKey);
}

CString SqlAddPlaceholderRow(const CString& strTable, const CString& strKey) {
  return Format(L"insert into %s (ModelID) Values(%s)", strTable, strKey);
}

CString SqlParameterRowsOfKey(const CString& strBigModel, int nKey) {
  return Format(L"Select * from %s_Parameter where ModelID like %d", strBigModel, nKey);
}

CString SqlAccessoryRowsOfKey(const CString& strBigModel, const CString& strDriveMode, int nKey) {
  return Format(L"Select * from %s_%s_Accessory where ModelID like %d", strBigModel, strDriveMode,
                nKey);
}

CString SqlDeleteRowsOfKey(const CString& strTable, int nKey) {
  return Format(L"delete * from %s where ModelID like %d", strTable, nKey);
}

CString SqlModelOfKey(int nKey) { return Format(L"Select * from Model where ID like %d", nKey); }

CString SqlDeleteModelOfKey(int nKey) {
  return Format(L"delete * from Model where ID like %d", nKey);
}

CString SqlModelsOfViewDrawing(const CString& strBigModel, const CString& strFanNo,
                               const CString& strDriveMode) {
  return Format(
      L"select * from Model where BigModel like '%s' and FanNo Like '%s' and DriveMode like '%s'",
      strBigModel, strFanNo, strDriveMode);
}
