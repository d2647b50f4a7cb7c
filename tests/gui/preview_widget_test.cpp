// The preview control on screen, through a preview model of the test's own
// over a drawing built here: the block's colours where its lines are, the red
// base-point cross, the background the model asks for, the view moved by
// wheel and drag, and the context menu from the module's resources.
#include <gtest/gtest.h>

#include <QMenu>
#include <QTest>
#include <QWheelEvent>

#include "gui/dialog_view.h"
#include "gui/gui_ui_service.h"
#include "gui/preview_widget.h"
#include "gui_test_support.h"
#include "test_drawing.h"
#include "win/afxwin.h"
#include "win/ui_models.h"

namespace {

constexpr UINT kDialogId = 420;
constexpr UINT kMenuId = 205;

const winplat::ResourceTable& table() {
  using namespace winplat;
  static const ResourceTable t = {
      {DialogTemplate{kDialogId,
                      L"预览",
                      L"宋体",
                      9,
                      DS_MODALFRAME | WS_POPUP | WS_CAPTION,
                      0,
                      0,
                      160,
                      140,
                      {lText(L"", 210, 7, 7, 146, 110, SS_SUNKEN),
                       defPushButton(L"退出", IDOK, 100, 120, 50, 14)}}},
      {MenuTemplate{kMenuId,
                    {{0,
                      L"Preview",
                      MF_POPUP,
                      {{kPreviewZoomRealtime, L"实时缩放", MF_STRING, {}},
                       {kPreviewZoomWindow, L"窗口放大", MF_STRING, {}},
                       {kPreviewPan, L"平移视图", MF_STRING, {}},
                       {kPreviewOrbit, L"旋转视图", MF_STRING, {}},
                       {0, L"", MF_SEPARATOR, {}},
                       {kPreviewInitialView, L"初始视图", MF_STRING | MFS_DEFAULT, {}}}}}}},
      {}};
  return t;
}

// A preview control as the test needs one: a window with a database to show.
class CTestPreview : public CWnd, public winplat::PreviewModel {
 public:
  void show(const AcDbDatabase* db) {
    m_db = db;
    modelChanged();
  }
  void erase() {
    m_db = nullptr;
    modelChanged();
  }
  void setBackground(COLORREF c) {
    m_background = c;
    modelChanged();
  }
  const void* previewDatabase() const override { return m_db; }
  int previewEntityCount() const override { return 0; }
  bool previewShown() const override { return m_db != nullptr; }
  COLORREF previewBackground() const override { return m_background; }
  winplat::PreviewView previewView() const override { return {}; }

 private:
  const AcDbDatabase* m_db = nullptr;
  COLORREF m_background = RGB(0, 0, 0);
};

class CPreviewDlg : public CDialog {
 public:
  CPreviewDlg() : CDialog(kDialogId) {}
  CTestPreview m_Preview;
  void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, 210, m_Preview); }
};

// The view block of a fan as the module shows it: a yellow body, a green
// outlet, and the red cross at the base point (the block's origin).
guitest::TestDrawing viewBlockDrawing() {
  guitest::TestDrawing d;
  d.line({-40, -30, 0}, {40, -30, 0}, 2);
  d.line({40, -30, 0}, {40, 30, 0}, 2);
  d.line({40, 30, 0}, {-40, 30, 0}, 2);
  d.line({-40, 30, 0}, {-40, -30, 0}, 2);
  d.line({40, 10, 0}, {60, 10, 0}, 3);
  for (const auto& end :
       {AcGePoint3d(4, 0, 0), AcGePoint3d(-4, 0, 0), AcGePoint3d(0, 4, 0), AcGePoint3d(0, -4, 0)}) {
    d.line({0, 0, 0}, end, 1);
  }
  return d;
}

class PreviewWidgetTest : public ::testing::Test {
 protected:
  PreviewWidgetTest() {
    m_previous = AfxGetResourceHandle();
    static HINSTANCE h = winplat::instanceFromTable(&table(), "preview-tests");
    AfxSetResourceHandle(h);
    EXPECT_TRUE(dlg.Create(kDialogId));
    dlg.ShowWindow(SW_SHOW);
    dlg.m_Preview.show(drawing.db());
    view = std::make_unique<zrgui::DialogView>(dlg, nullptr);
    view->show();
    preview = dynamic_cast<zrgui::PreviewWidget*>(view->controlWidget(210));
  }
  ~PreviewWidgetTest() override { AfxSetResourceHandle(m_previous); }

  QPoint at(double x, double y) const { return preview->view().toScreen(QPointF(x, y)).toPoint(); }

  zrgui::GuiUiService ui{nullptr, false};
  winplat::ScopedUiService scope{ui};
  guitest::Watchdog watchdog;
  guitest::TestDrawing drawing = viewBlockDrawing();
  CPreviewDlg dlg;
  std::unique_ptr<zrgui::DialogView> view;
  zrgui::PreviewWidget* preview = nullptr;
  HINSTANCE m_previous;
};

