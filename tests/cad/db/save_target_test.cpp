// What a save finds at its path: links, special files, read-only files, modes and owners,
// temporary files of killed saves, and long names. Everything is made in a temporary folder
// (device nodes and FIFOs too); ownership is tried as root and, in a child process, as the
// unprivileged user "nobody".
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "base/file_functions.h"
#include "cad/acdb.h"
#include "cad/db/drawing_files.h"
#include "cad_test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace cadtest;
using Names = std::vector<std::string>;

// Saves a drawing of n circles (versions of a file tell apart by their count); gives the
// status and the reason as "status reason".
std::string saveWhy(int n, const std::string& path) {
  AcDbDatabase db;
  for (int i = 0; i < n; ++i)
    addToModelSpace(&db, new AcDbCircle(AcGePoint3d(i, 0, 0), AcGeVector3d::kZAxis, 1));
  const Acad::ErrorStatus es = db.saveAs(zrbase::pathFromBytes(path).c_str());
  return std::to_string(es) + " " + errorText(db);
}
Acad::ErrorStatus save(int n, const std::string& path) {
  return static_cast<Acad::ErrorStatus>(std::stoi(saveWhy(n, path)));
}

// The number of entities of the drawing in a file; -1 when it does not read.
int entitiesIn(const std::string& path) {
  AcDbDatabase db(false);
  if (db.readDwgFile(zrbase::pathFromBytes(path).c_str()) != Acad::eOk) return -1;
  return modelSpaceCount(&db);
}

struct stat statOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

Names namesIn(const std::string& folder) {
  Names names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

bool isRoot() { return ::geteuid() == 0; }

// Runs fn in a child process (as the user "nobody" when asked); returns what fn returned
// ("" for success) or why the child could not run it.
std::string inChild(const std::function<std::string()>& fn, bool asNobody = true) {
  const passwd* pw = ::getpwnam("nobody");
  if (asNobody && pw == nullptr) return "there is no user nobody";
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return "no pipe";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipeFds[0]);
    const bool ready = !asNobody || (::setgroups(0, nullptr) == 0 && ::setgid(pw->pw_gid) == 0 &&
                                     ::setuid(pw->pw_uid) == 0);
    const std::string result = ready ? fn() : std::string("cannot become nobody");
    if (::write(pipeFds[1], result.data(), result.size()) < 0) ::_exit(2);
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  std::string result;
  char buf[256];
  for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;) result.append(buf, n);
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? result : "the child failed";
}

TEST(SaveTarget, LinksAreFollowedAndStayLinks) {
  TempDir dir;
  fs::create_directory(dir.path("real"));
  const std::string target = dir.path("real/target.dxf");
  ASSERT_EQ(save(1, target), Acad::eOk);
  fs::create_symlink("real/target.dxf", dir.path("link.dxf"));  // relative to its folder
  fs::create_symlink(dir.path("link.dxf"), dir.path("chain.dxf"));
  fs::create_hard_link(target, dir.path("hard.dxf"));
  const ino_t inode = statOf(target).st_ino;
  ASSERT_EQ(save(2, dir.path("chain.dxf")), Acad::eOk);
  EXPECT_TRUE(fs::is_symlink(dir.path("chain.dxf")));
  EXPECT_TRUE(fs::is_symlink(dir.path("link.dxf")));
  EXPECT_EQ(statOf(target).st_ino, inode) << "hard-linked names stay one file";
  EXPECT_EQ(statOf(target).st_nlink, 2u);
  EXPECT_EQ(entitiesIn(dir.path("hard.dxf")), 2) << "the save went where the links lead";
  // A link to a drawing not made yet makes it there.
  fs::create_symlink("real/new.dxf", dir.path("ahead.dxf"));
  ASSERT_EQ(save(3, dir.path("ahead.dxf")), Acad::eOk);
  EXPECT_TRUE(fs::is_symlink(dir.path("ahead.dxf")));
  EXPECT_EQ(entitiesIn(dir.path("real/new.dxf")), 3);
  EXPECT_EQ(namesIn(dir.path("real")), (Names{"new.dxf", "target.dxf"}));
  // A loop of links is refused with the system's reason.
  fs::create_symlink("loop2.dxf", dir.path("loop1.dxf"));
  fs::create_symlink("loop1.dxf", dir.path("loop2.dxf"));
  const std::string why = saveWhy(1, dir.path("loop1.dxf"));
  EXPECT_TRUE(why.starts_with(std::to_string(Acad::eFileAccessErr) + " ")) << why;
  EXPECT_NE(why.find("symbolic links"), std::string::npos) << why;
}

