// The sample catalogue and the large benchmark catalogue: what they hold and how they are written.
#pragma once

#include <string>
#include <vector>

#include "catalogue_writer.h"
#include "fan_performance.h"

namespace fangen {

struct DriveSpec {
  std::string mode;  // "A", "C", "D", "直联", "皮带", ...
  bool belt = false;
  std::vector<int> speeds;  // r/min, one model per speed
  double minFanNo = 0;      // the sizes this drive is built for
  double maxFanNo = 1e9;
};

struct SeriesSpec {
  std::string name;
  TableStyle style = TableStyle::Point;
  FanCurve curve;
  std::vector<double> fanNos;
  std::vector<DriveSpec> drives;
  bool labels = true;  // LabelModel filled in (else NULL)
};

struct CataloguePlan {
  std::vector<SeriesSpec> series;
  int pointRows = 8;  // parameter rows per model of a point table
  int rangeRows = 3;  // parameter rows per model of a range table
  std::string errorNum = "50";
};

struct CatalogueCounts {
  int series = 0;
  int models = 0;
  long parameterRows = 0;
  long accessoryRows = 0;
};

// Six series (4-72, 4-79, 9-19, 11-62, T4-72 with a Chinese drive mode, Y5-47),
// about a hundred models.
CataloguePlan sampleCatalogue();
// 40 series, 10,000 models, 100,000 parameter rows, 30,000 accessory rows.
CataloguePlan largeCatalogue();

CatalogueCounts writeCatalogue(CatalogueWriter& writer, const CataloguePlan& plan);
// Writes the catalogue to a temporary file beside path and renames it into
// place, so path is either the old file or the whole new one.
CatalogueCounts writeCatalogueFile(const std::string& path, const CataloguePlan& plan);

// "4.5", "4", "3.15": the fan number as the catalogue's texts show it.
std::string fanNoText(double fanNo);

}  // namespace fangen
