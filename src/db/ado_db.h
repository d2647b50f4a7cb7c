// CAdoDB: the one catalogue connection through which every statement runs.
//
// A thin wrapper around one data-access connection. Opening, running a
// statement and opening a recordset never throw: each failure is shown to
// the user in a message box at once and the caller gets FALSE or a null
// recordset. What callers then do on the recordset (reading, writing,
// moving, deleting) raises _com_error, which reaches them unchanged.
//
// States: no connection (after construction, Close, or a failed Connect) and
// connected (after a successful Connect). Open and Connect close an existing
// connection first; destruction closes it.
#pragma once

#include <string>
#include <vector>

#include "ado/ado.h"
#include "base/cstring.h"
#include "base/windef.h"

// The module's missing-argument value for optional data-access arguments (the
// start of Move, both arguments of Update and AddNew): VT_ERROR holding
// DISP_E_PARAMNOTFOUND. Cleared with VariantClear when the module unloads.
extern VARIANT g_vtMissing;

class CAdoDB {
 public:
  CAdoDB();
  virtual ~CAdoDB();
  CAdoDB(const CAdoDB&) = delete;
  CAdoDB& operator=(const CAdoDB&) = delete;

  // Opens the Access file at lpszPath: "数据库<path>不存在!" when there is no
  // file there (no connection is attempted), else what Connect returns.
  BOOL Open(LPCTSTR lpszPath);
  // Connects with a complete ODBC connection string.
  BOOL Connect(LPCTSTR lpszConnect);
  // Closes and releases the connection if there is one; always TRUE.
  BOOL Close();
  // Runs one statement; TRUE when it ran.
  BOOL Execute(LPCTSTR lpszSql);
  // An updatable recordset on the statement, or null.
  _RecordsetPtr OpenRecordset(LPCTSTR lpszSql);
  // Reads the rows of queries about to be run, all at once where the catalogue is on a
  // server, so that running them costs no round trip each. Shows nothing and sends no
  // statement of its own: each query still runs, and reports any error, when it is run.
  void Prefetch(const std::vector<std::wstring>& queries);

  // The connection; null while there is none.
  _ConnectionPtr m_pConnection;
};
