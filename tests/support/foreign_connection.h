// A connection of another program to a catalogue file: SQLite on its own, beside the data
// layer, for tests of what the data layer sees of writes it did not make.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

namespace testsupport {

struct Foreign {
  sqlite3* db = nullptr;
  explicit Foreign(const std::string& path) { sqlite3_open(path.c_str(), &db); }
  ~Foreign() { sqlite3_close(db); }
  Foreign(const Foreign&) = delete;
  Foreign& operator=(const Foreign&) = delete;
  void exec(const std::string& sql) {
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
        << sql << ": " << (error ? error : "");
    sqlite3_free(error);
  }
};

}  // namespace testsupport
