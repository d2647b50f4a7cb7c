// The recordset object: opening, moving, reading and writing rows.
#include "ado_recordset.h"

#include "ado_errors.h"
#include "ado_fields.h"
#include "ado_statistics.h"
#include "test_seams.h"
#include "text_fold.h"

using adoimpl::throwAdoError;

_Recordset* _Recordset::createInstance(std::wstring_view progId) {
  if (adoimpl::equalsFolded(progId, L"ADODB.Recordset") && adoimpl::isClassRegistered(progId)) {
    return new _Recordset();
  }
  return nullptr;
}

_Recordset* _Recordset::createClosed() { return new _Recordset(); }

_Recordset* _Recordset::createDeferred(const _ConnectionPtr& connection, std::wstring_view sql) {
  auto* rs = new _Recordset();
  rs->m_connection = connection;
  rs->m_session = connection->session();
  rs->m_deferredSql = sql;
  rs->m_open = true;
  return rs;
}

HRESULT _Recordset::Open(const _variant_t& source, const _variant_t& activeConnection,
                         CursorTypeEnum cursorType, LockTypeEnum lockType, long options) {
  _ConnectionPtr connection;
  if (activeConnection.vt == VT_DISPATCH && activeConnection.pdispVal) {
    auto* c = dynamic_cast<_Connection*>(activeConnection.pdispVal);
    if (!c) throwAdoError(adErrInvalidConnection);
    connection = c;
  } else if (activeConnection.vt == VT_BSTR) {
    connection.CreateInstance(L"ADODB.Connection");
    connection->Open(_bstr_t(activeConnection), L"", L"", adConnectUnspecified);
  } else {
    throwAdoError(adErrInvalidConnection);
  }
  openOn(source, connection, cursorType, lockType, options);
  return S_OK;
}

HRESULT _Recordset::Open(const _variant_t& source, const _ConnectionPtr& activeConnection,
                         CursorTypeEnum cursorType, LockTypeEnum lockType, long options) {
  if (!activeConnection) throwAdoError(adErrInvalidConnection);
  openOn(source, activeConnection, cursorType, lockType, options);
  return S_OK;
}

HRESULT _Recordset::Open(const _variant_t& source, _Connection* activeConnection,
                         CursorTypeEnum cursorType, LockTypeEnum lockType, long options) {
  return Open(source, _ConnectionPtr(activeConnection), cursorType, lockType, options);
}

void _Recordset::openOn(const _variant_t& source, const _ConnectionPtr& connection,
                        CursorTypeEnum cursorType, LockTypeEnum lockType, long options) {
  adoimpl::countStatement();
  adoimpl::runFaultHook("Recordset.Open");
  if (m_open) throwAdoError(adErrObjectOpen);
  if (source.vt != VT_BSTR) throwAdoError(adErrInvalidArgument);
  std::wstring sql(source.bstrVal ? source.bstrVal : L"", SysStringLen(source.bstrVal));
  if (options != adCmdUnspecified && (options & (adCmdTable | adCmdTableDirect))) {
    sql = L"SELECT * FROM " + sql;
  }
  std::shared_ptr<adoimpl::Session> session = connection->session();
  const auto statement = session->translate(sql, true);
  m_rows.load(*session, *statement);
  if (m_rows.fieldCount() == 0 && !statement->isSelect) {
    m_rows.clear();  // a statement without rows ran; the recordset stays closed
    return;
  }
  m_connection = connection;
  m_session = std::move(session);
  m_cursorType = cursorType == adOpenUnspecified ? adOpenForwardOnly : cursorType;
  m_lockType = lockType == adLockUnspecified ? adLockReadOnly : lockType;
  m_open = true;
  m_editMode = adEditNone;
  m_pending.clear();
  moveTo(firstLive() >= 0 ? firstLive() : 0);
}

void _Recordset::ensureOpen() {
  if (!m_open || !m_session || !m_session->isOpen()) throwAdoError(adErrObjectClosed);
  if (!m_deferredSql.empty()) {
    const std::wstring sql = std::move(m_deferredSql);
    m_deferredSql.clear();
    m_rows.load(*m_session, *m_session->translate(sql, true));
    moveTo(firstLive() >= 0 ? firstLive() : 0);
  }
}

HRESULT _Recordset::Close() {
  if (!m_open) throwAdoError(adErrObjectClosed);
  m_open = false;
  m_deferredSql.clear();
  m_pending.clear();
  m_editMode = adEditNone;
  m_rows.clear();
  m_session.reset();
  m_connection = nullptr;
  m_position = -1;
  m_bof = m_eof = true;
  return S_OK;
}

long _Recordset::GetState() {
  return m_open && m_session && m_session->isOpen() ? adStateOpen : adStateClosed;
}

VARIANT_BOOL _Recordset::GetBOF() {
  ensureOpen();
  return m_bof && m_editMode != adEditAdd ? VARIANT_TRUE : VARIANT_FALSE;
}

VARIANT_BOOL _Recordset::GetadoEOF() {
  ensureOpen();
  return m_eof && m_editMode != adEditAdd ? VARIANT_TRUE : VARIANT_FALSE;
}

