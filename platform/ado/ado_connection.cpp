// The connection object: opening the file and running statements.
#include "ado_connection.h"

#include "ado_errors.h"
#include "ado_recordset.h"
#include "ado_statistics.h"
#include "result_cache.h"
#include "row_set.h"
#include "session.h"
#include "test_seams.h"
#include "text_fold.h"

_Connection* _Connection::createInstance(std::wstring_view progId) {
  if (adoimpl::equalsFolded(progId, L"ADODB.Connection") && adoimpl::isClassRegistered(progId)) {
    return new _Connection();
  }
  return nullptr;
}

_Connection::~_Connection() {
  if (m_session) m_session->close();
}

HRESULT _Connection::Open(_bstr_t connectionString, _bstr_t userId, _bstr_t password,
                          long options) {
  (void)userId;
  (void)password;
  (void)options;
  adoimpl::runFaultHook("Connection.Open");
  if (m_session && m_session->isOpen()) adoimpl::throwAdoError(adErrObjectOpen);
  const std::wstring_view cs = connectionString.view();
  m_session = adoimpl::Session::open(cs.empty() ? std::wstring_view(m_connectionString) : cs);
  if (!cs.empty()) m_connectionString = cs;
  return S_OK;
}

HRESULT _Connection::Close() {
  if (!m_session || !m_session->isOpen()) adoimpl::throwAdoError(adErrObjectClosed);
  m_session->close();
  m_session.reset();
  return S_OK;
}

long _Connection::GetState() {
  return m_session && m_session->isOpen() ? adStateOpen : adStateClosed;
}

_bstr_t _Connection::GetConnectionString() { return _bstr_t(m_connectionString.c_str()); }

std::shared_ptr<adoimpl::Session> _Connection::session() const {
  if (!m_session || !m_session->isOpen()) adoimpl::throwAdoError(adErrObjectClosed);
  return m_session;
}

namespace {

// A SELECT probe that a recordset is about to repeat: its rows are read as the
// recordset will read them and kept in the session's result cache, so the
// recordset that follows copies them instead of running the query again
// (results too large for the cache are read again). False when the statement has to be probed the
// plain way (it cannot be read as a recordset, or reading it failed: the plain run then reports the
// error).
bool probeSelect(adoimpl::Session& session, std::wstring_view sql) {
  try {
    // One look at the file's version serves both the cache lookup and the read.
    const auto keyed = session.translate(sql, true);
    session.results().noteProbe(keyed->sql, adoimpl::RowSet::loadCached(session, *keyed), session);
    return true;
  } catch (const _com_error& e) {
    // A server given up on is not asked again: its connection is closed.
    if (e.Source().view() == adoimpl::kServerErrorSource) throw;
    return false;
  }
}

}  // namespace

_RecordsetPtr _Connection::Execute(_bstr_t commandText, VARIANT* recordsAffected, long options) {
  adoimpl::countStatement();
  adoimpl::runFaultHook("Connection.Execute");
  std::shared_ptr<adoimpl::Session> s = session();
  const auto translated = s->translate(commandText.view(), false);
  const adoimpl::TranslatedStatement& statement = *translated;
  bool returnsRows = false;
  long changed = -1;
  if (statement.isSelect && probeSelect(*s, commandText.view())) {
    returnsRows = true;
  } else {
    changed = s->backend().execute(statement);
    returnsRows = changed < 0;
  }
  if (statement.changesSchema) s->schemaChanged();
  if (recordsAffected) {
    VariantClear(recordsAffected);
    recordsAffected->vt = VT_I4;
    recordsAffected->lVal = changed;
  }
  if (!returnsRows || (options != adOptionUnspecified && (options & adExecuteNoRecords))) {
    return _RecordsetPtr(_Recordset::createClosed(), false);
  }
  return _RecordsetPtr(_Recordset::createDeferred(_ConnectionPtr(this), commandText.view()), false);
}

void _Connection::Prefetch(const std::vector<std::wstring>& sqls) {
  try {
    adoimpl::RowSet::prefetch(*session(), sqls);
  } catch (...) {
    // Each statement reports its own error when it runs.
  }
}

long _Connection::BeginTrans() {
  session()->backend().begin();
  return 1;
}

HRESULT _Connection::CommitTrans() {
  session()->backend().commit();
  return S_OK;
}

HRESULT _Connection::RollbackTrans() {
  session()->backend().rollback();
  return S_OK;
}
