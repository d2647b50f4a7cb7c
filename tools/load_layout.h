// The layout fancat loads, dumps and writes as a template: which columns a
// sheet has, what their headers say and in which units.
//
// One table (layoutFields) drives all three: the template's headers, the
// dump's, and the recognition of a header in a file being loaded. A header is
// the field's name (English or Chinese, any ASCII letter case) followed by its
// unit, with or without a space or brackets: "flow m3/h", "风量(L/s)",
// "total pressure kPa", "shaft power [W]". A header without a unit is in the
// catalogue's unit (m³/h, Pa, kW).
//
// The performance sheet has one row per curve point (point-table series) or
// per range (range-table series); a row of a model with neither names the
// model alone. The accessory sheet has one row per accessory item of a model,
// the heading sheet one row per IndexTableName entry.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace fangen {

enum class Measure { Text, Integer, Number, Flow, Pressure, Power, Percent, Sound };

enum class SheetKind { Performance, Accessories, Headings };

// What each column of a sheet stands for.
enum class Field {
  Series,
  FanNo,
  DriveMode,
  Speed,
  Label,
  Flow,
  Pressure,
  FlowLow,
  FlowHigh,
  PressureLow,
  PressureHigh,
  Efficiency,
  ShaftPower,
  MotorModel,
  MotorPower,
  SoundA,
  Sound63,
  Sound125,
  Sound250,
  Sound500,
  Sound1k,
  Sound2k,
  Sound4k,
  Sound8k,
  ItemName,
  Spec,
  ItemQuantity,
  Remark,
  IndexName,
  TableHead,
};

struct FieldSpec {
  Field field;
  SheetKind sheet;
  const char* name;     // English, as the template and the dump write it
  const char* chinese;  // also accepted
  Measure measure;
  const char* column;   // the catalogue column, or nullptr for the model's own fields
  const char* heading;  // the IndexTableName heading of a column fancat adds, or nullptr
  bool required;        // every row of the sheet needs it (the model's key)
};

const std::vector<FieldSpec>& layoutFields();
const FieldSpec& fieldSpec(Field field);
// The sound columns, which a parameter table has only when a loaded file brought them.
bool isSoundField(Field field);

// The sheet names a workbook uses ("performance", "accessories", "headings"), and
// whether text names that sheet (English or Chinese, any ASCII letter case).
const char* sheetName(SheetKind kind);
bool namesSheet(const std::string& text, SheetKind kind);

// The catalogue's unit of a measure ("m3/h", "Pa", "kW", "%", "r/min", "dB"), "" for none.
const char* catalogueUnit(Measure measure);

// A header as a field and the factor that turns its unit into the catalogue's.
struct ColumnHeader {
  Field field;
  double factor = 1;
};
// Nothing, with why set, when the header names no field of the sheet or its
// unit is not one of that measure's.
std::optional<ColumnHeader> parseHeader(const std::string& header, SheetKind sheet,
                                        std::string& why);
// "flow m3/h": the header the template and the dump write.
std::string headerText(const FieldSpec& field);

}  // namespace fangen
