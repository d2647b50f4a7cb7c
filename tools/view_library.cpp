// The view drawings of a catalogue plan, and writing them.
#include "view_library.h"

#include <filesystem>
#include <set>
#include <tuple>

#include "base/file_functions.h"
#include "drawings/view_names.h"
#include "fan_views.h"
#include "view_drawing.h"

namespace fangen {

namespace {

// The path the module opens for fileName in the library folder dir, as this system's file
// API takes it.
std::string libraryPath(const std::string& dir, const CString& fileName) {
  return zrbase::nativePath(ViewDrawingPath(CString(zrbase::pathFromBytes(dir)), fileName));
}

}  // namespace

std::string ViewDrawingSpec::model() const {
  return ViewDrawingBaseName(CString::FromUtf8(series), CString::FromUtf8(fanNoText(fanNo)),
                             CString::FromUtf8(driveMode))
      .ToUtf8();
}

std::string viewDrawingPath(const std::string& dir, const ViewDrawingSpec& drawing) {
  return libraryPath(dir, ViewDrawingFileName(CString::FromUtf8(drawing.model())));
}

std::string viewDrawingFolder(const std::string& dir) {
  return std::filesystem::path(libraryPath(dir, CString())).parent_path().string();
}

std::vector<ViewDrawingSpec> viewDrawings(const CataloguePlan& plan) {
  std::vector<ViewDrawingSpec> specs;
  std::set<std::tuple<std::string, std::string, std::string>> seen;
  for (const SeriesSpec& s : plan.series) {
    for (double fanNo : s.fanNos) {
      for (const DriveSpec& d : s.drives) {
        // The same sizes the catalogue writer gives models to, and only those with a speed.
        if (fanNo < d.minFanNo || fanNo > d.maxFanNo || d.speeds.empty()) continue;
        if (!seen.insert({s.name, fanNoText(fanNo), d.mode}).second) continue;
        specs.push_back({s.name, fanNo, d.mode, driveKind(d)});
      }
    }
  }
  return specs;
}

LibraryCounts writeViewDrawing(const std::string& path, const ViewDrawingSpec& drawing) {
  const FanShape shape = fanShape(drawing.series, drawing.fanNo, drawing.drive);
  const std::string model = drawing.model();
  ViewDrawingBuilder builder;
  LibraryCounts counts;
  for (int angle : outletAngles(drawing.drive, drawing.fanNo)) {
    const FanLayout layout = fanLayout(shape, angle);
    for (View view : kAllViews) {
      for (Hand hand : kAllHands) {
        builder.addBlock(viewBlockName(view, hand, angle), viewSketch(view, hand, layout, model));
        ++counts.blocks;
      }
    }
  }
  builder.save(path);
  counts.drawings = 1;
  counts.entities = builder.entityCount();
  return counts;
}

LibraryCounts writeViewLibrary(const std::string& dir, const CataloguePlan& plan) {
  const std::string folder = viewDrawingFolder(dir);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) throw DrawingError("cannot make the folder '" + folder + "': " + ec.message());
  LibraryCounts total;
  for (const ViewDrawingSpec& drawing : viewDrawings(plan)) {
    const LibraryCounts c = writeViewDrawing(viewDrawingPath(dir, drawing), drawing);
    total.drawings += c.drawings;
    total.blocks += c.blocks;
    total.entities += c.entities;
  }
  return total;
}

}  // namespace fangen
