// fancad's command line.
#include <gtest/gtest.h>

#include "host_options.h"

namespace {

using fancad::HostOptions;
using fancad::parseHostOptions;

TEST(HostOptions, EveryOptionInBothSpellings) {
  const auto p =
      parseHostOptions({"--headless", "--script", "a.scr", "--module=m.so", "--csv", "out/duty.csv",
                        "--set", "FANDUTYFANS=2", "--set=FANDUTY_ALTITUDE=1=5", "plan.dxf"});
  ASSERT_TRUE(p.options) << p.error;
  EXPECT_EQ(p.options->mode, HostOptions::Mode::Headless);
  EXPECT_EQ(p.options->script, "a.scr");
  EXPECT_EQ(p.options->module, "m.so");
  EXPECT_EQ(p.options->csv, "out/duty.csv");
  EXPECT_EQ(p.options->drawing, "plan.dxf");
  EXPECT_EQ(p.options->settings, (std::vector<std::pair<std::string, std::string>>{
                                     {"FANDUTYFANS", "2"}, {"FANDUTY_ALTITUDE", "1=5"}}));
  const auto q = parseHostOptions(
      {"--script=b.scr", "--module", "n.so", "--csv=表.csv", "--gui", "--", "--odd name.dxf"});
  ASSERT_TRUE(q.options) << q.error;
  EXPECT_EQ(q.options->mode, HostOptions::Mode::Gui);
  EXPECT_EQ(q.options->script, "b.scr");
  EXPECT_EQ(q.options->module, "n.so");
  EXPECT_EQ(q.options->csv, "表.csv");
  EXPECT_EQ(q.options->drawing, "--odd name.dxf") << "after -- everything is the drawing";
}

TEST(HostOptions, WrongCommandLinesSayWhy) {
  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  for (const Case& c : std::vector<Case>{
           {{"--script"}, "--script needs a value"},
           {{"--module="}, "--module needs a value"},
           {{"--csv"}, "--csv needs a value"},
           {{"--csv="}, "--csv needs a value"},
           {{"--gui", "--headless"}, "--headless and --gui exclude each other"},
           {{"a.dxf", "b.dxf"}, "only one drawing can be given ('b.dxf')"},
           {{"--verbose"}, "unknown option '--verbose'"},
           {{"--set", "=2"}, "--set needs NAME=VALUE ('=2')"},
           {{"--set=FANS"}, "--set needs NAME=VALUE ('FANS')"},
           {{"--set", "FAN S=2"}, "--set needs NAME=VALUE ('FAN S=2')"},
           {{"--schedule", "s.txt", "a.dxf"},
            "--schedule needs a file ending in .csv or .xlsx ('s.txt')"},
           {{"--schedule=s.csv", "--script", "a.scr", "a.dxf"},
            "--schedule runs no script and opens no window"},
       }) {
    const auto p = parseHostOptions(c.args);
    EXPECT_FALSE(p.options);
    EXPECT_EQ(p.error, c.error);
  }
  EXPECT_TRUE(parseHostOptions({"--help"}).options->help);
  const auto schedule = parseHostOptions({"--schedule=S.XLSX", "a.dxf"});
  ASSERT_TRUE(schedule.options) << schedule.error << ": the extension in any letter case";
  EXPECT_EQ(schedule.options->schedule, "S.XLSX");
  EXPECT_EQ(parseHostOptions({}).options->mode, HostOptions::Mode::Default);
}

}  // namespace
