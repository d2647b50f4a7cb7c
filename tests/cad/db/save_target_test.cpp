// What a save finds at its path: links, special files, read-only files, modes and owners,
// temporary files of killed saves, long names and names that are not UTF-8. Everything is
// made in a temporary folder (device nodes and FIFOs too); ownership is tried as root and,
// in a child process, as the unprivileged user "nobody".
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
using cadtest::addToModelSpace;
using cadtest::TempDir;

std::string errorText(const AcDbDatabase& db) { return zrbase::wideToUtf8(db.lastErrorText()); }

// A drawing with n circles, so that versions of a file tell apart.
std::unique_ptr<AcDbDatabase> drawingWith(int n) {
  auto db = std::make_unique<AcDbDatabase>();
  for (int i = 0; i < n; ++i)
    addToModelSpace(db.get(), new AcDbCircle(AcGePoint3d(i, 0, 0), AcGeVector3d::kZAxis, 1));
  return db;
}

Acad::ErrorStatus save(AcDbDatabase& db, const std::string& path) {
  return db.saveAs(zrbase::pathFromBytes(path).c_str());
}

// The number of entities of the drawing in a file; -1 when it does not read.
int entitiesIn(const std::string& path) {
  AcDbDatabase db(false);
  if (db.readDwgFile(zrbase::pathFromBytes(path).c_str()) != Acad::eOk) return -1;
  return cadtest::modelSpaceCount(&db);
}

struct stat statOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

bool isRoot() { return ::geteuid() == 0; }

// Runs fn in a child process as the user "nobody"; returns what fn returned ("" for
// success) or why the child could not run it.
std::string asNobody(const std::function<std::string()>& fn) {
  const passwd* pw = ::getpwnam("nobody");
  if (pw == nullptr) return "there is no user nobody";
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return "no pipe";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipeFds[0]);
    std::string result =
        ::setgroups(0, nullptr) == 0 && ::setgid(pw->pw_gid) == 0 && ::setuid(pw->pw_uid) == 0
            ? fn()
            : std::string("cannot become nobody");
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

// A folder that everybody may write, for the tests run as nobody.
std::string sharedFolder(const TempDir& dir) {
  const std::string folder = dir.path("shared");
  fs::create_directory(folder);
  ::chmod(dir.path("").c_str(), 0755);
  ::chmod(folder.c_str(), 0777);
  return folder;
}

TEST(SaveTarget, SymbolicLinksAreFollowedAndStayLinks) {
  TempDir dir;
  fs::create_directory(dir.path("real"));
  const std::string target = dir.path("real/target.dxf");
  ASSERT_EQ(save(*drawingWith(1), target), Acad::eOk);
  fs::create_symlink("real/target.dxf", dir.path("link.dxf"));  // relative to its folder
  fs::create_symlink(dir.path("link.dxf"), dir.path("chain.dxf"));
  ASSERT_EQ(save(*drawingWith(2), dir.path("chain.dxf")), Acad::eOk);
  EXPECT_TRUE(fs::is_symlink(dir.path("chain.dxf")));
  EXPECT_TRUE(fs::is_symlink(dir.path("link.dxf")));
  EXPECT_EQ(entitiesIn(target), 2) << "the save went where the links lead";
  // A link to a drawing not made yet makes it there.
  fs::create_symlink("real/new.dxf", dir.path("ahead.dxf"));
  ASSERT_EQ(save(*drawingWith(3), dir.path("ahead.dxf")), Acad::eOk);
  EXPECT_TRUE(fs::is_symlink(dir.path("ahead.dxf")));
  EXPECT_EQ(entitiesIn(dir.path("real/new.dxf")), 3);
  // A loop of links is refused with the system's reason.
  fs::create_symlink("loop2.dxf", dir.path("loop1.dxf"));
  fs::create_symlink("loop1.dxf", dir.path("loop2.dxf"));
  auto db = drawingWith(1);
  EXPECT_EQ(save(*db, dir.path("loop1.dxf")), Acad::eFileAccessErr);
  EXPECT_NE(errorText(*db).find("symbolic links"), std::string::npos) << errorText(*db);
}

TEST(SaveTarget, HardLinkedNamesStayOneFile) {
  TempDir dir;
  ASSERT_EQ(save(*drawingWith(1), dir.path("a.dxf")), Acad::eOk);
  fs::create_hard_link(dir.path("a.dxf"), dir.path("b.dxf"));
  const ino_t inode = statOf(dir.path("a.dxf")).st_ino;
  ASSERT_EQ(save(*drawingWith(2), dir.path("a.dxf")), Acad::eOk);
  EXPECT_EQ(statOf(dir.path("a.dxf")).st_ino, inode);
  EXPECT_EQ(statOf(dir.path("b.dxf")).st_nlink, 2u);
  EXPECT_EQ(entitiesIn(dir.path("b.dxf")), 2);
  EXPECT_EQ(namesIn(dir.path("")), (std::vector<std::string>{"a.dxf", "b.dxf"}));
}

