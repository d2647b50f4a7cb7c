// fancad's desktop window in-process: the command line, the host's own
// commands answered with the mouse on the canvas (INSERT with its point and
// two-point angle, a selection by window and crossing), what the canvas then
// shows, the title's modified mark, recent files, the question before
// closing with unsaved changes, and the module's fan dialog placing a fan.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <numbers>

#include "base/module_instance.h"
#include "desktop_session.h"
#include "fandlg/fan_dlg.h"
#include "gui/dialog_view.h"
#include "gui/preview_widget.h"
#include "res/resource.h"
#include "view_drawing_builder.h"
#include "win/resources.h"

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);

using guitest::DesktopSession;
using guitest::g_selected;
using guitest::handleText;

TEST_F(DesktopSession, InsertTakesItsPointAndTwoPointAngleFromTheCanvas) {
  guitest::TestDrawing d;
  d.line({0, 0, 0}, {200, 100, 0}, 3);
  const AcDbObjectId blk = d.block(L"FANBLK");
  const AcGePoint3d corners[] = {{0, 0, 0}, {20, 0, 0}, {20, 10, 0}, {0, 10, 0}};
  for (int i = 0; i < 4; ++i) d.line(corners[i], corners[(i + 1) % 4], 1, nullptr, blk);
  open(d);
  QPointF picked;
  bool modifiedBefore = true;
  bool rubberBand = false;
  at(QStringLiteral("Command:"), [&] {
    modifiedBefore = window.isWindowModified();
    type(QStringLiteral("INSERT FANBLK"));
  });
  at(QStringLiteral("insertion point or [Scale/Rotate]:"), [&] {
    picked = window.canvas()->toWorld(screenOf(120, 40));
    clickAt(120, 40);
  });
  at(QStringLiteral("Enter scale factor <1>:"),
     [&] { QTest::keyClick(window.commandLine()->input(), Qt::Key_Return); });
  at(QStringLiteral("Specify rotation angle <0>:"), [&] { clickAt(120, 40); });
  at(QStringLiteral("Specify second point:"), [&] {
    hover(screenOf(130, 70));
    // The rubber band runs from the first point to the cursor.
    const QImage shown = window.canvas()->grab().toImage();
    rubberBand =
        guitest::countColor(shown, guitest::around(screenOf(125, 55), 2), Qt::white, 60) > 0;
    clickAt(120, 60);
  });
  at(QStringLiteral("Command:"), [&] { type(QStringLiteral("QUIT")); });
  run();

  EXPECT_FALSE(modifiedBefore);
  const auto ids = modelSpace();
  ASSERT_EQ(ids.size(), 2u);
  AcDbObjectPointer<AcDbBlockReference> ref(ids[1], AcDb::kForRead);
  ASSERT_TRUE(ref);
  const double pixel = 1 / window.canvas()->view().scale();
  EXPECT_NEAR(ref->position().x, 120, pixel);
  EXPECT_NEAR(ref->position().y, 40, pixel);
  EXPECT_NEAR(ref->position().x, picked.x(), 1e-4)
      << "the point is the world point under the click";
  EXPECT_NEAR(ref->rotation(), std::numbers::pi / 2, 2 * pixel / 20);
  EXPECT_TRUE(rubberBand);
  // The canvas shows the block where it was placed, turned up: its long
  // side now runs from (120,40) to (120,60).
  window.refresh();
  EXPECT_GT(pixelsAt(kRed, 120, 50), 0);
  EXPECT_GT(pixelsAt(kRed, 110, 50), 0);
  EXPECT_EQ(pixelsAt(kRed, 130, 45, 3), 0);
  EXPECT_GT(pixelsAt(kGreen, 100, 50), 0);
  EXPECT_TRUE(window.isWindowModified());
  EXPECT_TRUE(window.windowTitle().contains(QStringLiteral("[*]")));
  const std::string answered = "Specify insertion point or [Scale/Rotate]: " +
                               zrgui::DrawingCanvas::pointText(picked).toStdString() + "\n";
  EXPECT_NE(transcript().find(answered), std::string::npos)
      << "the picked point is answered as typed:\n"
      << transcript();
}

