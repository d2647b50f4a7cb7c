// The one writer of every file the program makes: both ways of filling a file refuse what
// is not a writable regular file before anything is written (a FIFO without waiting for a
// reader), write through links to their file, and leave nothing behind when they fail.
#include "base/safe_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using zrbase::SaveStatus;

namespace {

std::string contentOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Saves "new" to path by one of the two ways.
SaveStatus saveNew(bool byName, const std::string& path, std::wstring& why) {
  if (!byName) return zrbase::saveFileSafely(path, std::string_view("new"), why, L"a chart");
  return zrbase::saveFileByName(
      path,
      [](const std::string& temporary, std::wstring&) {
        std::ofstream(temporary, std::ios::binary | std::ios::trunc) << "new";
        return 0;
      },
      why, L"a chart");
}

class SafeFile : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("safefile_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir / "ro", fs::perms::owner_write, fs::perm_options::add, ec);
    fs::remove_all(dir);
  }
  // Only the files the test made: no temporary left beside them.
  size_t filesInDir() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir), {}));
  }
  fs::path dir;
};

TEST_P(SafeFile, RefusesWhatIsNotAWritableRegularFile) {
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  fs::create_directory(dir / "folder");
  std::ofstream(dir / "ro") << "old";
  fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::group_read);
  const struct {
    const char* name;
    SaveStatus status;
    const wchar_t* why;
  } cases[] = {
      {"fifo", SaveStatus::accessError, L"it is a FIFO, not a chart"},
      {"folder", SaveStatus::accessError, L"it is a folder, not a chart"},
      {"ro", SaveStatus::writeProtected, L"the file is read-only"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::wstring why;
    EXPECT_EQ(saveNew(GetParam(), (dir / c.name).string(), why), c.status);
    EXPECT_EQ(why, c.why);
  }
  EXPECT_EQ(contentOf(dir / "ro"), "old");
  EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
  EXPECT_EQ(filesInDir(), 3u);
}

TEST_P(SafeFile, WritesThroughLinksAndKeepsThem) {
  std::ofstream(dir / "real") << "old";
  fs::permissions(dir / "real", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("real", dir / "link");
  fs::create_symlink(dir / "link", dir / "link2");
  std::wstring why;
  ASSERT_EQ(saveNew(GetParam(), (dir / "link2").string(), why), SaveStatus::ok) << why;
  EXPECT_TRUE(fs::is_symlink(dir / "link2"));
  EXPECT_TRUE(fs::is_symlink(dir / "link"));
  EXPECT_EQ(contentOf(dir / "real"), "new");
  EXPECT_EQ(fs::status(dir / "real").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write)
      << "the mode of the file saved over is kept";
  // A new file through a link to nothing is made where the link points.
  fs::create_symlink("fresh", dir / "dangling");
  ASSERT_EQ(saveNew(GetParam(), (dir / "dangling").string(), why), SaveStatus::ok) << why;
  EXPECT_EQ(contentOf(dir / "fresh"), "new");
  EXPECT_EQ(filesInDir(), 5u);
}

INSTANTIATE_TEST_SUITE_P(Both, SafeFile, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "ByName" : "ByContent"; });

TEST(SafeFileByName, AFailedFillLeavesTheOldFileAndNoTemporary) {
  const fs::path dir = fs::temp_directory_path() / ("safefill_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "cat.db") << "old";
  std::wstring why;
  const SaveStatus status =
      zrbase::saveFileByName((dir / "cat.db").string(),
                             [](const std::string& temporary, std::wstring& reason) {
                               std::ofstream(temporary) << "half";
                               reason = L"the server went away";
                               return -1;
                             },
                             why);
  EXPECT_EQ(status, SaveStatus::accessError);
  EXPECT_EQ(why, L"the server went away");
  EXPECT_EQ(contentOf(dir / "cat.db"), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);
  fs::remove_all(dir);
}

}  // namespace
