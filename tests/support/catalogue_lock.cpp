// A second connection that holds a catalogue locked.
#include "catalogue_lock.h"

#include <sqlite3.h>

#include <stdexcept>

namespace testsupport {

CatalogueLock::CatalogueLock(const std::string& path) {
  if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
      sqlite3_exec(m_db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK) {
    const std::string why = m_db ? sqlite3_errmsg(m_db) : "no connection";
    sqlite3_close(m_db);
    throw std::runtime_error("cannot lock " + path + ": " + why);
  }
  m_held = true;
}

CatalogueLock::~CatalogueLock() {
  release();
  sqlite3_close(m_db);
}

void CatalogueLock::release() {
  if (m_held) sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
  m_held = false;
}

}  // namespace testsupport
