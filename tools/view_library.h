// The drawing library of a catalogue: one view drawing for every series, fan number and
// drive mode the catalogue has models of, in the Fan folder, named as the fan dialog looks
// them up (4-72No4.5A.dwg).
#pragma once

#include <string>
#include <vector>

#include "fan_layout.h"
#include "sample_catalogue.h"

namespace fangen {

struct ViewDrawingSpec {
  std::string series;
  double fanNo = 0;
  std::string driveMode;
  DriveKind drive = DriveKind::Direct;

  // "4-72No4.5A" (the module's ViewDrawingBaseName): the file name without its extension,
  // and the MODEL attribute's default.
  std::string model() const;
};

// Where the fan dialog looks the drawing up in the library folder dir, by the module's own
// ViewDrawingPath: dir/Fan/4-72No4.5A.dwg.
std::string viewDrawingPath(const std::string& dir, const ViewDrawingSpec& drawing);
// The folder of the view drawings in the library folder dir: dir/Fan.
std::string viewDrawingFolder(const std::string& dir);

// The distinct series, fan number and drive mode of the plan's models, in the order the
// catalogue lists them.
std::vector<ViewDrawingSpec> viewDrawings(const CataloguePlan& plan);

struct LibraryCounts {
  int drawings = 0;
  long blocks = 0;
  long entities = 0;
};

// Writes one view drawing: for each outlet angle of the fan, both hands, three views.
// Returns the counts of that drawing. Throws DrawingError when it cannot be written.
LibraryCounts writeViewDrawing(const std::string& path, const ViewDrawingSpec& drawing);

// Writes viewDrawingPath() for every view drawing of the plan, making the folders; an
// existing file of the same name is replaced whole. Throws DrawingError (nothing is left
// half written: each file is saved whole or not at all).
LibraryCounts writeViewLibrary(const std::string& dir, const CataloguePlan& plan);

}  // namespace fangen
