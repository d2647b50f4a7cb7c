// Reading the catalogue for FANDUTY: models and their rows, the columns of
// efficiency and power by name or heading, the catalogue's air density, and
// series whose rows cannot be read.
#include "duty/duty_catalogue.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <functional>
#include <random>
#include <sstream>

#include "catalogue_builder.h"
#include "db/ado_db.h"
#include "duty/duty_listing.h"
#include "fanperf/site_air.h"
#include "foreign_connection.h"

using duty::DutyCatalogue;
using duty::RowKind;
using fangen::TableStyle;
using testsupport::CatalogueBuilder;

namespace {

std::string S(const char* s) { return s; }

DutyCatalogue readBack(const std::string& path) {
  CAdoDB db;
  EXPECT_TRUE(db.Open(CString::FromUtf8(path)));
  return duty::readDutyCatalogue(db.m_pConnection);
}

const duty::CatalogueSeries& seriesNamed(const DutyCatalogue& c, const wchar_t* name) {
  for (const auto& s : c.series) {
    if (s.name == name) return s;
  }
  throw std::runtime_error("no such series");
}

// A model as one line: id, series, fan number, drive, speed, label, then each row's
// values (flow, pressure, the range's four, efficiency, shaft and motor power; - for none).
std::string describe(const duty::CatalogueModel& m) {
  std::ostringstream out;
  out << m.id << " " << m.bigModel.ToUtf8() << " " << m.fanNo.ToUtf8() << " "
      << m.driveMode.ToUtf8() << " " << m.speed.ToUtf8() << " " << m.labelModel.ToUtf8() << ":";
  for (const duty::PerformanceRow& r : m.rows) {
    out << " ";
    for (const auto& v : {r.flow, r.pressure, r.flowLow, r.flowHigh, r.pressureLow, r.pressureHigh,
                          r.efficiency, r.shaftPower, r.motorPower}) {
      if (v) {
        out << "/" << *v;
      } else {
        out << "/-";
      }
    }
  }
  return out.str();
}

std::vector<std::string> describe(const DutyCatalogue& c) {
  std::vector<std::string> out;
  for (const auto& m : c.models) out.push_back(describe(m));
  return out;
}

// The models with their rows, each series' style, columns and problem, and the density.
std::vector<std::string> whole(const DutyCatalogue& c) {
  std::vector<std::string> out = describe(c);
  for (const auto& s : c.series) {
    out.push_back(s.name.ToUtf8() + " " + std::to_string(s.kind ? static_cast<int>(*s.kind) : -1) +
                  " " + s.columns.efficiency.ToUtf8() + " " + s.problem.ToUtf8());
  }
  out.push_back("density " + std::to_string(c.density) + " incomplete " +
                std::to_string(c.incompleteModels));
  return out;
}

}  // namespace

// Rows go to their model in table order, NULL staying no value; a row of no model is left
// out, a model without drive mode counted. (Both table styles of the sample catalogue are
// listed end to end at one duty point: e2e/duty_test.py.)
TEST(DutyCatalogue, ModelsAndTheirRows) {
  testsupport::TempDir dir;
  {
    CatalogueBuilder b(dir.file("ZRFan.Mdb"));
    b.standardHeadings();
    b.model(7, S("4-72"), S("A"), 4.5, 2900LL, S("4-72No4.5A"));
    b.model(9, S("4-72"), S("C"), 4.5, 2240LL);
    b.model(10, S("4-72"), {}, 5.0, 2240LL);  // no drive mode: cannot be opened in the dialog
    b.style("4-72", true).parameterTable("4-72", TableStyle::Point);
    const std::vector<std::string> p = {"ModelID",    "Flux",       "AllPress",
                                        "Efficiency", "ShaftPower", "MotorPower"};
    b.row("4-72_Parameter", p, {7LL, 4000.0, 2000.0, 80.5, 3.1, 4.0});
    b.row("4-72_Parameter", p, {9LL, 3100.0, 1200.0, {}, {}, {}});
    b.row("4-72_Parameter", p, {7LL, 5000.0, 1800.0, 85.0, 3.3, 4.0});
    b.row("4-72_Parameter", p, {42LL, 1.0, 1.0, {}, {}, {}});  // no such model
  }
  const DutyCatalogue c = readBack(dir.file("ZRFan.Mdb"));
  EXPECT_EQ(describe(c),
            (std::vector<std::string>{"7 4-72 4.5 A 2900 4-72No4.5A: /4000/2000/-/-/-/-/80.5/3.1/4 "
                                      "/5000/1800/-/-/-/-/85/3.3/4",
                                      "9 4-72 4.5 C 2240 : /3100/1200/-/-/-/-/-/-/-"}));
  EXPECT_EQ(c.incompleteModels, 1);
  EXPECT_EQ(seriesNamed(c, L"4-72").kind, RowKind::Points);
  EXPECT_TRUE(seriesNamed(c, L"4-72").problem.IsEmpty());
  EXPECT_DOUBLE_EQ(c.density, 1.2);
}

