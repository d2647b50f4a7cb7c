// The candidates of a duty selection as a table: lines for the command line
// (columns aligned for a terminal, Chinese characters two columns wide) and
// the same table as CSV.
//
// Every cell of the command-line table holds text ("-" where there is no
// value) and cells are separated by at least two blanks, so a reader can
// split a line on runs of blanks. In the CSV an absent value is an empty
// field.
#pragma once

#include <string>
#include <vector>

#include "base/cstring.h"
#include "duty/duty_catalogue.h"
#include "duty/duty_selection.h"

namespace duty {

// The table's cells as the command line shows them ("-" where there is no
// value), one row per candidate in ranked order, for other views of the
// same table.
struct ListingTable {
  std::vector<CString> headings;
  std::vector<bool> rightAligned;
  std::vector<std::vector<CString>> rows;
};
ListingTable listingTable(const DutyCatalogue& catalogue, const DutySelection& selection);

// The lines before the table: the duty point, the air and its density.
std::vector<CString> conditionLines(const DutySelection& selection);
// The table with its heading row, or the line that says no model reaches the
// duty point.
std::vector<CString> tableLines(const DutyCatalogue& catalogue, const DutySelection& selection);
// The assumptions behind the assessment's columns (motor, drive, category,
// the rules' editions, the sound method), once for the whole table; none
// without candidates.
std::vector<CString> assumptionLines(const DutySelection& selection);
// What kept series or models out of the selection, and what listed series lack.
std::vector<CString> noteLines(const DutyCatalogue& catalogue, const DutySelection& selection);

// The table as CSV in UTF-8 with a byte-order mark (so that spreadsheet
// programs take the Chinese headings as UTF-8), lines ended by CR LF.
std::string csvText(const DutyCatalogue& catalogue, const DutySelection& selection);

// How many terminal columns the text takes: two for East Asian wide
// characters, one for the others.
int displayWidth(const std::wstring& text);

}  // namespace duty
