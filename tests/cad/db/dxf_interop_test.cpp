// Drawings exchanged with an independent reader: ezdxf writes them, we read and write them
// back, ezdxf and the strict checker read ours; and what a saved drawing says about itself:
// the program that wrote it, and when it was made and last saved.
#include <gtest/gtest.h>

#include <time.h>

#include <chrono>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <regex>

#include "base/cstring.h"
#include "cad/acdb.h"
#include "cad/db/dxf/drawing_clock.h"
#include "cad_test_support.h"

namespace {

using namespace cadtest;
using nlohmann::json;
using zrcad::dxf::julianDateText;
using zrcad::dxf::ScopedDrawingClock;
using zrcad::dxf::TimePoint;

std::string dump(const std::string& file) {
  const CommandResult r = runScript("dump_drawing.py", "'" + file + "'");
  EXPECT_EQ(r.status, 0) << r.output;
  return r.output;
}

// The value of a header variable in DXF text, or "" when it has none.
std::string headerValue(const std::string& text, const std::string& name) {
  std::smatch m;
  std::regex re("  9\\n\\" + name + "\\n *[0-9]+\\n([^\\n]*)\\n");
  return std::regex_search(text, m, re) ? m[1].str() : "";
}

class EzdxfRoundTrip : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(EzdxfRoundTrip, NothingChangesThatWeDidNotChange) {
  TempDir dir;
  const std::string in = dir.path("source.dxf"), out = dir.path("ours.dxf");
  auto [version, encoding] = GetParam();
  ASSERT_EQ(runScript("make_drawing.py", std::string(version) + " " + in + " " + encoding).status,
            0);
  AcDbDatabase db(false);  // read and saved through our database
  ASSERT_EQ(db.readDwgFile(zrbase::utf8ToWide(in).c_str(), _SH_DENYWR), Acad::eOk) << errorText(db);
  ASSERT_EQ(db.saveAs(zrbase::utf8ToWide(out).c_str()), Acad::eOk);
  expectClean(out);
  const std::string before = dump(in);
  ASSERT_NE(before.find("离心式风机"), std::string::npos);  // the source decoded as intended
  EXPECT_EQ(dump(out), before);
  // The drawing keeps the date it was made (R12 too, read onto the default drawing) and names
  // us as its last writer.
  const std::string source = readFile(in), ours = readFile(out);
  ASSERT_NE(headerValue(source, "$TDCREATE"), "");
  EXPECT_EQ(headerValue(ours, "$TDCREATE"), headerValue(source, "$TDCREATE"));
  EXPECT_EQ(headerValue(ours, "$TDUCREATE"), headerValue(source, "$TDUCREATE"));
  EXPECT_EQ(headerValue(ours, "$LASTSAVEDBY"), "fancad");
}

INSTANTIATE_TEST_SUITE_P(Releases, EzdxfRoundTrip,
                         ::testing::Values(std::make_pair("R12", "gbk"),
                                           std::make_pair("R2000", "gbk"),
                                           std::make_pair("R2010", "")));

// Drawings as the module leaves them (placed blocks on their layer, tagged with xdata) are
// read by ezdxf and the checker end to end in tests/e2e/drawings_test.py.

TimePoint utc(int y, unsigned mon, unsigned d, int h, int min, int s) {
  using namespace std::chrono;
  return sys_days{year{y} / month{mon} / day{d}} + hours{h} + minutes{min} + seconds{s};
}

// Sets the time zone of local times while it lives; the tests run without TZ set.
struct ScopedTimeZone {
  explicit ScopedTimeZone(const char* zone) {
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~ScopedTimeZone() {
    ::unsetenv("TZ");
    ::tzset();
  }
};

void save(AcDbDatabase& db, const std::string& file) {
  ASSERT_EQ(db.saveAs(zrbase::utf8ToWide(file).c_str()), Acad::eOk) << errorText(db);
}

// The example of the DXF reference: 31 December 1999, 21:58:35 GMT is 2451544.91568287.
TEST(DrawingDates, JulianDatesCountDaysFromTheJulianDayNumberAndSecondsFromMidnight) {
  ScopedTimeZone zone("CST-8");  // eight hours ahead of UTC, all year
  const struct {
    TimePoint t;
    bool local;
    const char* text;
  } cases[] = {
      {utc(1999, 12, 31, 21, 58, 35), false, "2451544.91568287"},
      {utc(1999, 12, 31, 21, 58, 35), true, "2451545.24901620"},  // locally 1 January 2000
      {utc(2000, 1, 1, 23, 59, 59), false, "2451545.99998843"},
      // Parts of a second do not count; times before 1970 count back from the same day.
      {utc(2000, 1, 1, 0, 0, 0) + std::chrono::milliseconds(999), false, "2451545.00000000"},
      {utc(1969, 12, 31, 18, 0, 0), false, "2440587.75000000"},
  };
  for (const auto& c : cases) EXPECT_EQ(julianDateText(c.t, c.local), c.text) << c.text;
}

TEST(DrawingStamps, ANewDrawingNamesItsWriterAndIsDatedNow) {
  TempDir dir;
  const std::string file = dir.path("new.dxf");
  const std::string before = julianDateText(std::chrono::system_clock::now(), false);
  AcDbDatabase db;
  save(db, file);
  const std::string after = julianDateText(std::chrono::system_clock::now(), false);
  const std::string text = readFile(file);
  EXPECT_EQ(text.rfind("999\nfancad ", 0), 0u) << text.substr(0, 40);
  for (const char* name : {"$TDUCREATE", "$TDUUPDATE"}) {  // same length: compared as text
    EXPECT_GE(headerValue(text, name), before) << name;
    EXPECT_LE(headerValue(text, name), after) << name;
  }
  // What ezdxf reads: our name, and nothing it had to make up; the checker (ezdxf's audit
  // with it) finds nothing either.
  const CommandResult r = runScript("dump_drawing.py", "'" + file + "' --header");
  ASSERT_EQ(r.status, 0) << r.output;
  json h = json::parse(r.output, nullptr, false);
  ASSERT_TRUE(h.is_object());
  EXPECT_EQ(h["lastsavedby"], "fancad");
  EXPECT_EQ(h["layouts"], json({"Layout1", "Model"}));
  EXPECT_EQ(h["warnings"], json::array());
  expectClean(file);
}

// The dates written are Julian dates (checked against the DXF reference above), of local time
// ($TDCREATE, $TDUPDATE) and of universal time ($TDUCREATE, $TDUUPDATE).
void expectDates(const std::string& file, TimePoint created, TimePoint updated) {
  const std::string text = readFile(file);
  EXPECT_EQ(headerValue(text, "$TDCREATE"), julianDateText(created, true));
  EXPECT_EQ(headerValue(text, "$TDUCREATE"), julianDateText(created, false));
  EXPECT_EQ(headerValue(text, "$TDUPDATE"), julianDateText(updated, true));
  EXPECT_EQ(headerValue(text, "$TDUUPDATE"), julianDateText(updated, false));
}

TEST(DrawingStamps, CreationIsWhenTheDrawingWasMadeOrFirstSavedAndUpdateWhenItWasSaved) {
  ScopedTimeZone zone("CST-8");
  const TimePoint made = utc(2021, 3, 4, 5, 6, 7);
  TimePoint now = made;
  ScopedDrawingClock clock([&now] { return now; });
  TempDir dir;
  AcDbDatabase db;
  now = utc(2022, 7, 8, 23, 30, 0);  // the next day here, still the 8th in UTC
  addToModelSpace(&db, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)));
  save(db, dir.path("first.dxf"));
  expectDates(dir.path("first.dxf"), made, now);
  now = utc(2023, 1, 2, 3, 4, 5);
  AcDbDatabase again(false);
  ASSERT_EQ(again.readDwgFile(dir.wpath("first.dxf").c_str()), Acad::eOk);
  addToModelSpace(&again, new AcDbCircle(AcGePoint3d(), AcGeVector3d::kZAxis, 2));
  save(again, dir.path("second.dxf"));
  expectDates(dir.path("second.dxf"), made, now);

  // A file that gives no date of creation gets the date of its first save, and keeps it.
  auto undated = readBack(r12Drawing(""));
  std::string first, second;
  ASSERT_EQ(undated->writeDxfText(first), Acad::eOk);
  now = utc(2024, 1, 1, 0, 0, 0);
  ASSERT_EQ(undated->writeDxfText(second), Acad::eOk);
  EXPECT_EQ(headerValue(first, "$TDUUPDATE"), headerValue(first, "$TDUCREATE"));
  EXPECT_EQ(headerValue(second, "$TDUCREATE"), julianDateText(utc(2023, 1, 2, 3, 4, 5), false));
  EXPECT_EQ(headerValue(second, "$TDUUPDATE"), julianDateText(now, false));
}

}  // namespace
