// Drawing files on disk: reading one whole, and saving one without losing the old file, the
// links to it, its mode or its owner.
//
// A save goes to the file a chain of symbolic links leads to, never replaces the links.
// Only a regular file that may be written is saved over; anything else (a device, a FIFO, a
// folder, a read-only file) is refused before anything is written. The new text is written
// to a temporary file beside the target and renamed over it, so readers see the old file or
// the whole new one, and a failed save leaves the old file as it was. The temporary file
// takes the target's mode and owner first. When the rename would break something the user
// has (a hard link to the file, an owner this process cannot give the new file) or when no
// temporary file can be made beside it (a folder we may not write), the text is made in
// memory and written into the file itself: its space is reserved before the first byte
// changes, so a full disk fails the save with the old text intact.
//
// Temporary files are named ".NAME.fancad-tmp-PID-XXXXXX" beside the target (NAME shortened
// with a hash of it when the whole would be too long for a name). A save or read of that
// drawing removes those whose process is gone, which is what a killed save leaves.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

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
  // Gives back the memory of the text before offset (whole pages of it): the text stays
  // readable, its pages are read from the file again when touched. A reader that is past
  // them keeps only what it made of them, not the file as well.
  void release(size_t offset);

 private:
  void* m_data = nullptr;
  size_t m_size = 0;
  size_t m_released = 0;
};

// Writes the whole text, piece by piece, to the function it is given.
using TextProducer = std::function<void(const std::function<void(std::string_view)>& sink)>;

// Saves the text that produce makes under path (bytes, links followed) as described above.
// Returns eOk, or the status with the reason in why: eIsWriteProtected for a read-only
// file, eFileAccessErr for what is not a regular file or cannot be written, eOutOfDisk.
Acad::ErrorStatus saveFileSafely(const std::string& path, const TextProducer& produce,
                                 std::wstring& why);

// The file path leads to through symbolic links (path itself when it is none); a link to
// nothing leads to the name it holds. False (why set) for a loop of links.
bool followLinks(const std::string& path, std::string& target, std::wstring& why);

// What a file that is not a regular file is, for messages ("a FIFO", "a folder", ...).
std::wstring fileKindName(mode_t mode);

// The name a temporary file of a save of path starts with, in the same folder.
std::string temporaryNamePrefix(const std::string& path);
// Removes, beside path, the temporary files of saves of path whose process is gone.
void removeStaleTemporaries(const std::string& path);

}  // namespace zrcad
