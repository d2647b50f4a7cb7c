// FANDUTY on the desktop: the candidates' window over the sample catalogue,
// its table against the console's, the chart of the selected row on screen
// and in PNG files, and the FAN dialog opened from it by a double-click.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <map>
#include <regex>
#include <sstream>

#include "base/module_instance.h"
#include "catalogue_builder.h"
#include "duty/duty_command.h"
#include "editor_fixture.h"
#include "fandlg/fan_dlg.h"
#include "gui/dialog_view.h"
#include "gui/gui_ui_service.h"
#include "gui/picture_painter.h"
#include "gui/table_choice_window.h"
#include "gui_test_support.h"
#include "host/fan_module.h"
#include "res/resource.h"
#include "win/resources.h"

namespace {

using winplat::PictureItem;
using winplat::PictureKind;

class DutyWindow : public EditorTest {
 protected:
  void SetUp() override {
    testsupport::writeSampleCatalogue(m_dir.path());
    ::setenv("ZR_DATALIB", m_dir.path().c_str(), 1);
    m_module = winplat::instanceFromTable(fancadModuleResources(), "zrfan");
    ASSERT_TRUE(DllMain(m_module, DLL_PROCESS_ATTACH, nullptr));
  }
  void TearDown() override {
    DllMain(m_module, DLL_PROCESS_DETACH, nullptr);
    zrbase::releaseInstance(m_module);
    ::unsetenv("ZR_DATALIB");
    EditorTest::TearDown();
  }

  std::string run(const std::string& answers) {
    input(answers);
    m_out.str("");
    FanDutyCommand();
    return output();
  }

