// Reading drawing files whole and saving them safely.
#include "cad/db/drawing_files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/utf8.h"

namespace zrcad {

namespace {

std::wstring systemText(int err) { return zrbase::utf8ToWide(std::strerror(err)); }

}  // namespace

MappedFile::~MappedFile() {
  if (m_data) ::munmap(m_data, m_size);
}

bool MappedFile::open(const std::string& path, Acad::ErrorStatus& es, std::wstring& why) {
  // Without O_NONBLOCK opening a FIFO waits for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int err = fd < 0 ? errno : 0;
    if (fd >= 0) ::close(fd);
    es = err == ENOENT ? Acad::eFileNotFound : Acad::eFileAccessErr;
    why = err == ENOENT ? L"file not found"
          : err != 0    ? systemText(err)
                        : L"it is " + fileKindName(st.st_mode) + L", not a drawing file";
    return false;
  }
  m_size = static_cast<size_t>(st.st_size);
  // Mapped and populated at once: on this kind of machine a read() into a fresh buffer
  // costs as much again in page faults as the parse of the text.
  void* p =
      m_size ? ::mmap(nullptr, m_size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0) : nullptr;
  const int err = errno;
  ::close(fd);
  if (p == MAP_FAILED) {
    es = Acad::eFileAccessErr;
    why = systemText(err);
    return false;
  }
  m_data = p;
  return true;
}

void MappedFile::release(size_t begin, size_t end) const {
  const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  const size_t first = (begin + page - 1) / page * page;
  const size_t last = std::min(end, m_size) / page * page;
  if (m_data == nullptr || last <= first) return;
  // Advice only: when it fails the pages simply stay.
  ::madvise(static_cast<char*>(m_data) + first, last - first, MADV_DONTNEED);
}

std::string_view MappedFile::text() const {
  return m_data ? std::string_view(static_cast<const char*>(m_data), m_size) : std::string_view();
}

Acad::ErrorStatus saveFileSafely(const std::string& path, const TextProducer& produce,
                                 std::wstring& why) {
  switch (zrbase::saveFileSafely(path, produce, why, L"a drawing file")) {
    case zrbase::SaveStatus::ok:
      return Acad::eOk;
    case zrbase::SaveStatus::writeProtected:
      return Acad::eIsWriteProtected;
    case zrbase::SaveStatus::outOfDisk:
      return Acad::eOutOfDisk;
    case zrbase::SaveStatus::accessError:
      break;
  }
  return Acad::eFileAccessErr;
}

}  // namespace zrcad