TEST(DutyCatalogue, SeriesWhoseRowsCannotBeReadAndADensityThatIsNoneSayWhy) {
  testsupport::TempDir dir;
  {
    CatalogueBuilder b(dir.file("ZRFan.Mdb"));
    b.standardHeadings();
    b.heading("AIRDENSITY", "标准");
    b.model(1, S("NoStyle"), S("A"), 4.0, 2900LL);
    b.model(2, S("NoTable"), S("A"), 4.0, 2900LL);
    b.model(3, S("NoFlux"), S("A"), 4.0, 2900LL);
    b.model(4, S("NullStyle"), S("A"), 4.0, 2900LL);
    b.style("NoTable", true).style("NoFlux", true).style("NullStyle", std::nullopt);
    b.exec(
        "CREATE TABLE \"NoFlux_Parameter\" (ID INTEGER PRIMARY KEY, ModelID INTEGER, "
        "AllPress DOUBLE)");
  }
  const DutyCatalogue c = readBack(dir.file("ZRFan.Mdb"));
  EXPECT_EQ(c.models.size(), 4u) << "the models stay, without rows";
  EXPECT_NE(seriesNamed(c, L"NoStyle").problem.Find(L"表格样式"), -1);
  EXPECT_NE(seriesNamed(c, L"NullStyle").problem.Find(L"表格样式"), -1);
  EXPECT_NE(seriesNamed(c, L"NoTable").problem.Find(L"NoTable_Parameter 无法读取"), -1);
  const CString noFlux = seriesNamed(c, L"NoFlux").problem;
  EXPECT_NE(noFlux.Find(L"缺少列 Flux"), -1) << noFlux.ToUtf8();
  EXPECT_EQ(noFlux.Find(L"AllPress"), -1);
  EXPECT_DOUBLE_EQ(c.density, 1.2) << "the entry is ignored";
  EXPECT_NE(c.densityProblem.Find(L"标准"), -1);

  // Without the model table nothing can be read.
  CatalogueBuilder(dir.file("bare.Mdb")).exec("DROP TABLE Model");
  EXPECT_THROW(readBack(dir.file("bare.Mdb")), _com_error);
}

TEST(DutyCatalogue, ColumnsFoundByHeadingWordsInTextColumns) {
  testsupport::TempDir dir;
  {
    CatalogueBuilder b(dir.file("ZRFan.Mdb"));
    b.heading("Eta", "效率(%)").heading("MotorEta", "电机效率").heading("P1", "轴功率(kW)");
    b.heading("P2", "配用电机功率kW").heading("AIRDENSITY", "1.205");
    b.model(1, S("F"), S("A"), 4.0, 2900LL);
    b.style("F", true);
    // Values in text columns, as a hand-made catalogue may hold them; "2,2" is no number.
    b.exec(
        "CREATE TABLE \"F_Parameter\" (ID INTEGER PRIMARY KEY, ModelID INTEGER, Flux TEXT, "
        "AllPress TEXT, MotorEta TEXT, Eta TEXT, P1 TEXT, P2 TEXT)");
    b.row("F_Parameter", {"ModelID", "Flux", "AllPress", "MotorEta", "Eta", "P1", "P2"},
          {1LL, S("1200"), S(" 800.5 "), S("91"), S("78.5"), S("2,2"), S("3")});
  }
  const DutyCatalogue c = readBack(dir.file("ZRFan.Mdb"));
  const duty::CatalogueSeries& f = seriesNamed(c, L"F");
  EXPECT_EQ(f.columns.efficiency, L"Eta") << "the motor's efficiency is not the fan's";
  EXPECT_EQ(f.columns.shaftPower, L"P1");
  EXPECT_EQ(f.columns.motorPower, L"P2");
  EXPECT_EQ(describe(c), std::vector<std::string>{"1 F 4 A 2900 : /1200/800.5/-/-/-/-/78.5/-/3"});
  EXPECT_DOUBLE_EQ(c.density, 1.205);
}

