// The catalogue wrapper: its results and the message of each failure.
#include "db/ado_db.h"

#include <gtest/gtest.h>

#include <functional>
#include <string_view>

#include "ado/test_seams.h"
#include "base/exception.h"
#include "db/fan_database.h"
#include "db_fixture.h"

namespace {

using dbtest::modulePath;
using dbtest::wide;

// A framework exception with a message longer than any box shows: 300 characters.
std::wstring longText() {
  std::wstring text;
  for (int i = 0; i < 30; ++i) text += std::to_wstring(1000000000 + i).substr(1) + L"|";
  return text;
}
class LongException : public CException {
 protected:
  CString message() const override { return CString(longText().c_str()); }
};

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

struct AdoDb : dbtest::DbFixture {
  CAdoDB db;
  // A failed call: its one message box, with its type and the program's caption.
  void expectFailure(BOOL result, const std::wstring& message, UINT type = MB_OK) {
    EXPECT_FALSE(result);
    EXPECT_EQ(onlyMessage(), message);
    if (!ui.boxes().empty()) {
      EXPECT_EQ(ui.boxes()[0].type, type) << "MB_OK: OK button, no icon";
      EXPECT_EQ(ui.boxes()[0].caption, winplat::kAppName);
    }
    ui.clear();
  }
};

TEST_F(AdoDb, EachWayOpeningFailsGivesOneMessageAndNoConnection) {
  const CString missing = modulePath(dir.path(), "nowhere\\ZRFan.Mdb");
  expectFailure(db.Open(missing), std::wstring(L"数据库") + missing.GetString() + L"不存在!");
  EXPECT_FALSE(db.m_pConnection) << "no connection is attempted";

  EXPECT_TRUE(db.Close());
  EXPECT_TRUE(db.Close());
  EXPECT_TRUE(ui.boxes().empty()) << "closing without a connection says nothing";

  expectFailure(db.Connect(L"DRIVER=Microsoft Access Driver (*.mdb);UID=sa;PWD="),
                L"连接数据库失败!\nDRIVER=Microsoft Access Driver (*.mdb);UID=sa;PWD=");
  {
    ScopedFault fault("Connection.Open", [] { throw new LongException; });
    expectFailure(db.Open(wide(path)), L"连接数据库失败!\n" + longText().substr(0, 255),
                  MB_ICONEXCLAMATION);
  }
  {
    ScopedUnregistered missingClass(L"ADODB.Connection");
    expectFailure(db.Open(wide(path)), L"创建对象失败!", MB_ICONEXCLAMATION);
  }
  EXPECT_FALSE(db.m_pConnection);
}

// Execute and OpenRecordset report every failure as the statement, except a
// framework exception, whose own message is shown.
TEST_F(AdoDb, AFailedStatementIsReportedOnceWithItsText) {
  ASSERT_TRUE(db.Open(wide(path)));
  for (const wchar_t* sql : {L"SELECT * FROM 11-62_D_Accessory WHERE ModelID LIKE '3'",
                             L"SELECT * FROM Model; DELETE * FROM Model"}) {
    expectFailure(db.Execute(sql), std::wstring(L"数据库操作错误!\n") + sql);
    expectFailure(!!db.OpenRecordset(sql), std::wstring(L"数据库操作错误!\n") + sql);
  }
  EXPECT_GT(testsupport::countRows(path, "Model"), 0);
  // The callers' order: the probe, and the recordset only when it ran.
  const CString syntax = L"SELECT * FORM Model WHERE BigModel LIKE '4-72'";
  expectFailure(db.Execute(syntax) && db.OpenRecordset(syntax),
                std::wstring(L"数据库操作错误!\n") + syntax.GetString());
  {
    ScopedUnregistered missingClass(L"ADODB.Recordset");
    expectFailure(!!db.OpenRecordset(L"SELECT * FROM Model"),
                  L"数据库操作错误!\nSELECT * FROM Model");
  }
  {
    ScopedFault fault("Connection.Execute", [] { throw new LongException; });
    expectFailure(db.Execute(L"SELECT * FROM Model"), longText().substr(0, 256));
  }
  {
    ScopedFault fault("Recordset.Open", [] { AfxThrowMemoryException(); });
    expectFailure(!!db.OpenRecordset(L"SELECT * FROM Model"), L"内存不足。");
  }
  EXPECT_TRUE(db.Close());
  EXPECT_FALSE(db.m_pConnection);
  expectFailure(db.Execute(L"SELECT * FROM Model"), L"数据库操作错误!\nSELECT * FROM Model");
  expectFailure(!!db.OpenRecordset(L"SELECT * FROM Model"),
                L"数据库操作错误!\nSELECT * FROM Model");
}

TEST_F(AdoDb, TheFanDatabaseIsZRFanMdbInTheDataLibrary) {
  CFanDatabase fan;
  {
    dbtest::ScopedEnv env("ZR_DATALIB", dir.path() + "/");
    EXPECT_TRUE(fan.OpenFanDatabase());
    EXPECT_TRUE(fan.Execute(L"SELECT * FROM IndexTableName WHERE IndexName LIKE 'ERRORNUM'"));
    EXPECT_TRUE(ui.boxes().empty());
  }
  testsupport::TempDir empty;
  dbtest::ScopedEnv env("ZR_DATALIB", empty.path());
  expectFailure(fan.OpenFanDatabase(),
                L"数据库" + modulePath(empty.path(), "ZRFan.Mdb").str() + L"不存在!");
}

}  // namespace
