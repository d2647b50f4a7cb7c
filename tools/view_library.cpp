// The view drawings of a catalogue plan, and writing them.
#include "view_library.h"

#include <filesystem>
#include <set>
#include <tuple>

#include "fan_views.h"
#include "view_drawing.h"

namespace fangen {

std::string ViewDrawingSpec::model() const { return series + "No" + fanNoText(fanNo) + driveMode; }

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
  const std::filesystem::path folder = std::filesystem::path(dir) / "Fan";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) throw DrawingError("cannot make the folder '" + folder.string() + "': " + ec.message());
  LibraryCounts total;
  for (const ViewDrawingSpec& drawing : viewDrawings(plan)) {
    const LibraryCounts c = writeViewDrawing((folder / drawing.fileName()).string(), drawing);
    total.drawings += c.drawings;
    total.blocks += c.blocks;
    total.entities += c.entities;
  }
  return total;
}

}  // namespace fangen