TEST(DutyCatalogue, NamesGoBeforeHeadingsAndOneColumnFillsOneRole) {
  const std::map<std::wstring, CString> headings = {
      {L"A", L"全压效率"}, {L"B", L"内效率(%)"}, {L"C", L"内功率kW"}, {L"D", L"电机功率kW"}};
  const auto roles = [](const duty::PerformanceColumns& c) {
    return std::vector<CString>{c.efficiency, c.shaftPower, c.motorPower};
  };
  // The first in table order; a column's name before any heading.
  EXPECT_EQ(roles(duty::findPerformanceColumns({L"A", L"B", L"C", L"D"}, headings)),
            (std::vector<CString>{L"A", L"C", L"D"}));
  EXPECT_EQ(
      roles(duty::findPerformanceColumns({L"A", L"efficiency", L"C", L"MOTORPOWER"}, headings)),
      (std::vector<CString>{L"efficiency", L"C", L"MOTORPOWER"}));
  EXPECT_EQ(roles(duty::findPerformanceColumns({L"X", L"Y"}, {{L"X", L"风量"}, {L"Y", L"转速"}})),
            (std::vector<CString>{L"", L"", L""}));
}

// A series' sound column, found by its name or heading, gives the listing's LwA: at the same
// speed and density, the catalogue's value at the operating point (90 and 94 dB(A) at 4000 and
// 5000 m³/h, so 92 at 4500); without one the level is estimated.
TEST(DutyCatalogue, SoundColumnsGiveTheListingsLwA) {
  struct Case {  // flow and pressure: the curve's point the duty's system curve meets
    const char *column, *heading;
    double flow, pressure;
    const wchar_t* lwa;
    bool fromCatalogue;
  };
  for (const Case& t : {Case{"Noise", "噪声dB(A)", 4000, 2000, L"90", true},
                        Case{"LwA", "", 4500, 1900, L"92", true},
                        Case{"Remark", "备注", 4000, 2000, L"估算", false}}) {
    SCOPED_TRACE(t.column);
    testsupport::TempDir dir;
    {
      CatalogueBuilder b(dir.file("ZRFan.Mdb"));
      b.standardHeadings().heading("AIRDENSITY",
                                   std::to_string(fanperf::dryAirDensity(20, 101325)));
      if (*t.heading) b.heading(t.column, t.heading);
      b.model(1, S("F"), S("A"), 4.0, 2900LL).style("F", true);
      b.exec(
          "CREATE TABLE \"F_Parameter\" (ID INTEGER PRIMARY KEY, ModelID INTEGER, Flux DOUBLE, "
          "AllPress DOUBLE, Efficiency DOUBLE, " +
          S(t.column) + " DOUBLE)");
      const fangen::Value lwa[] = {90.0, {}, 94.0};  // at 4000, 4500 and 5000 m³/h
      for (int i = 0; i < 3; ++i) {
        b.row("F_Parameter", {"ModelID", "Flux", "AllPress", "Efficiency", t.column},
              {1LL, 4000.0 + 500 * i, 2000.0 - 100 * i, 80.0, lwa[i]});
      }
    }
    const DutyCatalogue c = readBack(dir.file("ZRFan.Mdb"));
    const double k = 0.998;  // the duty a little left on the same system curve
    const duty::DutySelection s =
        duty::selectForDuty(c, {t.flow * k, t.pressure * k * k, 20, 101325});
    const duty::ListingTable table = duty::listingTable(c, s);
    ASSERT_EQ(table.rows.size(), 1u);
    const CString cell = table.rows[0][18];
    EXPECT_EQ(table.headings[18] + L" " + (t.fromCatalogue ? cell : cell.Right(2)),
              CString(L"LwA dB(A) ") + t.lwa);
    CString assumptions;
    for (const CString& line : duty::assumptionLines(s)) assumptions += line;
    EXPECT_EQ(assumptions.Find(L"线性插值") >= 0, t.fromCatalogue) << assumptions.ToUtf8();
  }
  // Octave bands by name or heading; 1250 or 163 is no band.
  const duty::PerformanceColumns bands = duty::findPerformanceColumns(
      {L"X", L"Lw63", L"Y", L"Z", L"W"},
      {{L"X", L"163Hz"}, {L"Y", L"声功率级 1 kHz"}, {L"Z", L"Lw1250"}, {L"W", L"声功率级dB(A)"}});
  EXPECT_EQ(bands.bands[0] + bands.bands[4] + L"/" + bands.bands[1] + L"/" + bands.lwa,
            L"Lw63Y//W");
}

