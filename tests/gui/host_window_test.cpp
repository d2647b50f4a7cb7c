// fancad's desktop window in-process: the command line, the host's commands
// answered with the mouse (INSERT's point in the fan placement, selection by
// window and crossing, ZOOM W), the title's modified mark, recent files, the
// question before closing unsaved, the module's fan dialog placing a fan;
// picking a fan (highlight, grips), Delete, Ctrl+Z/Ctrl+Y, MOVE by a drag
// and a grip drag; the ghosts of INSERT's block and of ROTATE's selection;
// the layer and properties panels.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <numbers>

#include "desktop_commands.h"
#include "desktop_session.h"
#include "fandlg/fan_dlg.h"
#include "gui/dialog_view.h"
#include "gui/drawing_canvas.h"
#include "res/resource.h"
#include "view_drawing_builder.h"

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);

using guitest::DesktopSession;

// A new drawing: a line typed and recalled, lines erased by a window and a
// crossing, and closing the window while unsaved.
TEST_F(DesktopSession, TheMouseSelectsByWindowAndCrossingAndClosingUnsavedAsksAndSavesFirst) {
  guitest::TestDrawing d;
  const AcDbObjectId a = d.line({10, 10, 0}, {20, 10, 0}, 1);
  const AcDbObjectId b = d.line({50, 10, 0}, {60, 10, 0}, 2);
  const AcDbObjectId c = d.line({15, 50, 0}, {80, 50, 0}, 3);
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
  QString recalled, history;
  bool erased = false;
  at(QStringLiteral("Command:"), [&] { type(QStringLiteral("NOSUCH")); });
  at(QStringLiteral("Command:"), [&] {
    QLineEdit* edit = window.commandLine()->input();
    QTest::keyClick(edit, Qt::Key_Up);
    recalled = edit->text();
    QTest::keyClick(edit, Qt::Key_Escape);
    history = window.commandLine()->history()->toPlainText();
    type(QStringLiteral("ERASE"));
  });
  at(QStringLiteral("Select objects:"), [&] { drag(screenOf(5, 5), screenOf(30, 20)); });
  at(QStringLiteral("Select objects:"), [&] { drag(screenOf(70, 60), screenOf(45, 5)); });
  at(QStringLiteral("Select objects:"),
     [&] { QTest::mouseClick(window.canvas(), Qt::RightButton, {}, screenOf(90, 20)); });
  at(QStringLiteral("Command:"), [&] {
    erased = a.isErased() && b.isErased() && c.isErased();
    type(QStringLiteral("INSERT"));
  });
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
  EXPECT_EQ(recalled, QStringLiteral("NOSUCH"));
  EXPECT_TRUE(history.contains(QStringLiteral("Command: NOSUCH\nUnknown command \"NOSUCH\".")))
      << history.toStdString();
  EXPECT_TRUE(erased)
      << "the window took what lay inside, the crossing what it touched; the right button ended";
  const std::string t = transcript();
  EXPECT_NE(t.find("Select objects: w "), std::string::npos) << t;
  EXPECT_NE(t.find("Select objects: c "), std::string::npos) << t;
  EXPECT_NE(t.find("2 found"), std::string::npos) << t;
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0], QStringLiteral("Drawing1.dwg"));
  EXPECT_TRUE(QFileInfo::exists(file));
  EXPECT_FALSE(db() && db()->isModifiedSinceSave());
  EXPECT_TRUE(window.recentFiles().contains(file));
  EXPECT_NE(t.find("Save drawing as: " + file.toStdString()), std::string::npos) << t;
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
  QString title, coordinates;
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
  EXPECT_LT(afterWindow.width(), 200) << "the window fills the view";
}

// The module's fan dialog in the desktop session: a model chosen with the
// mouse and a fan placed by clicking the canvas while the dialog steps aside
// (the preview's colours and cross are checked in dialog_view_test.cpp).
int fanDialogCommand() {
  CFanDlg dlg;
  dlg.DoModal();
  return RTNORM;
}

