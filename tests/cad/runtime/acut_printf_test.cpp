// acutPrintf: the wide printf of the command line.
#include "editor_fixture.h"

namespace {

using AcutPrintf = EditorTest;

TEST_F(AcutPrintf, FormatsTheDirectivesModulesUse) {
  input("");
  const int n =
      acutPrintf(L"\n%s=%d [%5.2f] %x %c %ls%%", L"风量", 1131, 3.14159, 255u, L'Z', L"w");
  EXPECT_EQ(output(), "\n风量=1131 [ 3.14] ff Z w%");
  EXPECT_EQ(n, 24);
  // Integer sizes and star widths; Windows size modifiers read their argument's width.
  m_out.str("");
  acutPrintf(L"%ld|%lld|%hd|%*d|%-4d|%.*f|%zu|", -5L, 1LL << 40, 7, 4, 42, 3, 9, 1.0, size_t{12});
  acutPrintf(L"[%I64d][%I64u][%I32d][%d]", -(1LL << 40), 1ULL << 63, -3, 9);
  EXPECT_EQ(output(),
            "-5|1099511627776|7|  42|3   |1.000000000|12|"
            "[-1099511627776][9223372036854775808][-3][9]");
  // Narrow strings are UTF-8, and null strings say so.
  m_out.str("");
  acutPrintf(L"%hs %s", "图块", static_cast<const wchar_t*>(nullptr));
  EXPECT_EQ(output(), "图块 (null)");
}

TEST_F(AcutPrintf, AnUnreadableFormatIsPrintedNotInterpreted) {
  input("");
  acutPrintf(L"value %p here", nullptr);
  EXPECT_EQ(output(), "value %p here [unsupported format directive]");
  m_out.str("");
  acutPrintf(L"trailing %");
  EXPECT_EQ(output(), "trailing % [unsupported format directive]");
}

TEST_F(AcutPrintf, RuntimeLinesStartOnALineOfTheirOwn) {
  input("");
  acutPrintf(L"\n请点取插入点:");
  cadrt::printLine(L"message");
  acedPrompt(L"done\n");
  cadrt::printLine(L"next");
  EXPECT_EQ(output(), "\n请点取插入点:\nmessage\ndone\nnext\n");
}

}  // namespace
