// _Connection: the data-access connection object, and the smart-pointer names of all the objects.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ado_enums.h"
#include "bstr.h"
#include "com_ptr.h"
#include "unknown.h"
#include "variant.h"

class _Connection;
class _Recordset;
class Fields;
class Field;
using _ConnectionPtr = _com_ptr_t<_Connection>;
using _RecordsetPtr = _com_ptr_t<_Recordset>;
using FieldsPtr = _com_ptr_t<Fields>;
using FieldPtr = _com_ptr_t<Field>;

namespace adoimpl {
class Session;
}

// A connection to one catalogue file ("ADODB.Connection").
//
// States: closed (after creation and Close) and open (after Open). Every
// method raises _com_error on failure, as the type library's wrappers do;
// methods that the wrappers give an HRESULT return S_OK.
class _Connection : public adoimpl::RefCounted<IDispatch> {
 public:
  // The object for "ADODB.Connection" (any letter case), else null.
  static _Connection* createInstance(std::wstring_view progId);

  // connectionString is ODBC "key=value;" pairs; DBQ names the file. The file
  // must exist and be an SQLite database. User and password are accepted and
  // not checked. Raises adErrObjectOpen when already open.
  HRESULT Open(_bstr_t connectionString, _bstr_t userId, _bstr_t password,
               long options = adConnectUnspecified);
  // Runs one statement. A SELECT is run through (so that its errors show
  // here) and handed back as a read-only recordset that reads its rows when
  // first used; any other statement gives a closed recordset.
  // recordsAffected, when given, receives VT_I4: the rows changed, -1 for a SELECT.
  _RecordsetPtr Execute(_bstr_t commandText, VARIANT* recordsAffected, long options);
  // Not ADO's: reads the rows of SELECT statements about to be run, at once where the
  // catalogue is on a server (one round trip for all), so that running them finds them
  // read. Never fails: whatever cannot be read so is read, or reports its error, when
  // the statement runs.
  void Prefetch(const std::vector<std::wstring>& sqls);
  HRESULT Close();
  long GetState();
  _bstr_t GetConnectionString();

  // Transactions (not nested): BeginTrans returns the level, 1.
  long BeginTrans();
  HRESULT CommitTrans();
  HRESULT RollbackTrans();

  // The open file; raises adErrObjectClosed when the connection is not open.
  std::shared_ptr<adoimpl::Session> session() const;

 private:
  _Connection() = default;
  ~_Connection() override;

  std::shared_ptr<adoimpl::Session> m_session;
  std::wstring m_connectionString;
};

namespace adoimpl {

// What a connection's catalogue holds, as of one look. Two stamps that are the
// same (sameContent) mean that nothing was written to the catalogue in
// between, by this program or another, so that what was read at the first
// still stands at the second. A stamp is the back end's connection, by a
// serial of the process that no other connection is given (a connection kept
// for the next open keeps it; one whose schema changed gets a new one), and
// its change stamp (backend.h: SQLite's data_version, a server's change
// notifications, and this connection's own writes). One user action looks
// once: a commit made while it runs is seen by the next action's stamp.
// Inside a transaction the stamp is not known.
struct CatalogueStamp {
  std::uint64_t connection = 0;  // 0: not known
  long long version = -1;        // -1: not known (a locked or damaged file, a lost server)
  std::int64_t changes = -1;
};
// The stamp now; raises adErrObjectClosed when the connection is not open.
CatalogueStamp catalogueStamp(const _Connection& connection);
// Whether both are known and the same; a stamp not known is the same as none.
bool sameContent(const CatalogueStamp& a, const CatalogueStamp& b);
// The tables (as the back end spells them) that may have changed since the
// stamp `since` of this connection, by this program or another: what a caller
// that kept what it read at `since` must read again. nullopt when that is not
// known (another connection, a stamp not known or long past, a change the
// connection could not place): then any table may have.
std::optional<std::vector<std::string>> tablesChangedSince(const _Connection& connection,
                                                           const CatalogueStamp& since);

}  // namespace adoimpl