TEST_F(DesktopSession, TheCommandLineRecallsLinesAndTheMouseSelectsByWindowAndCrossing) {
  guitest::TestDrawing d;
  const AcDbObjectId a = d.line({10, 10, 0}, {20, 10, 0}, 1);
  const AcDbObjectId b = d.line({50, 10, 0}, {60, 10, 0}, 2);
  const AcDbObjectId c = d.line({15, 50, 0}, {80, 50, 0}, 3);
  open(d);
  QString recalled;
  QString history;
  at(QStringLiteral("Command:"), [&] { type(QStringLiteral("NOSUCH")); });
  at(QStringLiteral("Command:"), [&] {
    QLineEdit* edit = window.commandLine()->input();
    QTest::keyClick(edit, Qt::Key_Up);
    recalled = edit->text();
    QTest::keyClick(edit, Qt::Key_Escape);
    history = window.commandLine()->history()->toPlainText();
    type(QStringLiteral("PICKSET"));
  });
  at(QStringLiteral("Select objects:"), [&] { drag(screenOf(5, 5), screenOf(30, 20)); });
  at(QStringLiteral("Select objects:"), [&] { drag(screenOf(70, 60), screenOf(45, 5)); });
  at(QStringLiteral("Select objects:"),
     [&] { QTest::mouseClick(window.canvas(), Qt::RightButton, {}, screenOf(90, 20)); });
  at(QStringLiteral("Command:"), [&] { type(QStringLiteral("QUIT")); });
  run();
  EXPECT_EQ(recalled, QStringLiteral("NOSUCH"));
  EXPECT_TRUE(history.contains(QStringLiteral("Command: NOSUCH\nUnknown command \"NOSUCH\".")))
      << history.toStdString();
  EXPECT_EQ(g_selected, (std::vector<std::wstring>{handleText(a), handleText(b), handleText(c)}))
      << "the window took what lay inside, the crossing what it touched; the right button ended";
  const std::string t = transcript();
  EXPECT_NE(t.find("Select objects: w "), std::string::npos) << t;
  EXPECT_NE(t.find("Select objects: c "), std::string::npos) << t;
  EXPECT_NE(t.find("2 found"), std::string::npos) << t;
}

TEST_F(DesktopSession, ClosingWithUnsavedChangesAsksAndSavesFirst) {
  guitest::TestDrawing d;
  d.line({0, 0, 0}, {10, 10, 0}, 1);
  openUnsaved(d);
  testsupport::TempDir dir;
  const QString file = QString::fromStdString(dir.file("plan.dxf"));
  std::vector<QString> asked;
  int answer = QMessageBox::Cancel;
  window.askSave = [&](const QString& drawing) {
    asked.push_back(drawing);
    return answer;
  };
  window.askFile = [&](const QString&, const QString&, bool save) {
    return save ? file : QString();
  };
  at(QStringLiteral("Command:"), [&] { type(QStringLiteral("INSERT")); });
  at(QStringLiteral("Enter block name:"), [&] {
    window.close();  // a command is running: nothing is asked
    QTest::keyClick(window.commandLine()->input(), Qt::Key_Escape);
  });
  at(QStringLiteral("Command:"), [&] {
    window.close();  // Cancel: the session goes on
    answer = QMessageBox::Save;
    window.refresh();
    window.close();  // Save: SAVEAS, then QUIT once the drawing is saved
  });
  run();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0], QStringLiteral("Drawing1.dwg"));
  EXPECT_TRUE(QFileInfo::exists(file));
  EXPECT_FALSE(db() && db()->isModifiedSinceSave());
  EXPECT_TRUE(window.recentFiles().contains(file));
  EXPECT_NE(transcript().find("Save drawing as: " + file.toStdString()), std::string::npos)
      << transcript();
}

