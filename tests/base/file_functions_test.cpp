// File functions accept '\' as a separator, as the module builds its paths.
#include "base/file_functions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

TEST(FileFunctions, BackslashPathsExistAndDelete) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("fileftest_" + std::to_string(::getpid()));
  fs::create_directories(dir / "Fan");
  std::ofstream(dir / "Fan" / "4-72No4.5A.dwg") << "x";
  const CString path = CString::FromUtf8(dir.string()) + L"\\Fan\\4-72No4.5A.dwg";
  EXPECT_TRUE(PathFileExists(path));
  CFileFind find;
  EXPECT_TRUE(find.FindFile(path));
  EXPECT_TRUE(DeleteFile(path));
  EXPECT_FALSE(PathFileExists(path));
  EXPECT_FALSE(DeleteFile(path)) << "a missing file is reported, not an error";
  EXPECT_FALSE(DeleteFile(CString::FromUtf8((dir / "Fan").string()))) << "folders are not files";
  EXPECT_FALSE(PathFileExists(L""));
  fs::remove_all(dir);
}

TEST(FileFunctions, NamesThatAreNotUtf8AreFound) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("fileftest8_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string name = dir.string() + "/\xB7\xE7\xBB\xFA.dwg";
  std::ofstream(name) << "x";
  const std::wstring path = zrbase::pathFromBytes(name);
  EXPECT_EQ(zrbase::nativePath(path.c_str()), name);
  EXPECT_TRUE(PathFileExists(path.c_str()));
  EXPECT_FALSE(PathFileExists(zrbase::utf8ToWide(name).c_str()))
      << "decoded as text, the name is another name";
  EXPECT_TRUE(DeleteFile(path.c_str()));
  fs::remove_all(dir);
}
