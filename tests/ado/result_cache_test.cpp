// Recent SELECT results are reused only while nothing has written to what
// they read: a write through a recordset or a statement makes the queries of
// the tables written read the file again, and so do, after another program's
// write, the queries of the tables it changed; a schema change makes every
// query read it again.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>

#include "ado/kept_connections.h"
#include "ado/test_seams.h"
#include "ado_fixture.h"
#include "base/user_action.h"

namespace {

using adotest::backendQueries;
using adotest::Foreign;
using Labels = std::vector<std::wstring>;

using ResultCache = adotest::CatalogueFixture;

TEST_F(ResultCache, RecordsetsOfOneResultWriteWithoutTouchingEachOther) {
  _RecordsetPtr first = adotest::open(conn, kModel);
  _RecordsetPtr second = adotest::open(conn, kModel);
  first->PutCollect(L"LabelModel", L"first");
  first->Update();
  EXPECT_EQ(adotest::text(second->GetCollect(L"LabelModel")), L"4-72No4A")
      << "an open recordset keeps the rows it was opened with";
  first->Delete(adAffectCurrent);
  EXPECT_TRUE(adotest::open(conn, kModel)->GetBOF());
  EXPECT_FALSE(second->GetBOF());
}

// The probe and the recordset that repeats it at once are one question: they
// see one state of the file, and a commit by another host in between is seen
// by the next query. Anything else run on the connection in between, a write
// of its own, or a wait past the window makes the recordset look again. Both
// are still statements, and a failing probe reports its error as before.
TEST_F(ResultCache, ARecordsetRightAfterItsProbeSharesItsLookAtTheFile) {
  const unsigned long long before = adoimpl::statementCount();
  conn->Execute(kModel, nullptr, -1);
  adotest::open(conn, kModel);
  EXPECT_EQ(adoimpl::statementCount() - before, 2u);
  EXPECT_THROW(conn->Execute(L"select * from NoSuchTable", nullptr, -1), _com_error);

  struct Window {
    Window() { adoimpl::setProbeReuseWindow(std::chrono::hours(1)); }
    ~Window() { adoimpl::setProbeReuseWindow(std::chrono::milliseconds(250)); }
  } window;
  _ConnectionPtr other = adotest::connect(path);
  const auto otherWrites = [&other](const std::wstring& label) {
    other->Execute((L"UPDATE Model SET LabelModel = '" + label + L"' WHERE ID = 1").c_str(),
                   nullptr, -1);
  };
  const Labels original = labels();
  conn->Execute(kModel, nullptr, -1);
  otherWrites(L"between probe and open");
  EXPECT_EQ(labels(), original);
  EXPECT_EQ(labels(), Labels{L"between probe and open"}) << "the note is used once";

  conn->Execute(kModel, nullptr, -1);
  otherWrites(L"after another query");
  adotest::open(conn, L"select * from Model where ID like 2");
  EXPECT_EQ(labels(), Labels{L"after another query"});

  conn->Execute(kModel, nullptr, -1);
  conn->Execute(L"UPDATE Model SET LabelModel = 'own write' WHERE ID = 1", nullptr, -1);
  EXPECT_EQ(labels(), Labels{L"own write"});

  conn->Execute(kModel, nullptr, -1);
  otherWrites(L"after the window");
  adoimpl::setProbeReuseWindow(std::chrono::milliseconds(0));
  EXPECT_EQ(labels(), Labels{L"after the window"});
}

// One user action may read the file's version once for all its statements;
// its own writes are still seen at once, and another connection's by the next
// action at the latest.
TEST_F(ResultCache, AUserActionSeesItsOwnWritesAndTheNextSeesEveryOther) {
  _ConnectionPtr other = adotest::connect(path);
  {
    const zrbase::UserActionScope action;
    ASSERT_EQ(labels(), Labels{L"4-72No4A"});
    conn->Execute(L"UPDATE Model SET LabelModel = 'mine' WHERE ID = 1", nullptr, -1);
    EXPECT_EQ(labels(), Labels{L"mine"});
    other->Execute(L"UPDATE Model SET LabelModel = 'theirs' WHERE ID = 1", nullptr, -1);
    labels();
  }
  // Actions one after the other live at one address: each is still a new one.
  for (const wchar_t* label : {L"theirs", L"again"}) {
    const zrbase::UserActionScope next;
    EXPECT_EQ(labels(), Labels{label});
    other->Execute(L"UPDATE Model SET LabelModel = 'again' WHERE ID = 1", nullptr, -1);
  }
}

// On a server, a lookup by text in a small table is answered from the table read whole
// (the dialog's heading lookups); it matches in any letter case as the server does, and
// another connection's write is seen by the next action, this connection's at once.
TEST_F(ResultCache, ALookupInASmallTableSeesEveryWriteAsAQueryDoes) {
  _ConnectionPtr other = adotest::connect(path);
  const auto names = [this] {
    return adotest::column(adotest::open(conn, L"select * from Flags where Name like 'B'"),
                           L"Name");
  };
  {
    const zrbase::UserActionScope action;
    EXPECT_EQ(names(), Labels{L"b"});
    other->Execute(L"UPDATE Flags SET Name = 'B' WHERE Name = 'a'", nullptr, -1);
  }
  {
    const zrbase::UserActionScope next;
    EXPECT_EQ(names(), (Labels{L"B", L"b"}));
    conn->Execute(L"UPDATE Flags SET Name = 'x' WHERE Name = 'b'", nullptr, -1);
    EXPECT_EQ(names(), Labels{L"B"});
  }

  // A grid edit's pattern, action after action: the rows looked up, one of them written;
  // another connection writes too. Then lookups with no write between. Each sees every
  // write made before it.
  const auto counts = [this] {
    return adotest::column(adotest::open(conn, L"select * from Flags where Name like 'X'"),
                           L"Count");
  };
  for (int edit = 1; edit <= 5; ++edit) {
    const zrbase::UserActionScope action;
    if (edit > 1) {
      EXPECT_EQ(counts(), Labels{std::to_wstring(edit * 10)}) << "edit " << edit;
    }
    _RecordsetPtr rs = adotest::open(conn, L"select * from Flags where Name like 'x'");
    ASSERT_FALSE(rs->GetBOF());
    rs->PutCollect(L"Count", _variant_t(static_cast<long>(edit)));
    rs->Update();
    EXPECT_EQ(counts(), Labels{std::to_wstring(edit)}) << "edit " << edit;
    other->Execute(
        (L"UPDATE Flags SET Count = " + std::to_wstring(edit * 10 + 10) + L" WHERE Name = 'x'")
            .c_str(),
        nullptr, -1);
  }
  for (int lookup = 0; lookup < 4; ++lookup) {
    const zrbase::UserActionScope action;
    EXPECT_EQ(counts(), Labels{L"60"}) << "lookup " << lookup;
  }
}

// Editing one table keeps what was read from the others: the dialog's
// series, models and headings survive an edit of a performance row. A
// statement's or a recordset's write is seen at once.
TEST_F(ResultCache, AnOwnWriteForgetsOnlyTheResultsOfTheTablesItWrote) {
  const Labels original = labels();
  ASSERT_EQ(flux(), (Labels{L"4012", L"4012"}));

  conn->Execute(L"UPDATE Flags SET Count = 7 WHERE Name = 'a'", nullptr, -1);
  conn->Execute(L"UPDATE Model SET Speed = 1 WHERE ID = 99", nullptr, -1);
  EXPECT_EQ(backendQueries([&] {
              EXPECT_EQ(labels(), original);
              EXPECT_EQ(flux(), (Labels{L"4012", L"4012"}));
            }),
            0u)
      << "a write elsewhere, and one of no rows";

  conn->Execute(L"UPDATE 4-72_Parameter SET Flux = 1 WHERE ModelID = 1", nullptr, -1);
  EXPECT_EQ(backendQueries([&] {
              EXPECT_EQ(labels(), original);
              EXPECT_EQ(flux(), (Labels{L"1", L"1"}));
            }),
            1u)
      << "only the parameter rows are read again";

  _RecordsetPtr rs = adotest::open(conn, kModel);
  rs->PutCollect(L"LabelModel", L"edited");
  rs->Update();
  EXPECT_EQ(labels(), Labels{L"edited"});
  EXPECT_EQ(backendQueries([&] { EXPECT_EQ(flux(), (Labels{L"1", L"1"})); }), 0u);

  // A schema change makes every query read the file again.
  conn->Execute(L"ALTER TABLE Flags ADD COLUMN Extra TEXT", nullptr, -1);
  EXPECT_EQ(backendQueries([&] { EXPECT_EQ(flux(), (Labels{L"1", L"1"})); }), 1u);
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
  ASSERT_EQ(viewed(), Labels{L"4-72No4A"});
  conn->Execute(L"UPDATE Model SET LabelModel = 'renamed' WHERE ID = 1", nullptr, -1);
  EXPECT_EQ(audit(), Labels{L"renamed"});
  EXPECT_EQ(viewed(), Labels{L"renamed"});
}

// Another program's writes, through a plain SQLite connection: the next query
// of every table reads the file again. The catalogue is the user's: opening,
// browsing and editing it adds no table, trigger or index, and what earlier
// versions added is taken away when it is opened for writing.
class OtherWriters : public ResultCache {
 protected:
  void SetUp() override {
    if (testsupport::testServer()) GTEST_SKIP() << "about catalogue files";
    ResultCache::SetUp();
  }
  // Both queries; how many the back end ran.
  unsigned long long readBoth(Labels& l, Labels& f) {
    return backendQueries([&] {
      l = labels();
      f = flux();
    });
  }
  std::vector<std::vector<std::string>> schema() {
    return testsupport::readRows(path, "SELECT type, name, sql FROM sqlite_master ORDER BY name");
  }
};

TEST_F(OtherWriters, AnotherProgramsWriteIsSeenAndTheSchemaStaysTheUsers) {
  const auto before = schema();
  Labels l, f;
  readBoth(l, f);
  ASSERT_EQ(readBoth(l, f), 0u) << "read once, then answered from the cache";
  Foreign other(path);
  other.exec("UPDATE \"4-72_Parameter\" SET Flux = 77 WHERE ModelID = 1");
  EXPECT_EQ(readBoth(l, f), 1u) << "another program's write forgets the table it changed";
  EXPECT_EQ(f, (Labels{L"77", L"77"}));
  conn->Execute(L"UPDATE Model SET LabelModel = 'mine' WHERE ID = 1", nullptr, -1);
  EXPECT_EQ(readBoth(l, f), 1u) << "an own write forgets only the table it wrote";
  EXPECT_EQ(l, Labels{L"mine"});
  adotest::connect(path);
  EXPECT_EQ(schema(), before) << "nothing added to the file";
}

// Another program's writes of every kind, at random: rows added, edited to
// sizes that spill onto overflow pages and back or changed on the overflow
// pages alone, deleted in bulk, the file
// vacuumed, a table made and dropped. After each, every table read through the
// cache is what a fresh read of the file gives, and a write to one table
// leaves the results of the others as they were read.
TEST_F(OtherWriters, OnlyTheTablesAnotherProgramChangedAreReadAgain) {
  constexpr int kTables = 4;
  Foreign other(path);
  const auto table = [](int t) { return "T" + std::to_string(t); };
  for (int t = 0; t < kTables; ++t) other.exec("CREATE TABLE " + table(t) + " (ID INTEGER, V)");
  std::mt19937 random(7);
  const auto value = [&] {
    static const int kSizes[] = {3, 900, 5000, 30000};
    // Values of one size differ in their last character only: on an overflow
    // page, past what the row's own page holds.
    return "printf('%.*c', " + std::to_string(kSizes[random() % 4]) +
           ", 'a') || char(97 + abs(random()) % 26)";
  };
  const auto cached = [&](int t) {
    std::vector<std::string> out;
    for (const std::wstring& v :
         adotest::column(adotest::open(conn, L"select * from T" + std::to_wstring(t)), L"V")) {
      out.push_back(zrbase::wideToUtf8(v));
    }
    return out;
  };
  const auto fresh = [&](int t) {
    std::vector<std::string> out;
    for (const auto& row : testsupport::readRows(path, "SELECT V FROM " + table(t))) {
      out.push_back(row[0]);
    }
    return out;
  };
  for (int step = 0; step < 80; ++step) {
    for (int t = 0; t < kTables; ++t) cached(t);
    const int t = static_cast<int>(random() % kTables);
    const int op = static_cast<int>(random() % 8);
    const std::string k = std::to_string(random() % 4);
    SCOPED_TRACE("step " + std::to_string(step) + ", operation " + std::to_string(op));
    switch (op) {
      case 0:
      case 1:
        other.exec("INSERT INTO " + table(t) + " VALUES (" + std::to_string(step) + ", " + value() +
                   ")");
        break;
      case 2:
        other.exec("UPDATE " + table(t) + " SET V = " + value() + " WHERE ID % 4 = " + k);
        break;
      case 3:
        other.exec("DELETE FROM " + table(t) + " WHERE ID % 4 = " + k);
        break;
      case 4:
        other.exec("UPDATE " + table(t) + " SET V = V");
        break;
      case 5:
        other.exec(step % 2 ? "VACUUM" : "UPDATE " + table(t) + " SET ID = ID + 1");
        break;
      case 6:
        other.exec("CREATE TABLE IF NOT EXISTS Extra (V); INSERT INTO Extra VALUES (" + value() +
                   ")");
        break;
      default:
        other.exec("DROP TABLE IF EXISTS Extra");
    }
    const bool oneTable = op <= 4 || (op == 5 && step % 2 == 0);
    for (int u = 0; u < kTables; ++u) {
      std::vector<std::string> rows;
      const unsigned long long queries = backendQueries([&] { rows = cached(u); });
      ASSERT_TRUE(rows == fresh(u)) << table(u) << " read through the cache is not the file's";
      if (oneTable && u != t) {
        EXPECT_EQ(queries, 0u) << table(u) << " was not written";
      }
    }
  }
}

TEST_F(OtherWriters, StampsOfEarlierVersionsGoAtTheNextWriteOpenButTheUsersTriggersStay) {
  {
    Foreign old(path);
    old.exec("CREATE TABLE zr_table_changes (name TEXT PRIMARY KEY, stamp INTEGER)");
    for (const char* kind : {"INSERT", "UPDATE", "DELETE"}) {
      old.exec(std::string("CREATE TRIGGER \"zr_changes_Model_") + kind + "\" AFTER " + kind +
               " ON \"Model\" BEGIN UPDATE zr_table_changes SET stamp = random() WHERE name = "
               "'Model'; END");
    }
    old.exec("CREATE TRIGGER zr_changes_mine AFTER DELETE ON Flags BEGIN SELECT 1; END");
  }
  conn->Close();
  adoimpl::closeKeptConnections();  // as in a new process
  adotest::connect(path);
  const auto left = schema();
  EXPECT_EQ(std::count_if(left.begin(), left.end(),
                          [](const auto& row) { return row[1].starts_with("zr_"); }),
            1)
      << "only the user's own trigger is left";
  EXPECT_EQ(testsupport::readRows(path, "SELECT count(*) FROM Model")[0][0], "4");
}

// A file that another program holds locked when it is opened: opening does
// not wait for the lock, and the writes are seen once it is let go.
TEST(OtherWritersOnFile, AFileLockedWhenOpenedIsOpenedWithoutWaiting) {
  if (testsupport::testServer()) GTEST_SKIP() << "about catalogue files";
  testsupport::TempDir dir;
  const std::string path = dir.file("ZRFan.Mdb");
  {
    testsupport::CatalogueBuilder b(path);
    b.model(1, std::string("4-72"), std::string("A"), 4.0, 2900LL, std::string("4-72No4A"));
  }
  Foreign other(path);
  other.exec("BEGIN IMMEDIATE");
  const auto waited = adoimpl::lockWaitTime();
  _ConnectionPtr conn = adotest::connect(path);
  EXPECT_EQ(adoimpl::lockWaitTime(), waited) << "opening waited for the lock";
  other.exec("UPDATE Model SET LabelModel = 'locked' WHERE ID = 1");
  other.exec("COMMIT");
  EXPECT_EQ(adotest::column(adotest::open(conn, adotest::CatalogueFixture::kModel), L"LabelModel"),
            Labels{L"locked"});
}

}  // namespace