// The catalogue read is kept while nothing writes to it; a row written between two reads is
// in the second, whoever wrote it: another connection of this program, another program (a
// connection of its own, past the data layer), the reader's own connection, or another
// program while the reader's connection was closed (and kept for the next open).
TEST(DutyCatalogue, ARowWrittenBetweenTwoReadsIsInTheSecond) {
  testsupport::TempDir dir;
  const std::string path = dir.file("ZRFan.Mdb");
  {
    CatalogueBuilder b(path);
    b.standardHeadings().model(7, S("4-72"), S("A"), 4.5, 2900LL).style("4-72", true);
    b.parameterTable("4-72", TableStyle::Point);
    b.row("4-72_Parameter", {"ModelID", "Flux", "AllPress"}, {7LL, 4000.0, 2000.0});
  }
  const wchar_t* insert = L"INSERT INTO 4-72_Parameter (ModelID, Flux, AllPress) VALUES (7, 5, 9)";
  auto anotherProgram = [&path] {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db,
                           "INSERT INTO \"4-72_Parameter\" (ModelID, Flux, AllPress) "
                           "VALUES (7, 5, 9)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  };
  CAdoDB reader;
  ASSERT_TRUE(reader.Open(CString::FromUtf8(path)));
  struct Case {
    const char* writer;
    std::function<void()> write;
  };
  const Case cases[] = {
      {"another connection",
       [&] {
         CAdoDB other;
         ASSERT_TRUE(other.Open(CString::FromUtf8(path)));
         ASSERT_TRUE(other.Execute(insert));
       }},
      {"another program", anotherProgram},
      {"the reader", [&] { ASSERT_TRUE(reader.Execute(insert)); }},
      {"another program, the reader closed",
       [&] {
         reader.Close();
         anotherProgram();
         ASSERT_TRUE(reader.Open(CString::FromUtf8(path)));
       }},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.writer);
    const std::vector<std::string> before = describe(duty::readDutyCatalogue(reader.m_pConnection));
    EXPECT_EQ(describe(duty::readDutyCatalogue(reader.m_pConnection)), before) << "unchanged";
    t.write();
    const DutyCatalogue after = duty::readDutyCatalogue(reader.m_pConnection);
    ASSERT_EQ(after.models.size(), 1u);
    EXPECT_EQ(describe(after)[0], before[0] + " /5/9/-/-/-/-/-/-/-");
  }
  // A row read inside a transaction is gone once it is rolled back.
  const std::vector<std::string> committed =
      describe(duty::readDutyCatalogue(reader.m_pConnection));
  reader.m_pConnection->BeginTrans();
  ASSERT_TRUE(reader.Execute(insert));
  EXPECT_NE(describe(duty::readDutyCatalogue(reader.m_pConnection)), committed);
  reader.m_pConnection->RollbackTrans();
  EXPECT_EQ(describe(duty::readDutyCatalogue(reader.m_pConnection)), committed);
}

