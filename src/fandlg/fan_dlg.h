// CFanDlg: the fan selection dialog. It owns the catalogue connection, the two
// grids and the record of the current model (series, fan number, drive mode,
// speed, hand, view, angle) for as long as it is up.
//
// The string members always equal the texts of their combos after a cascade
// handler has run; the handlers of the dialog read them to build statements.
#pragma once

#include "db/fan_database.h"
#include "fandlg/model.h"
#include "uikit/grid_ctrl.h"
#include "win/afxdialog.h"

class AcDbDatabase;

class CFanDlg : public CAcUiDialog {
 public:
  // m_nSelectMode, the radio group that starts at 202 (exchanged as its index).
  enum SelectMode : int { kSelectByParameters = 0, kBrowseAll = 1 };
  // m_nView, the radio group that starts at 1026.
  enum ViewMode : int { kFrontView = 0, kSideView = 1, kTopView = 2 };
  // What GetTableStyle says of a series' parameter table.
  enum TableStyle : int { kNoTableStyle = 0, kPointTable = 1, kRangeTable = 2 };
  // The lists below the series that parameter mode fills from m_Models.
  enum class CascadeLevel { FanNo, DriveMode, Speed };

  explicit CFanDlg(CWnd* pParent = nullptr);
  ~CFanDlg() override;

  BOOL FillCascade();
  CString FillBigModelList();
  CString FillFanNoList(CString strBigModel);
  CString FillDriveModeList(CString strBigModel, CString strFanNo);
  CString FillSpeedList(CString strBigModel, CString strFanNo, CString strDriveMode);

  void OnBigModelSelChange();
  void OnFanNoSelChange();
  void OnDriveModeSelChange();
  void OnSpeedSelChange();

  BOOL LoadParamGrid();
  BOOL LoadAccessoryGrid();
  int GetModelID();
  CString GetTableHead(CString strIndexName);
  CString GetIndexName(CString strTableHead);
  int GetRecordCount(const _RecordsetPtr& pRecordset);
  // kPointTable, kRangeTable, or kNoTableStyle when the series has no usable style row.
  int GetTableStyle(CString strBigModel);

  // Runs the model list editor modally on m_FanDb.
  void OnModifyType();

  void OnParamGridClick(NMHDR* pNotifyStruct, LRESULT* pResult);
  void OnAccessoryGridClick(NMHDR* pNotifyStruct, LRESULT* pResult);

  // Grid editing: an edited cell is written into the model's row at once; the
  // spare row adds a row; the delete buttons remove the focus cell's row.
  void OnParamGridEndEdit(NMHDR* pNotifyStruct, LRESULT* pResult);
  void OnAccessoryGridEndEdit(NMHDR* pNotifyStruct, LRESULT* pResult);
  void OnDeleteParamRow();
  void OnDeleteAccessoryRow();

  // Selection by parameters (radio 202) and back to browsing (radio 203).
  void OnAutoSelect();
  void OnBrowseAll();
  // The tolerance of the search, from the heading dictionary's ERRORNUM entry.
  int GetErrorNum();
  // Lists the series of the models whose performance data cover the duty
  // point; TRUE when candidates were listed.
  BOOL SelectByParameters(double dAllPress, double dFlux);

  void CreateGrids();
  // Reloads the preview of the current model; with bRefillAngles the outlet
  // angle list is refilled first. The preview control is not built yet, so
  // this leaves the preview area blank.
  void RefreshPreview(BOOL bRefillAngles);

  CGridCtrl m_GridParam;
  CGridCtrl m_GridAccessory;
  CFanDatabase m_FanDb;
  AcDbDatabase* m_pPreviewDb;
  CString m_strBigModel;
  CString m_strFanNo;
  CString m_strDriveMode;
  CString m_strSpeed;
  CString m_strHand;
  CArray<Model, Model> m_Models;
  CComboBox m_cbHand;
  CComboBox m_cbAngle;
  CComboBox m_cbSpeed;
  CComboBox m_cbDriveMode;
  CComboBox m_cbFanNo;
  CComboBox m_cbBigModel;
  double m_dAtmPressure;
  double m_dAirTemp;
  double m_dFlux;
  double m_dAllPress;
  int m_nSelectMode;
  int m_nView;
  CString m_strAngle;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

  DECLARE_MESSAGE_MAP()

 private:
  // One list filler: runs the statement, collects the distinct non-null texts
  // of the column in order of first appearance, and fills the combo.
  // *pbFilled tells whether the combo was filled (false: it was left untouched).
  CString FillList(const CString& strSql, LPCTSTR lpszColumn, CComboBox& combo, bool bEmptyFirst,
                   bool* pbFilled = nullptr);
  // The lookup pattern: the column of the first row of the statement's result.
  bool LookupFirst(const CString& strSql, LPCTSTR lpszColumn, _variant_t& value);
  BOOL LoadGrid(CGridCtrl& grid, const CString& strTable);
  // Parameter mode: the distinct values of one field over the candidates that
  // match the fields above it.
  void FillFromModels(CComboBox& combo, CascadeLevel level);
  // Adds value unless an item with exactly that text is there.
  static void AddDistinctItem(CComboBox& combo, const CString& value);
  // The ModelID text of the last row of the series' parameter table that
  // covers the duty point, empty when none does.
  CString LastMatchingModelID(const CString& strBigModel, int nStyle, double dAllPress,
                              double dFlux, int nErrorNum);
  // The tables the two grids show and edit for the current model.
  CString ParamTableName() const;
  CString AccessoryTableName() const;
  void StoreCellEdit(CGridCtrl& grid, const CString& strTable, int nRow, int nCol,
                     bool bStoreEmpty);
  void DeleteFocusRow(CGridCtrl& grid, const CString& strTable);
};