class FanPlacementSession : public DesktopSession {
 protected:
  static constexpr double kRadius = 300;  // the view block's outline, round its base point

  void SetUp() override {
    // F_L0: a square on the layer OUTLINE (green) with its corners on the
    // circle, at 0, 90, 180 and 270 degrees: turned by 90 it looks the same.
    ASSERT_TRUE(testsupport::writeViewDrawing(m_module.lib.path() + "/dwg/Fan/4-72No4.5A.dwg",
                                              {testsupport::ViewBlock(L"F_L0", 4, kRadius)}));
    DesktopSession::SetUp();
    cadrt::CommandProcessor::instance().addHostCommand(L"FANDLG", fanDialogCommand);
  }
  void TearDown() override {
    cadrt::CommandProcessor::instance().removeHostCommand(L"FANDLG");
    DesktopSession::TearDown();
  }

  static zrgui::DialogView* dialog() {
    return dynamic_cast<zrgui::DialogView*>(QApplication::activeModalWidget());
  }
  static bool dialogUp() { return dialog() && dialog()->isVisible(); }
  static QComboBox* combo(int id) { return qobject_cast<QComboBox*>(dialog()->controlWidget(id)); }
  static void press(int id) {
    QTest::mouseClick(qobject_cast<QPushButton*>(dialog()->controlWidget(id)), Qt::LeftButton);
  }

  guitest::SampleModule m_module{"zrfan-gui-placement"};
};

TEST_F(FanPlacementSession, AFanChosenWithTheMouseIsPlacedWhereTheCanvasIsClicked) {
  guitest::TestDrawing d;
  d.line({0, 0, 0}, {4000, 3000, 0}, 5);
  open(d);
  bool chosen = false;
  bool hiddenWhilePicking = false;
  int outlineBehindDialog = 0, crossBehindDialog = -1;
  at(QStringLiteral("Command:"), [&] { type(QStringLiteral("FANDLG")); });
  when(dialogUp, [&] {
    chosen = guitest::pickWithMouse(combo(IDC_COMBO_BIGMODEL), QStringLiteral("4-72")) &&
             guitest::pickWithMouse(combo(IDC_COMBO_FANNO), QStringLiteral("4.5")) &&
             guitest::pickWithMouse(combo(IDC_COMBO_DRIVEMODE), QStringLiteral("A")) &&
             guitest::pickWithMouse(combo(IDC_COMBO_SPEED), QStringLiteral("2900"));
    press(IDC_BUTTON_PLACEFAN);
  });
  at(QStringLiteral("请输入风机插入角度:"), [&] {
    hiddenWhilePicking = dialog() == nullptr;
    type(QStringLiteral("90"));
  });
  QPointF picked;
  at(QStringLiteral("insertion point or [Scale/Rotate]:"), [&] {
    picked = window.canvas()->toWorld(screenOf(2000, 1000));
    clickAt(2000, 1000);
  });
  when(dialogUp, [&] {
    // Back in the dialog, the drawing behind it already shows the new fan:
    // its outline round the picked point, and no cross.
    outlineBehindDialog = pixelsAt(kGreen, 2150, 1150);
    crossBehindDialog = pixelsAt(kRed, 2000, 1000, 3);
    press(IDOK);
  });
  at(QStringLiteral("Command:"), [&] { type(QStringLiteral("QUIT")); });
  discardAtQuit();  // the drawing has a new fan
  run();

  EXPECT_TRUE(chosen) << "every combo offered the model's value";
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
  EXPECT_EQ(crossBehindDialog, 0);
  const std::string t = transcript();
  EXPECT_NE(t.find("insertion point or [Scale/Rotate]: " +
                   zrgui::DrawingCanvas::pointText(picked).toStdString() + "\n"),
            std::string::npos)
      << "the picked point is answered as typed:\n"
      << t;
}

