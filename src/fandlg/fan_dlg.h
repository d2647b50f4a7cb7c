// CFanDlg: the fan selection dialog. It owns the catalogue connection, the two
// grids and the record of the current model (series, fan number, drive mode,
// speed, hand, view, angle) for as long as it is up.
//
// The string members always equal the texts of their combos after a cascade
// handler has run; the handlers of the dialog read them to build statements.
#pragma once

#include <optional>

#include "cadkit/preview_ctrl.h"
#include "db/fan_database.h"
#include "drawings/fan_record.h"
#include "drawings/fan_view.h"
#include "drawings/view_drawing_cache.h"
#include "drawings/view_names.h"
#include "fandlg/model.h"
#include "uikit/grid_ctrl.h"
#include "win/afxdialog.h"

class CFanDlg : public CAcUiDialog {
 public:
  // m_nSelectMode, the radio group that starts at 202 (exchanged as its index).
  enum SelectMode : int { kSelectByParameters = 0, kBrowseAll = 1 };
  // m_nView, the radio group that starts at 1026.
  enum ViewMode : int {
    kFrontView = kViewDrawingFront,
    kSideView = kViewDrawingSide,
    kTopView = kViewDrawingTop
  };
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
  // Reloads the preview of the current model, view, hand and angle from the
  // model's view drawing; with bRefillAngles the outlet angle list is refilled
  // from that drawing first (fandlg/fan_dlg_preview.cpp).
  void RefreshPreview(BOOL bRefillAngles);

  // The drawing library's names for the current model (drawings/view_names.h).
  CString GetFanDwgFileName();
  CString GetViewBlockName();
  // Refills combo 1017 with the angles that pDb's block names offer for the
  // hand shown in combo 1018.
  bool FillAngleList(AcDbDatabase* pDb);
  // The block's size about its origin, symmetric: (width, height, 1); (1, 1, 1)
  // and false when its extents cannot be computed.
  bool GetBlockSize(AcDbObjectId blockId, AcGePoint3d& size);
  // Adds the red cross that marks the block's base point to pDb's model space.
  bool DrawBasePointMark(AcDbDatabase* pDb, AcDbObjectId blockId);
  void OnFrontView();
  void OnSideView();
  void OnTopView();
  void OnHandSelChange();
  void OnHandEditChange();
  void OnAngleEditChange();
  void OnAngleSelChange();
  void OnAngleSelEndOk();

  // View blocks made from the drawing and deleted (fandlg/fan_dlg_view_blocks.cpp).
  void OnAddDrawing();
  void OnDeleteDrawing();
  // False when the entity is, or holds at any depth, a reference to a view
  // block or a placed block of this model; strName then names that block.
  bool CheckSelectedEntity(AcDbObjectId id, CString& strName);
  bool IsViewBlockName(CString strName);

  // Placing the fan into the current drawing (fandlg/fan_dlg_place.cpp).
  void OnPlaceFan();
  // What FANDUTY worked out for one model (its series, fan number, drive and
  // speed, the duty and the operating point): fans of that model placed from
  // this dialog carry it in their record; other models do not.
  void SetDutyResult(const FanRecord& result) { m_DutyResult = result; }
  // Editing a placed fan (FANEDIT): 布置 then replaces the fan id in place
  // instead of asking for a rotation and point (ReplacePlacedBlock,
  // drawings/fan_placement.h), writes the placement entries of the current
  // model as a placement does and the record EditedFanRecord makes of the
  // fan's old one (none for a fan placed before records), and ends the
  // dialog with IDOK. A replacement that cannot be made does nothing, as a
  // placement does.
  void SetFanToReplace(AcDbObjectId id, const std::optional<FanRecord>& record) {
    m_FanToReplace = id;
    m_ReplacedRecord = record;
  }

  CGridCtrl m_GridParam;
  CGridCtrl m_GridAccessory;
  CFanDatabase m_FanDb;
  CZrAcGsPreviewCtrl m_Preview;
  // The database the preview shows; owned by m_Preview once handed to its init.
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
  // Reads the searches of every series in the list at once (one round trip to a catalogue
  // server, none on a file) before SelectByParameters runs them one by one.
  void PrefetchSearches(double dAllPress, double dFlux, int nErrorNum);
  // Whether a row of the series' parameter table covers the duty point; the
  // ModelID text of the last such row (which may be empty) in strModelID.
  bool LastMatchingModelID(const CString& strBigModel, int nStyle, double dAllPress, double dFlux,
                           int nErrorNum, CString& strModelID);
  // The tables the two grids show and edit for the current model.
  CString ParamTableName() const;
  CString AccessoryTableName() const;
  void StoreCellEdit(CGridCtrl& grid, const CString& strTable, int nRow, int nCol,
                     bool bStoreEmpty);
  void DeleteFocusRow(CGridCtrl& grid, const CString& strTable);

  // The current model, view, hand and angle.
  FanView CurrentFanView() const;
  // The drawing library's paths and names for the current model.
  CString GetFanBaseName();
  CString GetFanDwgPath();
  // An empty preview: nothing shown, no text.
  void ClearPreview();
  // The look of a shown preview: style, black background, view and model settings.
  void SetUpPreviewGraphics();
  // The view drawing that adding a view block writes to: read, or created when
  // there is none; null (the user told) when it exists but cannot be read.
  AcDbDatabase* OpenViewDrawingForAdd(const CString& strPath);
  // Steps of adding a view block once the dialog has stepped aside.
  enum class AddOutcome { kEnded, kRefused, kStored };
  AddOutcome SelectAndStoreViewBlock(AcDbDatabase* pViewDb, const CString& strPath,
                                     const CString& strBlock, ads_name ss, bool& bHaveSet);
  // Makes AC_EQUIPMENT current (creating it when missing); the layer current
  // before in oldLayer. False when the layer table cannot be opened.
  bool MakeEquipmentLayerCurrent(AcDbDatabase* pDb, AcDbObjectId& oldLayer);
  // Tags the reference just placed with the model's extended data, then its
  // record with the next tag.
  void TagPlacedFan();
  void TagPlacementXdata(AcDbObjectId id);
  // The placed fan's record, from what the dialog holds (no statement sent).
  FanRecord PlacedFanRecord() const;
  void ReplaceFan(AcDbDatabase* pViewDb, const FanView& fan);

  // The view drawing the preview and placement read last, while its file is unchanged.
  CViewDrawingCache m_ViewDrawings;
  std::optional<FanRecord> m_DutyResult;
  AcDbObjectId m_FanToReplace;
  std::optional<FanRecord> m_ReplacedRecord;
};