// FIFOs, devices and read-only files are refused end to end (tests/app/e2e_test.py, Hostile);
// here a folder and a link that leads to a device.
TEST(SaveTarget, WhatIsNotARegularFileIsRefusedAndLeftAsItWas) {
  TempDir dir;
  fs::create_directory(dir.path("folder.dxf"));
  std::vector<std::pair<std::string, std::string>> cases = {{"folder.dxf", "a folder"}};
  if (isRoot()) {
    ASSERT_EQ(::mknod(dir.path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    fs::create_symlink("null", dir.path("to-null.dxf"));
    cases.push_back({"to-null.dxf", "a character device"});
  }
  for (const auto& [name, kind] : cases) {
    const std::string why = saveWhy(1, dir.path(name));
    EXPECT_TRUE(why.starts_with(std::to_string(Acad::eFileAccessErr) + " ")) << why;
    EXPECT_NE(why.find(kind), std::string::npos) << why;
  }
  EXPECT_TRUE(fs::is_directory(dir.path("folder.dxf")));
  if (isRoot()) {
    EXPECT_TRUE(S_ISCHR(statOf(dir.path("null")).st_mode));
  }
  // A new file is made as any program makes one: 0666 less the umask. (Modes of files saved
  // over are kept: e2e_test.py.)
  const mode_t mask = ::umask(022);
  ASSERT_EQ(save(1, dir.path("new.dxf")), Acad::eOk);
  ::umask(mask);
  EXPECT_EQ(statOf(dir.path("new.dxf")).st_mode & 07777, 0644u);
}

// Root saving another user's file, and that user saving root's shared one, are run end to end
// (tests/app/e2e_test.py); here what the other user may not do, and a file saved in place in a
// folder where no new file can be made.
TEST(SaveTarget, AnotherUserIsRefusedWhatItMayNotWriteAndSavesInPlaceInClosedFolders) {
  if (!isRoot()) GTEST_SKIP() << "giving files to other users needs root";
  const passwd* nobody = ::getpwnam("nobody");
  ASSERT_NE(nobody, nullptr);
  TempDir dir;
  const std::string folder = dir.path("shared");
  fs::create_directory(folder);
  ::chmod(dir.path("").c_str(), 0755);
  ::chmod(folder.c_str(), 0777);
  const std::string mine = folder + "/mine.dxf", roots = folder + "/roots.dxf";
  ASSERT_EQ(save(1, mine), Acad::eOk);
  ASSERT_EQ(::chown(mine.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  ::chmod(mine.c_str(), 0444);
  ASSERT_EQ(save(1, roots), Acad::eOk);
  ::chmod(roots.c_str(), 0644);
  const std::string closed = dir.path("closed");
  fs::create_directory(closed);
  ::chmod(closed.c_str(), 0755);
  ASSERT_EQ(save(1, closed + "/open.dxf"), Acad::eOk);
  ::chmod((closed + "/open.dxf").c_str(), 0666);
  EXPECT_EQ(inChild([&] {
              return saveWhy(4, mine) + "\n" + saveWhy(4, roots) + "\n" +
                     saveWhy(2, closed + "/open.dxf");
            }),
            "90 cannot save drawing '" + mine + "': the file is read-only\n" +
                "72 cannot save drawing '" + roots + "': Permission denied\n0 ");
  EXPECT_EQ(entitiesIn(mine), 1);
  EXPECT_EQ(entitiesIn(roots), 1);
  EXPECT_EQ(entitiesIn(closed + "/open.dxf"), 2);
  EXPECT_EQ(statOf(closed + "/open.dxf").st_uid, 0u);
  EXPECT_EQ(namesIn(folder), (Names{"mine.dxf", "roots.dxf"}));
  EXPECT_EQ(namesIn(closed), Names{"open.dxf"});
}

TEST(SaveTarget, AWriteThatFailsHalfWayLeavesTheOldDrawing) {
  TempDir dir;
  const std::string plain = dir.path("plain.dxf"), linked = dir.path("linked.dxf");
  ASSERT_EQ(save(1, plain), Acad::eOk);
  ASSERT_EQ(save(1, linked), Acad::eOk);
  fs::create_hard_link(linked, dir.path("other-name.dxf"));  // saved in place
  const std::string before = readFile(linked);
  // In a child whose files may not grow past the old drawing's size, as on a full disk.
  EXPECT_EQ(inChild(
                [&] {
                  ::signal(SIGXFSZ, SIG_IGN);
                  const rlim_t limit = static_cast<rlim_t>(before.size() + 100);
                  const rlimit rl{limit, limit};
                  ::setrlimit(RLIMIT_FSIZE, &rl);
                  const std::string a = saveWhy(500, plain), b = saveWhy(500, linked);
                  return a.substr(0, a.find(' ')) + " " + b.substr(0, b.find(' ')) +
                         (b.find("too large") != std::string::npos ? " too large" : "");
                },
                false),
            "72 72 too large");
  EXPECT_EQ(entitiesIn(plain), 1);
  EXPECT_EQ(readFile(linked), before);
  EXPECT_EQ(namesIn(dir.path("")), (Names{"linked.dxf", "other-name.dxf", "plain.dxf"}));
}

// The pid of a process that has ended.
pid_t deadProcess() {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  ::waitpid(pid, nullptr, 0);
  return pid;
}

// A save killed half way, and the next open or save clearing what it left, run end to end in
// tests/app/e2e_test.py; here which temporary files the next save takes away.
TEST(SaveTarget, TemporaryFilesOfDeadSavesGoWithTheNextSaveAndNoOthers) {
  TempDir dir;
  const std::string file = dir.path("plan.dxf");
  ASSERT_EQ(save(1, file), Acad::eOk);
  const std::string prefix = zrcad::temporaryNamePrefix(file);
  // Saves still running (this process) keep theirs; a dead one's go at the next save; other
  // drawings' are not touched, nor names that only look like ours (no process could have
  // that id).
  const std::string mine = prefix + std::to_string(::getpid()) + "-abcdef";
  const std::string dead = prefix + std::to_string(deadProcess()) + "-ghijkl";
  Names kept = {mine, zrcad::temporaryNamePrefix(dir.path("plan.dx")) +
                          std::to_string(deadProcess()) + "-mnopqr"};
  for (const char* id : {"99999999999", "9999999999", "12a4", "-5"})
    kept.push_back(prefix + id + "-stuvwx");
  for (const std::string& name : kept) writeFile(name, "partial");
  writeFile(dead, "partial");
  ASSERT_EQ(save(2, file), Acad::eOk);
  EXPECT_FALSE(fs::exists(dead));
  for (const std::string& name : kept) EXPECT_TRUE(fs::exists(name)) << name;
}

TEST(SaveTarget, NamesAsLongAsTheSystemAllowsAreSaved) {
  TempDir dir;
  const std::string longest(255 - 4, 'n');
  for (const std::string& stem : {longest, longest.substr(0, 250), longest.substr(0, 200)}) {
    const std::string file = dir.path(stem + ".dxf");
    EXPECT_EQ(saveWhy(1, file), "0 ") << stem.size();
    EXPECT_EQ(save(2, file), Acad::eOk) << "saved over";
    EXPECT_EQ(entitiesIn(file), 2);
    EXPECT_LE(fs::path(zrcad::temporaryNamePrefix(file)).filename().string().size() + 17, 255u);
  }
  // Shortened prefixes still tell drawings apart that differ at the end only.
  EXPECT_NE(zrcad::temporaryNamePrefix(dir.path(longest + ".dxf")),
            zrcad::temporaryNamePrefix(dir.path(longest + ".dwg")));
  EXPECT_EQ(namesIn(dir.path("")).size(), 3u);  // names not UTF-8: tests/app/host_test.cpp
}

}  // namespace