// The xdata of an object as text: group code and value, one after another.
std::string xdataText(const AcDbObject* obj) {
  resbuf* rb = obj->xData();
  std::string out;
  for (const resbuf* p = rb; p; p = p->rbnext) {
    out += std::to_string(p->restype) + ':';
    if (p->restype == 1000 || p->restype == 1001) {
      out += zrbase::wideToUtf8(p->resval.rstring);
    } else if (p->restype == 1070) {
      out += std::to_string(p->resval.rint);
    } else if (p->restype == 1040) {
      out += std::to_string(p->resval.rreal);
    }
    out += ' ';
  }
  acutRelRb(rb);
  return out;
}

// A placed fan: a 20 x 10 outline (red) referenced at (100,50), with the
// module's xdata; and a green line apart from it.
struct FanDrawing {
  guitest::TestDrawing d;
  AcDbObjectId fan, line;
  FanDrawing() {
    line = d.line({0, 0, 0}, {40, 0, 0}, 3);
    const AcDbObjectId blk = d.block(L"FANBLK");
    const AcGePoint3d c[] = {{0, 0, 0}, {20, 0, 0}, {20, 10, 0}, {0, 10, 0}};
    for (int i = 0; i < 4; ++i) d.line(c[i], c[(i + 1) % 4], 1, nullptr, blk);
    fan = d.reference(blk, {100, 50, 0});
    d.db()->registerApplication(L"Model");
    AcDbObjectPointer<AcDbEntity> ref(fan, AcDb::kForWrite);
    resbuf* xdata = acutBuildList(1001, L"Model", 1000, L"4-72No4.5A_2900", 1070, 2, 1040, 1.25, 0);
    EXPECT_EQ(ref->setXData(xdata), Acad::eOk);
    acutRelRb(xdata);
  }
};

AcGePoint3d positionOf(AcDbObjectId id) {
  AcDbObjectPointer<AcDbBlockReference> ref(id, AcDb::kForRead);
  return ref ? ref->position() : AcGePoint3d(-1e9, -1e9, 0);
}

class DesktopEdit : public DesktopSession {
 protected:
  void SetUp() override {
    DesktopSession::SetUp();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window)) << "shortcuts need the window active";
  }
  void keys(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window.commandLine()->input(), static_cast<Qt::Key>(key), modifiers);
  }
  // Pixels of the canvas as shown now (highlight, grips and ghosts included).
  int shown(QColor color, double x, double y, int half) {
    return guitest::countColor(window.canvas()->grab().toImage(),
                               guitest::around(screenOf(x, y), half), color, 30);
  }
};

const QColor kGrip = zrgui::DrawingCanvas::gripColor();
const QColor kHighlight = zrgui::DrawingCanvas::highlightColor();

