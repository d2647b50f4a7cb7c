// A second connection that holds a catalogue locked.
#include "catalogue_lock.h"

#ifdef FANCAD_POSTGRESQL
#include <libpq-fe.h>
#endif
#include <sqlite3.h>

#include <stdexcept>

#include "ado/pg_schema.h"
#include "catalogue_builder.h"

namespace testsupport {

CatalogueLock::CatalogueLock(const std::string& path) {
  if (const std::string address = adoimpl::addressInFile(path); !address.empty()) {
    lockOnServer(address);
    return;
  }
  if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
      sqlite3_exec(m_db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK) {
    const std::string why = m_db ? sqlite3_errmsg(m_db) : "no connection";
    sqlite3_close(m_db);
    throw std::runtime_error("cannot lock " + path + ": " + why);
  }
  m_held = true;
}

void CatalogueLock::lockOnServer(const std::string& address) {
#ifndef FANCAD_POSTGRESQL
  throw std::runtime_error("cannot lock " + address + ": this build has no PostgreSQL support");
#else
  m_server = PQconnectdb(address.c_str());
  auto run = [this, &address](const std::string& sql) {
    PGresult* r = PQexec(m_server, sql.c_str());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
    std::string value = ok && PQntuples(r) > 0 && !PQgetisnull(r, 0, 0) ? PQgetvalue(r, 0, 0) : "";
    PQclear(r);
    if (!ok) {
      const std::string why = PQerrorMessage(m_server);
      PQfinish(m_server);
      m_server = nullptr;
      throw std::runtime_error("cannot lock " + address + ": " + why);
    }
    return value;
  };
  if (PQstatus(m_server) != CONNECTION_OK) run("");
  const std::string tables =
      run("SELECT string_agg(format('%I', relname), ', ') FROM pg_catalog.pg_class "
          "WHERE relnamespace = current_schema()::regnamespace AND relkind = 'r'");
  run("BEGIN");
  run("LOCK TABLE " + tables + " IN ACCESS EXCLUSIVE MODE");
  m_held = true;
#endif
}

CatalogueLock::~CatalogueLock() {
  release();
  sqlite3_close(m_db);
#ifdef FANCAD_POSTGRESQL
  if (m_server) PQfinish(m_server);
#endif
}

void CatalogueLock::release() {
  if (m_held && m_db) sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
#ifdef FANCAD_POSTGRESQL
  if (m_held && m_server) PQclear(PQexec(m_server, "COMMIT"));
#endif
  m_held = false;
}

std::wstring lockedCatalogueMessage() {
  return testServer() ? L"PostgreSQL: canceling statement due to lock timeout"
                      : L"SQLite: database is locked";
}

}  // namespace testsupport
