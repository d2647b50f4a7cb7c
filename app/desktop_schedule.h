// The desktop's schedule panel asks the loaded fan module for its rows.
#pragma once

#include "gui/schedule_panel.h"

namespace fancad {

// The cells of FANSCHED's schedule of the working drawing, from the first
// loaded module that exports DrawingScheduleCells (src/sched/sched_command.h);
// nullopt when none does (no module loaded, or one that makes no schedules).
std::optional<zrgui::SchedulePanel::Cells> moduleScheduleCells();

}  // namespace fancad
