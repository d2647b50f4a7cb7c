// The model list editor driven in-process: the grid as loaded with its list
// cells, edits that reach the record of the row's key wherever the row
// stands, the duplicate check's order, writes the catalogue refuses, and the
// editor opened from the fan dialog. The user flows of adding, deleting,
// editing and checking are covered end to end in tests/e2e/model_editor_test.py,
// the editor opened from the fan dialog in tests/host.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "style_dlg_harness.h"

using fangen::TableStyle;
using styledlgtest::Apply;
using styledlgtest::Column;
using styledlgtest::EditorHarness;
using testsupport::CatalogueBuilder;
using Rows = std::vector<std::vector<std::string>>;

namespace {

std::vector<std::wstring> Choices(const CStyleDlg& dlg, int row, int col) {
  return dlg.m_Grid.cellChoices(row, col);
}

// Series B, A, B, then one without a series; A's first model has no drive mode.
void BuildMixedCatalogue(const std::string& path) {
  CatalogueBuilder b(path);
  b.model(3, std::string("B"), std::string("D1"), 4.0, 1450LL, std::string("B4"));
  b.model(1, std::string("A"), {}, 5.0, 960LL);
  b.model(2, std::string("B"), std::string("D2"), 4.5, 960LL);
  b.model(5, {}, std::string("Z"), 6.3, 730LL);
  b.model(4, std::string("A"), std::string("Z"), 5.0, 1450LL);
}

// Keys 1, 2, 3 of series A, drive mode B, with their dependent tables.
void BuildKeyedCatalogue(const std::string& path, const std::vector<long long>& keys) {
  CatalogueBuilder b(path);
  b.parameterTable("A", TableStyle::Point);
  b.accessoryTable("A", "B");
  for (const long long key : keys) {
    b.model(key, std::string("A"), std::string("B"), 4.0, 1000LL + key);
    b.row("A_Parameter", {"ModelID"}, {key});
    b.row("A_B_Accessory", {"ModelID"}, {key});
  }
}

}  // namespace

TEST(StyleDlgLoad, RowsFollowTheCatalogueWithTheirListCells) {
  EditorHarness h;
  BuildMixedCatalogue(h.catalogue());
  h.run([&h](CStyleDlg& dlg) {
    const CGridCtrl& g = dlg.m_Grid;
    ASSERT_EQ(g.GetRowCount(), 6);
    EXPECT_EQ(Column(g, 0), (std::vector<std::wstring>{L"ID", L"3", L"1", L"2", L"5", L"4"}))
        << "the catalogue's order, not the keys'";
    EXPECT_EQ(Column(g, 1), (std::vector<std::wstring>{L"类型", L"B", L"A", L"B", L"", L"A"}));
    EXPECT_EQ(Column(g, 2),
              (std::vector<std::wstring>{L"传动方式", L"D1", L"", L"D2", L"Z", L"Z"}));
    EXPECT_EQ(Column(g, 5), (std::vector<std::wstring>{L"标注型号", L"B4", L"", L"", L"", L""}));

    for (int r = 1; r < 6; ++r) {
      EXPECT_EQ(Choices(dlg, r, 1), (std::vector<std::wstring>{L"B", L"A"}))
          << "first appearance, NULL left out, row " << r;
      EXPECT_TRUE(g.cellChoicesOnly(r, 1));
    }
    EXPECT_EQ(Choices(dlg, 1, 2), (std::vector<std::wstring>{L"D1", L"D2"}));
    EXPECT_EQ(g.cellKind(2, 2), winplat::GridModel::CellKind::Plain) << "no drive mode read";
    EXPECT_EQ(Choices(dlg, 5, 2), (std::vector<std::wstring>{L"Z"}));
    EXPECT_TRUE(Choices(dlg, 4, 2).empty()) << "a row without series offers no drive modes";

    // A click offers the drive modes of the series the row shows now.
    Apply(dlg, "dlg grid 6000 click 2 2");
    EXPECT_EQ(Choices(dlg, 2, 2), (std::vector<std::wstring>{L"Z"}));
    Apply(dlg, "dlg grid 6000 pick 2 1 B");
    Apply(dlg, "dlg grid 6000 click 2 2");
    EXPECT_EQ(Choices(dlg, 2, 2), (std::vector<std::wstring>{L"D1", L"D2"}));
    Apply(dlg, "dlg grid 6000 click 1 2");
    EXPECT_EQ(g.GetItemText(1, 2), L"D1") << "a cell set up again keeps its text";
    EXPECT_EQ(Choices(dlg, 1, 2), (std::vector<std::wstring>{L"D1", L"D2"}));
    Apply(dlg, "dlg grid 6000 click 0 2");
    EXPECT_EQ(g.cellKind(0, 2), winplat::GridModel::CellKind::Plain) << "the heading stays";
    EXPECT_TRUE(h.ui().boxes().empty());
  });
}