  testsupport::TempDir m_dir;
  HINSTANCE m_module = nullptr;
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

// The polylines and markers of a picture by role.
std::map<std::string, const PictureItem*> byRole(const winplat::VectorPicture& pic,
                                                 const std::string& name) {
  std::map<std::string, const PictureItem*> found;
  for (const PictureItem& item : pic.items) {
    if (item.name == name) found[item.role] = &item;
  }
  return found;
}

QColor colourOf(winplat::PictureColour c) {
  return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

// Every curve's colour shows along its polyline in the image (drawn at
// scale pixels per page unit), and the operating point's at its marker.
void expectCurvesWhereThePictureHasThem(const QImage& image, const winplat::VectorPicture& pic,
                                        double scale) {
  const auto curves = byRole(pic, "curve");
  for (const char* role : {"pressure", "efficiency", "power", "system"}) {
    ASSERT_TRUE(curves.count(role)) << role;
    const PictureItem& line = *curves.at(role);
    int hits = 0;
    // Points a quarter, half and three quarters along (the system curve is
    // dashed: one of them may fall in a gap).
    for (const std::size_t i :
         {line.points.size() / 4, line.points.size() / 2, line.points.size() * 3 / 4}) {
      const QPoint at(static_cast<int>(line.points[i].x * scale),
                      static_cast<int>(line.points[i].y * scale));
      hits += guitest::countColor(image, guitest::around(at, 3), colourOf(line.stroke), 60) > 0;
    }
    EXPECT_GE(hits, 2) << role;
  }
  const PictureItem& operating = *byRole(pic, "marker").at("operating");
  const auto found =
      std::find_if(operating.children.begin(), operating.children.end(),
                   [](const PictureItem& c) { return c.kind == PictureKind::Circle; });
  ASSERT_NE(found, operating.children.end());
  const PictureItem& dot = *found;
  const QPoint at(static_cast<int>(dot.points[0].x * scale),
                  static_cast<int>(dot.points[0].y * scale));
  EXPECT_GT(guitest::countColor(image, guitest::around(at, 2), colourOf(dot.fill)), 10);
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
  QStringList chosen;
  QString series, fanNo, drive, speed, shownSeries;
  const QString png = QString::fromStdString(m_dir.file("chart.png"));
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
    expectCurvesWhereThePictureHasThem(saved, pic, 1);
    // On screen the same picture, scaled into the widget.
    const QRectF area = w->pictureView()->pictureRect();
    const QImage screen = w->pictureView()->grab().toImage().copy(area.toAlignedRect());
    expectCurvesWhereThePictureHasThem(screen, pic, area.width() / pic.width);

    // A folder is no file: the window says so and stays.
    const QString refused = w->savePicture(QString::fromStdString(m_dir.path()) + "/nodir/x.png");
    EXPECT_FALSE(refused.isEmpty());
    EXPECT_TRUE(w->statusLine()->text().startsWith(QStringLiteral("无法写入图表文件")));

    chosen = row2;
    whenModal<zrgui::DialogView>([&](zrgui::DialogView& fanDialog) {
      zrgui::DialogView* view = &fanDialog;
      auto& dlg = dynamic_cast<CFanDlg&>(view->dialog());
      series = QString::fromStdWString(dlg.m_strBigModel.str());
      fanNo = QString::fromStdWString(dlg.m_strFanNo.str());
      drive = QString::fromStdWString(dlg.m_strDriveMode.str());
      speed = QString::fromStdWString(dlg.m_strSpeed.str());
      if (auto* combo = qobject_cast<QComboBox*>(view->controlWidget(IDC_COMBO_BIGMODEL))) {
        shownSeries = combo->currentText();
      }
      static_cast<QDialog*>(view)->reject();  // Esc: the dialog cancels
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
  ASSERT_EQ(chosen.size(), 15);
  EXPECT_EQ(QStringList({series, fanNo, drive, speed}), chosen.mid(1, 4));
  EXPECT_EQ(shownSeries, chosen[1]);
}

TEST_F(DutyWindow, ScriptedRunsAnswerAtTheCommandLineAndDrawPngCharts) {
  zrgui::GuiUiService ui{nullptr, true};
  winplat::ScopedUiService scope{ui};
  const std::string png = m_dir.file("scripted.png");
  const std::string out = run("1000\n500\n\n\nC\n1\n" + png + "\n\n");
  EXPECT_NE(out.find("图表已写入 " + png), std::string::npos) << out;
  const QImage image(QString::fromStdString(png));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(880, 580));
  // The pressure curve's blue is there, the page around it white.
  EXPECT_GT(guitest::countColor(image, image.rect(), QColor(0x1F, 0x5F, 0xBF), 30), 200);
  EXPECT_GT(guitest::countColor(image, image.rect(), Qt::white, 10), 880 * 580 / 2);
}

TEST(TableChoiceWindow, MarkedRowsStandApartAndAnEmptyTableOffersNothing) {
  winplat::TableChoice choice;
  choice.title = L"选择";
  choice.columns = {L"序号", L"型号"};
  choice.rightAligned = {true, false};
  choice.rows = {{L"1", L"A"}, {L"2", L"B"}};
  choice.marked = {false, true};
  choice.markedTip = L"不稳定";
  int drawn = 0;
  choice.picture = [&drawn](std::size_t row) {
    ++drawn;
    winplat::VectorPicture p;
    p.width = 100;
    p.height = 50;
    p.title = row ? L"second" : L"first";
    return p;
  };
  {
    zrgui::TableChoiceWindow w(choice, nullptr);
    QTableWidget& t = *w.table();
    EXPECT_EQ(t.item(0, 0)->textAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(t.item(1, 1)->toolTip(), QStringLiteral("不稳定"));
    EXPECT_NE(t.item(1, 0)->background(), t.item(0, 0)->background());
    EXPECT_EQ(w.pictureView()->picture().title, L"first") << "the first row is selected at once";
    t.selectRow(1);
    EXPECT_EQ(w.pictureView()->picture().title, L"second");
    EXPECT_EQ(w.selectedRow(), 1u);
    EXPECT_EQ(drawn, 2);
    // Wider than the table needs: every column shows whole.
    w.show();
    QApplication::processEvents();
    EXPECT_LE(t.horizontalHeader()->length(), t.viewport()->width());
  }
  choice.rows.clear();
  choice.marked.clear();
  zrgui::TableChoiceWindow empty(choice, nullptr);
  EXPECT_FALSE(empty.chooseButton()->isEnabled());
  EXPECT_FALSE(empty.saveButton()->isEnabled());
}
