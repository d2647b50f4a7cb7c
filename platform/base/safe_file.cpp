// Saving files without losing the old one: temporary beside it, then rename.
#include "base/safe_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "base/utf8.h"

namespace zrbase {

namespace {

constexpr const char* kTempMark = ".fancad-tmp-";
// The widest process id and the random part of a temporary name: "PID-XXXXXX".
constexpr size_t kPidWidth = 10;
constexpr size_t kRandomWidth = 6;
// As the kernel follows them (MAXSYMLINKS).
constexpr int kMaxLinks = 40;

std::wstring systemText(int err) { return zrbase::utf8ToWide(std::strerror(err)); }

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

size_t nameMax(const std::string& folder) {
  const long n = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  return n > 0 ? static_cast<size_t>(n) : 255;
}

// FNV-1a: a short, stable stand-in for a name too long to repeat.
std::string nameHash(std::string_view name) {
  std::uint32_t h = 2166136261u;
  for (unsigned char c : name) h = (h ^ c) * 16777619u;
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08x", h);
  return buf;
}

bool processGone(pid_t pid) { return pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH; }

// Writes all of text at offset 0 of fd; 0 or errno.
int writeAll(int fd, std::string_view text) {
  off_t at = 0;
  while (!text.empty()) {
    const ssize_t n = ::pwrite(fd, text.data(), text.size(), at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    text.remove_prefix(static_cast<size_t>(n));
    at += n;
  }
  return 0;
}

SaveStatus failure(int err, std::wstring& why) {
  if (err == -1) return SaveStatus::accessError;  // why set by the one who failed
  why = systemText(err);
  return err == ENOSPC || err == EDQUOT ? SaveStatus::outOfDisk : SaveStatus::accessError;
}

// Whether a file made by this process can be given st's owner and group.
bool canGiveOwner(const struct stat& st) {
  if (::geteuid() == 0) return true;
  if (st.st_uid != ::geteuid()) return false;
  if (st.st_gid == ::getegid()) return true;
  const int n = ::getgroups(0, nullptr);
  std::vector<gid_t> groups(static_cast<size_t>(n > 0 ? n : 0));
  const int got = n > 0 ? ::getgroups(n, groups.data()) : 0;
  for (int i = 0; i < got; ++i)
    if (groups[static_cast<size_t>(i)] == st.st_gid) return true;
  return false;
}

// A new temporary file beside target, open for writing; -1 with errno when none can be made.
int createTemporary(const std::string& target, std::string& name) {
  static std::mt19937_64 engine{std::random_device{}()};
  static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  const std::string prefix = temporaryNamePrefix(target) + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = prefix;
    for (size_t i = 0; i < kRandomWidth; ++i) name += kChars[engine() % (sizeof kChars - 1)];
    // Created as any new file is (0666 less the umask); a file saved over gets its mode later.
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// The saved file's mode and owner for the temporary file; false when the owner cannot be
// given (the caller then writes in place).
bool takeOver(int fd, const struct stat& st) {
  if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid()) &&
      ::fchown(fd, st.st_uid, st.st_gid) != 0)
    return false;
  // After the owner: a change of owner clears the set-id bits.
  return ::fchmod(fd, st.st_mode & 07777) == 0;
}

// Writes the text to an open file; 0 or errno.
int writeText(int fd, const TextProducer& produce, std::wstring& why) {
  int err = 0;
  try {
    produce([fd, &err](std::string_view piece) {
      while (!piece.empty() && err == 0) {
        const ssize_t n = ::write(fd, piece.data(), piece.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
          err = n < 0 ? errno : EIO;
        else
          piece.remove_prefix(static_cast<size_t>(n));
      }
    });
  } catch (const SaveAborted& aborted) {
    why = aborted.why;
    return -1;
  }
  return err;
}

// Makes the new file in a temporary file beside target (fill writes it, through the open
// descriptor or by its name) and renames it over target. EPERM when the target's owner
// could not be kept (nothing has changed then).
int saveByRename(const std::string& target, const struct stat* existing,
                 const std::function<int(int fd, const std::string& name)>& fill) {
  std::string tmp;
  const int fd = createTemporary(target, tmp);
  if (fd < 0) return errno;
  int err = existing && !takeOver(fd, *existing) ? EPERM : 0;
  if (err == 0) err = fill(fd, tmp);
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && std::rename(tmp.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) ::unlink(tmp.c_str());
  return err;
}

// Writes the text into the file itself, keeping its identity (links, owner, mode).
int saveInPlace(const std::string& target, const TextProducer& produce, std::wstring& why) {
  std::string text;
  try {
    produce([&text](std::string_view piece) { text.append(piece); });
  } catch (const SaveAborted& aborted) {
    why = aborted.why;
    return -1;
  }
  const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno;
  struct stat st {};
  int err = ::fstat(fd, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : EINVAL;
  if (err == 0 && text.size() > static_cast<size_t>(st.st_size)) {
    // Reserved before the first byte changes: a full disk fails here, the old text intact.
    err = ::posix_fallocate(fd, 0, static_cast<off_t>(text.size()));
    if (err == EOPNOTSUPP || err == EINVAL) err = 0;
  }
  if (err == 0) err = writeAll(fd, text);
  if (err == 0 && ::ftruncate(fd, static_cast<off_t>(text.size())) != 0) err = errno;
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  return err;
}

// Why a file that exists cannot be saved over; "" when it can.
std::wstring refusal(const struct stat& st, const std::string& target, std::wstring_view noun,
                     SaveStatus& status) {
  status = SaveStatus::accessError;
  if (!S_ISREG(st.st_mode))
    return L"it is " + fileKindName(st.st_mode) + L", not " + std::wstring(noun);
  // A file nobody may write is read-only for its owner and for root too.
  if ((st.st_mode & 0222) == 0) {
    status = SaveStatus::writeProtected;
    return L"the file is read-only";
  }
  return ::access(target.c_str(), W_OK) == 0 ? std::wstring() : systemText(errno);
}

// A whole file read into memory; error is 0 or errno.
struct MappedContent {
  explicit MappedContent(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      error = errno;
      return;
    }
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) error = errno;
      if (n <= 0) break;
      text.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
  }
  std::string text;
  int error = 0;
};

}  // namespace

bool followLinks(const std::string& path, std::string& target, std::wstring& why) {
  target = path;
  for (int i = 0; i < kMaxLinks; ++i) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX), '\0');
    const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
    if (n < 0) return true;  // gone meanwhile: the name itself
    link.resize(static_cast<size_t>(n));
    target = link.starts_with('/') ? link : folderOf(target) + "/" + link;
  }
  why = systemText(ELOOP);
  return false;
}