TEST_F(DesktopSession, MenusOpenDrawingsAndZoomTheViewAndTheStatusBarFollowsTheCursor) {
  guitest::TestDrawing first;
  first.line({0, 0, 0}, {100, 50, 0}, 1);
  open(first);
  testsupport::TempDir dir;
  guitest::TestDrawing second;
  second.line({1000, 1000, 0}, {1200, 1100, 0}, 2);
  const std::string other = dir.file("other plan.dxf");
  ASSERT_EQ(second.db()->saveAs(QString::fromStdString(other).toStdWString().c_str()), Acad::eOk);
  window.askFile = [&](const QString&, const QString&, bool) {
    return QString::fromStdString(other);
  };
  QString title;
  QString coordinates;
  QRectF afterWindow;
  at(QStringLiteral("Command:"), [&] {
    // File > Open...: the drawing is not changed, so nothing is asked.
    for (QAction* a : window.menuBar()->actions()[0]->menu()->actions()) {
      if (a->text() == QStringLiteral("&Open...")) a->trigger();
    }
  });
  at(QStringLiteral("Command:"), [&] {
    title = window.windowTitle();
    hover(QPoint(window.canvas()->width() / 2, window.canvas()->height() / 2));
    coordinates = window.findChild<QStatusBar*>()->findChildren<QLabel*>().value(0)->text();
    type(QStringLiteral("ZOOM W"));
  });
  at(QStringLiteral("Specify first corner:"), [&] { clickAt(1000, 1000); });
  at(QStringLiteral("Specify opposite corner:"), [&] { clickAt(1100, 1050); });
  at(QStringLiteral("Command:"), [&] {
    afterWindow = window.canvas()->view().visibleWorld();
    type(QStringLiteral("QUIT"));
  });
  run();
  EXPECT_EQ(title, QStringLiteral("other plan.dxf[*] - fancad"));
  EXPECT_EQ(window.recentFiles().value(0), QString::fromStdString(other));
  EXPECT_EQ(coordinates, QStringLiteral("1100.0000, 1050.0000"))
      << "the view of the opened drawing is its extents; the cursor is at their centre";
  EXPECT_NEAR(afterWindow.center().x(), 1050, 1);
  EXPECT_NEAR(afterWindow.center().y(), 1025, 1);
  EXPECT_LT(afterWindow.width(), 200) << "the window fills the view";
}

// The module's fan dialog in the desktop session: a model chosen with the
// mouse, its view block in the preview, and a fan placed by clicking the
// canvas while the dialog steps aside.
int fanDialogCommand() {
  CFanDlg dlg;
  dlg.DoModal();
  return RTNORM;
}

class FanPlacementSession : public DesktopSession {
 protected:
  static constexpr double kRadius = 300;  // the view block's outline, round its base point

  void SetUp() override {
    testsupport::writeSampleCatalogue(m_lib.path());
    // F_L0: a square on the layer OUTLINE (green) with its corners on the
    // circle, at 0, 90, 180 and 270 degrees: turned by 90 it looks the same.
    ASSERT_TRUE(testsupport::writeViewDrawing(m_lib.path() + "/dwg/Fan/4-72No4.5A.dwg",
                                              {testsupport::ViewBlock(L"F_L0", 4, kRadius)}));
    ::setenv("ZR_DATALIB", m_lib.path().c_str(), 1);
    ::setenv("ZR_DWGLIB", (m_lib.path() + "/dwg").c_str(), 1);
    m_previous = AfxGetResourceHandle();
    m_module = winplat::instanceFromTable(fancadModuleResources(), "zrfan-gui-placement");
    AfxSetResourceHandle(m_module);
    DesktopSession::SetUp();
    cadrt::CommandProcessor::instance().addHostCommand(L"FANDLG", fanDialogCommand);
  }
  void TearDown() override {
    cadrt::CommandProcessor::instance().removeHostCommand(L"FANDLG");
    DesktopSession::TearDown();
    AfxSetResourceHandle(m_previous);
    zrbase::releaseInstance(m_module);
    ::unsetenv("ZR_DATALIB");
    ::unsetenv("ZR_DWGLIB");
  }

  static zrgui::DialogView* dialog() {
    return dynamic_cast<zrgui::DialogView*>(QApplication::activeModalWidget());
  }
  static bool dialogUp() { return dialog() && dialog()->isVisible(); }
  static QComboBox* combo(int id) { return qobject_cast<QComboBox*>(dialog()->controlWidget(id)); }
  static void press(int id) {
    QTest::mouseClick(qobject_cast<QPushButton*>(dialog()->controlWidget(id)), Qt::LeftButton);
  }

 private:
  testsupport::TempDir m_lib;
  HINSTANCE m_previous = nullptr;
  HINSTANCE m_module = nullptr;
};

