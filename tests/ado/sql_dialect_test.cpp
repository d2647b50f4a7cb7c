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

TEST(DialectText, BareTableNamesAreQuoted) {
  EXPECT_EQ(plain("SELECT * FROM 4-72_Parameter WHERE ModelID LIKE '3'").sql,
            "SELECT * FROM \"4-72_Parameter\" WHERE ModelID LIKE '3'");
  EXPECT_EQ(plain("insert into T4-72_直联_Accessory (ModelID) values(3)").sql,
            "insert into \"T4-72_直联_Accessory\" (ModelID) values(3)");
  EXPECT_EQ(plain("insert into a.b-c(ModelID) Values(3)").sql,
            "insert into \"a.b-c\"(ModelID) Values(3)");
  EXPECT_EQ(plain("UPDATE 9-19_Parameter SET x = 1").sql, "UPDATE \"9-19_Parameter\" SET x = 1");
  EXPECT_EQ(plain("CREATE TABLE IF NOT EXISTS 4-72_A_Accessory (ID INTEGER)").sql,
            "CREATE TABLE IF NOT EXISTS \"4-72_A_Accessory\" (ID INTEGER)");
}

TEST(DialectText, KeywordsInsideStringsAreText) {
  EXPECT_EQ(plain("SELECT * FROM Model WHERE BigModel LIKE 'from 4-72; x'").sql,
            "SELECT * FROM \"Model\" WHERE BigModel LIKE 'from 4-72; x'");
  EXPECT_EQ(plain("SELECT * FROM Model WHERE LabelModel = 'it''s'").sql,
            "SELECT * FROM \"Model\" WHERE LabelModel = 'it''s'");
}

TEST(DialectText, DeleteStarFrom) {
  EXPECT_EQ(plain("delete * from Model where ID like 3").sql,
            "delete  from \"Model\" where ID like 3");
  EXPECT_EQ(plain("DELETE FROM Model").sql, "DELETE FROM \"Model\"");
}

TEST(DialectText, OneStatementPerCall) {
  EXPECT_EQ(plain("SELECT * FROM Model;  \n").sql, "SELECT * FROM \"Model\"");
  EXPECT_THROW(plain("SELECT * FROM Model; DROP TABLE Model"), DialectError);
  EXPECT_THROW(plain("delete * from Model;;"), DialectError);
  EXPECT_THROW(plain("   "), DialectError);
  EXPECT_THROW(plain(";"), DialectError);
}

TEST(DialectText, TableNamesWithBlanksQuotesOrBracketsFail) {
  EXPECT_THROW(plain("SELECT * FROM 4'72_Parameter WHERE ModelID LIKE '3'"), DialectError);
  EXPECT_THROW(plain("SELECT * FROM 4-72[1]_Parameter"), DialectError);
  EXPECT_THROW(plain("SELECT * FROM [Model]"), DialectError);
  EXPECT_THROW(plain("SELECT * FROM \"Model\""), DialectError);
  EXPECT_THROW(plain("SELECT * FROM 4-72（A）_Parameter"), DialectError) << "full-width brackets";
  EXPECT_THROW(plain("SELECT * FROM Model WHERE BigModel LIKE 'it's'"), DialectError);
  // A blank splits the name: what follows is SQL of its own, which SQLite judges.
  EXPECT_EQ(plain("SELECT * FROM 4-72 A_Parameter").sql, "SELECT * FROM \"4-72\" A_Parameter");
}

TEST(DialectText, UnterminatedTextFails) {
  EXPECT_THROW(plain("SELECT * FROM Model WHERE BigModel LIKE '4-72"), DialectError);
  EXPECT_THROW(plain("SELECT * FROM Model /* note"), DialectError);
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
}

TEST(DialectText, OtherSelectsStayReadOnly) {
  for (const char* sql :
       {"SELECT DISTINCT BigModel FROM Model", "SELECT count(*) FROM Model GROUP BY BigModel",
        "SELECT * FROM Model m", "SELECT * FROM Model, IndexTableName",
        "SELECT * FROM Model LIMIT 3", "SELECT * FROM (SELECT * FROM Model)",
        "SELECT * FROM Model UNION SELECT * FROM Model"}) {
    EXPECT_FALSE(plain(sql, true).rowidColumn) << sql;
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
  EXPECT_EQ(plain("UPDATE 4-72_Parameter SET Flux = 1 WHERE ModelID IN (SELECT ID FROM Model)")
                .writtenTable,
            "4-72_Parameter");
  EXPECT_EQ(plain("insert into Model (ID) select ModelID from 4-72_Parameter").writtenTable,
            "Model");
  EXPECT_EQ(plain("delete * from IndexTableName where IndexName like 'X'").writtenTable,
            "IndexTableName");
  EXPECT_EQ(plain("SELECT * FROM Model").writtenTable, "");
}

TEST(DialectText, NamesGoThroughTheResolver) {
  const auto t = translateStatement(
      "select * from МОДЕЛЬ", [](const std::string& n) { return n == "МОДЕЛЬ" ? "модель" : n; },
      true);
  EXPECT_EQ(t.table, "модель");
  EXPECT_NE(t.sql.find("from \"модель\""), std::string::npos) << t.sql;
}

TEST(Like, WildcardsAndCase) {
  using adoimpl::likeMatch;
  EXPECT_TRUE(likeMatch("4-72", "4-72"));
  EXPECT_FALSE(likeMatch("4-72", "4-721"));
  EXPECT_TRUE(likeMatch("t4-72", "T4-72"));
  EXPECT_TRUE(likeMatch("4-%", "4-72"));
  EXPECT_TRUE(likeMatch("%72", "T4-72"));
  EXPECT_TRUE(likeMatch("%", ""));
  EXPECT_FALSE(likeMatch("_", ""));
  EXPECT_TRUE(likeMatch("4_72", "4-72"));
  EXPECT_TRUE(likeMatch("直_", "直联")) << "'_' is one character, not one byte";
  EXPECT_FALSE(likeMatch("直_", "直"));
  EXPECT_TRUE(likeMatch("%a%b%c", "xxaxxbxxbcc"));
  EXPECT_FALSE(likeMatch("%a%b%c", "xxaxxcxxb"));
  EXPECT_TRUE(likeMatch("мотор", "МОТОР")) << "Cyrillic folds too";
  EXPECT_TRUE(likeMatch("ÄB", "äb"));
  EXPECT_TRUE(likeMatch("内效率(%)", "内效率(%)"));
  EXPECT_TRUE(likeMatch("50!%", "50%", '!'));
  EXPECT_FALSE(likeMatch("50!%", "500", '!'));
}

}  // namespace
