// _Connection: the data-access connection object, and the smart-pointer names of all the objects.
#pragma once

#include <memory>
#include <string>
#include <string_view>

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
