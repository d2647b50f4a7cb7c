// Letter case is the program's own, whatever locale the process runs in: the console host
// never sets one, the desktop's Qt sets the user's, and in a Turkish one the C library's
// towupper makes 'i' into a dotted capital, so that "fan-i" and "FAN-I" would be two layers.
#include "base/text_case.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>

#include "base/cstring.h"

namespace {

// A Turkish locale of our own (the machine may have generated none): made with localedef
// into a temporary folder that LOCPATH points at. "" when it cannot be made.
std::string turkishLocale() {
  static const std::string name = [] {
    const std::string dir = std::filesystem::temp_directory_path().string() + "/fancad-locale-" +
                            std::to_string(::getpid());
    std::filesystem::create_directories(dir);
    const std::string cmd = "localedef -i tr_TR -f UTF-8 " + dir + "/tr_TR.UTF-8 >/dev/null 2>&1";
    // Status 1 is warnings only: the locale is made.
    if (const int status = std::system(cmd.c_str()); status != 0 && WEXITSTATUS(status) != 1)
      return std::string();
    ::setenv("LOCPATH", dir.c_str(), 1);
    return std::string("tr_TR.UTF-8");
  }();
  return name;
}

TEST(TextCase, TheSameInEveryLocale) {
  const std::string turkish = turkishLocale();
  ASSERT_FALSE(turkish.empty()) << "localedef could not make a Turkish locale";
  const struct {
    const wchar_t* a;
    const wchar_t* b;
    bool equal;
    const wchar_t* upper;
  } cases[] = {
      {L"fan-i", L"FAN-I", true, L"FAN-I"},
      {L"équipement", L"ÉQUIPEMENT", true, L"ÉQUIPEMENT"},
      {L"ÿ", L"Ÿ", true, L"Ÿ"},
      {L"ğ-ŀ", L"Ğ-Ŀ", true, L"Ğ-Ŀ"},
      {L"вентилятор", L"ВЕНТИЛЯТОР", true, L"ВЕНТИЛЯТОР"},
      {L"ёж", L"ЁЖ", true, L"ЁЖ"},
      {L"ωμέγα", L"ΩΜέΓΑ", true, L"ΩΜέΓΑ"},
      {L"ａｂ", L"ＡＢ", true, L"ＡＢ"},
      {L"ı", L"I", false, L"ı"},  // dotless i has no one-to-one capital
      {L"ß", L"SS", false, L"ß"},
      {L"风机", L"风机", true, L"风机"},
  };
  for (const char* locale : {"C", "C.UTF-8", turkish.c_str()}) {
    ASSERT_NE(std::setlocale(LC_ALL, locale), nullptr) << locale;
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(locale) + " " + zrbase::wideToUtf8(c.a));
      EXPECT_EQ(zrbase::equalsFolded(std::wstring_view(c.a), std::wstring_view(c.b)), c.equal);
      EXPECT_EQ(zrbase::equalsFolded(zrbase::wideToUtf8(c.a), zrbase::wideToUtf8(c.b)), c.equal);
      EXPECT_EQ(zrbase::toUpper(c.a), c.upper);
      EXPECT_EQ(zrbase::toUpper(c.a) == zrbase::toUpper(c.b), c.equal);
      EXPECT_EQ(CString(c.a).CompareNoCase(c.b) == 0, c.equal);
      CString upper(c.a);
      EXPECT_EQ(upper.MakeUpper().str(), c.upper);
    }
  }
  std::setlocale(LC_ALL, "C");
}

}  // namespace
