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
};

struct TableChoiceResult {
  enum class Outcome { NotShown, Cancelled, Chosen };
  Outcome outcome = Outcome::NotShown;
  std::size_t row = 0;
};

}  // namespace winplat