long _Recordset::firstLive() const {
  return stepFrom(-1, 1) < static_cast<long>(m_rows.rowCount()) ? stepFrom(-1, 1) : -1;
}

long _Recordset::lastLive() const {
  const long last = stepFrom(static_cast<long>(m_rows.rowCount()), -1);
  return last;
}

long _Recordset::stepFrom(long from, long n) const {
  const long count = static_cast<long>(m_rows.rowCount());
  long pos = from;
  for (; n > 0; --n) {
    do {
      ++pos;
    } while (pos < count && m_rows.deleted(static_cast<std::size_t>(pos)));
    if (pos >= count) return count;
  }
  for (; n < 0; ++n) {
    do {
      --pos;
    } while (pos >= 0 && m_rows.deleted(static_cast<std::size_t>(pos)));
    if (pos < 0) return -1;
  }
  return pos;
}

void _Recordset::moveTo(long position) {
  const long count = static_cast<long>(m_rows.rowCount());
  m_position = position < 0 ? -1 : (position > count ? count : position);
  m_bof = m_position < 0;
  m_eof = m_position >= count;
  if (firstLive() < 0) m_bof = m_eof = true;
}

void _Recordset::requireCurrentRow() {
  if (m_bof || m_eof || m_rows.deleted(static_cast<std::size_t>(m_position))) {
    throwAdoError(adErrNoCurrentRecord);
  }
}

void _Recordset::requireWritable() {
  if (m_lockType == adLockReadOnly || !m_rows.writable()) throwAdoError(adErrFeatureNotAvailable);
}

HRESULT _Recordset::MoveFirst() {
  ensureOpen();
  finishEdit();
  const long first = firstLive();
  if (first < 0) throwAdoError(adErrNoCurrentRecord);
  moveTo(first);
  return S_OK;
}

HRESULT _Recordset::MoveLast() {
  ensureOpen();
  finishEdit();
  const long last = lastLive();
  if (last < 0) throwAdoError(adErrNoCurrentRecord);
  moveTo(last);
  return S_OK;
}

HRESULT _Recordset::MoveNext() {
  ensureOpen();
  finishEdit();
  if (m_eof) throwAdoError(adErrNoCurrentRecord);
  moveTo(stepFrom(m_position, 1));
  return S_OK;
}

HRESULT _Recordset::MovePrevious() {
  ensureOpen();
  finishEdit();
  if (m_bof) throwAdoError(adErrNoCurrentRecord);
  moveTo(stepFrom(m_position, -1));
  return S_OK;
}

HRESULT _Recordset::Move(long numRecords, const _variant_t& start) {
  ensureOpen();
  finishEdit();
  long base = m_position;
  if (!isMissingArgument(start)) {
    long bookmark = 0;
    try {
      bookmark = static_cast<long>(start);
    } catch (const _com_error&) {
      throwAdoError(adErrInvalidArgument);
    }
    if (bookmark == adBookmarkFirst || bookmark == adBookmarkLast) {
      base = bookmark == adBookmarkFirst ? firstLive() : lastLive();
      if (base < 0) throwAdoError(adErrNoCurrentRecord);
      moveTo(stepFrom(base, numRecords));
      return S_OK;
    }
    if (bookmark != adBookmarkCurrent) throwAdoError(adErrInvalidArgument);
  }
  if ((numRecords > 0 && m_eof) || (numRecords < 0 && m_bof) ||
      (numRecords == 0 && (m_bof || m_eof))) {
    throwAdoError(adErrNoCurrentRecord);
  }
  moveTo(stepFrom(base, numRecords));
  return S_OK;
}

long _Recordset::fieldIndex(const VARIANT& index) {
  // A position read in a loop (a long) needs no conversion.
  if (index.vt == VT_I4 && index.lVal >= 0 && index.lVal < static_cast<long>(m_rows.fieldCount())) {
    return index.lVal;
  }
  long i = -1;
  switch (index.vt) {
    case VT_BSTR:
      i = m_rows.findField(
          std::wstring_view(index.bstrVal ? index.bstrVal : L"", SysStringLen(index.bstrVal)));
      break;
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_INT:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_UINT:
    case VT_R4:
    case VT_R8: {
      _variant_t n;
      if (SUCCEEDED(VariantChangeType(&n, &index, 0, VT_I4))) i = n.lVal;
      break;
    }
    default:
      break;
  }
  if (i < 0 || i >= static_cast<long>(m_rows.fieldCount())) {
    if (index.vt == VT_BSTR)
      throwAdoError(adErrItemNotFound,
                    L"field '" + std::wstring(index.bstrVal ? index.bstrVal : L"") + L"'");
    throwAdoError(adErrItemNotFound,
                  L"field " + std::to_wstring(i) + L" of " + std::to_wstring(m_rows.fieldCount()));
  }
  return i;
}

