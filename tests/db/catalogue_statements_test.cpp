// Every statement the module sends, as it sends it, run through the wrapper
// against the sample catalogue; the result is checked against the same
// question asked of SQLite directly in plain SQL.
#include <gtest/gtest.h>

#include "db/fan_database.h"
#include "db_fixture.h"

namespace {

using testsupport::readRows;

CString w(const std::string& s) { return CString::FromUtf8(s); }

// In both columns of the tables below, {S/D} stands for the ID of the first
// model of series S with drive mode D in the sample catalogue.
std::string expand(const std::string& path, std::string text) {
  for (std::size_t open; (open = text.find('{')) != std::string::npos;) {
    const std::size_t slash = text.find('/', open), close = text.find('}', open);
    const std::string series = text.substr(open + 1, slash - open - 1);
    const std::string drive = text.substr(slash + 1, close - slash - 1);
    const auto rows = readRows(path, "SELECT ID FROM Model WHERE BigModel = '" + series +
                                         "' AND DriveMode = '" + drive + "' ORDER BY rowid");
    if (rows.empty()) throw std::runtime_error("no sample model " + series + "/" + drive);
    text.replace(open, close - open + 1, rows[0][0]);
  }
  return text;
}

// A query: the plain SQL whose `key` column lists the rows it must give, in order.
// (The dialog's and the editor's other statements run in tests/fandlg and
// tests/styledlg on both back ends, and end to end on the sample in tests/e2e.)
struct QueryCase {
  const char* name;
  const char* sql;
  const char* expected;
  const char* key = "ID";
};

const QueryCase kQueries[] = {
    {"AllModels", "SELECT * FROM Model", "SELECT ID FROM Model ORDER BY rowid"},
    {"SpeedsOfADriveMode",
     "SELECT * FROM Model WHERE FanNo LIKE '4' AND BigModel LIKE 'T4-72' AND DriveMode LIKE '直联'",
     "SELECT ID FROM Model WHERE FanNo = 4 AND BigModel = 'T4-72' AND DriveMode = '直联' ORDER BY "
     "rowid"},
    // The IDs out of the catalogue's order: the rows still come in it.
    {"CandidatesFoundByParameters",
     "select * from Model where ID like {11-62/A} or ID like {4-72/C} or ID like {Y5-47/C}",
     "SELECT ID FROM Model WHERE ID IN ({11-62/A}, {4-72/C}, {Y5-47/C}) ORDER BY rowid"},
    {"ColumnOfAHeadingWithPercent", "SELECT * FROM IndexTableName WHERE TableHead LIKE '内效率(%)'",
     "SELECT IndexName FROM IndexTableName WHERE TableHead = '内效率(%)'", "IndexName"},
    {"AccessoryRowsOfAModel",
     "SELECT * FROM T4-72_直联_Accessory WHERE ModelID LIKE '{T4-72/直联}'",
     "SELECT ID FROM \"T4-72_直联_Accessory\" WHERE ModelID = {T4-72/直联} ORDER BY rowid"},
};

struct CatalogueQuery : dbtest::DbFixture, ::testing::WithParamInterface<QueryCase> {};

TEST_P(CatalogueQuery, GivesTheRowsOfItsPlainQuestion) {
  CFanDatabase db;
  ASSERT_TRUE(db.Open(w(path)));
  const CString sql = w(expand(path, GetParam().sql));
  const auto expected = readRows(path, expand(path, GetParam().expected), true);
  ASSERT_FALSE(expected.empty()) << "a case must find rows to prove anything";
  ASSERT_TRUE(db.Execute(sql)) << sql.ToUtf8();
  _RecordsetPtr rs = db.OpenRecordset(sql);
  ASSERT_TRUE(rs);
  std::vector<std::vector<std::string>> got;
  for (; !rs->GetadoEOF(); rs->MoveNext()) {
    got.push_back({dbtest::text(rs->GetCollect(w(GetParam().key).GetString())).ToUtf8()});
  }
  EXPECT_EQ(got, expected) << sql.ToUtf8();
  EXPECT_TRUE(ui.boxes().empty());
}

void PrintTo(const QueryCase& c, std::ostream* os) { *os << c.name; }
INSTANTIATE_TEST_SUITE_P(Templates, CatalogueQuery, ::testing::ValuesIn(kQueries),
                         [](const auto& c) { return std::string(c.param.name); });

using CatalogueEdges = dbtest::DbFixture;

TEST_F(CatalogueEdges, EmptyCatalogueGivesEmptyResultsAndNoMessage) {
  const std::string emptyPath = dir.file("empty.Mdb");
  testsupport::CatalogueBuilder(emptyPath).close();
  CFanDatabase db;
  ASSERT_TRUE(db.Open(w(emptyPath)));
  for (const wchar_t* sql :
       {L"SELECT * FROM Model", L"SELECT * FROM Model WHERE BigModel LIKE '4-72'",
        L"SELECT * FROM Model_Table_Parameter_Style WHERE  BigModel LIKE '4-72'",
        L"SELECT * FROM IndexTableName WHERE IndexName LIKE 'ERRORNUM'"}) {
    ASSERT_TRUE(db.Execute(sql));
    _RecordsetPtr rs = db.OpenRecordset(sql);
    ASSERT_TRUE(rs);
    EXPECT_TRUE(rs->GetBOF());
  }
  EXPECT_TRUE(ui.boxes().empty());
}

// Deleting a model's rows takes those rows and no other, in a table named in Chinese.
TEST_F(CatalogueEdges, DeletingTheRowsOfAModelTakesThoseOnly) {
  CFanDatabase db;
  ASSERT_TRUE(db.Open(w(path)));
  const auto count = [&](const std::string& where) {
    return std::stoll(readRows(path, "SELECT count(*) FROM \"T4-72_Parameter\"" + where)[0][0]);
  };
  const std::string mine = expand(path, " WHERE ModelID = {T4-72/直联}");
  const long long was = count(mine), total = count("");
  ASSERT_GT(was, 0);
  ASSERT_TRUE(
      db.Execute(w(expand(path, "delete * from T4-72_Parameter where ModelID like {T4-72/直联}"))));
  EXPECT_EQ(count(mine), 0);
  EXPECT_EQ(count(""), total - was);
  EXPECT_TRUE(ui.boxes().empty());
}

}  // namespace
