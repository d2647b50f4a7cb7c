// Editing in the desktop window with the mouse and keys: picking a fan at the
// command prompt (its highlight and grips), Delete, Ctrl+Z and Ctrl+Y with
// the title's modified mark, MOVE on a preselected fan placed by a drag, and
// a grip drag.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "desktop_session.h"

namespace {

using guitest::DesktopSession;
using guitest::handleText;

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

struct SavedFan {
  AcGePoint3d position;
  std::string xdata;
};

// The block reference with this handle in a saved drawing, if it is there.
std::optional<SavedFan> savedFan(const std::string& file, const std::wstring& handle) {
  AcDbDatabase back(false, true);
  EXPECT_EQ(back.readDwgFile(QString::fromStdString(file).toStdWString().c_str()), Acad::eOk);
  AcDbObjectId id;
  if (back.getAcDbObjectId(id, false, AcDbHandle(handle.c_str())) != Acad::eOk) return std::nullopt;
  AcDbObjectPointer<AcDbBlockReference> ref(id, AcDb::kForRead);
  if (!ref) return std::nullopt;
  return SavedFan{ref->position(), xdataText(ref.object())};
}

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
  std::string file(const char* name) { return m_files.file(name); }
  // The next step: when the prompt shows anew after what the step before
  // typed or clicked (the same prompt still up is not enough: "Command:"
  // follows "Command:").
  void then(const QString& prompt, std::function<void()> action) {
    when(
        [this, prompt] {
          const std::string t = transcript();
          const size_t at = t.rfind(prompt.toStdString());
          return input.isWaiting() && at != std::string::npos && at >= m_mark &&
                 window.commandLine()->prompt().trimmed().endsWith(prompt);
        },
        [this, action = std::move(action)] {
          m_mark = transcript().size();
          action();
        });
  }

 private:
  testsupport::TempDir m_files;
  size_t m_mark = 0;
};

const QColor kGrip = zrgui::DrawingCanvas::gripColor();
const QColor kHighlight = zrgui::DrawingCanvas::highlightColor();

