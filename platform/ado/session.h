// One open catalogue: the back end behind an ADO connection.
//
// A Session is shared by its connection and the recordsets opened on it; the
// connection's Close closes it, after which every use raises the "object is
// closed" error. It owns the table-name cache used to resolve names written
// in another letter case (and, for PostgreSQL, the column names).
//
// The catalogue is the file the connection string's DBQ names, unless that
// file is a small text file holding a "postgresql://" address, or the
// environment's ZR_CATALOGUE holds one: then it is on that server (which a
// build without FANCAD_POSTGRESQL refuses as it does a server it cannot reach).
//
// Closing a connection keeps its back end's connection, with its prepared
// statements, page cache and result cache, for the next connection to the
// same catalogue (as ADO's session pooling keeps a provider's session): the
// dialog opens the catalogue each time it opens, and reading the schema and
// the first results again made up most of that (on a server, connecting too).
// A file's connection is taken only while the file is the one it had open
// (same device and inode), and either has not been written since it was
// closed (same size and time) or is one that has seen the writes itself
// (SQLite's data_version moved: the results of what was written are then
// forgotten, result_cache.h);
// otherwise it is closed and a fresh one opened. The data layer adds nothing
// to the file: no table, trigger or index. A server's is taken
// when it still answers; its change notifications tell what other clients
// wrote meanwhile. At most kKeptSessions are kept, the most recently closed;
// they are closed when the process exits or the module that opened them asks
// (kept_connections.h).
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct stat;

#include "backend.h"
#include "com_error.h"
#include "sql_dialect.h"

namespace adoimpl {

class ResultCache;

class Session {
 public:
  // Opens the catalogue that the connection string's DBQ (or "Data Source")
  // names. Throws _com_error when there is none, when it does not exist, when
  // it is not an SQLite database, or when its server refuses.
  static std::shared_ptr<Session> open(std::wstring_view connectionString);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  bool isOpen() const { return m_backend != nullptr; }
  // Closes this session; its connection is kept for the next open() of the
  // same file when it holds nothing open (Backend::reusable()).
  void close();
  // Closes the kept connections (tests that need a fresh one; a process
  // that is about to change the file behind SQLite's back).
  static void closeKept();
  static constexpr std::size_t kKeptSessions = 2;
  // The file as it stood when it was opened or its session kept.
  struct FileState {
    unsigned long long device = 0, inode = 0;
    long long size = 0, mtimeNs = 0;
    bool operator==(const FileState&) const = default;
  };
  // Where a kept session's catalogue is: a server's address, or else a file.
  struct Place {
    std::string server;
    FileState file;
  };

  // The back end; throws the "object is closed" error after close().
  Backend& backend() const;

  // The statement as the back end runs it. Translations are kept per text
  // (the dialog repeats its texts many times in one action) until the schema
  // changes; one that named a table this session could not find is not kept,
  // so that a table another connection creates is found by the next call.
  std::shared_ptr<const TranslatedStatement> translate(std::wstring_view sql, bool wantRowid);
  // Forgets the cached table names and results (after a statement that
  // changes the schema).
  void schemaChanged();
  // Recent SELECT results (result_cache.h).
  ResultCache& results() { return *m_results; }

 private:
  explicit Session(std::unique_ptr<Backend> backend);
  static FileState fileState(const struct stat& st);
  static std::shared_ptr<Session> takeKept(const Place& place);
  static std::shared_ptr<Session> openServer(const std::string& address);
  // Moves this session's connection and caches into a kept session; throws
  // when the file cannot be looked at.
  void keep();
  void closeNow();
  std::string resolveTable(const std::string& name);
  TranslatedStatement translateText(std::wstring_view sql, bool wantRowid);
  std::optional<std::string> resolveColumn(const std::vector<std::string>& tables,
                                           std::string_view name);

  std::unique_ptr<Backend> m_backend;
  std::vector<std::string> m_tables;
  bool m_tablesLoaded = false;
  std::map<std::string, std::vector<std::string>> m_columns;
  std::unique_ptr<ResultCache> m_results;
  // Kept translations, with and without the row identity column. Bounded:
  // the texts name models and series, so browsing makes new ones.
  static constexpr std::size_t kMaxTranslations = 512;
  std::unordered_map<std::wstring, std::shared_ptr<const TranslatedStatement>> m_translated[2];
  bool m_unresolvedName = false;  // during translateText: a table was not found
  std::string m_native;           // the file's path; empty on a server
  std::string m_server;           // the server's address; empty for a file
};

// The value of one key of an ODBC "key=value;..." string (keys compared
// without regard to case, values may be wrapped in braces); empty when absent.
std::wstring connectionStringValue(std::wstring_view connectionString, std::wstring_view key);

}  // namespace adoimpl
