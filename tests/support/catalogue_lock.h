// Another program holding a catalogue: a second SQLite connection of its own that takes
// the file with BEGIN EXCLUSIVE, so that every other connection's statements wait on it.
#pragma once

#include <string>

struct sqlite3;

namespace testsupport {

class CatalogueLock {
 public:
  // Takes the lock at once (the file must exist and be free).
  explicit CatalogueLock(const std::string& path);
  ~CatalogueLock();
  CatalogueLock(const CatalogueLock&) = delete;
  CatalogueLock& operator=(const CatalogueLock&) = delete;

  // Ends the transaction: the catalogue is free again.
  void release();

 private:
  sqlite3* m_db = nullptr;
  bool m_held = false;
};

}  // namespace testsupport
