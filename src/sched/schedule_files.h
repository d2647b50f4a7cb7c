// The schedule as a file: CSV (UTF-8 with a byte order mark, so spreadsheet
// programs read Chinese texts right; fields quoted as RFC 4180 says) or XLSX
// (one sheet, written by libxlsxwriter; numbers stay texts, as the table
// shows them). Both go through the safe writer (base/safe_file.h).
#pragma once

#include <string>
#include <vector>

#include "base/cstring.h"

namespace sched {

std::string ScheduleCsv(const std::vector<std::vector<CString>>& cells);

// Writes the cells to path, as XLSX when its name ends in .xlsx (any letter
// case), else as CSV. Returns "" or why not.
CString WriteScheduleFile(const CString& path, const std::vector<std::vector<CString>>& cells);

bool IsXlsxName(const CString& path);

}  // namespace sched
