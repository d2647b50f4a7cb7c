// A candidate's data sheet: one A4 page in PDF with its chart (the items of
// duty_chart_picture.h, so the sheet shows what the window and the SVG show),
// the operating point, compliance with the assumptions behind it, sound, and
// the motor, all as the listing words them (duty_listing.h); beside the chart
// the outline of the model's view block with its overall width and height,
// and below the sections the model's accessories from the catalogue.
//
// The page is drawn with cairo into memory, without a display; the bytes are
// written by the safe writer, so a failed write leaves the old file whole.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "base/cstring.h"
#include "duty/duty_accessories.h"
#include "duty/duty_catalogue.h"
#include "duty/duty_outline.h"
#include "duty/duty_selection.h"

namespace duty {

// What the sheet shows beyond the selection, read where the catalogue and the
// drawing library are at hand. Left empty, the outline's box and the
// accessories say they were not read.
struct SheetExtras {
  CString tag;                 // a placed fan's tag, put before the model in the title
  std::vector<CString> notes;  // lines under the conditions (what the page is based on)
  std::optional<AccessoryList> accessories;
  std::optional<ViewOutline> outline;
};

// The extras of a catalogue model: its accessories from the catalogue (opened
// here; a catalogue that cannot be opened has been reported to the user) and
// the front view, left hand, of its view drawing in the drawing library.
SheetExtras modelSheetExtras(const CatalogueModel& model);

// The PDF bytes of the sheet of selection's candidate. Throws
// std::runtime_error when cairo cannot draw it (out of memory).
std::string dutySheetPdf(const DutyCatalogue& catalogue, const DutySelection& selection,
                         std::size_t candidate, const SheetExtras& extras = {});

// Writes the sheet to file; returns "" or why it could not.
CString writeDutySheet(const DutyCatalogue& catalogue, const DutySelection& selection,
                       std::size_t candidate, const CString& file, const SheetExtras& extras = {});

}  // namespace duty