TEST(StyleDlgLoad, AnEmptyTableLeavesTheHeadingRowOnly) {
  EditorHarness h;
  CatalogueBuilder(h.catalogue()).close();
  h.run([&h](CStyleDlg& dlg) {
    EXPECT_EQ(dlg.m_Grid.GetRowCount(), 1);
    EXPECT_FALSE(dlg.CheckModelRows());
    Apply(dlg, "dlg click 204");
    Apply(dlg, "dlg ok");
    EXPECT_FALSE(dlg.IsDialogEnded()) << "OK refuses an editor without model rows";
    EXPECT_EQ(dlg.m_Grid.GetRowCount(), 1);
    EXPECT_TRUE(h.ui().boxes().empty());
  });
  EXPECT_EQ(testsupport::countRows(h.catalogue(), "Model"), 0);
}

TEST(StyleDlgWrite, AnEditReachesTheRecordOfTheRowsKeyWhereverTheRowStands) {
  EditorHarness h;
  BuildKeyedCatalogue(h.catalogue(), {2, 3});
  h.run([](CStyleDlg& dlg) {
    // Key 1 is inserted as row 1, but the catalogue returns its record last.
    Apply(dlg, "dlg click 204");
    ASSERT_EQ(Column(dlg.m_Grid, 0), (std::vector<std::wstring>{L"ID", L"1", L"2", L"3"}));
    Apply(dlg, "dlg grid 6000 pick 1 1 A");
    Apply(dlg, "dlg grid 6000 edit 1 2 B");
    Apply(dlg, "dlg grid 6000 edit 1 3 8");
    Apply(dlg, "dlg grid 6000 edit 1 4 2900");
    Apply(dlg, "dlg grid 6000 edit 2 5 second");
  });
  EXPECT_EQ(h.rows("SELECT ID, FanNo, Speed, LabelModel FROM Model ORDER BY rowid"),
            (Rows{{"2", "4.0", "1002", "second"},
                  {"3", "4.0", "1003", "<null>"},
                  {"1", "8.0", "2900", ""}}));
}

TEST(StyleDlgWrite, RowsMovedUpByARowRemovedFromTheGridOnlyKeepTheirRecords) {
  EditorHarness h;
  {
    CatalogueBuilder b(h.catalogue());
    b.parameterTable("A", TableStyle::Point);
    b.accessoryTable("A", "B");
    b.model(1, std::string("A"), std::string("B"), 4.0, 960LL);
    b.model(2, {}, std::string("B"), 4.0, 1450LL);
    b.model(3, std::string("A"), std::string("B"), 5.0, 960LL);
    b.model(4, std::string("A"), std::string("B"), 6.0, 960LL);
  }
  h.ui().answer(IDYES);
  // The row without a series names the drawing "No4B.dwg": no model is left with
  // its texts, so it goes too.
  const std::string drawing = std::string(std::getenv("ZR_DWGLIB")) + "/Fan/No4B.dwg";
  std::ofstream(drawing) << "0\nEOF\n";
  h.run([&h, &drawing](CStyleDlg& dlg) {
    Apply(dlg, "dlg grid 6000 click 2 3");
    Apply(dlg, "dlg click 206");
    EXPECT_FALSE(std::filesystem::exists(drawing));
    ASSERT_EQ(Column(dlg.m_Grid, 0), (std::vector<std::wstring>{L"ID", L"1", L"3", L"4"}));
    Apply(dlg, "dlg grid 6000 edit 2 5 third");
    // Another host deletes model 4 while the editor is up: its edit writes nothing.
    CFanDatabase other;
    ASSERT_TRUE(other.OpenFanDatabase());
    ASSERT_TRUE(other.Execute(L"delete * from Model where ID like 4"));
    Apply(dlg, "dlg grid 6000 edit 3 5 gone");
  });
  EXPECT_EQ(h.rows("SELECT ID, BigModel, FanNo, LabelModel FROM Model ORDER BY rowid"),
            (Rows{{"1", "A", "4.0", "<null>"},
                  {"2", "<null>", "4.0", "<null>"},
                  {"3", "A", "5.0", "third"}}));
  EXPECT_EQ(h.ui().boxes().size(), 1u) << "the confirmation only";
}

