// A catalogue file in a temporary folder and an open connection to it.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <string>

#include "ado/ado.h"
#include "ado/ado_statistics.h"
#include "catalogue_builder.h"
#include "foreign_connection.h"

namespace adotest {

inline std::wstring wide(const std::string& s) { return zrbase::utf8ToWide(s); }

inline std::wstring connectionStringFor(const std::string& path) {
  return L"DRIVER=Microsoft Access Driver (*.mdb);DBQ=" + wide(path) + L";UID=sa;PWD=";
}

inline _ConnectionPtr connect(const std::string& path) {
  _ConnectionPtr c;
  EXPECT_EQ(c.CreateInstance(L"ADODB.Connection"), S_OK);
  c->Open(connectionStringFor(path).c_str(), L"", L"", adConnectUnspecified);
  return c;
}

inline _RecordsetPtr open(const _ConnectionPtr& c, const std::wstring& sql) {
  _RecordsetPtr rs;
  EXPECT_EQ(rs.CreateInstance(L"ADODB.Recordset"), S_OK);
  rs->Open(sql.c_str(), _variant_t(static_cast<IDispatch*>(c), true), adOpenDynamic,
           adLockOptimistic, adCmdText);
  return rs;
}

inline std::wstring text(const _variant_t& v) {
  if (v.vt == VT_NULL) return L"<null>";
  return std::wstring(static_cast<const wchar_t*>(_bstr_t(v)));
}

// One column of every row, as text, walking the recordset to its end.
inline std::vector<std::wstring> column(const _RecordsetPtr& rs, const wchar_t* name) {
  std::vector<std::wstring> out;
  while (!rs->GetadoEOF()) {
    out.push_back(text(rs->GetCollect(name)));
    rs->MoveNext();
  }
  return out;
}

// The error a call raised, S_OK when none.
inline HRESULT errorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const _com_error& e) {
    return e.Error();
  }
  return S_OK;
}

// How many queries the back end ran for fn (the rest came from the cache).
inline unsigned long long backendQueries(const std::function<void()>& fn) {
  const unsigned long long before = adoimpl::backendQueryCount();
  fn();
  return adoimpl::backendQueryCount() - before;
}

using testsupport::Foreign;

// A small catalogue: a few models and one point table with rows for model 1 and 2.
struct CatalogueFixture : ::testing::Test {
  testsupport::TempDir dir;
  std::string path = dir.file("ZRFan.Mdb");
  _ConnectionPtr conn;

  void SetUp() override {
    {
      testsupport::CatalogueBuilder b(path);
      b.model(1, std::string("4-72"), std::string("A"), 4.0, 2900LL, std::string("4-72No4A"))
          .model(2, std::string("4-72"), std::string("A"), 4.5, 1450LL)
          .model(3, std::string("9-19"), std::string("直联"), 3.15, 2900LL, std::string("x"))
          .model(4, {}, std::string("D"), {}, {}, {})
          .style("4-72", true)
          .standardHeadings()
          .parameterTable("4-72", fangen::TableStyle::Point);
      for (long long model : {1LL, 2LL, 1LL}) {
        b.row("4-72_Parameter", {"ModelID", "Flux", "AllPress", "MotorModel"},
              {model, 4012.0 * static_cast<double>(model), 2014.5, std::string("Y132S1-2")});
      }
      b.exec("CREATE TABLE Flags (Name TEXT, Ok BOOLEAN, Count INTEGER, Big BIGINT, Note)");
      b.row("Flags", {"Name", "Ok", "Count", "Big", "Note"},
            {std::string("a"), 1LL, 40000LL, 5000000000LL, 2.5});
      b.row("Flags", {"Name", "Ok", "Count", "Big", "Note"},
            {std::string("b"), 0LL, {}, {}, std::string("text")});
    }
    conn = connect(path);
  }

  // Two queries the caching tests repeat: model 1's label, and its points' flux.
  static constexpr const wchar_t* kModel = L"select * from Model where ID like 1";
  static constexpr const wchar_t* kRows = L"select * from 4-72_Parameter where ModelID like 1";
  std::vector<std::wstring> labels(_ConnectionPtr c = {}) {
    return column(open(c ? c : conn, kModel), L"LabelModel");
  }
  std::vector<std::wstring> flux(_ConnectionPtr c = {}) {
    return column(open(c ? c : conn, kRows), L"Flux");
  }
};

}  // namespace adotest
