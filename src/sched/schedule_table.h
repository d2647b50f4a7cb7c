// The schedule as a table: its cells' texts (shared by the drawing's table and
// the CSV and XLSX files, so the three always agree) and the table's layout
// as lines and texts, placed in the drawing as the block FAN_SCHEDULE.
//
// Layout, in drawing units from the table's top left corner (the block's
// origin): a heading row and one row per fan, each kRowHeight high; each
// column as wide as its longest text (East Asian characters count two
// columns) plus a margin; texts left-aligned kTextHeight high, centred in
// their rows. The block holds one horizontal line per row boundary and one
// vertical per column boundary, then the texts row by row.
#pragma once

#include <string>
#include <vector>

#include "cad/acdb.h"
#include "sched/schedule.h"

namespace sched {

inline constexpr const ACHAR* kScheduleBlock = L"FAN_SCHEDULE";
inline constexpr double kTextHeight = 50;
inline constexpr double kRowHeight = 2 * kTextHeight;

// The heading row and one row of texts per schedule row.
std::vector<std::vector<CString>> ScheduleCells(const std::vector<ScheduleRow>& rows);

struct TableText {
  AcGePoint3d position;  // left end of the baseline
  CString text;
};
struct TableLine {
  AcGePoint3d from;
  AcGePoint3d to;
};
struct TableLayout {
  std::vector<TableLine> lines;
  std::vector<TableText> texts;  // empty cells have none
  double width = 0;
  double height = 0;
};

TableLayout LayOutTable(const std::vector<std::vector<CString>>& cells);

// Puts the layout into the drawing as the definition of FAN_SCHEDULE (made,
// or emptied and filled again) and keeps one reference to it in the model
// space: the first one there, moved to *at when given, or a new one at *at.
// Returns the reference's id; null (why set) when nothing was placed: no
// point and no reference yet, or a table that could not be written.
AcDbObjectId PlaceScheduleBlock(AcDbDatabase* pDb, const TableLayout& layout, const AcGePoint3d* at,
                                CString& why);

}  // namespace sched