TEST(StyleDlgWrite, AWriteOrAnAdditionTheCatalogueRefusesIsReportedAndChangesNothing) {
  EditorHarness h;
  {
    CatalogueBuilder b(h.catalogue());
    b.exec("DROP TABLE Model");
    b.exec(
        "CREATE TABLE Model (ID INTEGER, BigModel TEXT NOT NULL, DriveMode TEXT, FanNo DOUBLE, "
        "Speed INTEGER CHECK (Speed < 5000), LabelModel TEXT)");
    b.parameterTable("A", TableStyle::Point);
    b.accessoryTable("A", "B");
    b.model(1, std::string("A"), std::string("B"), 4.0, 960LL);
  }
  h.run([&h](CStyleDlg& dlg) {
    Apply(dlg, "dlg grid 6000 edit 1 4 9000");
    ASSERT_EQ(h.ui().boxes().size(), 1u);
    EXPECT_NE(h.ui().boxes()[0].text.find(L"CHECK"), std::wstring::npos)
        << CString(h.ui().boxes()[0].text.c_str()).ToUtf8();
    EXPECT_EQ(dlg.m_Grid.GetItemText(1, 4), L"9000") << "the grid keeps the text";

    Apply(dlg, "dlg grid 6000 edit 1 4 1450");
    Apply(dlg, "dlg click 204");
    ASSERT_EQ(h.ui().boxes().size(), 2u) << "a record with only its key breaks NOT NULL";
    EXPECT_NE(h.ui().boxes()[1].text.find(L"NOT NULL"), std::wstring::npos);
    EXPECT_EQ(dlg.m_Grid.GetRowCount(), 2) << "no grid row for a record that was not added";
  });
  EXPECT_EQ(h.rows("SELECT ID, Speed FROM Model"), (Rows{{"1", "1450"}}));
  EXPECT_EQ(testsupport::countRows(h.catalogue(), "A_Parameter"), 1)
      << "the placeholder of the written row only";
}

TEST(StyleDlgCheck, TheFirstDuplicatePairInRowOrderIsReported) {
  EditorHarness h;
  {
    CatalogueBuilder b(h.catalogue());
    b.model(1, std::string("X"), std::string("B"), 4.0, 960LL);
    b.model(2, std::string("Y"), std::string("B"), 4.0, 960LL);
    b.model(3, std::string("Y"), std::string("B"), 4.0, 960LL);
    b.model(4, std::string("X"), std::string("B"), 4.0, 960LL);
    b.model(5, std::string("x"), std::string("B"), 4.0, 960LL);
  }
  h.run([&h](CStyleDlg& dlg) {
    EXPECT_FALSE(dlg.CheckModelRows());
    ASSERT_EQ(h.ui().boxes().size(), 1u);
    EXPECT_EQ(h.ui().boxes()[0].text, L"第1行与第4行表示型号相同!")
        << "row 1's pair comes before the pair of rows 2 and 3";
    EXPECT_EQ(h.ui().boxes()[0].type, static_cast<UINT>(MB_OK));
    dlg.m_Grid.DeleteRow(4);
    EXPECT_FALSE(dlg.CheckModelRows());
    EXPECT_EQ(h.ui().boxes()[1].text, L"第2行与第3行表示型号相同!");
    dlg.m_Grid.DeleteRow(3);
    EXPECT_TRUE(dlg.CheckModelRows()) << "X and x are different models";
  });
}
