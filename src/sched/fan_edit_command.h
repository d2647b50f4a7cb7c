// FANEDIT: a placed fan reopened in the FAN dialog on its own model and
// replaced in place.
//
//   FANEDIT  选择要修改的风机:  (a fan selected before the command, when it is
//     the one fan selected, is taken without asking; a selection holding no fan
//     or several is asked for again, an empty one ends the command)
//   The dialog opens on the fan's series, fan number, drive mode and speed
//   (its record's, or for a fan placed before records, its Model entry's as
//   the catalogue names them), its view, hand and outlet angle (its placed
//   block's name; the view from PLAN when the name says nothing), and the
//   duty its record asked for. 布置 replaces the fan in place and ends the
//   dialog (CFanDlg::SetFanToReplace); the whole command is one undo step.
//   Cancelling the dialog changes nothing.
#pragma once

#include <optional>
#include <vector>

#include "base/cstring.h"
#include "drawings/view_names.h"
#include "sched/schedule.h"

void FanEditCommand();

// The model a placement's Model entry names: the catalogue's model whose
// label (drawings/view_names.h ModelLabel) it is, so that series and drive
// modes holding "No" or "_" are read right; else what ParseModelEntry reads.
std::optional<sched::ModelKey> ModelOfEntry(const CString& entry,
                                            const std::vector<sched::ModelKey>& catalogue);

// The view, hand and angle of a placed block's name; without a view block
// name at its end, the view PLAN gives ("0" front, else side), left hand,
// angle 0.
PlacedView ViewOfPlacedFan(const CString& blockName, const CString& plan);
