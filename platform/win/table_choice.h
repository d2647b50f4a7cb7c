// TableChoice: a table of rows, each with a picture, from which the user
// picks one; the desktop shows it in a window (UiService::chooseFromTable),
// the console has no such window and the command asks at its prompt instead.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "win/vector_picture.h"

namespace winplat {

// A filter the window offers above the table. Only: a tick box that, ticked,
// keeps the rows rows marks; Range: two bounds on the number in column (either
// may be left empty); AtMost: an upper bound on it. A row whose cell holds no
// number is hidden while a bound is given, as it cannot be shown to lie within.
struct TableFilter {
  enum class Kind { Only, Range, AtMost };
  Kind kind = Kind::Only;
  std::wstring label;
  std::size_t column = 0;  // Range, AtMost
  std::vector<bool> rows;  // Only: per row, kept when ticked
};

// A second action on the selected row beside the picture's (a document of
// it, say): the button's label, the kind of file and the writer.
struct TableRowFile {
  std::wstring label;      // the button's
  std::wstring extension;  // without the dot, e.g. "pdf"
  // Writes the row's file; returns "" or why it could not.
  std::function<std::wstring(std::size_t row, const std::wstring& file)> write;
};

struct TableChoice {
  std::wstring title;    // the window's caption
  std::wstring heading;  // a line above the table
  std::vector<std::wstring> columns;
  std::vector<bool> rightAligned;  // per column
  std::vector<std::vector<std::wstring>> rows;
  std::vector<bool> marked;  // per row: rows to set apart (and why in tooltip)
  std::wstring markedTip;
  std::wstring chooseLabel;  // the button that picks the selected row
  // The picture of a row.
  std::function<VectorPicture(std::size_t row)> picture;
  // Writes the picture of a row to a file (the kind by its extension);
  // returns "" or why it could not.
  std::function<std::wstring(std::size_t row, const std::wstring& file)> savePicture;
  // The file name offered when saving a row's picture, without extension.
  std::function<std::wstring(std::size_t row)> pictureName;
  // Per column: sorted by the number its cells begin with (cells without
  // one last) rather than by text. Empty: the right-aligned columns.
  std::vector<bool> numeric;
  std::vector<TableFilter> filters;
  // None when its writer is empty.
  TableRowFile rowFile;
};

struct TableChoiceResult {
  enum class Outcome { NotShown, Cancelled, Chosen };
  Outcome outcome = Outcome::NotShown;
  std::size_t row = 0;
};

}  // namespace winplat
