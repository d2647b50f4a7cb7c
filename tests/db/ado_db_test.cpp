// The catalogue wrapper: its results and the message of each failure.
#include "db/ado_db.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>
#include <fstream>
#include <functional>
#include <string_view>

#include "ado/test_seams.h"
#include "base/exception.h"
#include "db/fan_database.h"
#include "db_fixture.h"

namespace {

using dbtest::modulePath;
using dbtest::wide;

using AdoDbOpen = dbtest::DbFixture;

TEST_F(AdoDbOpen, MissingFileGivesExactlyOneMessageAndNoConnection) {
  CAdoDB db;
  const CString missing = modulePath(dir.path(), "nowhere\\ZRFan.Mdb");
  EXPECT_FALSE(db.Open(missing));
  EXPECT_EQ(onlyMessage(), std::wstring(L"数据库") + missing.GetString() + L"不存在!");
  EXPECT_EQ(ui.boxes()[0].type, MB_OK);
  EXPECT_EQ(ui.boxes()[0].caption, winplat::kAppName);
  EXPECT_FALSE(db.m_pConnection) << "no connection is attempted";
}

TEST_F(AdoDbOpen, MissingFileLeavesAnExistingConnectionAlone) {
  CAdoDB db;
  ASSERT_TRUE(db.Open(wide(path)));
  EXPECT_FALSE(db.Open(modulePath(dir.path(), "other.Mdb")));
  ASSERT_TRUE(db.m_pConnection);
  EXPECT_TRUE(db.Execute(L"SELECT * FROM Model"));
}

TEST_F(AdoDbOpen, FileThatIsNoCatalogueGivesTheConnectionString) {
  const std::string fake = dir.file("fake.Mdb");
  std::ofstream(fake, std::ios::binary)
      << std::string("\0\1\0\0Standard Jet DB\0", 20) << std::string(2000, 'x');
  CAdoDB db;
  EXPECT_FALSE(db.Open(wide(fake)));
  EXPECT_EQ(onlyMessage(), std::wstring(L"连接数据库失败!\nDRIVER=Microsoft Access Driver "
                                        L"(*.mdb);DBQ=") +
                               wide(fake).GetString() + L";UID=sa;PWD=");
  EXPECT_EQ(ui.boxes()[0].type, MB_OK) << "OK button, no icon";
  EXPECT_FALSE(db.m_pConnection) << "the connection object is released";
  ui.clear();
  EXPECT_TRUE(db.Close());
  EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(AdoDbOpen, ConnectWithAStringThatNamesNoFile) {
  CAdoDB db;
  EXPECT_FALSE(db.Connect(L"DRIVER=Microsoft Access Driver (*.mdb);UID=sa;PWD="));
  EXPECT_EQ(onlyMessage(), L"连接数据库失败!\nDRIVER=Microsoft Access Driver (*.mdb);UID=sa;PWD=");
}

TEST_F(AdoDbOpen, OpeningAgainReplacesTheConnection) {
  testsupport::TempDir other;
  {
    testsupport::CatalogueBuilder b(other.file("ZRFan.Mdb"));
    b.model(77, std::string("X-1"), std::string("A"), 4.0, 2900LL);
  }
  CAdoDB db;
  ASSERT_TRUE(db.Open(wide(path)));
  ASSERT_TRUE(db.Open(wide(other.file("ZRFan.Mdb"))));
  _RecordsetPtr rs = db.OpenRecordset(L"SELECT * FROM Model");
  ASSERT_TRUE(rs);
  EXPECT_EQ(dbtest::text(rs->GetCollect(L"ID")), L"77");
  EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(AdoDbOpen, CloseWhenNeverConnectedDoesNothing) {
  CAdoDB db;
  EXPECT_TRUE(db.Close());
  EXPECT_TRUE(db.Close());
  EXPECT_FALSE(db.m_pConnection);
  EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(AdoDbOpen, CloseReleasesAndLaterCallsReportTheMissingConnection) {
  CAdoDB db;
  ASSERT_TRUE(db.Open(wide(path)));
  EXPECT_TRUE(db.Close());
  EXPECT_FALSE(db.m_pConnection);
  EXPECT_FALSE(db.Execute(L"SELECT * FROM Model"));
  EXPECT_EQ(onlyMessage(), L"数据库操作错误!\nSELECT * FROM Model");
  ui.clear();
  EXPECT_FALSE(db.OpenRecordset(L"SELECT * FROM Model"));
  EXPECT_EQ(onlyMessage(), L"数据库操作错误!\nSELECT * FROM Model");
}

// A framework exception with a message longer than any box shows.
class LongException : public CException {
 protected:
  CString message() const override {
    CString text;
    for (int i = 0; i < 30; ++i) text.AppendFormat(L"%09d|", i);  // 300 characters
    return text;
  }
};

std::wstring firstChars(int n) {
  std::wstring text;
  for (int i = 0; i < 30; ++i) {
    wchar_t part[16];
    std::swprintf(part, 16, L"%09d|", i);
    text += part;
  }
  return text.substr(0, static_cast<std::size_t>(n));
}

// Makes one data-access operation throw what `thrower` throws while in scope.
struct ScopedFault {
  ScopedFault(std::string_view operation, std::function<void()> thrower) {
    adoimpl::setFaultHook([op = std::string(operation), thrower](std::string_view name) {
      if (name == op) thrower();
    });
  }
  ~ScopedFault() { adoimpl::setFaultHook(nullptr); }
};

struct ScopedUnregistered {
  explicit ScopedUnregistered(const wchar_t* progId) : m_progId(progId) {
    adoimpl::setClassRegistered(progId, false);
  }
  ~ScopedUnregistered() { adoimpl::setClassRegistered(m_progId, true); }
  const wchar_t* m_progId;
};

using AdoDbFaults = dbtest::DbFixture;

TEST_F(AdoDbFaults, ConnectionClassMissing) {
  ScopedUnregistered missing(L"ADODB.Connection");
  CAdoDB db;
  EXPECT_FALSE(db.Open(wide(path)));
  EXPECT_EQ(onlyMessage(), L"创建对象失败!");
  EXPECT_EQ(ui.boxes()[0].type, MB_ICONEXCLAMATION);
  EXPECT_FALSE(db.m_pConnection);
}

TEST_F(AdoDbFaults, RecordsetClassMissingShowsAsTheOpenError) {
  CAdoDB db;
  ASSERT_TRUE(db.Open(wide(path)));
  ScopedUnregistered missing(L"ADODB.Recordset");
  EXPECT_FALSE(db.OpenRecordset(L"SELECT * FROM Model"));
  EXPECT_EQ(onlyMessage(), L"数据库操作错误!\nSELECT * FROM Model");
}

TEST_F(AdoDbFaults, FrameworkExceptionOnConnectShowsItsMessage) {
  ScopedFault fault("Connection.Open", [] { throw new LongException; });
  CAdoDB db;
  EXPECT_FALSE(db.Open(wide(path)));
  EXPECT_EQ(onlyMessage(), L"连接数据库失败!\n" + firstChars(255));
  EXPECT_EQ(ui.boxes()[0].type, MB_ICONEXCLAMATION);
  EXPECT_FALSE(db.m_pConnection);
}

TEST_F(AdoDbFaults, FrameworkExceptionOnStatementsShowsItsMessageAlone) {
  CAdoDB db;
  ASSERT_TRUE(db.Open(wide(path)));
  {
    ScopedFault fault("Connection.Execute", [] { throw new LongException; });
    EXPECT_FALSE(db.Execute(L"SELECT * FROM Model"));
    EXPECT_EQ(onlyMessage(), firstChars(256));
    EXPECT_EQ(ui.boxes()[0].type, MB_OK);
  }
  ui.clear();
  {
    ScopedFault fault("Recordset.Open", [] { AfxThrowMemoryException(); });
    EXPECT_FALSE(db.OpenRecordset(L"SELECT * FROM Model"));
    EXPECT_EQ(onlyMessage(), L"内存不足。");
  }
}

TEST_F(AdoDbFaults, DriverErrorOnConnectShowsTheConnectionString) {
  ScopedFault fault("Connection.Open", [] { throw _com_error(E_FAIL, L"file is locked"); });
  CAdoDB db;
  EXPECT_FALSE(db.Connect(L"DBQ=x.Mdb"));
  EXPECT_EQ(onlyMessage(), L"连接数据库失败!\nDBQ=x.Mdb");
  EXPECT_EQ(ui.boxes()[0].type, MB_OK);
}

using AdoDbStatements = dbtest::DbFixture;

TEST_F(AdoDbStatements, SyntaxErrorIsReportedOnceByTheProbe) {
  CAdoDB db;
  ASSERT_TRUE(db.Open(wide(path)));
  const CString sql = L"SELECT * FORM Model WHERE BigModel LIKE '4-72'";
  // The callers' order: the probe, and the recordset only when it ran.
  _RecordsetPtr rs;
  if (db.Execute(sql)) rs = db.OpenRecordset(sql);
  EXPECT_FALSE(rs);
  EXPECT_EQ(onlyMessage(), std::wstring(L"数据库操作错误!\n") + sql.GetString());
  EXPECT_EQ(ui.boxes()[0].type, MB_OK);
}

TEST_F(AdoDbStatements, SelectWithoutRowsSucceeds) {
  CAdoDB db;
  ASSERT_TRUE(db.Open(wide(path)));
  const CString sql = L"SELECT * FROM Model WHERE BigModel LIKE 'no such series'";
  EXPECT_TRUE(db.Execute(sql));
  _RecordsetPtr rs = db.OpenRecordset(sql);
  ASSERT_TRUE(rs);
  EXPECT_TRUE(rs->GetBOF());
  EXPECT_TRUE(rs->GetadoEOF());
  EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(AdoDbStatements, MissingTableAndQuotedValuesGiveTheWrappersMessage) {
  CAdoDB db;
  ASSERT_TRUE(db.Open(wide(path)));
  for (const wchar_t* sql : {L"SELECT * FROM 11-62_D_Accessory WHERE ModelID LIKE '3'",
                             L"SELECT * FROM Model WHERE BigModel LIKE 'O'Neil'",
                             L"SELECT * FROM 4-72 A_Parameter WHERE ModelID LIKE '3'",
                             L"SELECT * FROM Model; DELETE * FROM Model"}) {
    ui.clear();
    EXPECT_FALSE(db.Execute(sql));
    EXPECT_EQ(onlyMessage(), std::wstring(L"数据库操作错误!\n") + sql);
    ui.clear();
    EXPECT_FALSE(db.OpenRecordset(sql));
    EXPECT_EQ(onlyMessage(), std::wstring(L"数据库操作错误!\n") + sql);
  }
  EXPECT_GT(testsupport::countRows(path, "Model"), 0);
}

TEST_F(AdoDbStatements, OpenRecordsetIsUpdatable) {
  CAdoDB db;
  ASSERT_TRUE(db.Open(wide(path)));
  const auto second = testsupport::readRows(path, "SELECT ID FROM Model ORDER BY rowid LIMIT 2")[1];
  _RecordsetPtr rs = db.OpenRecordset(L"select * from Model");
  ASSERT_TRUE(rs);
  rs->Move(1, g_vtMissing);
  rs->PutCollect(L"LabelModel", L"新标注");
  rs->Update(g_vtMissing, g_vtMissing);
  rs->Close();
  EXPECT_EQ(
      testsupport::readRows(path, "SELECT LabelModel FROM Model WHERE ID = " + second[0])[0][0],
      "新标注");
}

TEST(MissingArgument, IsParamNotFound) {
  EXPECT_EQ(g_vtMissing.vt, VT_ERROR);
  EXPECT_EQ(g_vtMissing.scode, DISP_E_PARAMNOTFOUND);
  EXPECT_TRUE(isMissingArgument(g_vtMissing));
}

using FanDatabase = dbtest::DbFixture;

struct ScopedEnv {
  ScopedEnv(const char* name, const std::string& value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (m_old.empty()) {
      ::unsetenv(m_name);
    } else {
      ::setenv(m_name, m_old.c_str(), 1);
    }
  }
  const char* m_name;
  std::string m_old;
};

TEST_F(FanDatabase, OpensZRFanMdbInTheDataLibrary) {
  ScopedEnv env("ZR_DATALIB", dir.path() + "/");
  CFanDatabase db;
  EXPECT_TRUE(db.OpenFanDatabase());
  EXPECT_TRUE(ui.boxes().empty());
  EXPECT_TRUE(db.Execute(L"SELECT * FROM IndexTableName WHERE IndexName LIKE 'ERRORNUM'"));
}

TEST_F(FanDatabase, MissingCatalogueNamesTheFullPath) {
  testsupport::TempDir empty;
  ScopedEnv env("ZR_DATALIB", empty.path());
  CFanDatabase db;
  EXPECT_FALSE(db.OpenFanDatabase());
  EXPECT_EQ(onlyMessage(), std::wstring(L"数据库") +
                               modulePath(empty.path(), "ZRFan.Mdb").GetString() + L"不存在!");
}

}  // namespace
