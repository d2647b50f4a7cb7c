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
struct QueryCase {
  const char* name;
  const char* sql;
  const char* expected;
  const char* key = "ID";
};

const QueryCase kQueries[] = {
    {"AllModels", "SELECT * FROM Model", "SELECT ID FROM Model ORDER BY rowid"},
    {"DriveModesOfAFanNumber",
     "SELECT * FROM Model WHERE FanNo LIKE '4.5' AND BigModel LIKE '4-72'",
     "SELECT ID FROM Model WHERE FanNo = 4.5 AND BigModel = '4-72' ORDER BY rowid"},
    {"SpeedsOfADriveMode",
     "SELECT * FROM Model WHERE FanNo LIKE '4' AND BigModel LIKE 'T4-72' AND DriveMode LIKE '直联'",
     "SELECT ID FROM Model WHERE FanNo = 4 AND BigModel = 'T4-72' AND DriveMode = '直联' ORDER BY "
     "rowid"},
    {"IdOfTheCurrentModel",
     "SELECT * FROM Model WHERE BigModel LIKE '4-72' AND FanNo LIKE '5' AND DriveMode LIKE 'C' AND "
     "Speed LIKE '2000'",
     "SELECT ID FROM Model WHERE BigModel = '4-72' AND FanNo = 5 AND DriveMode = 'C' AND Speed = "
     "2000"},
    {"LabelOfThePlacedFan",
     "select * from Model where BigModel like '9-19' and DriveMode like 'D' and FanNo like '5.6' "
     "and Speed like '1450'",
     "SELECT LabelModel FROM Model WHERE BigModel = '9-19' AND DriveMode = 'D' AND FanNo = 5.6 AND "
     "Speed = 1450",
     "LabelModel"},
    // The IDs out of the catalogue's order: the rows still come in it.
    {"CandidatesFoundByParameters",
     "select * from Model where ID like {11-62/A} or ID like {4-72/C} or ID like {Y5-47/C}",
     "SELECT ID FROM Model WHERE ID IN ({11-62/A}, {4-72/C}, {Y5-47/C}) ORDER BY rowid"},
    {"TableStyleOfASeries", "SELECT * FROM Model_Table_Parameter_Style WHERE  BigModel LIKE '4-79'",
     "SELECT BigModel FROM Model_Table_Parameter_Style WHERE BigModel = '4-79'", "BigModel"},
    {"HeadingOfAColumn", "SELECT * FROM IndexTableName WHERE IndexName LIKE 'AllPressLow'",
     "SELECT TableHead FROM IndexTableName WHERE IndexName = 'AllPressLow'", "TableHead"},
    {"ColumnOfAHeadingWithPercent", "SELECT * FROM IndexTableName WHERE TableHead LIKE '内效率(%)'",
     "SELECT IndexName FROM IndexTableName WHERE TableHead = '内效率(%)'", "IndexName"},
    {"PerformanceRowsOfAModel", "SELECT * FROM 4-72_Parameter WHERE ModelID LIKE '{4-72/C}'",
     "SELECT ID FROM \"4-72_Parameter\" WHERE ModelID = {4-72/C} ORDER BY rowid"},
    {"AccessoryRowsOfAModel",
     "SELECT * FROM T4-72_直联_Accessory WHERE ModelID LIKE '{T4-72/直联}'",
     "SELECT ID FROM \"T4-72_直联_Accessory\" WHERE ModelID = {T4-72/直联} ORDER BY rowid"},
    // The bounds as the module formats them: %f, six decimals.
    {"PointTableSearch",
     "select * from 4-72_Parameter where AllPress >= 1081.000000 And AllPress <=1181.000000 And "
     "Flux >= 1500.000000 And Flux <= 4500.000000",
     "SELECT ID FROM \"4-72_Parameter\" WHERE AllPress >= 1081 AND AllPress <= 1181 AND Flux >= "
     "1500 AND Flux <= 4500 ORDER BY rowid"},
    {"RangeTableSearch",
     "select * from 4-79_Parameter where AllPressLow <= 1200.000000 AND AllPressHigh >= "
     "1200.000000 and FluxLow <= 5000.000000 and FluxHigh >= 5000.000000",
     "SELECT ID FROM \"4-79_Parameter\" WHERE AllPressLow <= 1200 AND AllPressHigh >= 1200 AND "
     "FluxLow <= 5000 AND FluxHigh >= 5000 ORDER BY rowid"},
    {"ParameterRowsOfAModelToDelete", "Select * from 9-19_Parameter where ModelID like {9-19/D}",
     "SELECT ID FROM \"9-19_Parameter\" WHERE ModelID = {9-19/D} ORDER BY rowid"},
};

// A change: an insert adds one row matching `where` to `table`, a delete
// removes every such row; the table changes by exactly that much.
struct ChangeCase {
  const char* name;
  const char* sql;
  const char* table;
  const char* where;
};

const ChangeCase kChanges[] = {
    {"NewGridRow", "insert into 4-72_A_Accessory (ModelID) values({4-72/A})", "4-72_A_Accessory",
     "ModelID = {4-72/A} AND ItemName IS NULL AND Spec IS NULL"},
    {"PlaceholderRow", "insert into 11-62_Parameter (ModelID) Values({11-62/A})", "11-62_Parameter",
     "ModelID = {11-62/A} AND FluxLow IS NULL"},
    {"DeleteModel", "delete * from Model where ID like {4-79/A}", "Model", "ID = {4-79/A}"},
    {"DeleteRowsOfAModel", "delete * from T4-72_Parameter where ModelID like {T4-72/直联}",
     "T4-72_Parameter", "ModelID = {T4-72/直联}"},
};

template <class Case>
struct CatalogueStatement : dbtest::DbFixture, ::testing::WithParamInterface<Case> {
  CFanDatabase db;
  CString sql;
  void SetUp() override {
    sql = w(expand(path, this->GetParam().sql));
    ASSERT_TRUE(db.Open(w(path)));
  }
  void TearDown() override { EXPECT_TRUE(ui.boxes().empty()); }
};

using CatalogueQuery = CatalogueStatement<QueryCase>;
using CatalogueChange = CatalogueStatement<ChangeCase>;

TEST_P(CatalogueQuery, GivesTheRowsOfItsPlainQuestion) {
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
}

TEST_P(CatalogueChange, ChangesTheRowsItNamesOnly) {
  const std::string table = std::string("\"") + GetParam().table + "\"";
  const auto count = [&](const std::string& where) {
    return std::stoll(readRows(path, "SELECT count(*) FROM " + table + where)[0][0]);
  };
  const std::string matching = " WHERE " + expand(path, GetParam().where);
  const long long was = count(matching), total = count("");
  const long long change = sql.ToUtf8().rfind("insert", 0) == 0 ? 1 : -was;
  ASSERT_NE(change, 0) << "a delete must find rows to prove anything";
  ASSERT_TRUE(db.Execute(sql)) << sql.ToUtf8();
  EXPECT_EQ(count(matching), was + change);
  EXPECT_EQ(count(""), total + change);
}

void PrintTo(const QueryCase& c, std::ostream* os) { *os << c.name; }
void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }
template <class Case>
std::string caseName(const ::testing::TestParamInfo<Case>& info) {
  return info.param.name;
}
INSTANTIATE_TEST_SUITE_P(Templates, CatalogueQuery, ::testing::ValuesIn(kQueries),
                         caseName<QueryCase>);
INSTANTIATE_TEST_SUITE_P(Templates, CatalogueChange, ::testing::ValuesIn(kChanges),
                         caseName<ChangeCase>);

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

}  // namespace
