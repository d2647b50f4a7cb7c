// Recent SELECT results are reused only while nothing has written to what
// they read: a write through a recordset or a statement makes the queries of
// the tables written read the file again; another connection's commit, a
// schema change or a rollback make every query read it again.
#include <gtest/gtest.h>

#include <chrono>

#include "ado/ado_statistics.h"
#include "ado/test_seams.h"
#include "ado_fixture.h"
#include "base/user_action.h"

namespace {

using ResultCache = adotest::CatalogueFixture;
const wchar_t* const kQuery = L"select * from Model where ID like 1";

std::vector<std::wstring> Labels(const _ConnectionPtr& c) {
  return adotest::column(adotest::open(c, kQuery), L"LabelModel");
}

// How many queries the back end ran for fn (the rest came from the cache).
template <class Fn>
unsigned long long BackendQueries(Fn&& fn) {
  const unsigned long long before = adoimpl::backendQueryCount();
  fn();
  return adoimpl::backendQueryCount() - before;
}

TEST_F(ResultCache, ARepeatedQueryStillSeesEveryKindOfWrite) {
  const std::vector<std::wstring> original = Labels(conn);
  ASSERT_EQ(Labels(conn), original);

  _RecordsetPtr rs = adotest::open(conn, kQuery);
  rs->PutCollect(L"LabelModel", L"through a recordset");
  rs->Update();
  EXPECT_EQ(Labels(conn), std::vector<std::wstring>{L"through a recordset"});

  conn->Execute(L"UPDATE Model SET LabelModel = 'by a statement' WHERE ID = 1", nullptr, -1);
  EXPECT_EQ(Labels(conn), std::vector<std::wstring>{L"by a statement"});

  _ConnectionPtr other = adotest::connect(path);
  other->Execute(L"UPDATE Model SET LabelModel = 'by another host' WHERE ID = 1", nullptr, -1);
  EXPECT_EQ(Labels(conn), std::vector<std::wstring>{L"by another host"});

  conn->Execute(L"ALTER TABLE Model ADD COLUMN Extra TEXT", nullptr, -1);
  _RecordsetPtr wider = adotest::open(conn, kQuery);
  EXPECT_EQ(wider->GetFields()->GetCount(), 7);
}

TEST_F(ResultCache, RecordsetsOfOneResultWriteWithoutTouchingEachOther) {
  _RecordsetPtr first = adotest::open(conn, kQuery);
  _RecordsetPtr second = adotest::open(conn, kQuery);
  first->PutCollect(L"LabelModel", L"first");
  first->Update();
  EXPECT_EQ(adotest::text(second->GetCollect(L"LabelModel")), L"4-72No4A")
      << "an open recordset keeps the rows it was opened with";
  first->Delete(adAffectCurrent);
  EXPECT_TRUE(adotest::open(conn, kQuery)->GetBOF());
  EXPECT_FALSE(second->GetBOF());
}

TEST_F(ResultCache, TheProbeAndTheRecordsetAreStillTwoStatements) {
  const unsigned long long before = adoimpl::statementCount();
  conn->Execute(kQuery, nullptr, -1);
  adotest::open(conn, kQuery);
  EXPECT_EQ(adoimpl::statementCount() - before, 2u);
  EXPECT_THROW(conn->Execute(L"select * from NoSuchTable", nullptr, -1), _com_error)
      << "a failing probe reports its error as before";
}

// The probe and the recordset that repeats it at once are one question: they
// see one state of the file, and a commit by another host in between is seen
// by the next query. Anything else run on the connection in between, a write
// of its own, or a wait past the window makes the recordset look again.
TEST_F(ResultCache, ARecordsetRightAfterItsProbeSharesItsLookAtTheFile) {
  struct Window {
    Window() { adoimpl::setProbeReuseWindow(std::chrono::hours(1)); }
    ~Window() { adoimpl::setProbeReuseWindow(std::chrono::milliseconds(250)); }
  } window;
  _ConnectionPtr other = adotest::connect(path);
  const auto otherWrites = [&other](const wchar_t* label) {
    other->Execute(
        (std::wstring(L"UPDATE Model SET LabelModel = '") + label + L"' WHERE ID = 1").c_str(),
        nullptr, -1);
  };
  const std::vector<std::wstring> original = Labels(conn);

  conn->Execute(kQuery, nullptr, -1);
  otherWrites(L"between probe and open");
  EXPECT_EQ(Labels(conn), original);
  EXPECT_EQ(Labels(conn), std::vector<std::wstring>{L"between probe and open"})
      << "the note is used once";

  conn->Execute(kQuery, nullptr, -1);
  otherWrites(L"after another query");
  adotest::open(conn, L"select * from Model where ID like 2");
  EXPECT_EQ(Labels(conn), std::vector<std::wstring>{L"after another query"});

  conn->Execute(kQuery, nullptr, -1);
  conn->Execute(L"UPDATE Model SET LabelModel = 'own write' WHERE ID = 1", nullptr, -1);
  EXPECT_EQ(Labels(conn), std::vector<std::wstring>{L"own write"});

  conn->Execute(kQuery, nullptr, -1);
  otherWrites(L"after the window");
  adoimpl::setProbeReuseWindow(std::chrono::milliseconds(0));
  EXPECT_EQ(Labels(conn), std::vector<std::wstring>{L"after the window"});
}

// One user action may read the file's version once for all its statements;
// its own writes are still seen at once, and another connection's by the next
// action at the latest.
TEST_F(ResultCache, AUserActionSeesItsOwnWritesAndTheNextSeesEveryOther) {
  _ConnectionPtr other = adotest::connect(path);
  {
    const zrbase::UserActionScope action;
    ASSERT_EQ(Labels(conn), std::vector<std::wstring>{L"4-72No4A"});
    conn->Execute(L"UPDATE Model SET LabelModel = 'mine' WHERE ID = 1", nullptr, -1);
    EXPECT_EQ(Labels(conn), std::vector<std::wstring>{L"mine"});
    other->Execute(L"UPDATE Model SET LabelModel = 'theirs' WHERE ID = 1", nullptr, -1);
    Labels(conn);
  }
  // Actions one after the other live at one address: each is still a new one.
  for (const wchar_t* label : {L"theirs", L"again", L"once more"}) {
    const zrbase::UserActionScope next;
    EXPECT_EQ(Labels(conn), std::vector<std::wstring>{label});
    const std::wstring following = label == std::wstring(L"theirs") ? L"again" : L"once more";
    other->Execute((L"UPDATE Model SET LabelModel = '" + following + L"' WHERE ID = 1").c_str(),
                   nullptr, -1);
  }
}

// Editing one table keeps what was read from the others: the dialog's
// series, models and headings survive an edit of a performance row.
TEST_F(ResultCache, AnOwnWriteForgetsOnlyTheResultsOfTheTablesItWrote) {
  const std::wstring rowsOfModel1 = L"select * from 4-72_Parameter where ModelID like 1";
  const auto flux = [&] { return adotest::column(adotest::open(conn, rowsOfModel1), L"Flux"); };
  const std::vector<std::wstring> labels = Labels(conn);
  ASSERT_EQ(flux(), (std::vector<std::wstring>{L"4012", L"4012"}));

  conn->Execute(L"UPDATE Flags SET Count = 7 WHERE Name = 'a'", nullptr, -1);
  conn->Execute(L"UPDATE Model SET Speed = 1 WHERE ID = 99", nullptr, -1);
  const unsigned long long afterOtherTable = BackendQueries([&] {
    EXPECT_EQ(Labels(conn), labels);
    EXPECT_EQ(flux(), (std::vector<std::wstring>{L"4012", L"4012"}));
  });
  EXPECT_EQ(afterOtherTable, 0u) << "a write elsewhere, and one of no rows";

  conn->Execute(L"UPDATE 4-72_Parameter SET Flux = 1 WHERE ModelID = 1", nullptr, -1);
  const unsigned long long afterParameters = BackendQueries([&] {
    EXPECT_EQ(Labels(conn), labels);
    EXPECT_EQ(flux(), (std::vector<std::wstring>{L"1", L"1"}));
  });
  EXPECT_EQ(afterParameters, 1u) << "only the parameter rows are read again";

  _RecordsetPtr rs = adotest::open(conn, kQuery);
  rs->PutCollect(L"LabelModel", L"edited");
  rs->Update();
  EXPECT_EQ(Labels(conn), std::vector<std::wstring>{L"edited"});
  const unsigned long long afterRecordset = BackendQueries([&] {
    EXPECT_EQ(flux(), (std::vector<std::wstring>{L"1", L"1"}));
  });
  EXPECT_EQ(afterRecordset, 0u);
}

// What a write changes through a trigger, or what a view shows of a table
// written, is read again like the table itself.
TEST(ResultCacheOnFile, TriggersAndViewsAreFollowedToTheirTables) {
  if (testsupport::testServer()) GTEST_SKIP() << "the trigger and the view are SQLite's";
  testsupport::TempDir dir;
  const std::string path = dir.file("ZRFan.Mdb");
  {
    testsupport::CatalogueBuilder b(path);
    b.model(1, std::string("4-72"), std::string("A"), 4.0, 2900LL, std::string("4-72No4A"))
        .exec("CREATE TABLE Audit (Label TEXT)")
        .exec(
            "CREATE TRIGGER ModelAudit AFTER UPDATE ON Model BEGIN "
            "INSERT INTO Audit VALUES (new.LabelModel); END")
        .exec("CREATE VIEW Labels AS SELECT ID, LabelModel FROM Model");
  }
  _ConnectionPtr conn = adotest::connect(path);
  const auto audit = [&] {
    return adotest::column(adotest::open(conn, L"select * from Audit"), L"Label");
  };
  const auto viewed = [&] {
    return adotest::column(adotest::open(conn, L"select LabelModel from Labels"), L"LabelModel");
  };
  ASSERT_TRUE(audit().empty());
  ASSERT_EQ(viewed(), std::vector<std::wstring>{L"4-72No4A"});
  conn->Execute(L"UPDATE Model SET LabelModel = 'renamed' WHERE ID = 1", nullptr, -1);
  EXPECT_EQ(audit(), std::vector<std::wstring>{L"renamed"});
  EXPECT_EQ(viewed(), std::vector<std::wstring>{L"renamed"});
}

// Rows read inside a transaction that is then rolled back are not what the
// file holds: the first query after the rollback reads it again.
TEST_F(ResultCache, RowsReadBeforeARollbackAreNotReused) {
  const std::vector<std::wstring> labels = Labels(conn);
  conn->BeginTrans();
  conn->Execute(L"UPDATE Model SET LabelModel = 'in the transaction' WHERE ID = 1", nullptr, -1);
  EXPECT_EQ(Labels(conn), std::vector<std::wstring>{L"in the transaction"});
  conn->RollbackTrans();
  EXPECT_EQ(Labels(conn), labels);

  conn->BeginTrans();
  _RecordsetPtr rs = adotest::open(conn, kQuery);
  rs->PutCollect(L"LabelModel", L"through a recordset");
  rs->Update();
  EXPECT_EQ(Labels(conn), std::vector<std::wstring>{L"through a recordset"});
  conn->RollbackTrans();
  EXPECT_EQ(Labels(conn), labels);
}

}  // namespace
