// A placed fan on the desktop: its right-button entries (Edit fan typing
// FANEDIT on the selection, Show in schedule, Properties with the record's
// readable rows) and the schedule dock (FANSCHED's rows by tag, a click on a
// row selecting and zooming to its fan, CSV export through FANSCHED).
#include <gtest/gtest.h>

#include <QDockWidget>
#include <QFile>
#include <QHeaderView>

#include "cad/runtime/command_processor.h"
#include "cad/runtime/implied_selection.h"
#include "desktop_session.h"
#include "drawings/fan_record.h"
#include "sched/sched_command.h"

namespace {

// Two fans of one 20 x 10 block: F-2 at (100,50) placed first, F-1 at
// (300,200) with its duty and operating point; and a line.
struct TwoFans {
  guitest::TestDrawing d;
  AcDbObjectId f1, f2, line;
  TwoFans() {
    line = d.line({0, 0, 0}, {40, 0, 0}, 3);
    const AcDbObjectId blk = d.block(L"4-72No4.5A_F_L0");
    d.line({0, 0, 0}, {20, 10, 0}, 1, nullptr, blk);
    d.db()->registerApplication(L"Model");
    f2 = fan(blk, {100, 50, 0}, L"F-2", {});
    FanRecord duty;
    duty.flow = 12000;
    duty.pressure = 800;
    duty.pointFlow = 12104.4;
    duty.pointPressure = 812.3;
    duty.efficiency = 78.46;
    f1 = fan(blk, {300, 200, 0}, L"F-1", duty);
  }
  AcDbObjectId fan(AcDbObjectId blk, AcGePoint3d at, const wchar_t* tag, FanRecord r) {
    const AcDbObjectId id = d.reference(blk, at);
    {
      AcDbObjectPointer<AcDbEntity> ref(id, AcDb::kForWrite);
      resbuf* xdata = acutBuildList(1001, L"Model", 1000, L"4-72No4.5A_2900", 0);
      EXPECT_EQ(ref->setXData(xdata), Acad::eOk);
      acutRelRb(xdata);
    }
    r.tag = tag;
    r.series = L"4-72";
    r.fanNo = L"4.5";
    r.drive = L"A";
    r.speed = L"2900";
    EXPECT_TRUE(WriteFanRecord(id, r));
    return id;
  }
};

struct Entry {
  QString text;
  bool enabled;
  bool operator==(const Entry&) const = default;
};

std::vector<Entry> entries(QMenu* menu) {
  std::vector<Entry> list;
  for (QAction* a : menu->actions()) {
    if (!a->isSeparator()) list.push_back({a->text(), a->isEnabled()});
  }
  return list;
}

QAction* entry(QMenu* menu, const QString& text) {
  for (QAction* a : menu->actions()) {
    if (a->text() == text) return a;
  }
  ADD_FAILURE() << "no entry " << text.toStdString();
  return nullptr;
}

class FanDesktop : public guitest::DesktopSession {
 protected:
  void TearDown() override {
    for (const wchar_t* name : {L"FANEDIT", L"FANSCHED"}) {
      cadrt::CommandProcessor::instance().removeHostCommand(name);
    }
    DesktopSession::TearDown();
  }
  guitest::SampleModule m_module{"zrfan-gui-schedule"};
};

TEST_F(FanDesktop, APlacedFansMenuEditsShowsItsRowAndItsRecordAndTheScheduleFindsEachFan) {
  TwoFans fans;
  const AcDbObjectId f1 = fans.f1, f2 = fans.f2, line = fans.line;
  open(fans.d);
  window.setScheduleSource([this] {
    zrgui::SchedulePanel::Cells cells;
    for (const auto& row : DrawingScheduleCells(db())) {
      QStringList texts;
      for (const CString& c : row) texts << QString::fromStdWString(c.str());
      cells.push_back(texts);
    }
    return std::optional(cells);
  });
  std::vector<AcDbObjectId> editedSelection;
  const QString csv = QString::fromStdString(m_module.lib.path() + "/schedule.csv");
  window.askFile = [&](const QString&, const QString&, bool) { return csv; };
  zrgui::SchedulePanel* schedule = window.schedulePanel();
  QTableWidget* table = schedule->table();

  std::vector<Entry> beforeFanedit, withFanedit, onLine;
  QStringList tags;
  std::map<std::string, QString> shown;
  bool propertiesShown = false;
  int rowShown = -1;
  std::vector<AcDbObjectId> clickedSelection;
  QPointF centreBefore, centreAfter;
  bool exportWithoutFansched = true, exportWithFansched = false;
  at(QStringLiteral("Command:"), [&] {
    window.canvas()->select({line});
    QMenu* menu = window.contextMenu();
    onLine = entries(menu);
    delete menu;
    window.canvas()->select({f1});
    menu = window.contextMenu();
    beforeFanedit = entries(menu);
    entry(menu, QStringLiteral("&Properties"))->trigger();
    propertiesShown = window.propertiesPanel()->isVisible();
    for (const char* p : {"Tag", "Series", "Fan number", "Drive", "Speed", "Duty",
                          "Operating point", "Efficiency"}) {
      shown[p] = window.propertiesPanel()->value(QString::fromLatin1(p));
    }
    entry(menu, QStringLiteral("Show in &Schedule"))->trigger();
    rowShown = table->currentRow();
    for (int r = 0; r < table->rowCount(); ++r) tags << table->item(r, 0)->text();
    delete menu;
    exportWithoutFansched = schedule->csvButton()->isEnabled();
    cadrt::CommandProcessor::instance().addHostCommand(L"FANEDIT", [&] {
      editedSelection = cadrt::impliedSelection();
      return RTNORM;
    });
    cadrt::CommandProcessor::instance().addHostCommand(L"FANSCHED", [] {
      FanSchedCommand();
      return RTNORM;
    });
    menu = window.contextMenu();
    withFanedit = entries(menu);
    entry(menu, QStringLiteral("E&dit Fan"))->trigger();
    delete menu;
  });
  at(QStringLiteral("Command:"), [&] {
    window.canvas()->clearSelection();
    centreBefore = window.canvas()->view().center();
    const int row = tags.indexOf(QStringLiteral("F-2"));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualItemRect(table->item(row, 0)).center());
    clickedSelection = window.canvas()->selected();
    centreAfter = window.canvas()->view().center();
    exportWithFansched = schedule->csvButton()->isEnabled();
    QTest::mouseClick(schedule->csvButton(), Qt::LeftButton);
  });
  at(QStringLiteral("Command:"), [&] { type(QStringLiteral("QUIT")); });
  run();

