// Saving a file without losing the old one, the links to it, its mode or its owner: the one
// writer of every file the program makes (drawings, tables, charts, pictures, catalogues).
//
// A save goes to the file a chain of symbolic links leads to, never replaces the links.
// Only a regular file that may be written is saved over; anything else (a device, a FIFO, a
// folder, a read-only file) is refused before anything is written, so a FIFO never blocks
// the program and a device is never replaced. The new content is written to a temporary
// file beside the target, created with a random name that must not exist (a link planted
// under a guessable name is never followed), and renamed over it: readers see the old file
// or the whole new one, and a failed save leaves the old file as it was. The temporary file
// takes the target's mode and owner first. When the rename would break something the user
// has (a hard link to the file, an owner this process cannot give the new file) or when no
// temporary file can be made beside it (a folder we may not write), the content is made in
// memory and written into the file itself: its space is reserved before the first byte
// changes, so a full disk fails the save with the old content intact.
//
// Temporary files are named ".NAME.fancad-tmp-PID-XXXXXX" beside the target (NAME shortened
// with a hash of it when the whole would be too long for a name). A save or read of that
// file removes those whose process is gone, which is what a killed save leaves.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

namespace zrbase {

enum class SaveStatus {
  ok,
  writeProtected,  // the file is read-only
  accessError,     // not a regular file, or it cannot be written
  outOfDisk,
};

// Thrown by a producer that finds it cannot make the whole content: the save stops, the
// old file stays as it was, and the reason is the save's why.
struct SaveAborted {
  std::wstring why;
};

// Writes the whole content, piece by piece, to the function it is given; it may throw
// SaveAborted.
using TextProducer = std::function<void(const std::function<void(std::string_view)>& sink)>;

// Saves what produce makes under path (bytes, links followed) as described above. Returns
// ok, or the status with the reason in why. noun names what the file should be in the
// refusal of something else ("it is a FIFO, not a drawing file").
SaveStatus saveFileSafely(const std::string& path, const TextProducer& produce, std::wstring& why,
                          std::wstring_view noun = L"a regular file");
SaveStatus saveFileSafely(const std::string& path, std::string_view content, std::wstring& why,
                          std::wstring_view noun = L"a regular file");

// For files that a library writes itself by name (a database): fill makes the whole new
// file at the temporary path it is given and returns 0, or an errno value (or -1, with why
// set) when it fails. The target is refused and replaced as saveFileSafely does; a failed
// fill leaves nothing behind.
using FileFiller = std::function<int(const std::string& temporary, std::wstring& why)>;
SaveStatus saveFileByName(const std::string& path, const FileFiller& fill, std::wstring& why,
                          std::wstring_view noun = L"a regular file");

// The file path leads to through symbolic links (path itself when it is none); a link to
// nothing leads to the name it holds. False (why set) for a loop of links.
bool followLinks(const std::string& path, std::string& target, std::wstring& why);

// What a file that is not a regular file is, for messages ("a FIFO", "a folder", ...).
std::wstring fileKindName(mode_t mode);

// The name a temporary file of a save of path starts with, in the same folder.
std::string temporaryNamePrefix(const std::string& path);
// Removes, beside path, the temporary files of saves of path whose process is gone.
void removeStaleTemporaries(const std::string& path);

}  // namespace zrbase
