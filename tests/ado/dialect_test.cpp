// The catalogue dialect end to end: LIKE on numbers and texts, table names in any case.
#include <gtest/gtest.h>

#include "ado_fixture.h"

namespace {

using adotest::column;
using adotest::open;
using Ids = std::vector<std::wstring>;

using Dialect = adotest::CatalogueFixture;

// LIKE compares numbers through the text they read as (4.0 as "4", a real to
// fifteen significant digits: 4.499999999999999 as "4.5"). Integers against integer texts, reals
// against patterns without wildcards and ASCII texts against plain patterns take shortcuts; the
// results must stay those of comparing the texts.
TEST_F(Dialect, LikeMatchesTheTextAValueReadsAs) {
  for (const wchar_t* values :
       {L"(ID) values(0)", L"(ID) values(-7)", L"(ID) values(9223372036854775807)",
        L"(ID, FanNo) values(10, 4.499999999999999)", L"(ID, FanNo) values(11, 4.5000001)",
        L"(ID, FanNo) values(12, 1.5e20)", L"(ID, FanNo) values(13, 45)",
        L"(ID, FanNo) values(14, 7.000000000000001)", L"(ID, BigModel) values(20, '4-72 ')",
        L"(ID, BigModel) values(21, 'x4-72')", L"(ID, BigModel) values(22, 'Ab-C')"}) {
    conn->Execute((std::wstring(L"insert into Model ") + values).c_str(), nullptr, -1);
  }
  const std::pair<const wchar_t*, Ids> matching[] = {
      {L"FanNo LIKE '4'", {L"1"}},
      {L"FanNo LIKE '3.15' AND BigModel LIKE '9-19'", {L"3"}},
      {L"Speed LIKE '29%'", {L"1", L"3"}},
      {L"BigModel LIKE '4-72' AND DriveMode like 'a'", {L"1", L"2"}},
      {L"BigModel LIKE '4_72'", {L"1", L"2"}},
      {L"ID like 3 or ID like 1", {L"1", L"3"}},
      {L"FanNo like 7 or FanNo like 45", {L"13", L"14"}},
      {L"ID LIKE '1'", {L"1"}},
      {L"ID LIKE '0'", {L"0"}},
      {L"ID LIKE '-7'", {L"-7"}},
      {L"ID like -7", {L"-7"}},
      {L"ID LIKE '9223372036854775807'", {L"9223372036854775807"}},
      {L"ID LIKE '_'", {L"1", L"2", L"3", L"4", L"0"}},
      {L"ID LIKE '-%'", {L"-7"}},
      {L"FanNo LIKE '4.5'", {L"2", L"10"}},
      {L"FanNo LIKE '4.5000001'", {L"11"}},
      {L"FanNo LIKE '1.5e+20'", {L"12"}},
      {L"FanNo LIKE '45'", {L"13"}},
      {L"FanNo LIKE '4.5%'", {L"2", L"10", L"11"}},
      {L"BigModel LIKE '4-72 '", {L"20"}},
      {L"BigModel LIKE 'aB-c'", {L"22"}},
      // Character classes, as the Access driver takes them: lists, ranges, "not".
      {L"BigModel LIKE '[4x]%'", {L"1", L"2", L"20", L"21"}},
      {L"BigModel LIKE '[!4]%'", {L"3", L"21", L"22"}},
      {L"BigModel LIKE '[^0-8]%2'", {L"21"}},
      {L"BigModel LIKE '[a-b]_-c'", {L"22"}},
      {L"BigModel LIKE '4[-.]72'", {L"1", L"2"}},
      {L"ID LIKE '[2-3]'", {L"2", L"3"}}};
  const auto ids = [&](const std::wstring& where) {
    return column(open(conn, L"SELECT * FROM Model WHERE " + where), L"ID");
  };
  for (const auto& [where, expected] : matching) {
    EXPECT_EQ(ids(where), expected) << zrbase::wideToUtf8(where);
  }
  const auto none = [&](const std::wstring& column, std::initializer_list<const wchar_t*> like) {
    for (const wchar_t* pattern : like) {
      EXPECT_EQ(ids(column + L" LIKE " + pattern), Ids{}) << zrbase::wideToUtf8(pattern);
    }
  };
  none(L"ID", {L"'01'", L"'+1'", L"'1.0'", L"' 1'", L"'-0'", L"'00'", L"''",
               L"'92233720368547758070'", L"NULL"});
  none(L"FanNo", {L"'4.0'", L"'4.50'", L"' 4.5'", L"'+4.5'", L"'150000000000000000000'", L"'0.45'",
                  L"'4.5E0'"});
  none(L"BigModel", {L"'4-7'", L"'4-722'", L"'4=72'", L"'Ab-D'", L"NULL"});
  EXPECT_EQ(ids(L"ID like 3 and 1 like ID"), Ids{}) << "an integer pattern against another";
  EXPECT_EQ(column(open(conn, L"SELECT * FROM 4-72_Parameter WHERE ModelID LIKE '1'"), L"ID"),
            (Ids{L"1", L"3"}));
  if (testsupport::testServer()) return;  // the server folds other letters its own way
  // A capital that folds to an ASCII letter: the text is longer in bytes than the pattern.
  conn->Execute(L"insert into Model (ID, BigModel) values(23, 'ab-\u0130')", nullptr, -1);
  EXPECT_EQ(ids(L"BigModel LIKE 'AB-i'"), Ids{L"23"});
  EXPECT_EQ(ids(L"BigModel LIKE 'ab-I'"), Ids{L"23"});
}

TEST_F(Dialect, TableNamesIgnoreLetterCaseInAnyScript) {
  conn->Execute(L"CREATE TABLE Модель_Ω (ID INTEGER)", nullptr, -1);
  conn->Execute(L"insert into МОДЕЛЬ_ω (ID) values(1)", nullptr, -1);
  EXPECT_EQ(column(open(conn, L"select * from модель_Ω"), L"ID"), Ids{L"1"});
  EXPECT_EQ(column(open(conn, L"select * from 4-72_PARAMETER where modelid like 2"), L"Flux"),
            Ids{L"8024"});
  EXPECT_EQ(column(open(conn, L"SELECT * FROM indextablename WHERE IndexName LIKE 'errornum'"),
                   L"TableHead"),
            Ids{L"50"});
  conn->Execute(L"CREATE TABLE 9-19_直联_Accessory (ID INTEGER PRIMARY KEY, ModelID INTEGER)",
                nullptr, -1);
  conn->Execute(L"insert into 9-19_直联_Accessory (ModelID) Values(3)", nullptr, -1);
  _RecordsetPtr rs = open(conn, L"Select * from 9-19_直联_Accessory where ModelID like 3");
  EXPECT_FALSE(rs->GetBOF());
  rs->PutCollect(L"ModelID", L"4");
  rs->Update();
  EXPECT_EQ(testsupport::readRows(path, "SELECT ModelID FROM \"9-19_直联_Accessory\"")[0][0], "4");
}

}  // namespace