TEST_F(PreviewWidgetTest, TheBlockShowsInItsColoursWithTheRedCrossOnTheBackgroundAsked) {
  ASSERT_NE(preview, nullptr) << "a static subclassed into a preview becomes a preview widget";
  const QImage image = preview->picture();
  const QRect whole = image.rect();
  // Fitted: the outline spans most of the width, and nothing falls outside.
  EXPECT_GT(at(60, 0).x() - at(-40, 0).x(), whole.width() * 8 / 10);
  EXPECT_TRUE(whole.contains(at(-40, -30)) && whole.contains(at(60, 30)));
  EXPECT_GT(guitest::countColor(image, guitest::around(at(0, 30), 2), Qt::yellow), 0);
  EXPECT_GT(guitest::countColor(image, guitest::around(at(-40, 0), 2), Qt::yellow), 0);
  EXPECT_GT(guitest::countColor(image, guitest::around(at(50, 10), 2), Qt::green), 0);
  EXPECT_GT(guitest::countColor(image, guitest::around(at(0, 0), 2), Qt::red), 3)
      << "the base-point cross";
  EXPECT_EQ(guitest::countNot(image, guitest::around(at(20, -15), 4), Qt::black), 0)
      << "the background inside the outline";

  dlg.m_Preview.setBackground(RGB(255, 255, 255));
  view->sync();
  EXPECT_EQ(guitest::countNot(preview->picture(), guitest::around(at(20, -15), 4), Qt::white), 0);
  dlg.m_Preview.erase();
  view->sync();
  EXPECT_EQ(guitest::countNot(preview->picture(), preview->rect(), Qt::white), 0)
      << "an erased preview shows nothing";
}

TEST_F(PreviewWidgetTest, TheWheelZoomsAboutTheCursorAndADragPans) {
  const QPoint cursor = at(40, 10);
  const QPointF under = preview->view().toWorld(cursor);
  const double scale = preview->view().scale();
  QWheelEvent wheel(QPointF(cursor), preview->mapToGlobal(QPointF(cursor)), QPoint(),
                    QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(preview, &wheel);
  EXPECT_GT(preview->view().scale(), scale);
  EXPECT_NEAR(preview->view().toWorld(cursor).x(), under.x(), 1e-9)
      << "the point under the cursor stays";
  EXPECT_NEAR(preview->view().toWorld(cursor).y(), under.y(), 1e-9);
  const QPoint before = at(0, 0);
  QTest::mousePress(preview, Qt::LeftButton, {}, QPoint(50, 50));
  QTest::mouseMove(preview, QPoint(70, 60));
  QTest::mouseRelease(preview, Qt::LeftButton, {}, QPoint(70, 60));
  EXPECT_EQ(at(0, 0), before + QPoint(20, 10));
  EXPECT_EQ(dlg.m_Preview.previewDatabase(), drawing.db()) << "the view moves, the model does not";
}

TEST_F(PreviewWidgetTest, TheContextMenuComesFromTheModulesResourcesAndDoesWhatItSays) {
  QStringList shown;
  QString defaultItem;
  auto choose = [&](const QString& item) {
    guitest::whenIdle([&, item] {
      auto* menu = qobject_cast<QMenu*>(guitest::activeModal());
      ASSERT_NE(menu, nullptr);
      shown.clear();
      for (QAction* a : menu->actions()) shown << a->text();
      defaultItem = menu->defaultAction() ? menu->defaultAction()->text() : QString();
      for (QAction* a : menu->actions()) {
        if (a->text() == item) a->trigger();
      }
      menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                            preview->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(preview, &event);
  };
  choose(QStringLiteral("实时缩放"));
  EXPECT_EQ(shown, (QStringList{QStringLiteral("实时缩放"), QStringLiteral("窗口放大"),
                                QStringLiteral("平移视图"), QStringLiteral("旋转视图"), QString(),
                                QStringLiteral("初始视图")}));
  EXPECT_EQ(defaultItem, QStringLiteral("初始视图"));
  EXPECT_EQ(preview->dragMode(), zrgui::PreviewWidget::DragMode::ZoomRealtime);
  const double scale = preview->view().scale();
  QTest::mousePress(preview, Qt::LeftButton, {}, QPoint(50, 80));
  QTest::mouseMove(preview, QPoint(50, 40));
  QTest::mouseRelease(preview, Qt::LeftButton, {}, QPoint(50, 40));
  EXPECT_GT(preview->view().scale(), scale) << "dragging up zooms in";

  choose(QStringLiteral("旋转视图"));
  QTest::mousePress(preview, Qt::LeftButton, {}, QPoint(50, 50));
  QTest::mouseMove(preview, QPoint(80, 50));
  QTest::mouseRelease(preview, Qt::LeftButton, {}, QPoint(80, 50));
  EXPECT_NE(preview->view().twist(), 0);

  choose(QStringLiteral("窗口放大"));
  const QPoint a = at(30, 0);
  const QPoint b = at(60, 20);
  QTest::mousePress(preview, Qt::LeftButton, {}, a);
  QTest::mouseMove(preview, b);
  QTest::mouseRelease(preview, Qt::LeftButton, {}, b);
  EXPECT_TRUE(preview->rect().contains(at(45, 10)));
  EXPECT_FALSE(preview->rect().contains(at(-40, -30))) << "the window fills the view";

  choose(QStringLiteral("初始视图"));
  EXPECT_EQ(preview->view().twist(), 0);
  EXPECT_EQ(preview->dragMode(), zrgui::PreviewWidget::DragMode::Pan);
  EXPECT_TRUE(preview->rect().contains(at(-40, -30)) && preview->rect().contains(at(60, 30)));
}

}  // namespace
