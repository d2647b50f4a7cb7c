// Sheets of cells read from and written to CSV and XLSX files.
//
// A workbook is a list of named sheets; a sheet is rows of cells, each row
// with its number in the file (the spreadsheet's row number; for CSV the
// record's, counting from 1 at the first record) so that a report can name
// it. Reading gives every cell as text: an XLSX number as the digits the file
// holds, a shared or inline string as its text. Rows whose cells are all empty
// are left out. The file format follows the name's extension (.csv or .xlsx,
// any letter case).
//
// CSV is UTF-8 (a byte order mark is skipped), comma separated, with RFC 4180
// quoting. One CSV file holds several sheets: a record whose first cell is
// "[name]" and whose other cells are empty starts the sheet `name`; the
// records before the first such line are the first sheet, named "".
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue_writer.h"

namespace fangen {

class SheetError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct SheetRow {
  int number = 0;  // in the file, from 1
  std::vector<std::string> cells;
};

struct Sheet {
  std::string name;
  std::vector<SheetRow> rows;
};

enum class SheetFormat { Csv, Xlsx };

// By the file name's extension; throws SheetError for any other.
SheetFormat sheetFormatOf(const std::string& path);

// Throws SheetError naming the file and the reason.
std::vector<Sheet> readWorkbook(const std::string& path);
std::vector<Sheet> readCsv(const std::string& path, const std::string& text);

// A sheet to write: cells are values (NULL an empty cell, numbers as numbers).
struct OutSheet {
  std::string name;
  std::vector<std::vector<Value>> rows;
};

// Writes through the safe writer (base/safe_file.h). CSV numbers are written in
// the shortest form that reads back as the same double; XLSX numbers carry the
// 16 significant digits the format's writers use. Throws SheetError.
void writeWorkbook(const std::string& path, const std::vector<OutSheet>& sheets);

// "A", "B", ..., "Z", "AA": the spreadsheet's name of the column at index (from 0).
std::string columnLetters(std::size_t index);

}  // namespace fangen
