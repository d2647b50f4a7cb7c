// Opening catalogue files and running statements through the connection object.
#include <gtest/gtest.h>

#include <fstream>

#include "ado_fixture.h"

namespace {

using adotest::CatalogueFixture;
using adotest::connectionStringFor;
using adotest::errorOf;
using adotest::wide;

HRESULT openError(const std::wstring& connectionString) {
  _ConnectionPtr c;
  c.CreateInstance(L"ADODB.Connection");
  const HRESULT hr = errorOf([&] { c->Open(connectionString.c_str(), L"", L"", -1); });
  EXPECT_EQ(c->GetState(), FAILED(hr) ? adStateClosed : adStateOpen);
  return hr;
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(ConnectionObject, CreateInstanceKnowsOnlyItsClassNamesAndAnEmptyPointerThrows) {
  _ConnectionPtr c;
  EXPECT_FALSE(c);
  EXPECT_THROW(c->GetState(), _com_error);
  EXPECT_EQ(errorOf([&] { c->Execute(L"SELECT * FROM Model", nullptr, -1); }), E_POINTER);
  EXPECT_EQ(c.CreateInstance(L"adodb.connection"), S_OK);
  EXPECT_EQ(c->GetState(), adStateClosed);
  _RecordsetPtr r;
  EXPECT_EQ(r.CreateInstance("ADODB.Recordset"), S_OK);
  EXPECT_EQ(r->GetState(), adStateClosed);
  EXPECT_EQ(c.CreateInstance(L"ADODB.Command"), REGDB_E_CLASSNOTREG);
}

TEST(ConnectionOpen, BadFilesFailWithComErrorAndCutOnesNeverCrash) {
  testsupport::TempDir dir;
  // An Access file starts with this header; it is not an SQLite database.
  writeFile(dir.file("access.Mdb"),
            std::string("\0\1\0\0Standard Jet DB\0", 20) + std::string(4000, '\x55'));
  writeFile(dir.file("empty.Mdb"), "");
  for (const std::wstring& cs :
       {connectionStringFor(dir.file("missing.Mdb")), std::wstring(L"DRIVER=x;UID=sa;PWD="),
        connectionStringFor(dir.path()), connectionStringFor(dir.file("empty.Mdb")),
        connectionStringFor(dir.file("access.Mdb"))}) {
    EXPECT_EQ(openError(cs), E_FAIL) << zrbase::wideToUtf8(cs);
  }

  const std::string whole = testsupport::writeSampleCatalogue(dir.path());
  std::ifstream in(whole, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (std::size_t size : {std::size_t{50}, std::size_t{100}, std::size_t{4096}, bytes.size() / 3,
                           bytes.size() - 100}) {
    const std::string path = dir.file("cut" + std::to_string(size) + ".Mdb");
    writeFile(path, bytes.substr(0, size));
    _ConnectionPtr c;
    c.CreateInstance(L"ADODB.Connection");
    if (FAILED(errorOf([&] { c->Open(connectionStringFor(path).c_str(), L"", L"", -1); }))) {
      continue;
    }
    // Whatever still opens answers every query with rows or a _com_error.
    for (const wchar_t* sql : {L"SELECT * FROM Model", L"SELECT * FROM T4-72_Parameter",
                               L"SELECT * FROM IndexTableName WHERE IndexName LIKE 'Flux'"}) {
      errorOf([&] {
        c->Execute(sql, nullptr, -1);
        adotest::column(adotest::open(c, sql), L"ModelID");
      });
    }
  }
}

TEST(ConnectionOpen, ConnectionStringFormsAndOpeningOrClosingTwice) {
  testsupport::TempDir dir;
  const std::string path = testsupport::writeSampleCatalogue(dir.path());
  std::wstring backslashed = wide(path);
  for (wchar_t& c : backslashed) {
    if (c == L'/') c = L'\\';
  }
  for (const std::wstring& cs :
       {connectionStringFor(path), L"dbq=" + backslashed,
        L" DRIVER={Microsoft Access Driver (*.mdb)} ; DBQ = {" + wide(path) + L"} ;"}) {
    EXPECT_EQ(openError(cs), S_OK) << zrbase::wideToUtf8(cs);
  }
  _ConnectionPtr c = adotest::connect(path);
  EXPECT_EQ(c->GetState(), adStateOpen);
  EXPECT_THROW(c->Open(connectionStringFor(path).c_str(), L"", L"", -1), _com_error);
  EXPECT_EQ(c->Close(), S_OK);
  EXPECT_EQ(c->GetState(), adStateClosed);
  EXPECT_THROW(c->Close(), _com_error);
  EXPECT_THROW(c->Execute(L"SELECT * FROM Model", nullptr, -1), _com_error);
}

using ConnectionExecute = CatalogueFixture;

// Rows affected, and the statements counted: the callers', not a write-back.
TEST_F(ConnectionExecute, ReportsRowsAffectedAndCountsTheStatementsCallersRun) {
  const unsigned long long before = adoimpl::statementCount();
  VARIANT affected;
  VariantInit(&affected);
  conn->Execute(L"insert into 4-72_Parameter (ModelID) values(9)", &affected, -1);
  EXPECT_EQ(affected.vt, VT_I4);
  EXPECT_EQ(affected.lVal, 1);
  conn->Execute(L"delete * from 4-72_Parameter where ModelID like 1", &affected, -1);
  EXPECT_EQ(affected.lVal, 2);
  EXPECT_EQ(testsupport::countRows(path, "4-72_Parameter"), 2);
  conn->Execute(L"SELECT * FROM Model", &affected, -1);
  EXPECT_EQ(affected.lVal, -1);
  _RecordsetPtr rs = adotest::open(conn, L"select * from Model where ID like 1");
  rs->PutCollect(L"Speed", 1450L);
  rs->Update();
  EXPECT_THROW(conn->Execute(L"SELECT * FROM Nowhere", nullptr, -1), _com_error);
  EXPECT_EQ(adoimpl::statementCount() - before, 5u);
  conn->Execute(L"DELETE * FROM Model", &affected, -1);
  EXPECT_EQ(affected.lVal, 4);
}

TEST_F(ConnectionExecute, SelectGivesReadOnlyRecordsetOfItsRows) {
  _RecordsetPtr rs = conn->Execute(L"SELECT * FROM Model WHERE BigModel LIKE '4-72'", nullptr, -1);
  ASSERT_TRUE(rs);
  EXPECT_EQ(rs->GetState(), adStateOpen);
  EXPECT_EQ(adotest::text(rs->GetCollect(L"ID")), L"1");
  EXPECT_THROW(rs->PutCollect(L"Speed", 1L), _com_error);
  EXPECT_EQ(adotest::column(rs, L"ID"), (std::vector<std::wstring>{L"1", L"2"}));
  _RecordsetPtr none =
      conn->Execute(L"insert into 4-72_Parameter (ModelID) values(9)", nullptr, -1);
  ASSERT_TRUE(none);
  EXPECT_EQ(none->GetState(), adStateClosed);
  EXPECT_THROW(none->GetBOF(), _com_error);
}

TEST_F(ConnectionExecute, ErrorsCarryTheCauseAndARefusedStatementChangesNothing) {
  const auto failure = [&](const wchar_t* sql) -> _com_error {
    try {
      conn->Execute(sql, nullptr, -1);
    } catch (const _com_error& e) {
      return e;
    }
    ADD_FAILURE() << "no error for " << zrbase::wideToUtf8(sql);
    return _com_error(S_OK);
  };
  EXPECT_EQ(failure(L"SELECT * FROM 11-62_Parameter").Error(), DB_E_NOTABLE);
  for (const wchar_t* sql :
       {L"SELEC * FROM Model", L"SELECT * FROM Model WHERE BigModel LIKE '4'72'"}) {
    EXPECT_EQ(failure(sql).Error(), DB_E_ERRORSINCOMMAND) << zrbase::wideToUtf8(sql);
  }
  const _com_error two = failure(L"delete * from Model; delete * from IndexTableName");
  EXPECT_NE(std::wstring(static_cast<const wchar_t*>(two.Description())).find(L"after end"),
            std::wstring::npos);
  failure(L"delete * from Model where ID like 1; delete * from Model");
  failure(L"insert into Model (ID) values(9); insert into Model (ID) values(10)");
  EXPECT_EQ(testsupport::countRows(path, "Model"), 4);
  // A ';' that only ends the one statement is fine.
  conn->Execute(L"insert into Model (ID) values(9);  ", nullptr, -1);
  EXPECT_EQ(testsupport::countRows(path, "Model"), 5);
}

}  // namespace
