// The catalogue dialect end to end: LIKE on numbers, table names, delete * from.
#include <gtest/gtest.h>

#include "ado_fixture.h"

namespace {

using adotest::column;
using adotest::open;

using Dialect = adotest::CatalogueFixture;

std::vector<std::wstring> ids(const _ConnectionPtr& c, const std::wstring& where) {
  return column(open(c, L"SELECT * FROM Model WHERE " + where), L"ID");
}

TEST_F(Dialect, LikeComparesNumbersThroughTheirText) {
  EXPECT_EQ(ids(conn, L"FanNo LIKE '4'"), std::vector<std::wstring>{L"1"}) << "4.0 is \"4\"";
  EXPECT_EQ(ids(conn, L"FanNo LIKE '4.0'"), std::vector<std::wstring>{});
  EXPECT_EQ(ids(conn, L"FanNo LIKE '4.5'"), std::vector<std::wstring>{L"2"});
  EXPECT_EQ(ids(conn, L"FanNo LIKE '3.15' AND BigModel LIKE '9-19'"),
            std::vector<std::wstring>{L"3"});
  EXPECT_EQ(ids(conn, L"ID like 3"), std::vector<std::wstring>{L"3"});
  EXPECT_EQ(ids(conn, L"ID like 3 or ID like 1"), (std::vector<std::wstring>{L"1", L"3"}));
  EXPECT_EQ(ids(conn, L"Speed LIKE '2900'"), (std::vector<std::wstring>{L"1", L"3"}));
  EXPECT_EQ(ids(conn, L"Speed LIKE '29%'"), (std::vector<std::wstring>{L"1", L"3"}));
  EXPECT_EQ(ids(conn, L"BigModel LIKE '4-72' AND DriveMode like 'a'"),
            (std::vector<std::wstring>{L"1", L"2"}));
  EXPECT_EQ(ids(conn, L"DriveMode LIKE '直联'"), std::vector<std::wstring>{L"3"});
  EXPECT_EQ(ids(conn, L"BigModel LIKE '4_72'"), (std::vector<std::wstring>{L"1", L"2"}));
  EXPECT_EQ(ids(conn, L"BigModel LIKE NULL"), std::vector<std::wstring>{});
  EXPECT_EQ(column(open(conn, L"SELECT * FROM 4-72_Parameter WHERE ModelID LIKE '1'"), L"ID"),
            (std::vector<std::wstring>{L"1", L"3"}));
}

// Integers compared with integer texts take a shortcut in LIKE; the results
// must stay those of comparing the texts.
TEST_F(Dialect, AnIntegerIsLikeOnlyItsOwnDecimalText) {
  conn->Execute(L"insert into Model (ID) values(0)", nullptr, -1);
  conn->Execute(L"insert into Model (ID) values(-7)", nullptr, -1);
  conn->Execute(L"insert into Model (ID) values(9223372036854775807)", nullptr, -1);
  EXPECT_EQ(ids(conn, L"ID like 1"), std::vector<std::wstring>{L"1"});
  EXPECT_EQ(ids(conn, L"ID LIKE '1'"), std::vector<std::wstring>{L"1"});
  for (const wchar_t* noMatch : {L"'01'", L"'+1'", L"'1.0'", L"' 1'", L"'-0'", L"'00'", L"''"}) {
    EXPECT_EQ(ids(conn, std::wstring(L"ID LIKE ") + noMatch), std::vector<std::wstring>{})
        << noMatch;
  }
  EXPECT_EQ(ids(conn, L"ID LIKE '0'"), std::vector<std::wstring>{L"0"});
  EXPECT_EQ(ids(conn, L"ID like 0"), std::vector<std::wstring>{L"0"});
  EXPECT_EQ(ids(conn, L"ID LIKE '-7'"), std::vector<std::wstring>{L"-7"});
  EXPECT_EQ(ids(conn, L"ID like -7"), std::vector<std::wstring>{L"-7"});
  EXPECT_EQ(ids(conn, L"ID LIKE '9223372036854775807'"),
            std::vector<std::wstring>{L"9223372036854775807"});
  EXPECT_EQ(ids(conn, L"ID LIKE '92233720368547758070'"), std::vector<std::wstring>{});
  EXPECT_EQ(ids(conn, L"ID LIKE '_'"), (std::vector<std::wstring>{L"1", L"2", L"3", L"4", L"0"}));
  EXPECT_EQ(ids(conn, L"ID LIKE '-%'"), std::vector<std::wstring>{L"-7"});
  EXPECT_EQ(ids(conn, L"ID like 3 and 1 like ID"), std::vector<std::wstring>{})
      << "an integer pattern against another integer";
}

// Reals far from a pattern without wildcards are refused without their text;
// the results must stay those of comparing the texts (15 significant digits).
TEST_F(Dialect, ARealIsLikeOnlyItsOwnText) {
  conn->Execute(L"insert into Model (ID, FanNo) values(10, 4.499999999999999)", nullptr, -1);
  conn->Execute(L"insert into Model (ID, FanNo) values(11, 4.5000001)", nullptr, -1);
  conn->Execute(L"insert into Model (ID, FanNo) values(12, 1.5e20)", nullptr, -1);
  conn->Execute(L"insert into Model (ID, FanNo) values(13, 45)", nullptr, -1);
  EXPECT_EQ(ids(conn, L"FanNo LIKE '4.5'"), (std::vector<std::wstring>{L"2", L"10"}))
      << "4.499999999999999 shows as 4.5";
  EXPECT_EQ(ids(conn, L"FanNo LIKE '4.5000001'"), std::vector<std::wstring>{L"11"});
  EXPECT_EQ(ids(conn, L"FanNo LIKE '1.5e+20'"), std::vector<std::wstring>{L"12"});
  for (const wchar_t* noMatch :
       {L"'4.50'", L"' 4.5'", L"'+4.5'", L"'150000000000000000000'", L"'0.45'", L"'4.5E0'"}) {
    EXPECT_EQ(ids(conn, std::wstring(L"FanNo LIKE ") + noMatch), std::vector<std::wstring>{})
        << noMatch;
  }
  EXPECT_EQ(ids(conn, L"FanNo LIKE '45'"), std::vector<std::wstring>{L"13"});
  EXPECT_EQ(ids(conn, L"FanNo LIKE '4.5%'"), (std::vector<std::wstring>{L"2", L"10", L"11"}));
}

// ASCII texts against patterns without wildcards are compared byte by byte;
// the results must stay those of comparing folded characters.
TEST_F(Dialect, APlainPatternMatchesTextsAsFoldedCharactersDo) {
  conn->Execute(L"insert into Model (ID, BigModel) values(20, '4-72 ')", nullptr, -1);
  conn->Execute(L"insert into Model (ID, BigModel) values(21, 'x4-72')", nullptr, -1);
  conn->Execute(L"insert into Model (ID, BigModel) values(22, 'Ab-C')", nullptr, -1);
  EXPECT_EQ(ids(conn, L"BigModel LIKE '4-72'"), (std::vector<std::wstring>{L"1", L"2"}));
  EXPECT_EQ(ids(conn, L"BigModel LIKE '4-72 '"), std::vector<std::wstring>{L"20"});
  EXPECT_EQ(ids(conn, L"BigModel LIKE 'aB-c'"), std::vector<std::wstring>{L"22"});
  EXPECT_EQ(ids(conn, L"BigModel LIKE 'X4-72'"), std::vector<std::wstring>{L"21"});
  for (const wchar_t* noMatch : {L"'4-7'", L"'4-722'", L"'4=72'", L"'Ab-D'"}) {
    EXPECT_EQ(ids(conn, std::wstring(L"BigModel LIKE ") + noMatch), std::vector<std::wstring>{})
        << noMatch;
  }
  if (testsupport::testServer()) return;  // the server folds other letters its own way
  // A capital that folds to an ASCII letter: the text is longer in bytes than the pattern.
  conn->Execute(L"insert into Model (ID, BigModel) values(23, 'ab-\u0130')", nullptr, -1);
  EXPECT_EQ(ids(conn, L"BigModel LIKE 'AB-i'"), std::vector<std::wstring>{L"23"});
  EXPECT_EQ(ids(conn, L"BigModel LIKE 'ab-I'"), std::vector<std::wstring>{L"23"});
}

TEST_F(Dialect, RangeConditionsWithSixDecimals) {
  CString sql;
  sql.Format(
      L"select * from %s where AllPress >= %f And AllPress <=%f And Flux >= %f And Flux <= %f",
      L"4-72_Parameter", 2000.0, 2100.0, 4000.0, 5000.0);
  EXPECT_EQ(column(open(conn, sql.GetString()), L"ID"), (std::vector<std::wstring>{L"1", L"3"}));
}

TEST_F(Dialect, TableNamesIgnoreLetterCase) {
  conn->Execute(L"CREATE TABLE Модель_Ω (ID INTEGER)", nullptr, -1);
  conn->Execute(L"insert into МОДЕЛЬ_ω (ID) values(1)", nullptr, -1);
  EXPECT_EQ(column(open(conn, L"select * from модель_Ω"), L"ID"), std::vector<std::wstring>{L"1"});
  EXPECT_EQ(column(open(conn, L"select * from 4-72_PARAMETER where modelid like 2"), L"Flux"),
            std::vector<std::wstring>{L"8024"});
  EXPECT_EQ(column(open(conn, L"SELECT * FROM indextablename WHERE IndexName LIKE 'errornum'"),
                   L"TableHead"),
            std::vector<std::wstring>{L"50"});
}

TEST_F(Dialect, ChineseDriveModeInTableName) {
  conn->Execute(L"CREATE TABLE 9-19_直联_Accessory (ID INTEGER PRIMARY KEY, ModelID INTEGER)",
                nullptr, -1);
  conn->Execute(L"insert into 9-19_直联_Accessory (ModelID) Values(3)", nullptr, -1);
  _RecordsetPtr rs = open(conn, L"Select * from 9-19_直联_Accessory where ModelID like 3");
  EXPECT_FALSE(rs->GetBOF());
  rs->PutCollect(L"ModelID", L"4");
  rs->Update();
  EXPECT_EQ(testsupport::readRows(path, "SELECT ModelID FROM \"9-19_直联_Accessory\"")[0][0], "4");
}

TEST_F(Dialect, DeleteStarFromDeletesTheMatchingRows) {
  conn->Execute(L"delete * from 4-72_Parameter where ModelID like 1", nullptr, -1);
  EXPECT_EQ(testsupport::countRows(path, "4-72_Parameter"), 1);
  conn->Execute(L"DELETE * FROM Model", nullptr, -1);
  EXPECT_EQ(testsupport::countRows(path, "Model"), 0);
}

TEST_F(Dialect, NamesWithBlanksOrQuotesFailAndChangeNothing) {
  for (const wchar_t* sql : {L"SELECT * FROM 4-72 X_Parameter WHERE ModelID LIKE '1'",
                             L"SELECT * FROM 4'72_Parameter WHERE ModelID LIKE '1'",
                             L"delete * from [4-72_Parameter] where ModelID like 1",
                             L"SELECT * FROM Model WHERE BigModel LIKE 'O'Brien'"}) {
    EXPECT_THROW(conn->Execute(sql, nullptr, -1), _com_error) << zrbase::wideToUtf8(sql);
  }
  EXPECT_EQ(testsupport::countRows(path, "4-72_Parameter"), 3);
}

}  // namespace
