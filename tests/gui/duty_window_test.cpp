// FANDUTY on the desktop: the candidates' window over the sample catalogue,
// its table against the console's, the chart of the selected row on screen
// and in PNG files, and the FAN dialog opened from it by a double-click.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <optional>
#include <regex>
#include <sstream>

#include "desktop_session.h"
#include "duty/duty_command.h"
#include "editor_fixture.h"
#include "fandlg/fan_dlg.h"
#include "gui/dialog_view.h"
#include "gui/gui_ui_service.h"
#include "gui/table_choice_window.h"
#include "res/resource.h"

namespace {

using winplat::PictureItem;
using winplat::PictureKind;

class DutyWindow : public EditorTest {
 protected:
  std::string run(const std::string& answers) {
    input(answers);
    m_out.str("");
    FanDutyCommand();
    return output();
  }

  guitest::SampleModule m_module{"zrfan"};
};

// The console table's rows, cells split on the blanks between them.
std::vector<QStringList> consoleRows(const std::string& out) {
  std::vector<QStringList> rows;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    if (!std::regex_search(line, std::regex("^ *[0-9]+  "))) continue;
    rows.push_back(QString::fromStdString(line).trimmed().split(QRegularExpression("  +")));
  }
  return rows;
}

QStringList windowRow(const QTableWidget& table, int row) {
  QStringList cells;
  for (int c = 0; c < table.columnCount(); ++c) cells << table.item(row, c)->text();
  return cells;
}

// The item of a picture with this name (curve, marker) and role.
const PictureItem& itemOf(const winplat::VectorPicture& pic, const char* name, const char* role) {
  const auto found = std::find_if(pic.items.begin(), pic.items.end(), [&](const PictureItem& i) {
    return i.name == name && i.role == role;
  });
  EXPECT_NE(found, pic.items.end()) << name << " " << role;
  return found == pic.items.end() ? pic.items.front() : *found;
}