TEST_F(DesktopEdit, APickedFanShowsGripsDeleteErasesItAndUndoRedoFollowWithTheTitle) {
  FanDrawing f;
  const std::string xdataBefore =
      xdataText(AcDbObjectPointer<AcDbEntity>(f.fan, AcDb::kForRead).object());
  open(f.d);
  const std::wstring handle = handleText(f.fan);
  const std::string erasedFile = file("erased.dxf");
  const std::string restoredFile = file("restored.dxf");
  std::vector<AcDbObjectId> picked, both;
  std::vector<zrgui::Grip> grips;
  int gripPixelsBefore = -1, gripPixels = 0, highlightPixels = 0, otherGrips = -1;
  size_t afterEsc = 99;
  bool modifiedAtStart = true;
  then(QStringLiteral("Command:"), [&] {
    modifiedAtStart = window.isWindowModified();
    gripPixelsBefore = shown(kGrip, 100, 50, 3);
    clickAt(120, 55);  // on the fan's right side
    picked = window.canvas()->selected();
    grips = window.canvas()->grips();
    gripPixels = shown(kGrip, 100, 50, 2);
    otherGrips = shown(kGrip, 120, 60, 3);
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
  then(QStringLiteral("Command:"), [&] {
    erased = f.fan.isErased();
    modifiedErased = window.isWindowModified();
    keys(Qt::Key_Z, Qt::ControlModifier);
  });
  then(QStringLiteral("Command:"), [&] {
    restored = !f.fan.isErased();
    modifiedRestored = window.isWindowModified();
    xdataRestored = xdataText(AcDbObjectPointer<AcDbEntity>(f.fan, AcDb::kForRead).object());
    keys(Qt::Key_Y, Qt::ControlModifier);
  });
  bool erasedAgain = false, modifiedAgain = false;
  then(QStringLiteral("Command:"), [&] {
    erasedAgain = f.fan.isErased();
    modifiedAgain = window.isWindowModified();
    type(QStringLiteral("SAVEAS ") + QString::fromStdString(erasedFile));
  });
  then(QStringLiteral("Command:"), [&] { keys(Qt::Key_Z, Qt::ControlModifier); });
  then(QStringLiteral("Command:"),
       [&] { type(QStringLiteral("SAVEAS ") + QString::fromStdString(restoredFile)); });
  then(QStringLiteral("Command:"), [&] { type(QStringLiteral("QUIT")); });
  run();

  EXPECT_FALSE(modifiedAtStart);
  EXPECT_EQ(gripPixelsBefore, 0);
  EXPECT_EQ(picked, std::vector<AcDbObjectId>{f.fan}) << "the click picked the fan, not the line";
  ASSERT_EQ(grips.size(), 1u);
  EXPECT_TRUE(grips[0].insertion);
  EXPECT_DOUBLE_EQ(grips[0].at.x(), 100);
  EXPECT_DOUBLE_EQ(grips[0].at.y(), 50);
  EXPECT_GT(gripPixels, 0) << "the grip is drawn at the insertion point";
  EXPECT_EQ(otherGrips, 0) << "a fan has its insertion grip only";
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

  EXPECT_FALSE(savedFan(erasedFile, handle)) << "the saved drawing lacks the erased fan";
  const std::optional<SavedFan> back = savedFan(restoredFile, handle);
  ASSERT_TRUE(back) << "undone after the save, the fan is saved again under its handle";
  EXPECT_TRUE(back->position.isEqualTo({100, 50, 0}));
  EXPECT_EQ(back->xdata, xdataBefore);
}

TEST_F(DesktopEdit, MoveTakesThePreselectedFanAndADragPlacesItAndAGripDragMovesIt) {
  FanDrawing f;
  open(f.d);
  QPointF pressed, released, gripTo;
  int ghost = 0;
  bool stayedPut = false;
  then(QStringLiteral("Command:"), [&] {
    clickAt(120, 55);
    type(QStringLiteral("MOVE"));
  });
  then(QStringLiteral("Specify base point:"), [&] {
    pressed = window.canvas()->toWorld(screenOf(100, 50));
    QTest::mousePress(window.canvas(), Qt::LeftButton, {}, screenOf(100, 50));
  });
  then(QStringLiteral("Specify second point:"), [&] {
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
  then(QStringLiteral("Command:"), [&] {
    moved = positionOf(f.fan);
    selectedAfterMove = window.canvas()->selected().size();
    clickAt(80, 25);  // the fan where it is now
    gripTo = window.canvas()->toWorld(screenOf(20, 40));
    drag(screenOf(moved.x, moved.y), screenOf(20, 40));
  });
  then(QStringLiteral("Command:"), [&] {
    gripped = positionOf(f.fan);
    afterGrip = window.canvas()->selected();
    type(QStringLiteral("U"));
  });
  AcGePoint3d undone;
  then(QStringLiteral("Command:"), [&] {
    undone = positionOf(f.fan);
    type(QStringLiteral("QUIT"));
  });
  run();

  EXPECT_EQ(transcript().find("Select objects:"), std::string::npos) << transcript();
  EXPECT_TRUE(stayedPut) << "the drawing changes only when the point is given";
  EXPECT_GT(ghost, 0) << "the fan is drawn following the cursor";
  const QPointF vector = released - pressed;
  EXPECT_NEAR(moved.x, 100 + vector.x(), 1e-4);
  EXPECT_NEAR(moved.y, 50 + vector.y(), 1e-4);
  EXPECT_NEAR(moved.x, 60, 1 / window.canvas()->view().scale() * 2);
  EXPECT_EQ(selectedAfterMove, 0u) << "MOVE used the selection up";
  EXPECT_NEAR(gripped.x, gripTo.x(), 1e-4) << "the insertion point went where the grip was dropped";
  EXPECT_NEAR(gripped.y, gripTo.y(), 1e-4);
  EXPECT_EQ(afterGrip, std::vector<AcDbObjectId>{f.fan})
      << "the fan stays selected after a grip move";
  EXPECT_TRUE(undone.isEqualTo(moved)) << "the grip move was one step";
}

}  // namespace