TEST_F(DesktopEdit, APickedFanShowsGripsDeleteErasesItAndUndoRedoFollowWithTheTitle) {
  FanDrawing f;
  const std::string xdataBefore =
      xdataText(AcDbObjectPointer<AcDbEntity>(f.fan, AcDb::kForRead).object());
  open(f.d);
  std::vector<AcDbObjectId> picked, both;
  std::vector<zrgui::Grip> grips;
  int gripPixels = 0, highlightPixels = 0;
  size_t afterEsc = 99;
  bool modifiedAtStart = true;
  at(QStringLiteral("Command:"), [&] {
    modifiedAtStart = window.isWindowModified();
    clickAt(120, 55);  // on the fan's right side
    picked = window.canvas()->selected();
    grips = window.canvas()->grips();
    gripPixels = shown(kGrip, 100, 50, 2);
    highlightPixels = shown(kHighlight, 110, 60, 2);
    clickAt(30, 0);  // a second pick adds the line
    both = window.canvas()->selected();
    keys(Qt::Key_Escape);
    afterEsc = window.canvas()->selected().size();
    clickAt(120, 55);
    keys(Qt::Key_Delete);
  });
  bool erased = false, modifiedErased = false, restored = false, modifiedRestored = true;
  std::string xdataRestored;
  at(QStringLiteral("Command:"), [&] {
    erased = f.fan.isErased();
    modifiedErased = window.isWindowModified();
    keys(Qt::Key_Z, Qt::ControlModifier);
  });
  at(QStringLiteral("Command:"), [&] {
    restored = !f.fan.isErased();
    modifiedRestored = window.isWindowModified();
    xdataRestored = xdataText(AcDbObjectPointer<AcDbEntity>(f.fan, AcDb::kForRead).object());
    keys(Qt::Key_Y, Qt::ControlModifier);
  });
  bool erasedAgain = false, modifiedAgain = false;
  at(QStringLiteral("Command:"), [&] {
    erasedAgain = f.fan.isErased();
    modifiedAgain = window.isWindowModified();
    type(QStringLiteral("QUIT"));
  });
  discardAtQuit();
  run();

  EXPECT_FALSE(modifiedAtStart);
  EXPECT_EQ(picked, std::vector<AcDbObjectId>{f.fan}) << "the click picked the fan, not the line";
  ASSERT_EQ(grips.size(), 1u) << "a fan has its insertion grip only";
  EXPECT_TRUE(grips[0].insertion);
  EXPECT_EQ(grips[0].at, QPointF(100, 50));
  EXPECT_GT(gripPixels, 0) << "the grip is drawn at the insertion point once picked";
  EXPECT_GT(highlightPixels, 0) << "the picked fan is drawn highlighted";
  EXPECT_EQ(both, (std::vector<AcDbObjectId>{f.fan, f.line}));
  EXPECT_EQ(afterEsc, 0u);

  EXPECT_TRUE(erased) << transcript();
  EXPECT_EQ(transcript().find("Select objects:"), std::string::npos) << "noun-verb: no prompt";
  EXPECT_TRUE(modifiedErased);
  EXPECT_TRUE(restored) << transcript();
  EXPECT_FALSE(modifiedRestored) << "undone back to the drawing as opened";
  EXPECT_EQ(xdataRestored, xdataBefore);
  EXPECT_TRUE(erasedAgain) << transcript();
  EXPECT_TRUE(modifiedAgain);
  // Undo and redo across a save, down to the saved handles and xdata: tests/e2e/edit_test.py.
}