std::wstring fileKindName(mode_t mode) {
  if (S_ISDIR(mode)) return L"a folder";
  if (S_ISCHR(mode)) return L"a character device";
  if (S_ISBLK(mode)) return L"a block device";
  if (S_ISFIFO(mode)) return L"a FIFO";
  if (S_ISSOCK(mode)) return L"a socket";
  if (S_ISLNK(mode)) return L"a symbolic link";
  return L"not a regular file";
}

std::string temporaryNamePrefix(const std::string& path) {
  const std::string folder = folderOf(path);
  std::string name = nameOf(path);
  const size_t fixed = 1 + std::strlen(kTempMark) + kPidWidth + 1 + kRandomWidth;
  const size_t limit = nameMax(folder);
  if (fixed + name.size() > limit) {
    // "~" and eight hex digits stand for what is cut off.
    const size_t keep = limit > fixed + 9 ? limit - fixed - 9 : 0;
    name = name.substr(0, keep) + "~" + nameHash(name);
  }
  return (folder == "/" ? "" : folder) + "/." + name + kTempMark;
}

void removeStaleTemporaries(const std::string& path) {
  const std::string prefix = temporaryNamePrefix(path);
  const std::string folder = folderOf(prefix);
  const std::string start = nameOf(prefix);
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (!name.starts_with(start)) continue;
    // PID-XXXXXX after the prefix.
    const std::string_view rest = name.substr(start.size());
    const size_t dash = rest.find('-');
    if (dash == 0 || dash > kPidWidth || dash == std::string_view::npos ||
        rest.size() != dash + 1 + kRandomWidth)
      continue;
    // Digits only, and no more than a pid_t holds: any other name is not ours.
    long long number = 0;
    const std::string_view digits = rest.substr(0, dash);
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (ec != std::errc() || end != digits.data() + digits.size() || number > INT_MAX) continue;
    const auto pid = static_cast<pid_t>(number);
    const std::string file = folder + "/" + std::string(name);
    struct stat st {};
    if (processGone(pid) && ::lstat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode))
      ::unlink(file.c_str());
  }
  ::closedir(dir);
}

namespace {

// The save of both kinds: fill makes the new file beside the target, inPlace writes it into
// the target itself when the rename would lose what the user has.
SaveStatus save(const std::string& path, std::wstring_view noun, std::wstring& why,
                const std::function<int(int fd, const std::string& name)>& fill,
                const std::function<int(const std::string& target)>& inPlace) {
  std::string target;
  if (!followLinks(path, target, why)) return SaveStatus::accessError;
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) return failure(errno, why);
  SaveStatus status = SaveStatus::ok;
  if (exists && !(why = refusal(st, target, noun, status)).empty()) return status;
  removeStaleTemporaries(target);
  const bool keepIdentity = exists && (st.st_nlink > 1 || !canGiveOwner(st));
  int err = keepIdentity ? EPERM : saveByRename(target, exists ? &st : nullptr, fill);
  // No temporary file beside it, or one that could not take the owner: in place.
  if (exists && (err == EPERM || err == EACCES)) err = inPlace(target);
  return err == 0 ? SaveStatus::ok : failure(err, why);
}

}  // namespace

SaveStatus saveFileSafely(const std::string& path, const TextProducer& produce, std::wstring& why,
                          std::wstring_view noun) {
  return save(
      path, noun, why,
      [&produce, &why](int fd, const std::string&) { return writeText(fd, produce, why); },
      [&produce, &why](const std::string& target) { return saveInPlace(target, produce, why); });
}

SaveStatus saveFileSafely(const std::string& path, std::string_view content, std::wstring& why,
                          std::wstring_view noun) {
  return saveFileSafely(
      path, [content](const std::function<void(std::string_view)>& sink) { sink(content); }, why,
      noun);
}

SaveStatus saveFileByName(const std::string& path, const FileFiller& fill, std::wstring& why,
                          std::wstring_view noun) {
  auto fillByName = [&fill, &why](int, const std::string& name) { return fill(name, why); };
  // In place: the new file is made aside (in the temporary folder) and copied in.
  auto inPlace = [&fill, &why](const std::string& target) {
    char aside[] = "/tmp/fancad-aside-XXXXXX";
    const int fd = ::mkstemp(aside);
    if (fd < 0) return errno;
    ::close(fd);
    int err = fill(aside, why);
    std::string content;
    if (err == 0) {
      MappedContent copy(aside);
      err = copy.error;
      content = std::move(copy.text);
    }
    ::unlink(aside);
    if (err != 0) return err;
    return saveInPlace(
        target, [&content](const std::function<void(std::string_view)>& sink) { sink(content); },
        why);
  };
  return save(path, noun, why, fillByName, inPlace);
}

}  // namespace zrbase