// Pixels of a picture colour round a point of the picture in an image drawn
// at scale pixels per page unit.
int colourNear(const QImage& image, winplat::PicturePoint p, double scale, winplat::PictureColour c,
               int half, int tolerance = 40) {
  const QColor colour((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
  const QPoint at(static_cast<int>(p.x * scale), static_cast<int>(p.y * scale));
  return guitest::countColor(image, guitest::around(at, half), colour, tolerance);
}

// Every curve's colour shows along its polyline in the image, and the
// operating point's at its marker.
void expectCurvesWhereThePictureHasThem(const QImage& image, const winplat::VectorPicture& pic,
                                        double scale) {
  for (const char* role : {"pressure", "efficiency", "power", "system"}) {
    const PictureItem& line = itemOf(pic, "curve", role);
    int hits = 0;
    // Points a quarter, half and three quarters along (the system curve is
    // dashed: one of them may fall in a gap).
    for (const std::size_t i :
         {line.points.size() / 4, line.points.size() / 2, line.points.size() * 3 / 4}) {
      hits += colourNear(image, line.points[i], scale, line.stroke, 3, 60) > 0;
    }
    EXPECT_GE(hits, 2) << role;
  }
  const PictureItem& operating = itemOf(pic, "marker", "operating");
  const auto dot = std::find_if(operating.children.begin(), operating.children.end(),
                                [](const PictureItem& c) { return c.kind == PictureKind::Circle; });
  ASSERT_NE(dot, operating.children.end());
  EXPECT_GT(colourNear(image, dot->points[0], scale, dot->fill, 2), 10);
  // Away from every curve, in the legend's empty right end, the page is white.
  EXPECT_EQ(guitest::countNot(
                image, QRect(static_cast<int>(850 * scale), static_cast<int>(20 * scale), 20, 20),
                Qt::white),
            0);
}

// Runs fn on the modal window of type T once it is up: between one modal
// loop ending and the next starting Qt may run the timer early.
template <class T>
void whenModal(std::function<void(T&)> fn, int triesLeft = 200) {
  guitest::whenIdle(
      [fn, triesLeft] {
        if (auto* w = dynamic_cast<T*>(guitest::activeModal())) return fn(*w);
        if (triesLeft > 0) return whenModal<T>(fn, triesLeft - 1);
        QWidget* up = guitest::activeModal();
        ADD_FAILURE() << "the window did not come up; up: "
                      << (up ? up->windowTitle().toStdString() : "nothing");
        // What is up instead ends, so that the test does not wait for ever.
        if (auto* dialog = qobject_cast<QDialog*>(up)) dialog->reject();
      },
      20);
}

}  // namespace

TEST_F(DutyWindow, ShowsTheConsoleTableChartsTheSelectedRowAndOpensTheFanDialogOnIt) {
  const std::vector<QStringList> console = consoleRows(run("1000\n500\n\n\n\n"));
  ASSERT_GE(console.size(), 2u) << "the sample catalogue has candidates for 1000 m³/h, 500 Pa";

  zrgui::GuiUiService ui{nullptr, false};
  winplat::ScopedUiService scope{ui};
  guitest::Watchdog watchdog;
  QStringList chosen, opened;
  QString shownSeries;
  const QString png = QString::fromStdString(m_module.lib.file("chart.png"));
  whenModal<zrgui::TableChoiceWindow>([&](zrgui::TableChoiceWindow& window) {
    zrgui::TableChoiceWindow* w = &window;
    QTableWidget& table = *w->table();
    ASSERT_EQ(static_cast<std::size_t>(table.rowCount()), console.size());
    for (int r = 0; r < table.rowCount(); ++r) {
      EXPECT_EQ(windowRow(table, r), console[static_cast<std::size_t>(r)]) << "row " << r + 1;
    }
    const QImage first = w->pictureView()->grab().toImage();

    // Row 2: its own chart, on screen and saved.
    table.selectRow(1);
    const winplat::VectorPicture& pic = w->pictureView()->picture();
    const QStringList row2 = windowRow(table, 1);
    EXPECT_EQ(QString::fromStdWString(pic.title),
              row2[1] + " No." + row2[2] + " " + row2[3] + " " + row2[4] + " r/min");
    EXPECT_NE(w->pictureView()->grab().toImage(), first) << "the chart was redrawn";

    EXPECT_EQ(w->savePicture(png), QString());
    const QImage saved(png);
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), QSize(static_cast<int>(pic.width), static_cast<int>(pic.height)));
    expectCurvesWhereThePictureHasThem(saved, pic, 1);  // on screen the same painter draws it

    // A folder is no file: the window says so and stays.
    const QString refused =
        w->savePicture(QString::fromStdString(m_module.lib.path()) + "/nodir/x.png");
    EXPECT_FALSE(refused.isEmpty());
    EXPECT_TRUE(w->statusLine()->text().startsWith(QStringLiteral("无法写入图表文件")));

    chosen = row2;
    whenModal<zrgui::DialogView>([&](zrgui::DialogView& view) {
      auto& dlg = dynamic_cast<CFanDlg&>(view.dialog());
      for (const CString* v :
           {&dlg.m_strBigModel, &dlg.m_strFanNo, &dlg.m_strDriveMode, &dlg.m_strSpeed}) {
        opened << QString::fromStdWString(v->str());
      }
      if (auto* combo = qobject_cast<QComboBox*>(view.controlWidget(IDC_COMBO_BIGMODEL))) {
        shownSeries = combo->currentText();
      }
      static_cast<QDialog&>(view).reject();  // Esc: the dialog cancels
    });
    // A double-click on row 2 chooses it, as typing 2 does.
    const QRect cell = table.visualItemRect(table.item(1, 1));
    // As a mouse gives it: press, release, then press again as a double-click.
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mousePress(table.viewport(), Qt::LeftButton, {}, cell.center());
    QMouseEvent twice(QEvent::MouseButtonDblClick, QPointF(cell.center()),
                      table.viewport()->mapToGlobal(QPointF(cell.center())), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(table.viewport(), &twice);
  });
  run("1000\n500\n\n\n");
  EXPECT_FALSE(pending()) << "nothing asked at the command line";
  ASSERT_EQ(chosen.size(), 21);
  EXPECT_EQ(opened, chosen.mid(1, 4));
  EXPECT_EQ(shownSeries, chosen[1]);
}

