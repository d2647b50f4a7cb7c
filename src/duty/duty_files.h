// Writing FANDUTY's files (the table as CSV, a chart as SVG).
#pragma once

#include <string>

#include "base/cstring.h"

namespace duty {

// Writes content to path (UTF-8; '\' taken as '/') with the platform's safe
// writer: the path holds either its old content or all of the new, links are
// followed, and what is not a writable regular file is refused. Returns an
// empty text, or why it failed.
CString writeFileAtomically(const CString& path, const std::string& content);

// The absolute form of path, for telling the user where a file went.
CString absolutePath(const CString& path);

}  // namespace duty
