// A candidate's data sheet: one A4 page in PDF with its chart (the items of
// duty_chart_picture.h, so the sheet shows what the window and the SVG show),
// the operating point, compliance with the assumptions behind it, sound, and
// the motor, all as the listing words them (duty_listing.h).
//
// The page is drawn with cairo into memory, without a display; the bytes are
// written by the safe writer, so a failed write leaves the old file whole.
#pragma once

#include <cstddef>
#include <string>

#include "base/cstring.h"
#include "duty/duty_catalogue.h"
#include "duty/duty_selection.h"

namespace duty {

// The PDF bytes of the sheet of selection's candidate. Throws
// std::runtime_error when cairo cannot draw it (out of memory).
std::string dutySheetPdf(const DutyCatalogue& catalogue, const DutySelection& selection,
                         std::size_t candidate);

// Writes the sheet to file; returns "" or why it could not.
CString writeDutySheet(const DutyCatalogue& catalogue, const DutySelection& selection,
                       std::size_t candidate, const CString& file);

}  // namespace duty