  const std::vector<Entry> common{{QStringLiteral("Erase"), true},
                                  {QStringLiteral("Move"), true},
                                  {QStringLiteral("Rotate"), true},
                                  {QStringLiteral("Copy"), true}};
  EXPECT_EQ(onLine, common) << "a line has no fan entries";
  std::vector<Entry> fanMenu = common;
  fanMenu.insert(fanMenu.end(), {{QStringLiteral("E&dit Fan"), false},
                                 {QStringLiteral("Data S&heet..."), false},
                                 {QStringLiteral("Show in &Schedule"), true},
                                 {QStringLiteral("&Properties"), true}});
  EXPECT_EQ(beforeFanedit, fanMenu) << "Edit fan waits for FANEDIT";
  fanMenu[4].enabled = true;
  EXPECT_EQ(withFanedit, fanMenu);
  EXPECT_EQ(editedSelection, std::vector<AcDbObjectId>{f1}) << "FANEDIT ran on the fan selected";

  EXPECT_TRUE(propertiesShown);
  const std::map<std::string, QString> record{
      {"Tag", QStringLiteral("F-1")},
      {"Series", QStringLiteral("4-72")},
      {"Fan number", QStringLiteral("4.5")},
      {"Drive", QStringLiteral("A")},
      {"Speed", QStringLiteral("2900 r/min")},
      {"Duty", QStringLiteral("12000 m\u00b3/h, 800 Pa")},
      {"Operating point", QStringLiteral("12104 m\u00b3/h, 812 Pa")},
      {"Efficiency", QStringLiteral("78.5 %")}};
  EXPECT_EQ(shown, record);

  EXPECT_EQ(tags, (QStringList{QStringLiteral("F-1"), QStringLiteral("F-2")})) << "in tag order";
  EXPECT_EQ(table->horizontalHeaderItem(0)->text(), QStringLiteral("编号"));
  EXPECT_EQ(rowShown, 0) << "Show in schedule selects F-1's row";
  EXPECT_EQ(clickedSelection, std::vector<AcDbObjectId>{f2});
  EXPECT_NE(centreBefore, centreAfter);
  EXPECT_NEAR(centreAfter.x(), 110, 1e-6) << "the middle of F-2's 20 x 10 outline";
  EXPECT_NEAR(centreAfter.y(), 55, 1e-6);

  EXPECT_FALSE(exportWithoutFansched);
  EXPECT_TRUE(exportWithFansched);
  QFile written(csv);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly)) << transcript();
  const QStringList lines = QString::fromUtf8(written.readAll()).split(u'\n');
  ASSERT_GE(lines.size(), 3);
  EXPECT_TRUE(lines[1].startsWith(QStringLiteral("F-1,"))) << lines[1].toStdString();
  EXPECT_TRUE(lines[2].startsWith(QStringLiteral("F-2,"))) << lines[2].toStdString();
}

}  // namespace
