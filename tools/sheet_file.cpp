// Reading and writing CSV and XLSX sheets.
#include "sheet_file.h"
#include "ascii_case.h"

#include <expat.h>
#include <xlsxwriter.h>
#include <zip.h>

#include <charconv>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "base/safe_file.h"
#include "base/utf8.h"

namespace fangen {

namespace {

bool allEmpty(const std::vector<std::string>& cells) {
  for (const std::string& c : cells) {
    if (!c.empty()) return false;
  }
  return true;
}

// "[name]" alone on its record: the start of a sheet.
bool sheetMarker(const std::vector<std::string>& cells, std::string& name) {
  if (cells.empty() || cells[0].size() < 2 || cells[0].front() != '[' || cells[0].back() != ']') {
    return false;
  }
  for (std::size_t i = 1; i < cells.size(); ++i) {
    if (!cells[i].empty()) return false;
  }
  name = cells[0].substr(1, cells[0].size() - 2);
  return true;
}

// ---- XLSX reading: the zip archive's parts, parsed by expat ----

// The local part of an XML name ("x:c" is "c").
std::string_view localName(const char* name) {
  const std::string_view n(name);
  const std::size_t colon = n.rfind(':');
  return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

const char* attribute(const char** attrs, std::string_view wanted) {
  for (int i = 0; attrs[i]; i += 2) {
    if (localName(attrs[i]) == wanted) return attrs[i + 1];
  }
  return nullptr;
}

// The archive's parts, read whole. A part larger than this is refused rather
// than read into memory: a sheet of a million rows is a few hundred megabytes.
constexpr zip_uint64_t kMaxPartBytes = 512ull << 20;

class Archive {
 public:
  explicit Archive(const std::string& path) : m_path(path) {
    int error = 0;
    m_zip = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (!m_zip) {
      zip_error_t e;
      zip_error_init_with_code(&e, error);
      const std::string why = zip_error_strerror(&e);
      zip_error_fini(&e);
      throw SheetError("cannot read '" + path + "' as an XLSX workbook: " + why);
    }
  }
  ~Archive() { zip_discard(m_zip); }
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;

  // The part's bytes; nothing when the archive has no such part.
  bool read(const std::string& name, std::string& out) {
    zip_stat_t st;
    if (zip_stat(m_zip, name.c_str(), 0, &st) != 0) return false;
    if (st.size > kMaxPartBytes) fail(name, "the part is larger than 512 MB");
    zip_file_t* f = zip_fopen(m_zip, name.c_str(), 0);
    if (!f) fail(name, zip_strerror(m_zip));
    out.resize(static_cast<std::size_t>(st.size));
    const zip_int64_t n = zip_fread(f, out.data(), st.size);
    zip_fclose(f);
    if (n < 0 || static_cast<zip_uint64_t>(n) != st.size) fail(name, "the part is damaged");
    return true;
  }
  [[noreturn]] void fail(const std::string& part, const std::string& why) const {
    throw SheetError("cannot read '" + m_path + "' (" + part + "): " + why);
  }

 private:
  std::string m_path;
  zip_t* m_zip = nullptr;
};

// Runs expat over text, calling the handler's start, end and text.
template <class Handler>
void parseXml(Archive& archive, const std::string& part, const std::string& text, Handler& h) {
  std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(XML_ParserCreate("UTF-8"),
                                                                      &XML_ParserFree);
  XML_SetUserData(parser.get(), &h);
  XML_SetElementHandler(
      parser.get(),
      [](void* d, const char* name, const char** attrs) {
        static_cast<Handler*>(d)->start(localName(name), attrs);
      },
      [](void* d, const char* name) { static_cast<Handler*>(d)->end(localName(name)); });
  XML_SetCharacterDataHandler(parser.get(), [](void* d, const char* s, int n) {
    static_cast<Handler*>(d)->text(std::string_view(s, static_cast<std::size_t>(n)));
  });
  if (XML_Parse(parser.get(), text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_ERROR) {
    archive.fail(part, std::string(XML_ErrorString(XML_GetErrorCode(parser.get()))) + " at line " +
                           std::to_string(XML_GetCurrentLineNumber(parser.get())));
  }
}

struct WorkbookParts {
  std::vector<std::pair<std::string, std::string>> sheets;  // name, relationship id
  void start(std::string_view name, const char** attrs) {
    if (name != "sheet") return;
    const char* n = attribute(attrs, "name");
    const char* id = attribute(attrs, "id");
    if (n && id) sheets.emplace_back(n, id);
  }
  void end(std::string_view) {}
  void text(std::string_view) {}
};

struct Relationships {
  std::map<std::string, std::string> targets;
  void start(std::string_view name, const char** attrs) {
    if (name != "Relationship") return;
    const char* id = attribute(attrs, "Id");
    const char* target = attribute(attrs, "Target");
    if (id && target) targets[id] = target;
  }
  void end(std::string_view) {}
  void text(std::string_view) {}
};

// Shared strings: each <si>'s text runs, leaving out phonetic guides (<rPh>).
struct SharedStrings {
  std::vector<std::string> strings;
  bool inText = false;
  int phonetic = 0;
  void start(std::string_view name, const char**) {
    if (name == "si") strings.emplace_back();
    if (name == "rPh") ++phonetic;
    if (name == "t") inText = true;
  }
  void end(std::string_view name) {
    if (name == "rPh") --phonetic;
    if (name == "t") inText = false;
  }
  void text(std::string_view s) {
    if (inText && phonetic == 0 && !strings.empty()) strings.back() += s;
  }
};

// "B7" to column 1 (from 0); -1 when it names none.
int columnOfReference(const char* ref) {
  int column = 0;
  bool any = false;
  for (; *ref >= 'A' && *ref <= 'Z'; ++ref) {
    column = column * 26 + (*ref - 'A' + 1);
    any = true;
    if (column > 16384) return -1;
  }
  return any ? column - 1 : -1;
}

struct SheetCells {
  const std::vector<std::string>* shared = nullptr;
  Archive* archive = nullptr;
  std::string part;
  Sheet sheet;
  SheetRow row;
  int nextRow = 1;
  int column = 0;
  std::string type, value;
  bool inValue = false, inInline = false, inText = false, inRow = false;

  void start(std::string_view name, const char** attrs) {
    if (name == "row") {
      const char* r = attribute(attrs, "r");
      row = SheetRow{r ? std::atoi(r) : nextRow, {}};
      nextRow = row.number + 1;
      column = 0;
      inRow = true;
    } else if (name == "c" && inRow) {
      const char* r = attribute(attrs, "r");
      const char* t = attribute(attrs, "t");
      if (r) {
        const int c = columnOfReference(r);
        if (c < 0) archive->fail(part, std::string("a cell named '") + r + "'");
        column = c;
      }
      type = t ? t : "n";
      value.clear();
    } else if (name == "v") {
      inValue = true;
    } else if (name == "is") {
      inInline = true;
    } else if (name == "t" && inInline) {
      inText = true;
    }
  }
  void end(std::string_view name) {
    if (name == "v") {
      inValue = false;
    } else if (name == "t") {
      inText = false;
    } else if (name == "is") {
      inInline = false;
    } else if (name == "c" && inRow) {
      std::string cell = value;
      if (type == "s") {
        const long index = std::atol(value.c_str());
        if (index < 0 || static_cast<std::size_t>(index) >= shared->size()) {
          archive->fail(part, "row " + std::to_string(row.number) + " names shared string " +
                                  value + ", which the workbook does not have");
        }
        cell = (*shared)[static_cast<std::size_t>(index)];
      } else if (type == "b") {
        cell = value == "1" ? "TRUE" : "FALSE";
      }
      if (row.cells.size() <= static_cast<std::size_t>(column)) {
        row.cells.resize(static_cast<std::size_t>(column) + 1);
      }
      row.cells[static_cast<std::size_t>(column)] = std::move(cell);
      ++column;
    } else if (name == "row") {
      inRow = false;
      if (!allEmpty(row.cells)) sheet.rows.push_back(std::move(row));
    }
  }
  void text(std::string_view s) {
    if (inValue || inText) value += s;
  }
};

std::vector<Sheet> readXlsx(const std::string& path) {
  Archive archive(path);
  std::string text;
  if (!archive.read("xl/workbook.xml", text))
    archive.fail("xl/workbook.xml", "the part is missing");
  WorkbookParts workbook;
  parseXml(archive, "xl/workbook.xml", text, workbook);
  Relationships rels;
  if (archive.read("xl/_rels/workbook.xml.rels", text)) {
    parseXml(archive, "xl/_rels/workbook.xml.rels", text, rels);
  }
  SharedStrings shared;
  if (archive.read("xl/sharedStrings.xml", text)) {
    parseXml(archive, "xl/sharedStrings.xml", text, shared);
  }
  std::vector<Sheet> out;
  for (const auto& [name, id] : workbook.sheets) {
    const auto target = rels.targets.find(id);
    if (target == rels.targets.end())
      archive.fail("xl/workbook.xml", "sheet " + name + " has no part");
    std::string part = target->second;
    part = part.rfind('/', 0) == 0 ? part.substr(1) : "xl/" + part;
    if (!archive.read(part, text)) archive.fail(part, "the sheet's part is missing");
    SheetCells cells;
    cells.shared = &shared.strings;
    cells.archive = &archive;
    cells.part = part;
    cells.sheet.name = name;
    parseXml(archive, part, text, cells);
    out.push_back(std::move(cells.sheet));
  }
  return out;
}

// ---- writing ----

std::string numberText(double v) {
  char buffer[32];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
  return std::string(buffer, r.ptr);
}

std::string csvCell(const Value& v) {
  if (const auto* i = std::get_if<long long>(&v)) return std::to_string(*i);
  if (const auto* d = std::get_if<double>(&v)) return numberText(*d);
  const std::string* s = std::get_if<std::string>(&v);
  if (!s) return {};
  const bool quote = s->find_first_of(",\"\r\n") != std::string::npos ||
                     (!s->empty() && (s->front() == ' ' || s->back() == ' ' || s->front() == '['));
  if (!quote) return *s;
  std::string out = "\"";
  for (char c : *s) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string csvText(const std::vector<OutSheet>& sheets) {
  // The byte order mark makes spreadsheet programs read the file as UTF-8.
  std::string out = "\xEF\xBB\xBF";
  for (std::size_t s = 0; s < sheets.size(); ++s) {
    if (s > 0) out += "[" + sheets[s].name + "]\r\n";
    for (const auto& row : sheets[s].rows) {
      for (std::size_t c = 0; c < row.size(); ++c) {
        if (c) out += ',';
        out += csvCell(row[c]);
      }
      out += "\r\n";
    }
  }
  return out;
}

void fillXlsx(const std::string& path, const std::vector<OutSheet>& sheets) {
  lxw_workbook* wb = workbook_new(path.c_str());
  if (!wb) throw SheetError("cannot make the workbook '" + path + "'");
  lxw_format* bold = workbook_add_format(wb);
  format_set_bold(bold);
  for (const OutSheet& sheet : sheets) {
    lxw_worksheet* ws = workbook_add_worksheet(wb, sheet.name.c_str());
    if (!ws) {
      workbook_close(wb);
      throw SheetError("cannot add the sheet '" + sheet.name + "'");
    }
    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
      const auto row = static_cast<lxw_row_t>(r);
      for (std::size_t c = 0; c < sheet.rows[r].size(); ++c) {
        const auto col = static_cast<lxw_col_t>(c);
        const Value& v = sheet.rows[r][c];
        lxw_format* format = r == 0 ? bold : nullptr;
        if (const auto* i = std::get_if<long long>(&v)) {
          worksheet_write_number(ws, row, col, static_cast<double>(*i), format);
        } else if (const auto* d = std::get_if<double>(&v)) {
          worksheet_write_number(ws, row, col, *d, format);
        } else if (const auto* s = std::get_if<std::string>(&v)) {
          worksheet_write_string(ws, row, col, s->c_str(), format);
        }
      }
    }
    if (!sheet.rows.empty()) {
      worksheet_set_column(ws, 0, static_cast<lxw_col_t>(sheet.rows[0].size()), 14, nullptr);
    }
  }
  const lxw_error e = workbook_close(wb);
  if (e != LXW_NO_ERROR) {
    throw SheetError("cannot write the workbook '" + path + "': " + lxw_strerror(e));
  }
}

}  // namespace

std::string columnLetters(std::size_t index) {
  std::string out;
  for (std::size_t n = index + 1; n > 0; n = (n - 1) / 26) {
    out.insert(out.begin(), static_cast<char>('A' + (n - 1) % 26));
  }
  return out;
}

SheetFormat sheetFormatOf(const std::string& path) {
  const std::string lower = lowerAscii(path);
  auto endsWith = [&lower](const char* ext) {
    const std::string e(ext);
    return lower.size() > e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0;
  };
  if (endsWith(".csv")) return SheetFormat::Csv;
  if (endsWith(".xlsx")) return SheetFormat::Xlsx;
  throw SheetError("'" + path + "': a sheet file is named .csv or .xlsx");
}

std::vector<Sheet> readCsv(const std::string& path, const std::string& input) {
  std::string_view text(input);
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<Sheet> sheets(1);
  std::vector<std::string> cells(1);
  bool quoted = false, wasQuoted = false;
  int record = 1, line = 1;
  auto finish = [&]() {
    std::string name;
    if (sheetMarker(cells, name)) {
      sheets.push_back({name, {}});
    } else if (!allEmpty(cells)) {
      sheets.back().rows.push_back({record, std::move(cells)});
    }
    ++record;
    cells.assign(1, std::string());
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        cells.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        if (c == '\n') ++line;
        cells.back() += c;
      }
    } else if (c == '"' && cells.back().empty() && !wasQuoted) {
      quoted = wasQuoted = true;
    } else if (c == ',') {
      cells.emplace_back();
      wasQuoted = false;
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      continue;
    } else if (c == '\n' || c == '\r') {
      ++line;
      finish();
      wasQuoted = false;
    } else if (wasQuoted) {
      throw SheetError("'" + path + "' line " + std::to_string(line) +
                       ": text after a quoted cell's closing quote");
    } else {
      cells.back() += c;
    }
  }
  if (quoted) {
    throw SheetError("'" + path + "' line " + std::to_string(line) +
                     ": a quoted cell is not closed by the end of the file");
  }
  finish();
  if (sheets.front().rows.empty() && sheets.size() > 1) sheets.erase(sheets.begin());
  for (auto& sheet : sheets) {
    for (auto& row : sheet.rows) {
      std::string bad;
      for (const std::string& cell : row.cells) {
        if (zrbase::sanitizeUtf8(cell) != cell) bad = cell;
      }
      if (!bad.empty()) {
        throw SheetError("'" + path + "' row " + std::to_string(row.number) +
                         ": the text is not UTF-8 (save the file as \"CSV UTF-8\")");
      }
    }
  }
  return sheets;
}

std::vector<Sheet> readWorkbook(const std::string& path) {
  if (sheetFormatOf(path) == SheetFormat::Xlsx) return readXlsx(path);
  std::ifstream in(path, std::ios::binary);
  if (!in) throw SheetError("cannot open '" + path + "'");
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw SheetError("cannot read '" + path + "'");
  return readCsv(path, text.str());
}

void writeWorkbook(const std::string& path, const std::vector<OutSheet>& sheets) {
  std::wstring why;
  zrbase::SaveStatus status;
  if (sheetFormatOf(path) == SheetFormat::Csv) {
    status = zrbase::saveFileSafely(path, csvText(sheets), why, L"a CSV file");
  } else {
    std::string failed;
    status = zrbase::saveFileByName(
        path,
        [&](const std::string& temporary, std::wstring&) {
          try {
            fillXlsx(temporary, sheets);
            return 0;
          } catch (const SheetError& e) {
            failed = e.what();
            return -1;
          }
        },
        why, L"an XLSX file");
    if (!failed.empty()) throw SheetError(failed);
  }
  if (status != zrbase::SaveStatus::ok) {
    throw SheetError("cannot write '" + path + "': " + zrbase::wideToUtf8(why));
  }
}

}  // namespace fangen
