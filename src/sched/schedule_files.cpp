// Writing the schedule as CSV or XLSX.
#include "sched/schedule_files.h"

#include <xlsxwriter.h>

#include <cerrno>

#include "base/file_functions.h"
#include "base/safe_file.h"

namespace sched {

namespace {

std::string csvField(const CString& text) {
  std::string s = zrbase::wideToUtf8(text.str());
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string quoted = "\"";
  for (char c : s) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

// Writes the workbook at the temporary path the safe writer gives.
int fillXlsx(const std::string& path, const std::vector<std::vector<CString>>& cells,
             std::wstring& why) {
  lxw_workbook* book = workbook_new(path.c_str());
  if (book == nullptr) return errno ? errno : EIO;
  lxw_worksheet* sheet = workbook_add_worksheet(book, "Schedule");
  lxw_format* bold = workbook_add_format(book);
  format_set_bold(bold);
  for (size_t r = 0; r < cells.size(); ++r)
    for (size_t c = 0; c < cells[r].size(); ++c)
      worksheet_write_string(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c),
                             zrbase::wideToUtf8(cells[r][c].str()).c_str(),
                             r == 0 ? bold : nullptr);
  const lxw_error error = workbook_close(book);
  if (error == LXW_NO_ERROR) return 0;
  why = zrbase::utf8ToWide(lxw_strerror(error));
  return -1;
}

}  // namespace

std::string ScheduleCsv(const std::vector<std::vector<CString>>& cells) {
  std::string csv = "\xEF\xBB\xBF";
  for (const auto& row : cells) {
    for (size_t c = 0; c < row.size(); ++c) csv += (c ? "," : "") + csvField(row[c]);
    csv += "\r\n";
  }
  return csv;
}

bool IsXlsxName(const CString& path) {
  const int n = path.GetLength();
  return n >= 5 && path.Mid(n - 5).CompareNoCase(L".xlsx") == 0;
}

CString WriteScheduleFile(const CString& path, const std::vector<std::vector<CString>>& cells) {
  const std::string target = zrbase::nativePath(path.str());
  std::wstring why;
  zrbase::SaveStatus status;
  if (IsXlsxName(path)) {
    status = zrbase::saveFileByName(
        target,
        [&cells](const std::string& temporary, std::wstring& reason) {
          return fillXlsx(temporary, cells, reason);
        },
        why, L"a schedule file");
  } else {
    status = zrbase::saveFileSafely(target, ScheduleCsv(cells), why, L"a schedule file");
  }
  if (status == zrbase::SaveStatus::ok) return CString();
  return why.empty() ? CString(L"the file cannot be written") : CString(why);
}

}  // namespace sched
