// Every statement the module sends, formed from its template with catalogue
// values, run through the wrapper against the sample catalogue; the result is
// checked against the same question asked of SQLite directly in plain SQL.
#include <gtest/gtest.h>

#include <functional>

#include "db/fan_database.h"
#include "db_fixture.h"

namespace {

using testsupport::readRows;

// What one case runs: the module's statement, and either the plain query
// whose `key` column lists the expected rows in order, or a check of the file
// after a statement that changes it.
struct Prepared {
  CString sql;
  std::string expectedSql;  // plain SQL, for a query
  std::string key;
  std::function<void(const std::string& path)> check;  // for a change
};

struct StatementCase {
  const char* name;
  std::function<Prepared(const std::string& path)> prepare;
};

void PrintTo(const StatementCase& c, std::ostream* os) { *os << c.name; }

std::string one(const std::string& path, const std::string& sql) {
  const auto rows = readRows(path, sql);
  if (rows.empty()) throw std::runtime_error("the sample catalogue has no row for " + sql);
  return rows[0][0];
}

CString format(const wchar_t* pattern, const auto&... args) {
  CString s;
  s.Format(pattern, args...);
  return s;
}

CString w(const std::string& s) { return CString::FromUtf8(s); }

// The ID of the first model of a series and drive mode.
int modelOf(const std::string& path, const std::string& series, const std::string& drive) {
  return std::stoi(one(path, "SELECT ID FROM Model WHERE BigModel = '" + series +
                                 "' AND DriveMode = '" + drive + "' ORDER BY rowid"));
}

Prepared query(CString sql, std::string expected, std::string key = "ID") {
  return {std::move(sql), std::move(expected), std::move(key), nullptr};
}

const StatementCase kCases[] = {
    {"AllModels",
     [](const std::string&) {
       return query(L"SELECT * FROM Model", "SELECT ID FROM Model ORDER BY rowid");
     }},
    {"AllModelsForAdding",
     [](const std::string&) {
       return query(L"Select * from Model", "SELECT ID FROM Model ORDER BY rowid");
     }},
    {"AllModelsForStoring",
     [](const std::string&) {
       return query(L"select * from Model", "SELECT ID FROM Model ORDER BY rowid");
     }},
    {"FanNumbersOfASeries",
     [](const std::string&) {
       return query(format(L"SELECT * FROM Model WHERE BigModel LIKE '%s'", L"4-72"),
                    "SELECT ID FROM Model WHERE BigModel = '4-72' ORDER BY rowid");
     }},
    {"DriveModesOfAFanNumber",
     [](const std::string&) {
       return query(format(L"SELECT * FROM Model WHERE FanNo LIKE '%s' AND BigModel LIKE '%s'",
                           L"4.5", L"4-72"),
                    "SELECT ID FROM Model WHERE FanNo = 4.5 AND BigModel = '4-72' ORDER BY rowid");
     }},
    {"SpeedsOfADriveMode",
     [](const std::string&) {
       return query(format(L"SELECT * FROM Model WHERE FanNo LIKE '%s' AND BigModel LIKE '%s' AND "
                           L"DriveMode LIKE '%s'",
                           L"4", L"T4-72", L"直联"),
                    "SELECT ID FROM Model WHERE FanNo = 4 AND BigModel = 'T4-72' AND DriveMode = "
                    "'直联' ORDER BY rowid");
     }},
    {"IdOfTheCurrentModel",
     [](const std::string&) {
       return query(format(L"SELECT * FROM Model WHERE BigModel LIKE '%s' AND FanNo LIKE '%s' AND "
                           L"DriveMode LIKE '%s' AND Speed LIKE '%s'",
                           L"4-72", L"5", L"C", L"2000"),
                    "SELECT ID FROM Model WHERE BigModel = '4-72' AND FanNo = 5 AND DriveMode = "
                    "'C' AND Speed = 2000");
     }},
    {"LabelOfThePlacedFan",
     [](const std::string&) {
       return query(format(L"select * from Model where BigModel like '%s' and DriveMode like '%s' "
                           L"and FanNo like '%s' and Speed like '%s'",
                           L"9-19", L"D", L"5.6", L"1450"),
                    "SELECT LabelModel FROM Model WHERE BigModel = '9-19' AND DriveMode = 'D' AND "
                    "FanNo = 5.6 AND Speed = 1450",
                    "LabelModel");
     }},
    {"CandidatesFoundByParameters",
     [](const std::string& path) {
       const std::string a =
           one(path, "SELECT ID FROM Model WHERE BigModel = '11-62' ORDER BY rowid");
       const std::string b =
           one(path, "SELECT ID FROM Model WHERE BigModel = '4-72' ORDER BY rowid DESC");
       const std::string c =
           one(path, "SELECT ID FROM Model WHERE BigModel = 'Y5-47' ORDER BY rowid");
       CString sql = L"select * from Model where ";
       sql += format(L"ID like %s or ", w(a));
       sql += format(L"ID like %s or ", w(b));
       sql += format(L"ID like %s", w(c));
       return query(
           sql, "SELECT ID FROM Model WHERE ID IN (" + a + "," + b + "," + c + ") ORDER BY rowid");
     }},
    {"ModelsSharingAViewDrawing",
     [](const std::string&) {
       return query(format(L"select * from Model where BigModel like '%s' and FanNo Like '%s' and "
                           L"DriveMode like '%s'",
                           L"4-79", L"6", L"D"),
                    "SELECT ID FROM Model WHERE BigModel = '4-79' AND FanNo = 6 AND DriveMode = "
                    "'D' ORDER BY rowid");
     }},
    {"ModelById",
     [](const std::string& path) {
       const int id = modelOf(path, "9-19", "A");
       return query(format(L"Select * from Model where ID like %d", id),
                    "SELECT ID FROM Model WHERE ID = " + std::to_string(id));
     }},
    {"TableStyleOfASeries",
     [](const std::string&) {
       return query(
           format(L"SELECT * FROM Model_Table_Parameter_Style WHERE  BigModel LIKE '%s'", L"4-79"),
           "SELECT BigModel FROM Model_Table_Parameter_Style WHERE BigModel = '4-79'", "BigModel");
     }},
    {"HeadingOfAColumn",
     [](const std::string&) {
       return query(
           format(L"SELECT * FROM IndexTableName WHERE IndexName LIKE '%s'", L"AllPressLow"),
           "SELECT TableHead FROM IndexTableName WHERE IndexName = 'AllPressLow'", "TableHead");
     }},
    {"Tolerance",
     [](const std::string&) {
       return query(format(L"SELECT * FROM IndexTableName WHERE IndexName LIKE '%s'", L"ERRORNUM"),
                    "SELECT TableHead FROM IndexTableName WHERE IndexName = 'ERRORNUM'",
                    "TableHead");
     }},
    {"ColumnOfAHeading",
     [](const std::string&) {
       return query(format(L"SELECT * FROM IndexTableName WHERE TableHead LIKE '%s'", L"风量m³/h"),
                    "SELECT IndexName FROM IndexTableName WHERE TableHead = '风量m³/h'",
                    "IndexName");
     }},
    {"ColumnOfAHeadingWithPercent",
     [](const std::string&) {
       return query(format(L"SELECT * FROM IndexTableName WHERE TableHead LIKE '%s'", L"内效率(%)"),
                    "SELECT IndexName FROM IndexTableName WHERE TableHead = '内效率(%)'",
                    "IndexName");
     }},
    {"PerformanceRowsOfAModel",
     [](const std::string& path) {
       const int id = modelOf(path, "4-72", "C");
       return query(format(L"SELECT * FROM %s WHERE ModelID LIKE '%d'", L"4-72_Parameter", id),
                    "SELECT ID FROM \"4-72_Parameter\" WHERE ModelID = " + std::to_string(id) +
                        " ORDER BY rowid");
     }},
    {"AccessoryRowsOfAModel",
     [](const std::string& path) {
       const int id = modelOf(path, "T4-72", "直联");
       return query(
           format(L"SELECT * FROM %s WHERE ModelID LIKE '%d'", L"T4-72_直联_Accessory", id),
           "SELECT ID FROM \"T4-72_直联_Accessory\" WHERE ModelID = " + std::to_string(id) +
               " ORDER BY rowid");
     }},
    {"RowsToEdit",
     [](const std::string& path) {
       const int id = modelOf(path, "4-79", "D");
       return query(format(L"select * from %s where ModelID like %d", L"4-79_Parameter", id),
                    "SELECT ID FROM \"4-79_Parameter\" WHERE ModelID = " + std::to_string(id) +
                        " ORDER BY rowid");
     }},
    {"PointTableSearch",
     [](const std::string&) {
       return query(
           format(L"select * from %s where AllPress >= %f And AllPress <=%f And Flux >= %f And "
                  L"Flux <= %f",
                  L"4-72_Parameter", 1131.0 - 50, 1131.0 + 50, 3000.0 - 1500, 3000.0 + 1500),
           "SELECT ID FROM \"4-72_Parameter\" WHERE AllPress >= 1081 AND AllPress <= 1181 AND Flux "
           ">= 1500 AND Flux <= 4500 ORDER BY rowid");
     }},
    {"RangeTableSearch",
     [](const std::string&) {
       return query(format(L"select * from %s where AllPressLow <= %f AND AllPressHigh >= %f and "
                           L"FluxLow <= %f and FluxHigh >= %f",
                           L"4-79_Parameter", 1200.0, 1200.0, 5000.0, 5000.0),
                    "SELECT ID FROM \"4-79_Parameter\" WHERE AllPressLow <= 1200 AND AllPressHigh "
                    ">= 1200 AND FluxLow <= 5000 AND FluxHigh >= 5000 ORDER BY rowid");
     }},
    {"ParameterRowsOfAModelToDelete",
     [](const std::string& path) {
       const int id = modelOf(path, "9-19", "D");
       return query(format(L"Select * from %s_Parameter where ModelID like %d", L"9-19", id),
                    "SELECT ID FROM \"9-19_Parameter\" WHERE ModelID = " + std::to_string(id) +
                        " ORDER BY rowid");
     }},
    {"AccessoryRowsOfAModelToDelete",
     [](const std::string& path) {
       const int id = modelOf(path, "T4-72", "皮带");
       return query(
           format(L"Select * from %s_%s_Accessory where ModelID like %d", L"T4-72", L"皮带", id),
           "SELECT ID FROM \"T4-72_皮带_Accessory\" WHERE ModelID = " + std::to_string(id) +
               " ORDER BY rowid");
     }},
    {"PlaceholderRowCheck",
     [](const std::string& path) {
       const std::string id = std::to_string(modelOf(path, "Y5-47", "C"));
       return query(format(L"select * from %s where ModelID like %s", L"Y5-47_Parameter", w(id)),
                    "SELECT ID FROM \"Y5-47_Parameter\" WHERE ModelID = " + id + " ORDER BY rowid");
     }},
    {"NewGridRow",
     [](const std::string& path) {
       const int id = modelOf(path, "4-72", "A");
       const long long before = testsupport::countRows(path, "4-72_A_Accessory");
       return Prepared{
           format(L"insert into %s (ModelID) values(%d)", L"4-72_A_Accessory", id), "", "",
           [=](const std::string& p) {
             EXPECT_EQ(testsupport::countRows(p, "4-72_A_Accessory"), before + 1);
             const auto last = readRows(p,
                                        "SELECT ModelID, ItemName, Spec FROM \"4-72_A_Accessory\" "
                                        "ORDER BY rowid DESC LIMIT 1",
                                        true);
             EXPECT_EQ(last[0], (std::vector<std::string>{std::to_string(id), "<null>", "<null>"}));
           }};
     }},
    {"PlaceholderRow",
     [](const std::string& path) {
       const std::string id = std::to_string(modelOf(path, "11-62", "A"));
       return Prepared{format(L"insert into %s (ModelID) Values(%s)", L"11-62_Parameter", w(id)),
                       "", "", [=](const std::string& p) {
                         const auto rows = readRows(
                             p,
                             "SELECT FluxLow FROM \"11-62_Parameter\" WHERE ModelID = " + id +
                                 " ORDER BY rowid",
                             true);
                         EXPECT_EQ(rows.back()[0], "<null>");
                       }};
     }},
    {"DeleteModel",
     [](const std::string& path) {
       const int id = modelOf(path, "4-79", "A");
       const long long before = testsupport::countRows(path, "Model");
       return Prepared{
           format(L"delete * from Model where ID like %d", id), "", "", [=](const std::string& p) {
             EXPECT_EQ(testsupport::countRows(p, "Model"), before - 1);
             EXPECT_TRUE(
                 readRows(p, "SELECT ID FROM Model WHERE ID = " + std::to_string(id)).empty());
           }};
     }},
    {"DeleteRowsOfAModel",
     [](const std::string& path) {
       const int id = modelOf(path, "T4-72", "直联");
       const long long before = testsupport::countRows(path, "T4-72_Parameter");
       const long long mine = std::stoll(one(
           path, "SELECT count(*) FROM \"T4-72_Parameter\" WHERE ModelID = " + std::to_string(id)));
       return Prepared{format(L"delete * from %s where ModelID like %d", L"T4-72_Parameter", id),
                       "", "", [=](const std::string& p) {
                         EXPECT_GT(mine, 0);
                         EXPECT_EQ(testsupport::countRows(p, "T4-72_Parameter"), before - mine);
                       }};
     }},
};

class CatalogueStatement : public dbtest::DbFixture,
                           public ::testing::WithParamInterface<StatementCase> {};

TEST_P(CatalogueStatement, RunsAsTheModuleSendsIt) {
  const Prepared p = GetParam().prepare(path);
  CFanDatabase db;
  ASSERT_TRUE(db.Open(w(path)));
  ASSERT_TRUE(db.Execute(p.sql)) << p.sql.ToUtf8();
  if (p.check) {
    p.check(path);
  } else {
    const auto expected = readRows(path, p.expectedSql, true);
    ASSERT_FALSE(expected.empty()) << "a case must find rows to prove anything: " << p.expectedSql;
    _RecordsetPtr rs = db.OpenRecordset(p.sql);
    ASSERT_TRUE(rs);
    EXPECT_FALSE(rs->GetBOF());
    std::vector<std::vector<std::string>> got;
    while (!rs->GetadoEOF()) {
      got.push_back({dbtest::text(rs->GetCollect(CString::FromUtf8(p.key).GetString())).ToUtf8()});
      rs->MoveNext();
    }
    rs->Close();
    EXPECT_EQ(got, expected) << p.sql.ToUtf8();
  }
  EXPECT_TRUE(ui.boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Templates, CatalogueStatement, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

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

TEST_F(CatalogueEdges, TableStyleReadsAsABoolean) {
  CFanDatabase db;
  ASSERT_TRUE(db.Open(w(path)));
  for (const auto& [series, point] : {std::pair{L"4-72", true}, std::pair{L"4-79", false}}) {
    _RecordsetPtr rs = db.OpenRecordset(
        format(L"SELECT * FROM Model_Table_Parameter_Style WHERE  BigModel LIKE '%s'", series));
    ASSERT_TRUE(rs);
    _variant_t style = rs->GetCollect(L"TableStyle");
    style.ChangeType(VT_BOOL);
    EXPECT_EQ(style.boolVal != VARIANT_FALSE, point);
  }
}

TEST_F(CatalogueEdges, ModelIdsBeyondSixteenBitsDoNotReadAsShort) {
  CFanDatabase db;
  ASSERT_TRUE(db.Open(w(path)));
  ASSERT_TRUE(db.Execute(L"insert into Model (ID, BigModel) values(40000, '4-72')"));
  _RecordsetPtr rs = db.OpenRecordset(L"Select * from Model where ID like 40000");
  ASSERT_TRUE(rs);
  _variant_t id = rs->GetCollect(L"ID");
  EXPECT_THROW(id.ChangeType(VT_I2), _com_error);
}

TEST_F(CatalogueEdges, SeriesWithoutAParameterTableIsAnEmptyResultWithTheMessage) {
  CFanDatabase db;
  ASSERT_TRUE(db.Open(w(path)));
  ASSERT_TRUE(db.Execute(L"insert into Model (ID, BigModel, DriveMode) values(500, 'Z9-99', 'A')"));
  const CString sql = format(L"SELECT * FROM %s WHERE ModelID LIKE '%d'", L"Z9-99_Parameter", 500);
  EXPECT_FALSE(db.Execute(sql));
  EXPECT_EQ(onlyMessage(), std::wstring(L"数据库操作错误!\n") + sql.GetString());
}

}  // namespace