// After a write, the kept catalogue reads again only the tables written: table
// Model, a series whose parameter table was written or which Model now gives
// a model ID it had no rows for, or everything when the headings or styles
// changed. Whatever it reads, it equals a catalogue read whole.
TEST(DutyCatalogue, TheKeptCatalogueReadsAgainOnlyWhatWasWritten) {
  testsupport::TempDir dir;
  const std::string path = dir.file("ZRFan.Mdb");
  {
    CatalogueBuilder b(path);
    b.standardHeadings();
    b.model(7, S("4-72"), S("A"), 4.5, 2900LL, S("first"));
    b.model(9, S("4-72"), S("C"), 5.0, 2240LL);
    b.model(20, S("B"), S("A"), 6.0, 1450LL);
    b.style("4-72", true).parameterTable("4-72", TableStyle::Point);
    b.style("B", false).parameterTable("B", TableStyle::Range);
    b.accessoryTable("4-72", "A");
    const std::vector<std::string> p = {"ModelID", "Flux", "AllPress", "Efficiency"};
    for (const long long id : {7LL, 9LL, 11LL}) {
      b.row("4-72_Parameter", p, {id, 4000.0 + id, 2000.0, 80.0});
      b.row("4-72_Parameter", p, {id, 5000.0 + id, 1800.0, 82.0});
    }
    const std::vector<std::string> r = {"ModelID", "FluxLow", "FluxHigh", "AllPressLow",
                                        "AllPressHigh"};
    for (const long long id : {20LL, 9LL}) b.row("B_Parameter", r, {id, 1.0, 2.0 + id, 3.0, 4.0});
  }
  CAdoDB reader;
  ASSERT_TRUE(reader.Open(CString::FromUtf8(path)));
  struct Case {
    const char* what;
    const char* sql;
    bool byTheReader;
    unsigned long long statements;  // what the kept catalogue runs to catch up
  };
  const Case cases[] = {
      {"a model's label", "UPDATE Model SET LabelModel = 'x' WHERE ID = 7", false, 1},
      {"a model whose rows were not read",
       "INSERT INTO Model (ID, BigModel, DriveMode, FanNo, Speed) VALUES (11, '4-72', 'D', 5, 960)",
       false, 3},
      {"a model moved to a series without rows for it",
       "UPDATE Model SET BigModel = 'B' WHERE ID = 9", false, 3},
      {"a second model of an ID",
       "INSERT INTO Model (ID, BigModel, DriveMode, FanNo, Speed) VALUES (9, 'B', 'E', 6, 960)",
       false, 1},
      {"the model that held an ID's rows gone",
       "DELETE FROM Model WHERE ID = 9 AND DriveMode = 'C'", false, 1},
      {"a model gone", "DELETE FROM Model WHERE ID = 7", false, 1},
      {"a performance row", "UPDATE \"4-72_Parameter\" SET AllPress = 1 WHERE ModelID = 11", false,
       2},
      {"an accessory row", "INSERT INTO \"4-72_A_Accessory\" (ModelID) VALUES (7)", false, 0},
      {"a performance row, by the reader",
       "INSERT INTO B_Parameter (ModelID, FluxLow, FluxHigh, AllPressLow, AllPressHigh) "
       "VALUES (20, 7, 8, 9, 10)",
       true, 2},
      {"the headings",
       "INSERT INTO IndexTableName (IndexName, TableHead) VALUES ('AIRDENSITY', '1.1')", false, 7},
  };
  duty::readDutyCatalogue(reader.m_pConnection);
  for (const Case& t : cases) {
    SCOPED_TRACE(t.what);
    if (t.byTheReader) {
      ASSERT_TRUE(reader.Execute(CString::FromUtf8(t.sql)));
    } else {
      testsupport::Foreign(path).exec(t.sql);
    }
    const unsigned long long before = adoimpl::statementCount();
    const DutyCatalogue kept = duty::readDutyCatalogue(reader.m_pConnection);
    EXPECT_EQ(adoimpl::statementCount() - before, t.statements);
    EXPECT_EQ(whole(kept), whole(duty::readDutyCatalogue(reader.m_pConnection, {})));
  }
  EXPECT_DOUBLE_EQ(duty::readDutyCatalogue(reader.m_pConnection).density, 1.1);
}

