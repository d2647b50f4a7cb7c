// The library folder functions: environment first, the sample library otherwise.
#include "uikit/folders.h"

#include <gtest/gtest.h>

#include "base/file_functions.h"
#include "db_fixture.h"

namespace {

struct Folders : ::testing::Test {
  dbtest::ScopedEnv data{"ZR_DATALIB", nullptr};
  dbtest::ScopedEnv dwg{"ZR_DWGLIB", nullptr};
};

TEST_F(Folders, EnvironmentWinsWithoutTrailingSeparators) {
  ::setenv("ZR_DATALIB", "/srv/风机/data//", 1);
  ::setenv("ZR_DWGLIB", "D:\\lib\\dwg\\", 1);
  EXPECT_EQ(GetDataLibPath(), CString(L"/srv/风机/data"));
  EXPECT_EQ(GetDwgPath(), CString(L"D:\\lib\\dwg"));
  ::setenv("ZR_DATALIB", "/", 1);
  EXPECT_EQ(GetDataLibPath(), CString(L"/")) << "the root keeps its only separator";
}

TEST_F(Folders, UnsetOrEmptyFallsBackToTheSampleLibrary) {
  const CString sample = CString::FromUtf8(FANCAD_SAMPLE_LIB);
  EXPECT_EQ(GetDataLibPath(), sample + L"/data");
  EXPECT_EQ(GetDwgPath(), sample + L"/dwg");
  ::setenv("ZR_DWGLIB", "", 1);
  EXPECT_EQ(GetDwgPath(), sample + L"/dwg");
}

TEST_F(Folders, AFolderNamedInBytesThatAreNotUtf8IsFoundUnderThem) {
  ::setenv("ZR_DATALIB", "/srv/\xb7\xe7\xbb\xfa/data", 1);  // GBK
  EXPECT_EQ(zrbase::nativePath(GetDataLibPath() + L"\\ZRFan.Mdb"),
            "/srv/\xb7\xe7\xbb\xfa/data/ZRFan.Mdb");
}

}  // namespace
