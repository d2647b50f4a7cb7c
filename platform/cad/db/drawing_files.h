// Drawing files on disk: reading one whole, and saving one through the platform's safe
// writer (base/safe_file.h), which keeps the old file, the links to it, its mode and owner.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

#include "base/safe_file.h"
#include "cad/adsdef.h"

namespace zrcad {

// A file read whole into memory (mapped), unmapped when it goes.
class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // False with the status and reason when the file cannot be read. Only regular files are
  // read: a FIFO or a device would block or never end.
  bool open(const std::string& path, Acad::ErrorStatus& es, std::wstring& why);
  std::string_view text() const;
  // Gives back the memory of the text in [begin, end) (the whole pages in it): the text stays
  // readable, its pages are read from the file again when touched. A reader that is past
  // them keeps only what it made of them, not the file as well. Safe from several threads.
  void release(size_t begin, size_t end) const;

 private:
  void* m_data = nullptr;
  size_t m_size = 0;
};

using zrbase::fileKindName;
using zrbase::followLinks;
using zrbase::removeStaleTemporaries;
using zrbase::temporaryNamePrefix;
using zrbase::TextProducer;

// Saves the text that produce makes under path (bytes, links followed) with the safe
// writer. Returns eOk, or the status with the reason in why: eIsWriteProtected for a
// read-only file, eFileAccessErr for what is not a regular file or cannot be written,
// eOutOfDisk.
Acad::ErrorStatus saveFileSafely(const std::string& path, const TextProducer& produce,
                                 std::wstring& why);

}  // namespace zrcad