// Writes drawn at random, a few at a time and by either program, to every table the kept
// catalogue reads: models added, moved between series, renamed, left incomplete and removed,
// parameter rows added, changed and removed, and the file vacuumed or grown by many pages.
// After each step the kept catalogue equals a catalogue read whole.
TEST(DutyCatalogue, TheKeptCatalogueFollowsWritesDrawnAtRandom) {
  testsupport::TempDir dir;
  const std::string path = dir.file("ZRFan.Mdb");
  {
    CatalogueBuilder b(path);
    b.standardHeadings();
    for (long long id = 1; id <= 8; ++id) {
      b.model(id, S(id % 3 ? "4-72" : "B"), S("A"), 4.0 + id, 1450LL);
    }
    b.style("4-72", true).parameterTable("4-72", TableStyle::Point);
    b.style("B", false).parameterTable("B", TableStyle::Range);
  }
  std::mt19937 random(20261207);
  const auto pick = [&random](int n) { return static_cast<int>(random() % n); };
  const char* const series[] = {"4-72", "B", "C"};  // C has no style
  const char* const drives[] = {"A", "C", "D"};
  const auto write = [&]() -> std::string {
    const int id = 1 + pick(10);
    const std::string value = std::to_string(pick(5000));
    const std::string where = " WHERE ID = " + std::to_string(id);
    switch (pick(12)) {
      case 0:
        return "UPDATE Model SET LabelModel = 'L" + value + "'" + where;
      case 1:
        return "UPDATE Model SET BigModel = '" + std::string(series[pick(3)]) + "'" + where;
      case 2:
        return "UPDATE Model SET Speed = " + (pick(4) ? value : "NULL") + where;
      case 3:
        return "INSERT INTO Model (ID, BigModel, DriveMode, FanNo, Speed) VALUES (" +
               std::to_string(id) + ", '" + series[pick(2)] + "', '" + drives[pick(3)] + "', " +
               std::to_string(3 + pick(6)) + ", " + value + ")";
      case 4:
        return "DELETE FROM Model" + where + " AND DriveMode = '" + drives[pick(3)] + "'";
      case 5:
        return "INSERT INTO {P} (ModelID, Flux, AllPress, Efficiency) VALUES (" +
               std::to_string(id) + ", " + value + ", 1500, 80)";
      case 6:
        return "UPDATE {P} SET AllPress = " + value + " WHERE ModelID = " + std::to_string(id);
      case 7:
        return "DELETE FROM {P} WHERE ModelID = " + std::to_string(id);
      case 8:
        return "INSERT INTO B_Parameter (ModelID, FluxLow, FluxHigh, AllPressLow, AllPressHigh) "
               "VALUES (" +
               std::to_string(id) + ", 1, " + value + ", 2, 3)";
      case 9:
        return "UPDATE B_Parameter SET FluxHigh = " + value +
               " WHERE ModelID = " + std::to_string(id);
      case 10:  // every page moves, and the tables' roots with them
        return "VACUUM";
      default:  // the file grows by many pages at once
        return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
               "INSERT INTO {P} (ModelID, Flux, AllPress) SELECT " +
               std::to_string(id) + ", i, 1000 FROM n";
    }
  };
  CAdoDB reader;
  ASSERT_TRUE(reader.Open(CString::FromUtf8(path)));
  duty::readDutyCatalogue(reader.m_pConnection);
  std::string steps;
  int caughtUp = 0;  // steps after which the kept catalogue read less than the whole
  for (int step = 0; step < 150; ++step) {
    for (int n = 1 + pick(3); n > 0; --n) {
      std::string sql = write();
      // The data layer takes the table's name bare, SQLite quoted.
      const bool byTheReader = pick(5) == 0 && sql != "VACUUM" && sql[0] != 'W';
      if (const auto at = sql.find("{P}"); at != std::string::npos)
        sql.replace(at, 3, byTheReader ? "4-72_Parameter" : "\"4-72_Parameter\"");
      steps += sql + ";\n";
      if (byTheReader) {
        ASSERT_TRUE(reader.Execute(CString::FromUtf8(sql))) << sql;
      } else {
        testsupport::Foreign(path).exec(sql);
      }
    }
    const unsigned long long before = adoimpl::statementCount();
    const DutyCatalogue kept = duty::readDutyCatalogue(reader.m_pConnection);
    // A whole read runs seven: the headings, the styles, Model and two for each series.
    if (adoimpl::statementCount() - before < 5) ++caughtUp;
    ASSERT_EQ(whole(kept), whole(duty::readDutyCatalogue(reader.m_pConnection, {})))
        << "after step " << step << " of:\n"
        << steps;
  }
  EXPECT_GT(caughtUp, 100) << "the kept catalogue was read whole after most writes";
}
