// The library folder functions: environment first, the sample library otherwise.
#include "uikit/folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/file_functions.h"

namespace {

class FoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"ZR_DATALIB", "ZR_DWGLIB"}) {
      const char* v = std::getenv(name);
      m_saved.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
      ::unsetenv(name);
    }
  }
  void TearDown() override {
    for (const auto& [name, value] : m_saved) {
      if (value) {
        ::setenv(name, value->c_str(), 1);
      } else {
        ::unsetenv(name);
      }
    }
  }

 private:
  std::vector<std::pair<const char*, std::optional<std::string>>> m_saved;
};

TEST_F(FoldersTest, EnvironmentWinsWithoutTrailingSeparators) {
  ::setenv("ZR_DATALIB", "/srv/风机/data//", 1);
  ::setenv("ZR_DWGLIB", "D:\\lib\\dwg\\", 1);
  EXPECT_EQ(GetDataLibPath(), CString(L"/srv/风机/data"));
  EXPECT_EQ(GetDwgPath(), CString(L"D:\\lib\\dwg"));
  ::setenv("ZR_DATALIB", "/", 1);
  EXPECT_EQ(GetDataLibPath(), CString(L"/")) << "the root keeps its only separator";
}

TEST_F(FoldersTest, UnsetOrEmptyFallsBackToTheSampleLibrary) {
  const CString sample = CString::FromUtf8(FANCAD_SAMPLE_LIB);
  EXPECT_EQ(GetDataLibPath(), sample + L"/data");
  EXPECT_EQ(GetDwgPath(), sample + L"/dwg");
  ::setenv("ZR_DWGLIB", "", 1);
  EXPECT_EQ(GetDwgPath(), sample + L"/dwg");
}

TEST_F(FoldersTest, AFolderNamedInBytesThatAreNotUtf8IsFoundUnderThem) {
  ::setenv("ZR_DATALIB", "/srv/\xb7\xe7\xbb\xfa/data", 1);  // GBK
  EXPECT_EQ(zrbase::nativePath(GetDataLibPath() + L"\\ZRFan.Mdb"),
            "/srv/\xb7\xe7\xbb\xfa/data/ZRFan.Mdb");
}

}  // namespace
