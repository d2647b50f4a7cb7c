// The module's dialogs on screen: the fan selection dialog and the model
// editor laid out from the dialog font with every control in place and
// readable, on the sample catalogue, worked with the mouse and keys.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstdlib>

#include "base/module_instance.h"
#include "catalogue_builder.h"
#include "fandlg/fan_dlg.h"
#include "gui/dialog_view.h"
#include "gui/grid_widget.h"
#include "gui/gui_ui_service.h"
#include "gui_test_support.h"
#include "host/fan_module.h"
#include "res/resource.h"
#include "win/resources.h"

namespace {

using guitest::waitFor;

class FanDialogView : public ::testing::Test {
 protected:
  FanDialogView() {
    testsupport::writeSampleCatalogue(m_dir.path());
    ::setenv("ZR_DATALIB", m_dir.path().c_str(), 1);
    m_previous = AfxGetResourceHandle();
    m_module = winplat::instanceFromTable(fancadModuleResources(), "zrfan-gui-test");
    AfxSetResourceHandle(m_module);
  }
  ~FanDialogView() override {
    AfxSetResourceHandle(m_previous);
    zrbase::releaseInstance(m_module);
    ::unsetenv("ZR_DATALIB");
  }

  // A dialog of the module made modeless and shown, with its view.
  std::unique_ptr<zrgui::DialogView> show(CDialog& dlg, UINT id) {
    EXPECT_TRUE(dlg.Create(id));
    dlg.ShowWindow(SW_SHOW);
    auto view = std::make_unique<zrgui::DialogView>(dlg, nullptr);
    view->show();
    return view;
  }

