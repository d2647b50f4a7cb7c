// CStyleDlg: the model list editor. One grid row per record of the catalogue's
// Model table; adding, deleting and editing a row writes the catalogue at once.
//
// The editor keeps no copy of the catalogue: every row it shows was read by
// FillModelGrid or made by OnAddRow, and every change goes to the catalogue
// when it is made, through the fan dialog's connection (lent, not owned; it
// outlives the editor). Cancel therefore undoes nothing. The rows read by
// FillModelGrid stay in its recordset, open until the grid lets them go (the
// grid's source rows): a cell's text is taken from it when the cell is first
// read or shown, so opening the editor on 10,000 models converts only what is
// looked at. The recordset's rows are those read when it opened; the editor's
// own writes go through recordsets of their own and leave them as they were.
//
// Grid layout: row 0 holds the headings; each later row is one model, its ID
// as text in the fixed column 0 (the row's key), then series, drive mode, fan
// number, speed and label model. Rows come in the order the catalogue returns
// them, and a new row goes where its key puts it among keys 1..n; an edit is
// written to the record whose ID is the row's key, wherever the row stands.
#pragma once

#include <memory>

#include "db/fan_database.h"
#include "uikit/grid_btn_cell.h"
#include "uikit/grid_ctrl.h"
#include "win/afxdialog.h"

class CStyleDlg : public CDialog {
 public:
  // Grid columns.
  enum Column : int {
    kColID = 0,
    kColBigModel = 1,
    kColDriveMode = 2,
    kColFanNo = 3,
    kColSpeed = 4,
    kColLabelModel = 5,
    kColumnCount = 6
  };

  // pFanDb: the catalogue connection, kept only when not null.
  explicit CStyleDlg(CFanDatabase* pFanDb, CWnd* pParent = nullptr);
  ~CStyleDlg() override;

  BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr) override;

  // Fills the grid with one row per model; false when the table could not be
  // read or is empty.
  bool FillModelGrid();
  // The distinct non-null series of the catalogue, in order of first appearance.
  bool GetBigModelList(CStringArray& list);
  // The distinct non-null drive modes of one series, in order of first appearance.
  bool GetDriveModeList(const CString& strBigModel, CStringArray& list);
  // Makes cell (nRow, nCol) a drop-down list offering list, with its button
  // when bButton is set; the cell keeps its text.
  void SetComboCell(int nRow, int nCol, const CStringArray& list, BOOL bButton);
  // Whether every model row is complete and no two denote the same model;
  // shows a message naming the first fault.
  bool CheckModelRows();

  void OnGridClick(NMHDR* pNotifyStruct, LRESULT* pResult);
  void OnGridEndEdit(NMHDR* pNotifyStruct, LRESULT* pResult);
  void OnAddRow();
  void OnDeleteRow();

  CGridCtrl m_Grid;
  CBtnDataBase m_BtnDataBase;
  CFanDatabase* m_pFanDb;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

  DECLARE_MESSAGE_MAP()

 private:
  // The model rows of one fill, behind the grid's rows (style_dlg.cpp).
  class ModelRows;
  // Reads the open recordset's rows into rows: the lists each row's combo
  // cells offer, asked for in the order the rows need them. Throws
  // _com_error; rows then holds the rows begun before.
  void ReadModelRows(const _RecordsetPtr& pRecordset, ModelRows& rows);
  // A combo cell set up as SetComboCell sets one up, to be a pattern of cells.
  std::shared_ptr<const CGridCellBase> ComboPattern(const CStringArray& list);
  void SetUpCombo(CGridBtnCellCombo& cell, const CStringArray& list, BOOL bButton);
  // The distinct non-null texts of one column over the statement's rows.
  bool CollectDistinct(const CString& strSql, LPCTSTR lpszColumn, CStringArray& list);
  // The smallest positive ID that no record of the open Model recordset has.
  static int NewModelKey(const _RecordsetPtr& pRecordset);
  // Puts a new row for key nKey into the grid; returns its index.
  int InsertKeyRow(int nKey, int nRowCount);
  // Deletes the model's rows in its two dependent tables and its Model record.
  void DeleteModelRecords(const CString& strBigModel, const CString& strDriveMode, int nKey);
  // Deletes the view drawing when no model of that series, fan number and
  // drive mode is left.
  bool DeleteUnusedViewDrawing(const CString& strBigModel, const CString& strFanNo,
                               const CString& strDriveMode);
  // Moves the open Model recordset to the record whose ID is strKey, trying
  // the row's position first; false when no record has that ID.
  static bool SeekModelRecord(const _RecordsetPtr& pRecordset, int nRow, const CString& strKey);
  // Gives the model a row with only ModelID in strTable when it has none there.
  void EnsurePlaceholderRow(const CString& strTable, const CString& strKey);
};
