// CString: Format directives as the module's SQL and messages use them, and the
// text operations whose edge cases bite (bounds, empty texts, buffers).
#include "base/cstring.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(CStringFormat, DirectivesOfTheCatalogueStatements) {
  CString sql;
  const CString table = L"4-72_Parameter";
  sql.Format(L"select * from %s where AllPress >= %f And AllPress <=%f", table, 990.0 - 50, 1040.5);
  EXPECT_EQ(sql,
            L"select * from 4-72_Parameter where AllPress >= 940.000000 And AllPress "
            L"<=1040.500000");
  sql.Format(L"SELECT * FROM %s WHERE ModelID LIKE '%d'", L"风机_A_Accessory", 32767);
  EXPECT_EQ(sql, L"SELECT * FROM 风机_A_Accessory WHERE ModelID LIKE '32767'");
  sql.Format(L"%d行%d列不能为空!", 2, 3);
  EXPECT_EQ(sql, L"2行3列不能为空!");
}

TEST(CStringFormat, FlagsWidthPrecisionAndPercent) {
  CString s;
  s.Format(L"[%5s|%-4s|%.2s|%03d|%x|%X|%.1f|%g|%c|%%]", L"ab", L"c", L"xyz", 7, 255, 255u, 2.25,
           0.5, L'风');
  EXPECT_EQ(s, L"[   ab|c   |xy|007|ff|FF|2.2|0.5|风|%]");
  s.Format(L"%*d", 4, -1);
  EXPECT_EQ(s, L"  -1");
  s.AppendFormat(L"+%s", CString(L"z"));
  EXPECT_EQ(s, L"  -1+z");
}

TEST(CStringFormat, WrongArgumentsAreBugsNotUndefinedBehaviour) {
  CString s;
  EXPECT_THROW(s.Format(L"%s", 3), std::logic_error);
  EXPECT_THROW(s.Format(L"%d", L"x"), std::logic_error);
  EXPECT_THROW(s.Format(L"%d %d", 1), std::logic_error);
  EXPECT_THROW(s.Format(L"%d", 1, 2), std::logic_error);
  EXPECT_THROW(s.Format(L"abc %"), std::logic_error);
}

TEST(CStringText, SubstringsClampLikeThePlatform) {
  const CString s = L"4-72No4.5A";
  EXPECT_EQ(s.Left(4), L"4-72");
  EXPECT_EQ(s.Left(99), s);
  EXPECT_EQ(s.Left(-1), L"");
  EXPECT_EQ(s.Right(1), L"A");
  EXPECT_EQ(s.Mid(6), L"4.5A");
  EXPECT_EQ(s.Mid(6, 3), L"4.5");
  EXPECT_EQ(s.Mid(20), L"");
  EXPECT_EQ(s.Find(L"No"), 4);
  EXPECT_EQ(s.Find(L'4', 1), 6);
  EXPECT_EQ(s.Find(L'4', 50), -1);
  EXPECT_EQ(s.ReverseFind(L'4'), 6);
  EXPECT_EQ(CString(L"F_L90").Find(L'_'), 1);
}

TEST(CStringText, EditingOperations) {
  CString s = L"  a\\b\\c  ";
  s.Trim();
  EXPECT_EQ(s, L"a\\b\\c");
  EXPECT_EQ(s.Replace(L'\\', L'/'), 2);
  EXPECT_EQ(s, L"a/b/c");
  EXPECT_EQ(s.Replace(L"/", L"::"), 2);
  EXPECT_EQ(s, L"a::b::c");
  EXPECT_EQ(s.Remove(L':'), 4);
  s.Insert(0, L"x");
  s.Delete(1, 1);
  EXPECT_EQ(s, L"xbc");
  s.MakeUpper();
  EXPECT_EQ(s, L"XBC");
  EXPECT_EQ(s.CompareNoCase(L"xbc"), 0);
  EXPECT_LT(CString(L"1450").Compare(L"960"), 0);
  EXPECT_EQ(CString(L"xxabxx").Trim(L"x"), L"ab");
}

TEST(CStringText, BuffersTakeTheirLengthFromTheTerminator) {
  CString s;
  wchar_t* buf = s.GetBuffer(64);
  buf[0] = L'F';
  buf[1] = L'_';
  buf[2] = L'L';
  buf[3] = 0;
  s.ReleaseBuffer();
  EXPECT_EQ(s.GetLength(), 3);
  EXPECT_EQ(s, L"F_L");
  s.GetBufferSetLength(1);
  s.ReleaseBuffer(1);
  EXPECT_EQ(s, L"F");
}