namespace {

// The number a cell begins with; none for "-".
std::optional<double> cellNumber(const QString& cell) {
  bool ok = false;
  const double v = cell.section(QRegularExpression("[ /]"), 0, 0).toDouble(&ok);
  return ok ? std::optional<double>(v) : std::nullopt;
}

void clickHeading(QTableWidget& table, int column) {
  table.scrollToItem(table.item(0, column));
  QHeaderView* header = table.horizontalHeader();
  const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                  header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

std::vector<QStringList> visibleRows(const QTableWidget& table) {
  std::vector<QStringList> rows;
  for (int r = 0; r < table.rowCount(); ++r) {
    if (!table.isRowHidden(r)) rows.push_back(windowRow(table, r));
  }
  return rows;
}

// Console columns the filters and the sort go by.
constexpr int kMarginColumn = 10, kFeiColumn = 15, kGradeColumn = 16, kLwaColumn = 18;

struct FilterCase {
  const char* what;
  std::size_t filter;         // the choice's filter: 0 pass only, 1 motor margin, 2 LwA
  const char *lower, *upper;  // for the tick box: upper non-empty ticks it
  std::function<bool(const QStringList&)> kept;
};

bool within(const QString& cell, double low, double high) {
  const std::optional<double> v = cellNumber(cell);
  return v && *v >= low && *v <= high;
}

}  // namespace

// 5000 m³/h at 1000 Pa: ten candidates of the sample catalogue, FEI highest
// on the fifth (1.54, the sixth equal), one failing its grade (the tenth).
TEST_F(DutyWindow, SortsByAHeadingFiltersTheRowsAndChoosesTheCandidateShown) {
  const std::vector<QStringList> console = consoleRows(run("5000\n1000\n\n\n\n"));
  ASSERT_GE(console.size(), 6u);
  const std::vector<FilterCase> cases = {
      {"pass only", 0, "", "x",
       [](const QStringList& r) { return r[kGradeColumn].endsWith(QStringLiteral(" 合格")); }},
      {"margin 40 to 60 %", 1, "40", "60",
       [](const QStringList& r) { return within(r[kMarginColumn], 40, 60); }},
      {"margin from 50 %", 1, "50", "",
       [](const QStringList& r) { return within(r[kMarginColumn], 50, 1e9); }},
      {"LwA at most 95", 2, "", "95",
       [](const QStringList& r) { return within(r[kLwaColumn], -1e9, 95); }},
  };

  zrgui::GuiUiService ui{nullptr, false};
  winplat::ScopedUiService scope{ui};
  guitest::Watchdog watchdog;
  QStringList chosen, opened;
  whenModal<zrgui::TableChoiceWindow>([&](zrgui::TableChoiceWindow& w) {
    QTableWidget& table = *w.table();
    for (const FilterCase& c : cases) {
      const auto& controls = w.filterControls(c.filter);
      if (controls.only) {
        controls.only->setChecked(*c.upper != 0);
      } else {
        if (controls.lower) controls.lower->setText(QString::fromLatin1(c.lower));
        controls.upper->setText(QString::fromLatin1(c.upper));
      }
      std::vector<QStringList> expected;
      std::copy_if(console.begin(), console.end(), std::back_inserter(expected), c.kept);
      EXPECT_LT(expected.size(), console.size()) << c.what << ": hides some";
      EXPECT_EQ(visibleRows(table), expected) << c.what;
      if (controls.only) controls.only->setChecked(false);
      if (controls.lower) controls.lower->clear();
      if (controls.upper) controls.upper->clear();
      EXPECT_EQ(visibleRows(table), console) << c.what << " off: every row back";
    }

    // The selected row's data sheet, from the window's button.
    ASSERT_NE(w.rowFileButton(), nullptr);
    const QString pdf = QString::fromStdString(m_module.lib.file("sheet.pdf"));
    EXPECT_EQ(w.saveRowFile(pdf), QString());
    QFile sheet(pdf);
    EXPECT_TRUE(sheet.open(QIODevice::ReadOnly) && sheet.read(5) == "%PDF-");

    // Twice on FEI's heading: descending, numbers as numbers, "-" last.
    clickHeading(table, kFeiColumn);
    clickHeading(table, kFeiColumn);
    std::vector<QStringList> byFei = console;
    std::stable_sort(byFei.begin(), byFei.end(), [](const QStringList& a, const QStringList& b) {
      const auto x = cellNumber(a[kFeiColumn]), y = cellNumber(b[kFeiColumn]);
      return x && (!y || *x > *y);
    });
    EXPECT_EQ(visibleRows(table), byFei);
    EXPECT_NE(byFei.front(), console.front()) << "the highest FEI is not ranked first";

    // The first row as sorted: its chart, and the FAN dialog on its model.
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {},
                      table.visualItemRect(table.item(0, 1)).center());
    chosen = windowRow(table, 0);
    EXPECT_TRUE(QString::fromStdWString(w.pictureView()->picture().title)
                    .startsWith(chosen[1] + " No." + chosen[2] + " " + chosen[3]));
    whenModal<zrgui::DialogView>([&](zrgui::DialogView& view) {
      auto& dlg = dynamic_cast<CFanDlg&>(view.dialog());
      for (const CString* v :
           {&dlg.m_strBigModel, &dlg.m_strFanNo, &dlg.m_strDriveMode, &dlg.m_strSpeed}) {
        opened << QString::fromStdWString(v->str());
      }
      static_cast<QDialog&>(view).reject();
    });
    QTest::mouseClick(w.chooseButton(), Qt::LeftButton);
  });
  run("5000\n1000\n\n\n");
  ASSERT_EQ(chosen.size(), 21);
  EXPECT_EQ(opened, chosen.mid(1, 4));
}