TEST_F(DesktopEdit, MoveTakesThePreselectedFanAndADragPlacesItAndAGripDragMovesIt) {
  FanDrawing f;
  open(f.d);
  QPointF pressed, released, gripTo;
  int ghost = 0;
  bool stayedPut = false;
  at(QStringLiteral("Command:"), [&] {
    clickAt(120, 55);
    type(QStringLiteral("MOVE"));
  });
  at(QStringLiteral("Specify base point:"), [&] {
    pressed = QPointF(100, 50);  // the press snaps to the fan's insertion point
    QTest::mousePress(window.canvas(), Qt::LeftButton, {}, screenOf(100, 50));
  });
  at(QStringLiteral("Specify second point:"), [&] {
    hover(screenOf(60, 20), Qt::LeftButton);
    // The fan follows the cursor: its outline's bottom runs from (60,20) to (80,20).
    ghost = shown(kHighlight, 70, 20, 2);
    stayedPut = positionOf(f.fan).isEqualTo({100, 50, 0});
    released = window.canvas()->toWorld(screenOf(60, 20));
    QTest::mouseRelease(window.canvas(), Qt::LeftButton, {}, screenOf(60, 20));
  });
  AcGePoint3d moved;
  size_t selectedAfterMove = 99;
  std::vector<AcDbObjectId> afterGrip;
  AcGePoint3d gripped;
  at(QStringLiteral("Command:"), [&] {
    moved = positionOf(f.fan);
    selectedAfterMove = window.canvas()->selected().size();
    clickAt(80, 25);  // the fan where it is now
    gripTo = window.canvas()->toWorld(screenOf(20, 40));
    drag(screenOf(moved.x, moved.y), screenOf(20, 40));
  });
  at(QStringLiteral("Command:"), [&] {
    gripped = positionOf(f.fan);
    afterGrip = window.canvas()->selected();
    type(QStringLiteral("U"));
  });
  AcGePoint3d undone;
  at(QStringLiteral("Command:"), [&] {
    undone = positionOf(f.fan);
    type(QStringLiteral("QUIT"));
  });
  discardAtQuit();
  run();

  EXPECT_EQ(transcript().find("Select objects:"), std::string::npos) << transcript();
  EXPECT_TRUE(stayedPut) << "the drawing changes only when the point is given";
  EXPECT_GT(ghost, 0) << "the fan is drawn following the cursor";
  const QPointF vector = released - pressed;
  EXPECT_NEAR(moved.x, 100 + vector.x(), 1e-4);
  EXPECT_NEAR(moved.y, 50 + vector.y(), 1e-4);
  EXPECT_EQ(selectedAfterMove, 0u) << "MOVE used the selection up";
  EXPECT_NEAR(gripped.x, gripTo.x(), 1e-4) << "the insertion point went where the grip was dropped";
  EXPECT_NEAR(gripped.y, gripTo.y(), 1e-4);
  EXPECT_EQ(afterGrip, std::vector<AcDbObjectId>{f.fan})
      << "the fan stays selected after a grip move";
  EXPECT_TRUE(undone.isEqualTo(moved)) << "the grip move was one step";
}

// FANBLK's outline runs 20 across and 10 up from its base point: turned a
// quarter, from 10 left of the point to it and 20 up. So each ghost below has
// a side where only the turned block has one.
TEST_F(DesktopEdit, InsertShowsItsTurnedBlockAtTheCursorAndRotateTheSelectionTurnedToIt) {
  FanDrawing f;
  open(f.d);
  int insertGhost = -1, unturnedGhost = -1, rotateGhost = -1, movedGhost = -1;
  at(QStringLiteral("Command:"), [&] { type(QStringLiteral("INSERT FANBLK")); });
  at(QStringLiteral("[Scale/Rotate]:"), [&] { type(QStringLiteral("R")); });
  at(QStringLiteral("rotation angle <0>:"), [&] { type(QStringLiteral("90")); });
  at(QStringLiteral("[Scale/Rotate]:"), [&] {
    hover(screenOf(60, 20));
    insertGhost = shown(kHighlight, 50, 30, 2);
    unturnedGhost = shown(kHighlight, 70, 30, 2);
    QTest::keyClick(window.commandLine()->input(), Qt::Key_Escape);
  });
  at(QStringLiteral("Command:"), [&] {
    clickAt(120, 55);
    type(QStringLiteral("ROTATE"));
  });
  at(QStringLiteral("Specify base point:"), [&] { clickAt(100, 50); });
  at(QStringLiteral("Specify rotation angle:"), [&] {
    hover(screenOf(100, 80));
    rotateGhost = shown(kHighlight, 90, 60, 2);
    movedGhost = shown(kHighlight, 110, 80, 2);
    type(QStringLiteral("90"));
  });
  at(QStringLiteral("Command:"), [&] { type(QStringLiteral("QUIT")); });
  discardAtQuit();
  run();

  EXPECT_GT(insertGhost, 0) << "the block, turned as asked, follows the cursor";
  EXPECT_EQ(unturnedGhost, 0) << "and not as it would lie unturned";
  EXPECT_GT(rotateGhost, 0) << "the fan turned about the base point towards the cursor";
  EXPECT_EQ(movedGhost, 0) << "and not carried along as MOVE would";
  EXPECT_EQ(modelSpace().size(), 2u) << "the cancelled INSERT placed nothing: " << transcript();
  AcDbObjectPointer<AcDbBlockReference> ref(f.fan, AcDb::kForRead);
  ASSERT_EQ(ref.openStatus(), Acad::eOk);
  EXPECT_NEAR(ref->rotation(), std::numbers::pi / 2, 1e-9) << transcript();
}

