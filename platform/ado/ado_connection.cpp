// The connection object: opening the file and running statements.
#include "ado_connection.h"

#include <sqlite3.h>

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

bool changesSchema(const std::string& sql) {
  for (const char* word : {"CREATE", "DROP", "ALTER"}) {
    const std::size_t n = std::char_traits<char>::length(word);
    std::size_t i = 0;
    while (i < sql.size() &&
           (sql[i] == ' ' || sql[i] == '\t' || sql[i] == '\r' || sql[i] == '\n')) {
      ++i;
    }
    if (sql.size() - i >= n && adoimpl::equalsFolded(std::string_view(sql).substr(i, n), word)) {
      return true;
    }
  }
  return false;
}

// A SELECT probe that a recordset is about to repeat: its rows are read as the
// recordset will read them and kept in the session's result cache, so the
// recordset that follows copies them instead of running the query again
// (results too large for the cache are read again). False when the statement has to be probed the
// plain way (it cannot be read as a recordset, or reading it failed: the plain run then reports the
// error).
bool probeSelect(adoimpl::Session& session, std::wstring_view sql) {
  try {
    // One look at the file's version serves both the cache lookup and the read.
    const adoimpl::TranslatedStatement keyed = session.translate(sql, true);
    session.results().noteProbe(keyed.sql, adoimpl::RowSet::loadCached(session, keyed), session);
    return true;
  } catch (const _com_error&) {
    return false;
  }
}

}  // namespace

_RecordsetPtr _Connection::Execute(_bstr_t commandText, VARIANT* recordsAffected, long options) {
  adoimpl::countStatement();
  adoimpl::runFaultHook("Connection.Execute");
  std::shared_ptr<adoimpl::Session> s = session();
  const adoimpl::TranslatedStatement statement = s->translate(commandText.view(), false);
  bool returnsRows = false;
  long changed = -1;
  if (statement.isSelect && probeSelect(*s, commandText.view())) {
    returnsRows = true;
  } else {
    adoimpl::StatementPtr stmt = s->prepare(statement.sql);
    returnsRows = sqlite3_column_count(stmt.get()) > 0;
    // Stepping through without reading values finds every error the rows can
    // raise, at a fraction of the cost of reading them.
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) s->fail(rc);
    if (!returnsRows) changed = static_cast<long>(sqlite3_changes(s->handle()));
  }
  if (changesSchema(statement.sql)) s->schemaChanged();
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

long _Connection::BeginTrans() {
  const std::shared_ptr<adoimpl::Session> s = session();
  const int rc = sqlite3_exec(s->handle(), "BEGIN", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) s->fail(rc);
  return 1;
}

HRESULT _Connection::CommitTrans() {
  const std::shared_ptr<adoimpl::Session> s = session();
  const int rc = sqlite3_exec(s->handle(), "COMMIT", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) s->fail(rc);
  return S_OK;
}

HRESULT _Connection::RollbackTrans() {
  const std::shared_ptr<adoimpl::Session> s = session();
  const int rc = sqlite3_exec(s->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) s->fail(rc);
  return S_OK;
}
