// The schedule's rows from the module.
#include "desktop_schedule.h"

#include <dlfcn.h>

#include <vector>

#include "base/cstring.h"
#include "base/file_functions.h"
#include "cad/acdb.h"
#include "cad/runtime/dynamic_linker.h"
#include "cad/runtime/guarded_call.h"

namespace fancad {

namespace {

// The module exports it with its C++ signature, as it does InsertBlock:
// std::vector<std::vector<CString>> DrawingScheduleCells(AcDbDatabase*).
// A module whose function has another signature has another name here, and
// so no schedule, rather than a call through the wrong type.
constexpr const char* kScheduleSymbol = "_Z20DrawingScheduleCellsP12AcDbDatabase";
using ScheduleFn = std::vector<std::vector<CString>> (*)(AcDbDatabase*);

}  // namespace

std::optional<zrgui::SchedulePanel::Cells> moduleScheduleCells() {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (!db) return std::nullopt;
  for (const std::wstring& path : AcRxDynamicLinker::instance()->loadedModules()) {
    // RTLD_NOLOAD: only a module loaded already, which this handle keeps
    // loaded until the call is over.
    void* dl = ::dlopen(zrbase::nativePath(path.c_str()).c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!dl) continue;
    const auto fn = reinterpret_cast<ScheduleFn>(::dlsym(dl, kScheduleSymbol));
    std::optional<zrgui::SchedulePanel::Cells> cells;
    if (fn) {
      cadrt::guardedCall(L"the schedule of " + path, [&] {
        zrgui::SchedulePanel::Cells rows;
        for (const std::vector<CString>& row : fn(db)) {
          QStringList texts;
          for (const CString& cell : row) texts << QString::fromStdWString(cell.str());
          rows.push_back(texts);
        }
        cells = std::move(rows);
      });
    }
    ::dlclose(dl);
    if (fn) return cells;
  }
  return std::nullopt;
}

}  // namespace fancad
