// FANDUTY: fan selection on the fan curve at a duty point in the actual air.
//
// Asks for the air flow (m³/h), the design total pressure (Pa), the air
// temperature (°C, Enter for 20) and the atmospheric pressure (Pa, Enter
// for 101325); reads the whole catalogue; lists every model that reaches
// the duty point at its operating point, ranked (duty_selection.h), with
// notes on what was left out. Then it asks for a candidate's number: the
// FAN dialog opens on that model, from which it is previewed and placed as
// usual; "C" (图表) first writes a candidate's chart to a file (PNG when its
// name ends in .png and the desktop can draw it, else SVG); Enter ends the
// command. On the desktop a window shows the table instead, with the chart
// of the selected candidate beside it, and choosing a candidate there does
// what typing its number does.
//
// When the host's environment setting kCsvSetting names a file (fancad sets
// it from its --csv option), every run also writes its table there as CSV,
// replacing what the file held.
//
// Settings that change the selection, none of which adds a prompt (unset,
// the selection is today's): kAltitudeSetting, the site's altitude in m
// (Enter at the atmospheric pressure's prompt then takes the standard
// atmosphere there); kHumiditySetting, the relative humidity in %;
// kFansSetting, 1 to 4 identical fans, with kArrangementSetting P (parallel,
// the default) or S (series); kMotorEfficiencySetting, the motors' efficiency
// in % in place of the IE3 minimum. A setting that holds something else ends
// the command with a message naming it.
#pragma once

namespace duty {

inline constexpr const wchar_t* kCsvSetting = L"FANDUTYCSV";
inline constexpr const wchar_t* kAltitudeSetting = L"FANDUTYALTITUDE";
inline constexpr const wchar_t* kHumiditySetting = L"FANDUTYHUMIDITY";
inline constexpr const wchar_t* kFansSetting = L"FANDUTYFANS";
inline constexpr const wchar_t* kArrangementSetting = L"FANDUTYARRANGEMENT";
inline constexpr const wchar_t* kMotorEfficiencySetting = L"FANDUTYMOTOREFF";
// When kSheetSetting names a file, the data sheet (duty_sheet.h) of the
// candidate chosen is written to it (PDF) before the FAN dialog opens.
inline constexpr const wchar_t* kSheetSetting = L"FANDUTYSHEET";

}  // namespace duty

// The command's handler, registered in the group ZR beside FAN.
void FanDutyCommand();
