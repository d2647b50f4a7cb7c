// The catalogue dialect's rewriting and refusals, and LIKE matching, on statement text alone.
#include "ado/sql_dialect.h"

#include <gtest/gtest.h>

#include "ado/sql_like.h"

namespace {

using adoimpl::DialectError;
using adoimpl::translateStatement;

adoimpl::TranslatedStatement plain(const std::string& sql, bool rowid = false) {
  return translateStatement(sql, nullptr, rowid);
}

TEST(DialectText, RewritesForSqlite) {
  const std::pair<const char*, const char*> cases[] = {
      // Bare table names are quoted.
      {"SELECT * FROM 4-72_Parameter WHERE ModelID LIKE '3'",
       "SELECT * FROM \"4-72_Parameter\" WHERE ModelID LIKE '3'"},
      {"insert into a.b-c(ModelID) Values(3)", "insert into \"a.b-c\"(ModelID) Values(3)"},
      {"CREATE TABLE IF NOT EXISTS 4-72_A_Accessory (ID INTEGER)",
       "CREATE TABLE IF NOT EXISTS \"4-72_A_Accessory\" (ID INTEGER)"},
      // Keywords inside strings are text.
      {"SELECT * FROM Model WHERE BigModel LIKE 'from 4-72; x'",
       "SELECT * FROM \"Model\" WHERE BigModel LIKE 'from 4-72; x'"},
      {"SELECT * FROM Model WHERE LabelModel = 'it''s'",
       "SELECT * FROM \"Model\" WHERE LabelModel = 'it''s'"},
      {"delete * from Model where ID like 3", "delete  from \"Model\" where ID like 3"},
      {"SELECT * FROM Model;  \n", "SELECT * FROM \"Model\""},
      // A blank splits the name: what follows is SQL of its own, which SQLite judges.
      {"SELECT * FROM 4-72 A_Parameter", "SELECT * FROM \"4-72\" A_Parameter"},
  };
  for (const auto& [sql, expected] : cases) EXPECT_EQ(plain(sql).sql, expected) << sql;
}

TEST(DialectText, RefusesWhatTheDriverRefuses) {
  for (const char* sql :
       {"SELECT * FROM Model; DROP TABLE Model", "delete * from Model;;", "   ", ";",
        "SELECT * FROM 4'72_Parameter WHERE ModelID LIKE '3'", "SELECT * FROM 4-72[1]_Parameter",
        "SELECT * FROM [Model]", "SELECT * FROM \"Model\"",
        "SELECT * FROM 4-72（A）_Parameter",  // full-width brackets
        "SELECT * FROM Model WHERE BigModel LIKE 'it's'",
        "SELECT * FROM Model WHERE BigModel LIKE '4-72", "SELECT * FROM Model /* note"}) {
    EXPECT_THROW(plain(sql), DialectError) << sql;
  }
}

TEST(DialectText, SingleTableSelectGetsRowidAndInsertionOrder) {
  const auto t = plain("SELECT * FROM 4-72_Parameter WHERE ModelID LIKE '3'", true);
  EXPECT_TRUE(t.rowidColumn);
  EXPECT_EQ(t.table, "4-72_Parameter");
  EXPECT_EQ(t.sql,
            "SELECT * , \"4-72_Parameter\".rowid FROM \"4-72_Parameter\" WHERE ModelID LIKE '3' "
            "ORDER BY \"4-72_Parameter\".rowid");
  const auto ordered = plain("select ID from Model order by ID", true);
  EXPECT_TRUE(ordered.rowidColumn);
  EXPECT_EQ(ordered.sql.find("ORDER BY \"Model\".rowid"), std::string::npos);
  for (const char* sql :
       {"SELECT DISTINCT BigModel FROM Model", "SELECT count(*) FROM Model GROUP BY BigModel",
        "SELECT * FROM Model m", "SELECT * FROM Model, IndexTableName",
        "SELECT * FROM Model LIMIT 3", "SELECT * FROM (SELECT * FROM Model)",
        "SELECT * FROM Model UNION SELECT * FROM Model"}) {
    EXPECT_FALSE(plain(sql, true).rowidColumn) << sql << " stays read-only";
  }
}

// What a statement reads and writes, for forgetting cached results: a query
// with a subquery reads more than its one table; a write's table is the first
// it names, whatever it reads besides.
TEST(DialectText, TheTablesAStatementReadsAndWrites) {
  EXPECT_TRUE(plain("SELECT * FROM Model WHERE ID LIKE 1", true).readsOnlyTable);
  for (const char* sql : {"SELECT * FROM Model WHERE ID IN (SELECT ModelID FROM 4-72_Parameter)",
                          "SELECT * FROM Model, IndexTableName",
                          "SELECT * FROM Model WHERE EXISTS (SELECT 1 FROM IndexTableName)"}) {
    EXPECT_FALSE(plain(sql, true).readsOnlyTable) << sql;
  }
  const std::pair<const char*, const char*> writes[] = {
      {"UPDATE 4-72_Parameter SET Flux = 1 WHERE ModelID IN (SELECT ID FROM Model)",
       "4-72_Parameter"},
      {"insert into Model (ID) select ModelID from 4-72_Parameter", "Model"},
      {"delete * from IndexTableName where IndexName like 'X'", "IndexTableName"},
      {"SELECT * FROM Model", ""}};
  for (const auto& [sql, table] : writes) EXPECT_EQ(plain(sql).writtenTable, table) << sql;
}

TEST(Like, WildcardsAndCase) {
  struct Case {
    const char* pattern;
    const char* text;
    bool matches;
    char32_t escape = 0;
  };
  const Case cases[] = {{"%", "", true},
                        {"_", "", false},
                        {"%a%b%c", "xxaxxbxxbcc", true},
                        {"%a%b%c", "xxaxxcxxb", false},
                        {"直_", "直联", true},  // '_' is one character, not one byte
                        {"直_", "直", false},
                        {"мотор", "МОТОР", true},
                        {"ÄB", "äb", true},
                        {"内效率(%)", "内效率(%)", true},
                        {"50!%", "50%", true, '!'},
                        {"50!%", "500", false, '!'}};
  for (const Case& c : cases) {
    EXPECT_EQ(adoimpl::likeMatch(c.pattern, c.text, c.escape), c.matches)
        << c.text << " LIKE " << c.pattern;
  }
}

}  // namespace