TEST_F(FanPlacementSession, AFanChosenWithTheMouseIsPreviewedAndPlacedWhereTheCanvasIsClicked) {
  guitest::TestDrawing d;
  d.line({0, 0, 0}, {4000, 3000, 0}, 5);
  open(d);
  bool chosen = false;
  int previewGreen = 0, previewRedAtBase = 0, previewRedAway = 0;
  bool hiddenWhilePicking = false;
  int outlineBehindDialog = 0, outlineOpposite = 0, crossBehindDialog = -1;
  at(QStringLiteral("Command:"), [&] { type(QStringLiteral("FANDLG")); });
  when(dialogUp, [&] {
    chosen = guitest::pickWithMouse(combo(IDC_COMBO_BIGMODEL), QStringLiteral("4-72")) &&
             guitest::pickWithMouse(combo(IDC_COMBO_FANNO), QStringLiteral("4.5")) &&
             guitest::pickWithMouse(combo(IDC_COMBO_DRIVEMODE), QStringLiteral("A")) &&
             guitest::pickWithMouse(combo(IDC_COMBO_SPEED), QStringLiteral("2900"));
    auto* preview =
        dynamic_cast<zrgui::PreviewWidget*>(dialog()->controlWidget(IDC_STATIC_PREVIEW));
    if (preview) {
      const QImage image = preview->picture();
      auto near = [&](double x, double y, int half) {
        return guitest::around(preview->view().toScreen(QPointF(x, y)).toPoint(), half);
      };
      previewGreen = guitest::countColor(image, near(kRadius / 2, kRadius / 2, 2), kGreen);
      previewRedAtBase = guitest::countColor(image, near(0, 0, 3), kRed);
      previewRedAway = guitest::countColor(image, near(kRadius / 2, kRadius / 2, 2), kRed);
    }
    press(IDC_BUTTON_PLACEFAN);
  });
  at(QStringLiteral("请输入风机插入角度:"), [&] {
    hiddenWhilePicking = dialog() == nullptr;
    type(QStringLiteral("90"));
  });
  at(QStringLiteral("insertion point or [Scale/Rotate]:"), [&] { clickAt(2000, 1000); });
  when(dialogUp, [&] {
    // Back in the dialog, the drawing behind it already shows the new fan:
    // its outline round the picked point, and no cross.
    outlineBehindDialog = pixelsAt(kGreen, 2150, 1150);
    outlineOpposite = pixelsAt(kGreen, 1850, 850);
    crossBehindDialog = pixelsAt(kRed, 2000, 1000, 3);
    press(IDOK);
  });
  at(QStringLiteral("Command:"), [&] { type(QStringLiteral("QUIT")); });
  run();

  EXPECT_TRUE(chosen) << "every combo offered the model's value";
  EXPECT_GT(previewGreen, 0) << "the view block's outline in its layer's colour";
  EXPECT_GT(previewRedAtBase, 3) << "the red cross at the base point";
  EXPECT_EQ(previewRedAway, 0);
  EXPECT_TRUE(hiddenWhilePicking);
  const auto ids = modelSpace();
  ASSERT_EQ(ids.size(), 2u);
  AcDbObjectPointer<AcDbBlockReference> ref(ids[1], AcDb::kForRead);
  ASSERT_TRUE(ref);
  const double pixel = 1 / window.canvas()->view().scale();
  EXPECT_NEAR(ref->position().x, 2000, pixel);
  EXPECT_NEAR(ref->position().y, 1000, pixel);
  EXPECT_NEAR(ref->rotation(), std::numbers::pi / 2, 1e-9) << "the typed angle";
  resbuf* xdata = ref->xData(L"Model");
  ASSERT_NE(xdata, nullptr) << "the placed fan carries its model";
  acutRelRb(xdata);
  EXPECT_GT(outlineBehindDialog, 0);
  EXPECT_GT(outlineOpposite, 0);
  EXPECT_EQ(crossBehindDialog, 0);
  const std::string t = transcript();
  EXPECT_NE(t.find("请输入风机插入角度:90\n"), std::string::npos) << t;
  EXPECT_NE(t.find("请点取插入点:\nCommand: INSERT"), std::string::npos) << t;
}

}  // namespace
