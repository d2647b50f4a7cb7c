// The load layout's fields, sheet names and units.
#include "load_layout.h"
#include "ascii_case.h"

#include <cassert>

namespace fangen {

namespace {

std::string trim(std::string s) {
  const char* blanks = " \t";
  s.erase(0, s.find_first_not_of(blanks));
  s.erase(s.find_last_not_of(blanks) + 1);
  return s;
}

// Ways of writing one character that a unit may use: superscript and subscript
// digits, the full-width brackets of Chinese input methods.
std::string plainUnit(std::string s) {
  const std::pair<const char*, const char*> spellings[] = {
      {"\xC2\xB3", "3"},     {"\xE2\x82\x82", "2"}, {"\xEF\xBC\x88", "("}, {"\xEF\xBC\x89", ")"},
      {"\xE3\x80\x90", "["}, {"\xE3\x80\x91", "]"}, {"\xEF\xBC\x85", "%"}, {"\xEF\xBC\x8F", "/"},
  };
  for (const auto& [from, to] : spellings) {
    for (std::size_t at; (at = s.find(from)) != std::string::npos;) {
      s.replace(at, std::string(from).size(), to);
    }
  }
  s = trim(s);
  if (s.size() >= 2 &&
      ((s.front() == '(' && s.back() == ')') || (s.front() == '[' && s.back() == ']'))) {
    s = trim(s.substr(1, s.size() - 2));
  }
  return lowerAscii(s);
}

struct Unit {
  Measure measure;
  const char* text;  // lower case, as plainUnit leaves it
  double factor;     // to the catalogue's unit
};

// 1 mmH2O is 9.80665 Pa (the conventional water column, at standard gravity).
const Unit kUnits[] = {
    {Measure::Flow, "m3/h", 1},       {Measure::Flow, "m3/s", 3600},
    {Measure::Flow, "l/s", 3.6},      {Measure::Pressure, "pa", 1},
    {Measure::Pressure, "kpa", 1000}, {Measure::Pressure, "mmh2o", 9.80665},
    {Measure::Power, "kw", 1},        {Measure::Power, "w", 0.001},
    {Measure::Percent, "%", 1},       {Measure::Integer, "r/min", 1},
    {Measure::Integer, "rpm", 1},     {Measure::Sound, "db", 1},
    {Measure::Sound, "db(a)", 1},
};

}  // namespace

const std::vector<FieldSpec>& layoutFields() {
  using F = Field;
  using M = Measure;
  constexpr SheetKind P = SheetKind::Performance, A = SheetKind::Accessories,
                      H = SheetKind::Headings;
  static const std::vector<FieldSpec> fields = {
      {F::Series, P, "series", "系列", M::Text, nullptr, nullptr, true},
      {F::FanNo, P, "fan number", "机号", M::Number, nullptr, nullptr, true},
      {F::DriveMode, P, "drive mode", "传动方式", M::Text, nullptr, nullptr, true},
      {F::Speed, P, "speed", "转速", M::Integer, nullptr, nullptr, true},
      {F::Label, P, "label", "型号标注", M::Text, nullptr, nullptr, false},
      {F::Flow, P, "flow", "风量", M::Flow, "Flux", nullptr, false},
      {F::Pressure, P, "total pressure", "全压", M::Pressure, "AllPress", nullptr, false},
      {F::FlowLow, P, "flow low", "风量下限", M::Flow, "FluxLow", nullptr, false},
      {F::FlowHigh, P, "flow high", "风量上限", M::Flow, "FluxHigh", nullptr, false},
      {F::PressureLow, P, "total pressure low", "全压下限", M::Pressure, "AllPressLow", nullptr,
       false},
      {F::PressureHigh, P, "total pressure high", "全压上限", M::Pressure, "AllPressHigh", nullptr,
       false},
      {F::Efficiency, P, "efficiency", "效率", M::Percent, "Efficiency", nullptr, false},
      {F::ShaftPower, P, "shaft power", "轴功率", M::Power, "ShaftPower", nullptr, false},
      {F::MotorModel, P, "motor model", "电机型号", M::Text, "MotorModel", nullptr, false},
      {F::MotorPower, P, "motor power", "电机功率", M::Power, "MotorPower", nullptr, false},
      {F::SoundA, P, "sound LwA", "声功率级A", M::Sound, "LwA", "声功率级dB(A)", false},
      {F::Sound63, P, "sound 63Hz", "声功率级63Hz", M::Sound, "Lw63", "声功率级63Hz dB", false},
      {F::Sound125, P, "sound 125Hz", "声功率级125Hz", M::Sound, "Lw125", "声功率级125Hz dB",
       false},
      {F::Sound250, P, "sound 250Hz", "声功率级250Hz", M::Sound, "Lw250", "声功率级250Hz dB",
       false},
      {F::Sound500, P, "sound 500Hz", "声功率级500Hz", M::Sound, "Lw500", "声功率级500Hz dB",
       false},
      {F::Sound1k, P, "sound 1kHz", "声功率级1kHz", M::Sound, "Lw1000", "声功率级1kHz dB", false},
      {F::Sound2k, P, "sound 2kHz", "声功率级2kHz", M::Sound, "Lw2000", "声功率级2kHz dB", false},
      {F::Sound4k, P, "sound 4kHz", "声功率级4kHz", M::Sound, "Lw4000", "声功率级4kHz dB", false},
      {F::Sound8k, P, "sound 8kHz", "声功率级8kHz", M::Sound, "Lw8000", "声功率级8kHz dB", false},
      {F::Series, A, "series", "系列", M::Text, nullptr, nullptr, true},
      {F::FanNo, A, "fan number", "机号", M::Number, nullptr, nullptr, true},
      {F::DriveMode, A, "drive mode", "传动方式", M::Text, nullptr, nullptr, true},
      {F::Speed, A, "speed", "转速", M::Integer, nullptr, nullptr, true},
      {F::ItemName, A, "item", "附件名称", M::Text, "ItemName", nullptr, true},
      {F::Spec, A, "designation", "规格型号", M::Text, "Spec", nullptr, false},
      {F::ItemQuantity, A, "quantity", "数量", M::Integer, "Quantity", nullptr, false},
      {F::Remark, A, "remark", "备注", M::Text, "Remark", nullptr, false},
      {F::IndexName, H, "column", "列名", M::Text, "IndexName", nullptr, true},
      {F::TableHead, H, "heading", "表头", M::Text, "TableHead", nullptr, false},
  };
  return fields;
}

const FieldSpec& fieldSpec(Field field) {
  for (const FieldSpec& f : layoutFields()) {
    if (f.field == field) return f;
  }
  assert(false && "every field is in the layout");
  return layoutFields().front();
}

bool isSoundField(Field field) { return fieldSpec(field).measure == Measure::Sound; }

const char* sheetName(SheetKind kind) {
  switch (kind) {
    case SheetKind::Performance:
      return "performance";
    case SheetKind::Accessories:
      return "accessories";
    default:
      return "headings";
  }
}

bool namesSheet(const std::string& text, SheetKind kind) {
  const char* chinese = kind == SheetKind::Performance   ? "性能"
                        : kind == SheetKind::Accessories ? "附件"
                                                         : "表头";
  const std::string t = lowerAscii(trim(text));
  return t == sheetName(kind) || t == chinese;
}

const char* catalogueUnit(Measure measure) {
  switch (measure) {
    case Measure::Flow:
      return "m3/h";
    case Measure::Pressure:
      return "Pa";
    case Measure::Power:
      return "kW";
    case Measure::Percent:
      return "%";
    case Measure::Sound:
      return "dB";
    default:
      return "";
  }
}

std::string headerText(const FieldSpec& field) {
  if (field.field == Field::Speed) return std::string(field.name) + " r/min";
  const std::string unit = catalogueUnit(field.measure);
  return unit.empty() ? field.name : std::string(field.name) + " " + unit;
}

std::optional<ColumnHeader> parseHeader(const std::string& header, SheetKind sheet,
                                        std::string& why) {
  const std::string h = lowerAscii(trim(header));
  // The longest name the header starts with: "flow low" before "flow".
  const FieldSpec* best = nullptr;
  std::size_t bestLength = 0;
  for (const FieldSpec& f : layoutFields()) {
    if (f.sheet != sheet) continue;
    for (const char* name : {f.name, f.chinese}) {
      const std::string n = lowerAscii(name);
      if (n.size() <= bestLength || h.compare(0, n.size(), n) != 0) continue;
      // A name must end at a word's end: "flowrate" is not "flow".
      const char next = h.size() > n.size() ? h[n.size()] : ' ';
      if ((next >= 'a' && next <= 'z') && name == f.name) continue;
      best = &f;
      bestLength = n.size();
    }
  }
  if (!best) {
    why = "the header names no column of the " + std::string(sheetName(sheet)) + " sheet";
    return std::nullopt;
  }
  const std::string unit = plainUnit(h.substr(bestLength));
  if (unit.empty()) return ColumnHeader{best->field, 1};
  for (const Unit& u : kUnits) {
    if (u.measure == best->measure && unit == u.text) return ColumnHeader{best->field, u.factor};
  }
  why = "'" + unit + "' is not a unit of " + best->name;
  std::string known;
  for (const Unit& u : kUnits) {
    if (u.measure == best->measure) known += (known.empty() ? "" : ", ") + std::string(u.text);
  }
  why += known.empty() ? " (it takes none)" : " (use " + known + ")";
  return std::nullopt;
}

}  // namespace fangen