_variant_t _Recordset::value(long field) {
  _variant_t out;
  if (m_editMode != adEditNone) {
    for (const adoimpl::PendingValue& p : m_pending) {
      if (p.field == static_cast<std::size_t>(field)) {
        adoimpl::RowSet::readPending(p, m_rows.field(p.field), out);
        return out;
      }
    }
    if (m_editMode == adEditAdd) {
      out.vt = VT_NULL;
      return out;
    }
  }
  requireCurrentRow();
  m_rows.read(static_cast<std::size_t>(m_position), static_cast<std::size_t>(field), out);
  return out;
}

_variant_t _Recordset::GetCollect(const _variant_t& index) {
  ensureOpen();
  return value(fieldIndex(index));
}

long _Recordset::fieldIndex(const wchar_t* name) {
  if (!name) return fieldIndex(_variant_t(0L));
  const long i = m_rows.findField(std::wstring_view(name));
  if (i < 0) throwAdoError(adErrItemNotFound, L"field '" + std::wstring(name) + L"'");
  return i;
}

_variant_t _Recordset::GetCollect(const wchar_t* name) {
  ensureOpen();
  return value(fieldIndex(name));
}

void _Recordset::PutCollect(const wchar_t* name, const _variant_t& newValue) {
  ensureOpen();
  putValue(fieldIndex(name), newValue);
}

void _Recordset::putValue(long field, const VARIANT& newValue) {
  requireWritable();
  if (m_editMode != adEditAdd) requireCurrentRow();
  adoimpl::PendingValue p = m_rows.convert(static_cast<std::size_t>(field), newValue);
  if (m_editMode == adEditNone) m_editMode = adEditInProgress;
  for (adoimpl::PendingValue& q : m_pending) {
    if (q.field == p.field) {
      q = std::move(p);
      return;
    }
  }
  m_pending.push_back(std::move(p));
}

void _Recordset::PutCollect(const _variant_t& index, const _variant_t& newValue) {
  ensureOpen();
  putValue(fieldIndex(index), newValue);
}

void _Recordset::finishEdit() {
  if (m_editMode == adEditNone) return;
  if (m_editMode == adEditAdd) {
    const std::size_t row = m_rows.insertRow(*m_session, m_pending);
    m_pending.clear();
    m_editMode = adEditNone;
    moveTo(static_cast<long>(row));
    return;
  }
  m_rows.updateRow(*m_session, static_cast<std::size_t>(m_position), m_pending);
  m_pending.clear();
  m_editMode = adEditNone;
}

HRESULT _Recordset::Update(const _variant_t& fields, const _variant_t& values) {
  ensureOpen();
  if (!isMissingArgument(fields)) {
    if (isMissingArgument(values)) throwAdoError(adErrInvalidArgument);
    PutCollect(fields, values);
  }
  finishEdit();
  return S_OK;
}

HRESULT _Recordset::CancelUpdate() {
  ensureOpen();
  m_pending.clear();
  m_editMode = adEditNone;
  return S_OK;
}

HRESULT _Recordset::AddNew(const _variant_t& fieldList, const _variant_t& values) {
  ensureOpen();
  requireWritable();
  finishEdit();
  m_editMode = adEditAdd;
  m_pending.clear();
  if (!isMissingArgument(fieldList)) {
    if (isMissingArgument(values)) {
      CancelUpdate();
      throwAdoError(adErrInvalidArgument);
    }
    try {
      PutCollect(fieldList, values);
    } catch (...) {
      CancelUpdate();
      throw;
    }
    finishEdit();
  }
  return S_OK;
}

HRESULT _Recordset::Delete(AffectEnum affectRecords) {
  ensureOpen();
  requireWritable();
  if (affectRecords != adAffectCurrent) throwAdoError(adErrFeatureNotAvailable);
  if (m_editMode == adEditAdd) return CancelUpdate();
  requireCurrentRow();
  m_rows.deleteRow(*m_session, static_cast<std::size_t>(m_position));
  m_pending.clear();
  m_editMode = adEditNone;
  return S_OK;
}

FieldsPtr _Recordset::GetFields() {
  ensureOpen();
  return FieldsPtr(Fields::create(this), false);
}

long _Recordset::GetRecordCount() {
  ensureOpen();
  if (m_cursorType == adOpenForwardOnly || m_cursorType == adOpenDynamic) return -1;
  long n = 0;
  for (std::size_t i = 0; i < m_rows.rowCount(); ++i) n += m_rows.deleted(i) ? 0 : 1;
  return n;
}

EditModeEnum _Recordset::GetEditMode() {
  ensureOpen();
  return m_editMode;
}

CursorTypeEnum _Recordset::GetCursorType() { return m_cursorType; }
LockTypeEnum _Recordset::GetLockType() { return m_lockType; }

long _Recordset::fieldCount() {
  ensureOpen();
  return static_cast<long>(m_rows.fieldCount());
}

const adoimpl::FieldInfo& _Recordset::fieldInfo(long field) {
  ensureOpen();
  return m_rows.field(static_cast<std::size_t>(field));
}

DataTypeEnum _Recordset::fieldType(long field) {
  ensureOpen();
  return m_rows.adoType(static_cast<std::size_t>(field));
}
