// Another program holding a catalogue, so that every other connection's statements wait on
// it: for a catalogue file, a second SQLite connection of its own that takes the file with
// BEGIN EXCLUSIVE; for one on a server (the file holds its address), a second client that
// takes every table of its schema in ACCESS EXCLUSIVE mode, which readers wait on too.
#pragma once

#include <string>

struct sqlite3;
struct pg_conn;

namespace testsupport {

class CatalogueLock {
 public:
  // Takes the lock at once (the catalogue must exist and be free).
  explicit CatalogueLock(const std::string& path);
  ~CatalogueLock();
  CatalogueLock(const CatalogueLock&) = delete;
  CatalogueLock& operator=(const CatalogueLock&) = delete;

  // Ends the transaction: the catalogue is free again.
  void release();

 private:
  void lockOnServer(const std::string& address);

  sqlite3* m_db = nullptr;
  pg_conn* m_server = nullptr;
  bool m_held = false;
};

// The data layer's description of a statement that gave up waiting for such a lock, on the
// back end the tests run on.
std::wstring lockedCatalogueMessage();

}  // namespace testsupport
