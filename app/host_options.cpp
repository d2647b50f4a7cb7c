// Parsing of fancad's command line.
#include "host_options.h"

#include <algorithm>
#include <cctype>

namespace fancad {

namespace {

ParsedOptions failure(std::string why) { return {std::nullopt, std::move(why)}; }

bool endsWithNoCase(const std::string& s, const std::string& end) {
  return s.size() >= end.size() &&
         std::equal(end.rbegin(), end.rend(), s.rbegin(), [](char lower, char c) {
           return std::tolower(static_cast<unsigned char>(c)) == lower;
         });
}

}  // namespace

std::string usageText() {
  return "usage: fancad [--headless | --gui] [--script FILE] [--module PATH] [--csv FILE]\n"
         "              [--screenshot FILE.png] [--schedule FILE.csv|FILE.xlsx]\n"
         "              [--set NAME=VALUE]... [DRAWING]\n"
         "  --headless     the command line on standard input and output\n"
         "                 (the default without a display)\n"
         "  --gui          the desktop window (the default when DISPLAY or\n"
         "                 WAYLAND_DISPLAY names a display)\n"
         "  --script FILE  read the input lines from FILE; the host exits at its end\n"
         "  --module PATH  load this module instead of libzrfan.so next to the program\n"
         "  --csv FILE     FANDUTY also writes its table of candidates to FILE (CSV,\n"
         "                 UTF-8), replaced at each run\n"
         "  --screenshot FILE.png\n"
         "                 desktop mode: save a picture of the window when the host ends\n"
         "  --schedule FILE.csv|FILE.xlsx\n"
         "                 write the schedule of the drawing's fans (FANSCHED) to FILE,\n"
         "                 as CSV or XLSX by its extension, and end\n"
         "  --set NAME=VALUE\n"
         "                 a host setting the module reads, e.g. FANDUTYALTITUDE=1500\n"
         "                 or FANDUTYFANS=2 (see the README); may be repeated\n"
         "  DRAWING        the drawing to open (created on save when missing)\n";
}

ParsedOptions parseHostOptions(const std::vector<std::string>& args) {
  HostOptions o;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](const std::string& name, std::string& out) -> std::optional<std::string> {
      if (a.rfind(name + "=", 0) == 0) {
        out = a.substr(name.size() + 1);
      } else if (i + 1 < args.size()) {
        out = args[++i];
      } else {
        return name + " needs a value";
      }
      if (out.empty()) return name + " needs a value";
      return std::nullopt;
    };
    if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
      if (!o.drawing.empty()) return failure("only one drawing can be given ('" + a + "')");
      o.drawing = a;
    } else if (a == "--") {
      optionsEnded = true;
    } else if (a == "--headless" || a == "--gui") {
      const auto mode = a == "--gui" ? HostOptions::Mode::Gui : HostOptions::Mode::Headless;
      if (o.mode != HostOptions::Mode::Default && o.mode != mode) {
        return failure("--headless and --gui exclude each other");
      }
      o.mode = mode;
    } else if (a == "--script" || a.rfind("--script=", 0) == 0) {
      if (auto why = value("--script", o.script)) return failure(*why);
    } else if (a == "--module" || a.rfind("--module=", 0) == 0) {
      if (auto why = value("--module", o.module)) return failure(*why);
    } else if (a == "--csv" || a.rfind("--csv=", 0) == 0) {
      if (auto why = value("--csv", o.csv)) return failure(*why);
    } else if (a == "--screenshot" || a.rfind("--screenshot=", 0) == 0) {
      if (auto why = value("--screenshot", o.screenshot)) return failure(*why);
    } else if (a == "--schedule" || a.rfind("--schedule=", 0) == 0) {
      if (auto why = value("--schedule", o.schedule)) return failure(*why);
      if (!endsWithNoCase(o.schedule, ".csv") && !endsWithNoCase(o.schedule, ".xlsx"))
        return failure("--schedule needs a file ending in .csv or .xlsx ('" + o.schedule + "')");
    } else if (a == "--set" || a.rfind("--set=", 0) == 0) {
      std::string setting;
      if (auto why = value("--set", setting)) return failure(*why);
      const size_t eq = setting.find('=');
      const bool named =
          eq != 0 && eq != std::string::npos &&
          std::all_of(setting.begin(), setting.begin() + static_cast<std::ptrdiff_t>(eq),
                      [](unsigned char c) { return std::isalnum(c) || c == '_'; });
      if (!named) return failure("--set needs NAME=VALUE ('" + setting + "')");
      o.settings.emplace_back(setting.substr(0, eq), setting.substr(eq + 1));
    } else if (a == "-h" || a == "--help") {
      o.help = true;
    } else {
      return failure("unknown option '" + a + "'");
    }
  }
  if (!o.schedule.empty() &&
      (!o.script.empty() || !o.screenshot.empty() || o.mode == HostOptions::Mode::Gui))
    return failure("--schedule runs no script and opens no window");
  return {o, {}};
}

}  // namespace fancad