AcDbObjectPointer<AcDbLayerTableRecord> layerNamed(AcDbDatabase* db, const wchar_t* name) {
  AcDbLayerTable* table = nullptr;
  AcDbObjectId id;
  if (db->getLayerTable(table, AcDb::kForRead) == Acad::eOk) {
    table->getAt(name, id);
    table->close();
  }
  return AcDbObjectPointer<AcDbLayerTableRecord>(id, AcDb::kForRead);
}

TEST_F(DesktopEdit, TheLayerPanelTurnsALayerOffCtrlZTurnsItOnAndPropertiesShowThePickedFan) {
  FanDrawing f;
  f.d.layer(L"Duct [A]", 3);
  f.d.line({0, 20, 0}, {40, 20, 0}, 256, L"Duct [A]");
  open(f.d);
  fancad::registerDesktopCommands();
  zrgui::LayerPanel* layers = window.layerPanel();
  layers->askColor = [](int) { return 1; };
  const auto clickCell = [layers](const QString& name, int column) {
    QTableWidget* table = layers->table();
    const QRect cell = table->visualItemRect(table->item(layers->rowOf(name), column));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
  };
  const QString duct = QStringLiteral("Duct [A]");
  bool off = false, offModified = false, onAgain = false, onModified = true;
  int onPixels = -1, offPixels = -1;
  QString kind, layer, model, x;
  at(QStringLiteral("Command:"), [&] {
    onPixels = pixelsAt(kGreen, 30, 20);
    clickCell(duct, zrgui::LayerPanel::On);
  });
  at(QStringLiteral("Command:"), [&] {
    off = layerNamed(db(), L"Duct [A]")->isOff();
    offModified = window.isWindowModified();
    offPixels = pixelsAt(kGreen, 30, 20);
    keys(Qt::Key_Z, Qt::ControlModifier);
  });
  at(QStringLiteral("Command:"), [&] {
    onAgain = !layerNamed(db(), L"Duct [A]")->isOff();
    onModified = window.isWindowModified();
    clickCell(duct, zrgui::LayerPanel::Color);
  });
  at(QStringLiteral("Command:"), [&] {
    clickAt(120, 55);
    const zrgui::PropertiesPanel* p = window.propertiesPanel();
    kind = p->value(QStringLiteral("Type"));
    layer = p->value(QStringLiteral("Layer"));
    model = p->value(QStringLiteral("Model"));
    x = p->value(QStringLiteral("Position X"));
    type(QStringLiteral("QUIT"));
  });
  discardAtQuit();
  run();

  EXPECT_TRUE(off) << transcript();
  EXPECT_TRUE(offModified);
  EXPECT_GT(onPixels, 0);
  EXPECT_EQ(offPixels, 0) << "the line on the layer is gone from the drawing";
  EXPECT_TRUE(onAgain) << "Ctrl+Z undid the panel's change: " << transcript();
  EXPECT_FALSE(onModified) << "undone back to the drawing as opened";
  EXPECT_EQ(layerNamed(db(), L"Duct [A]")->color().colorIndex(), 1) << transcript();
  EXPECT_EQ(layers->table()->item(layers->rowOf(duct), zrgui::LayerPanel::Color)->text(),
            QStringLiteral("1"))
      << "the panel shows the drawing as it is";
  EXPECT_EQ(kind, QStringLiteral("INSERT"));
  EXPECT_EQ(layer, QStringLiteral("0"));
  EXPECT_EQ(model, QStringLiteral("4-72No4.5A_2900, 2, 1.25")) << "every value of the application";
  EXPECT_EQ(x, QStringLiteral("100"));
}

}  // namespace
