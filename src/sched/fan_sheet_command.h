// FANSHEET: a placed fan's data sheet, the page FANDUTY writes for a
// candidate, as one A4 PDF.
//
//   FANSHEET  选择要输出数据表的风机:  (a fan selected before the command,
//     when it is the one fan selected, is taken without asking, as FANEDIT)
//   数据表文件 <F-1.pdf>:  the default is the fan's tag beside the drawing
//     (in the current folder for a drawing not yet saved); ".pdf" is added to
//     a name without it.
//
// The model is the fan's record's (for a fan placed before records, its Model
// entry read against the catalogue). The page shows it at the duty its record
// asked for, the operating point on its curve as FANDUTY computes it; without
// a recorded duty, or one the model does not reach, at its rated point (the
// catalogue's most efficient row), and says so. The outline is the placed
// block's, the fan's own view, hand and angle; the accessories the catalogue's.
#pragma once

#include <optional>
#include <utility>

#include "duty/duty_catalogue.h"

void FanSheetCommand();

// The duty at which a model is rated: flow (m³/h) and total pressure (Pa) of
// its most efficient row (the first of equals, or the first row when none
// gives an efficiency); a range row's is the middle of its box. nullopt when
// no row has both.
std::optional<std::pair<double, double>> RatedDuty(const duty::CatalogueModel& model);
