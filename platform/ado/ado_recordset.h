// _Recordset: the data-access recordset object ("ADODB.Recordset").
#pragma once

#include <concepts>
#include <memory>
#include <string>
#include <vector>

#include "ado_connection.h"
#include "row_set.h"

// The rows of one SELECT, with a current position.
//
// States: closed (after creation and Close), open. While open the position is
// on a row, before the first (BOF) or after the last (EOF); an empty
// recordset is at both. Edits: PutCollect on the current row, or after
// AddNew on a new row, stages values converted to their columns' types;
// Update writes them through the row's rowid (moving away updates first, as
// the original objects do; Close and CancelUpdate drop them). Rows keep
// their order; a deleted row stays current until the position moves.
//
// Every method raises _com_error on failure: adErrObjectClosed when closed,
// adErrNoCurrentRecord at BOF/EOF or on a deleted row, adErrItemNotFound for
// an unknown field, adErrFeatureNotAvailable for writes to a read-only
// recordset, DISP_E_TYPEMISMATCH/DISP_E_OVERFLOW for a value its column
// cannot take, and the database's error when a statement fails.
class _Recordset : public adoimpl::RefCounted<IDispatch> {
 public:
  static _Recordset* createInstance(std::wstring_view progId);
  // A closed recordset (what Execute gives for a statement without rows).
  static _Recordset* createClosed();
  // An open, read-only recordset of sql that reads its rows when first used.
  static _Recordset* createDeferred(const _ConnectionPtr& connection, std::wstring_view sql);

  // source: the SQL text (or, with adCmdTable, a table name).
  // activeConnection: the connection as VT_DISPATCH, or a connection string.
  HRESULT Open(const _variant_t& source, const _variant_t& activeConnection,
               CursorTypeEnum cursorType = adOpenUnspecified,
               LockTypeEnum lockType = adLockUnspecified, long options = adCmdUnspecified);
  HRESULT Open(const _variant_t& source, const _ConnectionPtr& activeConnection,
               CursorTypeEnum cursorType = adOpenUnspecified,
               LockTypeEnum lockType = adLockUnspecified, long options = adCmdUnspecified);
  HRESULT Open(const _variant_t& source, _Connection* activeConnection,
               CursorTypeEnum cursorType = adOpenUnspecified,
               LockTypeEnum lockType = adLockUnspecified, long options = adCmdUnspecified);
  HRESULT Close();
  long GetState();

  // VARIANT_TRUE (-1) or VARIANT_FALSE: test them as booleans, not against TRUE.
  VARIANT_BOOL GetBOF();
  VARIANT_BOOL GetadoEOF();

  HRESULT MoveFirst();
  HRESULT MoveLast();
  HRESULT MoveNext();
  HRESULT MovePrevious();
  // Moves numRecords rows (negative: back) from start: the current row
  // (missing, or adBookmarkCurrent), adBookmarkFirst or adBookmarkLast.
  // Moving past the last row stops at EOF, before the first at BOF.
  HRESULT Move(long numRecords, const _variant_t& start = vtMissing);

  // index: a field name (any letter case) or a position from 0.
  _variant_t GetCollect(const _variant_t& index);
  void PutCollect(const _variant_t& index, const _variant_t& value);
  // The same by name, without building a variant for it (the module reads
  // every field by name). A null name is position 0: it is what the literal 0
  // becomes here. CString and _bstr_t names come here too.
  _variant_t GetCollect(const wchar_t* name);
  void PutCollect(const wchar_t* name, const _variant_t& value);
  template <class Name>
  requires std::same_as<Name, CString> || std::same_as<Name, _bstr_t> _variant_t
  GetCollect(const Name& name) {
    return GetCollect(static_cast<const wchar_t*>(name));
  }
  template <class Name>
  requires std::same_as<Name, CString> || std::same_as<Name, _bstr_t>
  void PutCollect(const Name& name, const _variant_t& value) {
    PutCollect(static_cast<const wchar_t*>(name), value);
  }

  // With both arguments missing, writes the staged values; with a field and a
  // value, stages that value first.
  HRESULT Update(const _variant_t& fields = vtMissing, const _variant_t& values = vtMissing);
  HRESULT CancelUpdate();
  HRESULT AddNew(const _variant_t& fieldList = vtMissing, const _variant_t& values = vtMissing);
  HRESULT Delete(AffectEnum affectRecords = adAffectCurrent);

  FieldsPtr GetFields();
  // -1 for forward-only and dynamic cursors, as the original objects report.
  long GetRecordCount();
  EditModeEnum GetEditMode();
  CursorTypeEnum GetCursorType();
  LockTypeEnum GetLockType();

  // Used by Fields and Field.
  long fieldCount();
  const adoimpl::FieldInfo& fieldInfo(long field);
  DataTypeEnum fieldType(long field);
  long fieldIndex(const VARIANT& index);
  long fieldIndex(const wchar_t* name);
  _variant_t value(long field);
  void putValue(long field, const VARIANT& value);

 private:
  _Recordset() = default;
  ~_Recordset() override = default;

  void openOn(const _variant_t& source, const _ConnectionPtr& connection, CursorTypeEnum cursorType,
              LockTypeEnum lockType, long options);
  void ensureOpen();
  void requireCurrentRow();
  void requireWritable();
  void finishEdit();
  // The live row n rows from `from` (n may be negative); returns -1 for BOF,
  // rowCount() for EOF.
  long stepFrom(long from, long n) const;
  void moveTo(long position);
  long firstLive() const;
  long lastLive() const;

  _ConnectionPtr m_connection;
  std::shared_ptr<adoimpl::Session> m_session;
  adoimpl::RowSet m_rows;
  bool m_open = false;
  std::wstring m_deferredSql;  // rows not read yet
  CursorTypeEnum m_cursorType = adOpenForwardOnly;
  LockTypeEnum m_lockType = adLockReadOnly;
  long m_position = -1;
  bool m_bof = true;
  bool m_eof = true;
  EditModeEnum m_editMode = adEditNone;
  std::vector<adoimpl::PendingValue> m_pending;
};