TEST(SaveTarget, WhatIsNotARegularFileIsRefusedAndLeftAsItWas) {
  if (!isRoot()) GTEST_SKIP() << "making a character device needs root";
  TempDir dir;
  ASSERT_EQ(::mknod(dir.path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  ASSERT_EQ(::mkfifo(dir.path("fifo").c_str(), 0644), 0);
  fs::create_directory(dir.path("folder.dxf"));
  fs::create_symlink("null", dir.path("to-null.dxf"));
  const struct {
    const char* name;
    const char* kind;
  } cases[] = {{"null", "a character device"},
               {"fifo", "a FIFO"},
               {"folder.dxf", "a folder"},
               {"to-null.dxf", "a character device"}};
  for (const auto& c : cases) {
    auto db = drawingWith(1);
    EXPECT_EQ(save(*db, dir.path(c.name)), Acad::eFileAccessErr) << c.name;
    EXPECT_NE(errorText(*db).find(c.kind), std::string::npos) << errorText(*db);
  }
  EXPECT_TRUE(S_ISCHR(statOf(dir.path("null")).st_mode));
  EXPECT_TRUE(S_ISFIFO(statOf(dir.path("fifo")).st_mode));
  EXPECT_TRUE(fs::is_symlink(dir.path("to-null.dxf")));
  // Reading them is refused too, at once: a FIFO must not wait for a writer.
  AcDbDatabase back(false);
  EXPECT_EQ(back.readDwgFile(zrbase::pathFromBytes(dir.path("fifo")).c_str()),
            Acad::eFileAccessErr);
  EXPECT_NE(errorText(back).find("a FIFO"), std::string::npos) << errorText(back);
  EXPECT_EQ(namesIn(dir.path("")),
            (std::vector<std::string>{"fifo", "folder.dxf", "null", "to-null.dxf"}));
}

TEST(SaveTarget, ModesAreKeptAndReadOnlyFilesRefused) {
  TempDir dir;
  for (mode_t mode : {0600, 0640, 0664}) {
    const std::string file = dir.path("m" + std::to_string(mode) + ".dxf");
    ASSERT_EQ(save(*drawingWith(1), file), Acad::eOk);
    ::chmod(file.c_str(), mode);
    ASSERT_EQ(save(*drawingWith(2), file), Acad::eOk);
    EXPECT_EQ(statOf(file).st_mode & 07777, mode);
    EXPECT_EQ(entitiesIn(file), 2);
  }
  const std::string readOnly = dir.path("ro.dxf");
  ASSERT_EQ(save(*drawingWith(1), readOnly), Acad::eOk);
  ::chmod(readOnly.c_str(), 0444);
  auto db = drawingWith(2);
  EXPECT_EQ(save(*db, readOnly), Acad::eIsWriteProtected) << "refused even for root";
  EXPECT_NE(errorText(*db).find("read-only"), std::string::npos) << errorText(*db);
  EXPECT_EQ(statOf(readOnly).st_mode & 07777, 0444u);
  EXPECT_EQ(entitiesIn(readOnly), 1);
  // A new file is made as any program makes one: 0666 less the umask.
  const mode_t mask = ::umask(022);
  ASSERT_EQ(save(*drawingWith(1), dir.path("new.dxf")), Acad::eOk);
  ::umask(mask);
  EXPECT_EQ(statOf(dir.path("new.dxf")).st_mode & 07777, 0644u);
}

TEST(SaveTarget, OwnersAreKeptAsRootAndAsAnotherUser) {
  if (!isRoot()) GTEST_SKIP() << "giving files to other users needs root";
  const passwd* nobody = ::getpwnam("nobody");
  ASSERT_NE(nobody, nullptr);
  TempDir dir;
  const std::string folder = sharedFolder(dir);
  // Root saves a file of nobody's: it stays nobody's, with its mode.
  const std::string theirs = folder + "/theirs.dxf";
  ASSERT_EQ(save(*drawingWith(1), theirs), Acad::eOk);
  ASSERT_EQ(::chown(theirs.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  ::chmod(theirs.c_str(), 0640);
  ASSERT_EQ(save(*drawingWith(2), theirs), Acad::eOk);
  EXPECT_EQ(statOf(theirs).st_uid, nobody->pw_uid);
  EXPECT_EQ(statOf(theirs).st_gid, nobody->pw_gid);
  EXPECT_EQ(statOf(theirs).st_mode & 07777, 0640u);
  // Nobody saves a file of root's that everybody may write: it cannot give a new file to
  // root, so it writes the file itself, which stays root's.
  const std::string roots = folder + "/roots.dxf";
  ASSERT_EQ(save(*drawingWith(1), roots), Acad::eOk);
  ::chmod(roots.c_str(), 0666);
  EXPECT_EQ(asNobody([&] {
              auto db = drawingWith(3);
              return save(*db, roots) == Acad::eOk ? "" : errorText(*db);
            }),
            "");
  EXPECT_EQ(statOf(roots).st_uid, 0u);
  EXPECT_EQ(entitiesIn(roots), 3);
  // Nobody's own read-only file is refused, and a file it may not write, with the reason.
  const std::string mine = folder + "/mine.dxf";
  ASSERT_EQ(save(*drawingWith(1), mine), Acad::eOk);
  ASSERT_EQ(::chown(mine.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  ::chmod(mine.c_str(), 0444);
  ::chmod(theirs.c_str(), 0644);
  ::chown(theirs.c_str(), 0, 0);
  EXPECT_EQ(asNobody([&] {
              std::string got;
              for (const std::string& file : {mine, theirs}) {
                auto db = drawingWith(4);
                const Acad::ErrorStatus es = save(*db, file);
                got += std::to_string(es) + " " + errorText(*db) + "\n";
              }
              return got;
            }),
            "90 cannot save drawing '" + mine + "': the file is read-only\n" +
                "72 cannot save drawing '" + theirs + "': Permission denied\n");
  EXPECT_EQ(entitiesIn(mine), 1);
  EXPECT_EQ(entitiesIn(theirs), 2);
  EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"mine.dxf", "roots.dxf", "theirs.dxf"}));
}

TEST(SaveTarget, AFolderThatCannotBeWrittenTakesNoNewFileButItsFilesAreSaved) {
  if (!isRoot()) GTEST_SKIP() << "the folder is closed to nobody, which needs root";
  TempDir dir;
  const std::string closed = dir.path("closed");
  fs::create_directory(closed);
  ::chmod(dir.path("").c_str(), 0755);
  const std::string file = closed + "/open.dxf";
  ASSERT_EQ(save(*drawingWith(1), file), Acad::eOk);
  ::chmod(file.c_str(), 0666);
  ::chmod(closed.c_str(), 0755);
  EXPECT_EQ(asNobody([&] {
              auto fresh = drawingWith(1);
              if (save(*fresh, closed + "/new.dxf") != Acad::eFileAccessErr)
                return std::string("a new file was made in a closed folder");
              if (errorText(*fresh).find("Permission denied") == std::string::npos)
                return errorText(*fresh);
              auto db = drawingWith(2);
              return save(*db, file) == Acad::eOk ? std::string() : errorText(*db);
            }),
            "");
  EXPECT_EQ(entitiesIn(file), 2);
  EXPECT_EQ(namesIn(closed), (std::vector<std::string>{"open.dxf"}));
}

TEST(SaveTarget, AWriteThatFailsHalfWayLeavesTheOldDrawing) {
  TempDir dir;
  const std::string plain = dir.path("plain.dxf");
  const std::string linked = dir.path("linked.dxf");
  ASSERT_EQ(save(*drawingWith(1), plain), Acad::eOk);
  ASSERT_EQ(save(*drawingWith(1), linked), Acad::eOk);
  fs::create_hard_link(linked, dir.path("other-name.dxf"));  // saved in place
  const std::string before = cadtest::readFile(linked);
  // In a child whose files may not grow past the old drawing's size, as on a full disk.
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlim_t limit = static_cast<rlim_t>(before.size() + 100);
    const rlimit rl{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &rl);
    auto big = drawingWith(500);
    const bool bothFailed =
        save(*big, plain) == Acad::eFileAccessErr && save(*big, linked) == Acad::eFileAccessErr;
    ::_exit(bothFailed && errorText(*big).find("too large") != std::string::npos ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "both saves failed with EFBIG";
  EXPECT_EQ(entitiesIn(plain), 1);
  EXPECT_EQ(cadtest::readFile(linked), before);
  EXPECT_EQ(namesIn(dir.path("")),
            (std::vector<std::string>{"linked.dxf", "other-name.dxf", "plain.dxf"}));
}

// The pid of a process that has ended.
pid_t deadProcess() {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  ::waitpid(pid, nullptr, 0);
  return pid;
}

TEST(SaveTarget, TemporaryFilesOfKilledSavesGoWithTheNextSaveOrOpen) {
  TempDir dir;
  const std::string file = dir.path("plan.dxf");
  ASSERT_EQ(save(*drawingWith(1), file), Acad::eOk);
  // A save killed half way through its text.
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::wstring why;
    zrcad::saveFileSafely(
        file,
        [](const std::function<void(std::string_view)>& sink) {
          sink(std::string(1 << 16, 'x'));
          ::raise(SIGKILL);
        },
        why);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  const std::string prefix = zrcad::temporaryNamePrefix(file);
  const std::string left = prefix + std::to_string(pid) + "-";
  ASSERT_EQ(namesIn(dir.path("")).size(), 2u);
  EXPECT_TRUE(namesIn(dir.path(""))[0].starts_with(fs::path(left).filename().string()));
  EXPECT_EQ(entitiesIn(file), 1) << "the killed save left the drawing as it was";
  EXPECT_EQ(namesIn(dir.path("")), (std::vector<std::string>{"plan.dxf"}))
      << "opening the drawing removed what the dead save left";
  // Saves still running (this process) keep theirs; a dead one's go at the next save.
  const std::string mine = prefix + std::to_string(::getpid()) + "-abcdef";
  const std::string dead = prefix + std::to_string(deadProcess()) + "-ghijkl";
  cadtest::writeFile(mine, "partial");
  cadtest::writeFile(dead, "partial");
  ASSERT_EQ(save(*drawingWith(2), file), Acad::eOk);
  EXPECT_TRUE(fs::exists(mine));
  EXPECT_FALSE(fs::exists(dead));
  // Other drawings' temporary files are not touched.
  const std::string other =
      zrcad::temporaryNamePrefix(dir.path("plan.dx")) + std::to_string(deadProcess()) + "-mnopqr";
  cadtest::writeFile(other, "partial");
  ASSERT_EQ(save(*drawingWith(2), file), Acad::eOk);
  EXPECT_TRUE(fs::exists(other));
  // Names that only look like ours (no process could have that id) are someone else's.
  for (const char* id : {"99999999999", "9999999999", "12a4", "-5"}) {
    const std::string odd = prefix + id + "-stuvwx";
    cadtest::writeFile(odd, "partial");
    ASSERT_EQ(save(*drawingWith(2), file), Acad::eOk);
    EXPECT_TRUE(fs::exists(odd)) << odd;
  }
}

TEST(SaveTarget, NamesAsLongAsTheSystemAllowsAreSaved) {
  TempDir dir;
  const std::string longest(255 - 4, 'n');
  for (const std::string& stem : {longest, longest.substr(0, 250), longest.substr(0, 200)}) {
    const std::string file = dir.path(stem + ".dxf");
    auto db = drawingWith(1);
    ASSERT_EQ(save(*db, file), Acad::eOk) << stem.size() << ": " << errorText(*db);
    ASSERT_EQ(save(*db, file), Acad::eOk) << "saved over";
    EXPECT_EQ(entitiesIn(file), 1);
    EXPECT_LE(fs::path(zrcad::temporaryNamePrefix(file)).filename().string().size() + 17, 255u);
  }
  // Shortened prefixes still tell drawings apart that differ at the end only.
  EXPECT_NE(zrcad::temporaryNamePrefix(dir.path(longest + ".dxf")),
            zrcad::temporaryNamePrefix(dir.path(longest + ".dwg")));
  EXPECT_EQ(namesIn(dir.path("")).size(), 3u);
}

TEST(SaveTarget, FileNamesAreBytes) {
  TempDir dir;
  // Two names that are not UTF-8, and a drawing named in GBK ("风机").
  const std::string ff = dir.path("\xff.dxf");
  const std::string fe = dir.path("\xfe.dxf");
  const std::string gbk = dir.path("\xb7\xe7\xbb\xfa.dxf");
  ASSERT_EQ(save(*drawingWith(1), ff), Acad::eOk);
  ASSERT_EQ(save(*drawingWith(2), fe), Acad::eOk);
  ASSERT_EQ(save(*drawingWith(3), gbk), Acad::eOk);
  EXPECT_EQ(namesIn(dir.path("")),
            (std::vector<std::string>{"\xb7\xe7\xbb\xfa.dxf", "\xfe.dxf", "\xff.dxf"}));
  EXPECT_EQ(entitiesIn(ff), 1);
  EXPECT_EQ(entitiesIn(fe), 2);
  EXPECT_EQ(entitiesIn(gbk), 3);
  // The document remembers the name it was read under, bytes and all.
  AcDbDatabase db(false);
  ASSERT_EQ(db.readDwgFile(zrbase::pathFromBytes(gbk).c_str()), Acad::eOk);
  addToModelSpace(&db, new AcDbLine());
  ASSERT_EQ(db.save(), Acad::eOk);
  EXPECT_EQ(entitiesIn(gbk), 4);
  EXPECT_EQ(namesIn(dir.path("")).size(), 3u);
}

}  // namespace
