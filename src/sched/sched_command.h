// FANSCHED, the equipment schedule of the drawing's fans, and the renumbering
// of copied fans' tags.
//
//   FANSCHED  Schedule: pick insertion point or [Csv/Xlsx] <update>:
//     a point: the table (block FAN_SCHEDULE) is made anew there; a table
//       already in the drawing moves there and keeps its reference;
//     Enter: the table already in the drawing is made anew where it is;
//     C or X: "Schedule file:" asks for a file name (.csv or .xlsx added
//       when it has neither) and the schedule is written there.
//   With the host setting FANSCHEDFILE (fancad --schedule FILE) the command
//   asks nothing and writes the file it names, as CSV or as XLSX by its
//   extension; when that fails it leaves the reason in the setting
//   FANSCHEDERROR.
#pragma once

#include <vector>

#include "base/cstring.h"
#include "cad/acdb.h"

inline constexpr const ACHAR* kScheduleFileSetting = L"FANSCHEDFILE";
inline constexpr const ACHAR* kScheduleErrorSetting = L"FANSCHEDERROR";

void FanSchedCommand();

// The schedule of the drawing's fans as cells (the heading row first),
// filled from the catalogue of the data library.
std::vector<std::vector<CString>> DrawingScheduleCells(AcDbDatabase* pDb);

// While started, every COPY is followed by the renumbering of the copies'
// tags (drawings/fan_tags.h), in the same undo step.
void StartTagRenumbering();
void StopTagRenumbering();