  testsupport::TempDir m_dir;
  HINSTANCE m_previous = nullptr;
  HINSTANCE m_module = nullptr;
  zrgui::GuiUiService ui{nullptr, false};
  winplat::ScopedUiService scope{ui};
  guitest::Watchdog watchdog;
};

// Every template control has its widget, and nothing of the layout is wrong.
void expectReadable(const zrgui::DialogView& view, const winplat::DialogTemplate& tmpl) {
  std::size_t fromTemplate = 0;
  for (const auto& [h, w] : view.controls()) fromTemplate += h->fromTemplate && w;
  EXPECT_EQ(fromTemplate, tmpl.controls.size());
  for (const std::string& problem : guitest::layoutProblems(view)) ADD_FAILURE() << problem;
}

// Every text of a grid fits its cell.
void expectCellsReadable(const zrgui::GridWidget& grid, const winplat::GridModel& model) {
  const QFontMetrics fm(grid.font());
  for (int r = 0; r < model.gridRowCount(); ++r) {
    for (int c = 0; c < model.gridColumnCount(); ++c) {
      const QString text = QString::fromStdWString(model.cellText(r, c));
      const int need = fm.horizontalAdvance(text);
      const int room = grid.cellRect(r, c).width() - 2 * grid.metrics().toScreenX(4);
      EXPECT_LE(need, room) << "cell (" << r << "," << c << ") '" << text.toStdString() << "'";
    }
  }
}

// One fan dialog on the sample catalogue, worked as a user would: its layout
// and grids readable, a series chosen with the mouse refilling the cascade and
// the grids, a performance cell edited into the catalogue, and the model
// editor opened from its button.
TEST_F(FanDialogView, TheFanDialogIsReadableAndWorksWithTheMouseAndKeys) {
  ASSERT_TRUE(DllMain(m_module, DLL_PROCESS_ATTACH, nullptr));
  CFanDlg dlg;
  auto view = show(dlg, IDD_FAN_DIALOG);
  expectReadable(*view, *fancadModuleResources()->findDialog(IDD_FAN_DIALOG));
  // Dialog units come from the font the dialog is drawn with.
  const zrgui::DialogMetrics& m = view->metrics();
  EXPECT_EQ(view->width(), static_cast<int>(std::lround(winplat::dluToPixelsX(358) * m.scaleX)));
  EXPECT_EQ(m.baseY, QFontMetrics(m.font).height());
  for (int id : {IDC_GRID_PARAM, IDC_GRID_ACCESSORY}) {
    auto* grid = dynamic_cast<zrgui::GridWidget*>(view->controlWidget(id));
    ASSERT_NE(grid, nullptr) << "grid " << id;
    auto* model = dynamic_cast<CGridCtrl*>(dlg.GetDlgItem(id));
    ASSERT_NE(model, nullptr);
    EXPECT_GT(model->GetRowCount(), 1) << "the sample's first model has rows";
    expectCellsReadable(*grid, *model);
  }
  auto* grid = dynamic_cast<zrgui::GridWidget*>(view->controlWidget(IDC_GRID_PARAM));
  ASSERT_NE(grid, nullptr);

  // A series chosen with the mouse refills the cascade and the grids.
  auto* series = qobject_cast<QComboBox*>(view->controlWidget(IDC_COMBO_BIGMODEL));
  ASSERT_NE(series, nullptr);
  ASSERT_TRUE(guitest::pickWithMouse(series, QStringLiteral("T4-72")));
  EXPECT_EQ(dlg.m_strBigModel, L"T4-72");
  // The cascade below it was refilled (by the dialog's model), on screen too,
  // and the grid widget has the new model's rows.
  auto* driveMode = qobject_cast<QComboBox*>(view->controlWidget(IDC_COMBO_DRIVEMODE));
  ASSERT_GT(dlg.m_cbDriveMode.GetCount(), 0);
  ASSERT_EQ(driveMode->count(), dlg.m_cbDriveMode.GetCount());
  for (int i = 0; i < driveMode->count(); ++i) {
    CString item;
    dlg.m_cbDriveMode.GetLBText(i, item);
    EXPECT_EQ(driveMode->itemText(i).toStdWString(), item.str());
  }
  ASSERT_GT(dlg.m_GridParam.GetRowCount(), 2);
  EXPECT_FALSE(grid->cellRect(dlg.m_GridParam.GetRowCount() - 1, 1).isEmpty());

  // A performance cell edited with the mouse and keys is written to the catalogue.
  const int flowColumn = 4;  // 风量: after the row number, model number, serial and speed
  ASSERT_EQ(dlg.m_GridParam.GetItemText(0, flowColumn).Left(2), CString(L"风量"));
  const std::string before = dlg.m_GridParam.GetItemText(1, flowColumn).ToUtf8();
  ASSERT_FALSE(before.empty());
  const QPoint cell = grid->cellRect(1, flowColumn).center();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
  QTest::qWait(QApplication::doubleClickInterval() + 50);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
  ASSERT_NE(grid->editor(), nullptr) << "a second click on the focus cell edits it";
  QTest::keyClicks(grid->editor(), QStringLiteral("3111"));
  QTest::keyClick(grid->editor(), Qt::Key_Return);

  // The model's first performance row (rowid order, as the grid loads them)
  // holds the new flow; the other rows keep theirs.
  const std::string table = "\"" + dlg.m_strBigModel.ToUtf8() + "_Parameter\"";
  const auto rows = testsupport::readRows(m_dir.file("ZRFan.Mdb"),
                                          "SELECT * FROM " + table + " WHERE ModelID = " +
                                              std::to_string(dlg.GetModelID()) + " ORDER BY rowid");
  ASSERT_GE(rows.size(), 2u);
  // A number column gives SQLite's text of a real ("3111.0"): values compare as numbers.
  const auto has = [](const std::vector<std::string>& row, const std::string& text) {
    const double wanted = std::stod(text);
    return std::any_of(row.begin(), row.end(), [wanted](const std::string& field) {
      char* end = nullptr;
      const double v = std::strtod(field.c_str(), &end);
      return !field.empty() && *end == '\0' && v == wanted;
    });
  };
  EXPECT_TRUE(has(rows[0], "3111")) << "the edited row";
  EXPECT_FALSE(has(rows[0], before)) << "the old flow is gone from it";
  for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_FALSE(has(rows[i], "3111")) << i;
  EXPECT_EQ(dlg.m_GridParam.GetItemText(1, flowColumn), CString(L"3111"));

  // The model editor's button runs it modally and returns when it closes.
  bool seen = false;
  guitest::whenIdle([&] {
    zrgui::DialogView* editor = nullptr;
    ASSERT_TRUE(waitFor([&] {
      editor = dynamic_cast<zrgui::DialogView*>(QApplication::activeModalWidget());
      return editor && editor->isVisible();
    }));
    seen = true;
    expectReadable(*editor, *fancadModuleResources()->findDialog(IDD_STYLE_DIALOG));
    auto* models = dynamic_cast<zrgui::GridWidget*>(editor->controlWidget(IDC_GRID_MODEL));
    auto* list =
        dynamic_cast<CGridCtrl*>(winplat::modalDialogs().back()->GetDlgItem(IDC_GRID_MODEL));
    if (models && list) {
      EXPECT_GT(list->GetRowCount(), 2) << "the sample's models, one a row";
      expectCellsReadable(*models, *list);
    } else {
      ADD_FAILURE() << "the editor has no model grid on screen";
    }
    QTest::mouseClick(qobject_cast<QPushButton*>(editor->controlWidget(IDCANCEL)), Qt::LeftButton);
  });
  QTest::mouseClick(qobject_cast<QPushButton*>(view->controlWidget(IDC_BUTTON_MODIFYTYPE)),
                    Qt::LeftButton);
  EXPECT_TRUE(seen);
  EXPECT_TRUE(view->isVisible()) << "the fan dialog is back";
  EXPECT_TRUE(DllMain(m_module, DLL_PROCESS_DETACH, nullptr));
}

}  // namespace
