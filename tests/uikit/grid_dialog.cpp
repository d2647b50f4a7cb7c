// The grid-hosting test dialog.
#include "grid_dialog.h"

#include <gtest/gtest.h>

#include "test_dialog.h"
#include "win/ui_models.h"

namespace gridtest {

namespace {

const winplat::ResourceTable& table() {
  using namespace winplat;
  static const ResourceTable t = {
      {testdlg::dialogTemplate(kDialogId, L"网格与预览", DS_MODALFRAME | WS_POPUP | WS_CAPTION, 380,
                               140,
                               {control(L"", 200, L"STATIC", SS_SUNKEN, 7, 7, 200, 80),
                                lText(L"", 210, 220, 7, 146, 110, SS_SUNKEN),
                                defPushButton(L"退出", IDOK, 160, 120, 50, 14)})},
      {MenuTemplate{205,
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

}  // namespace

ScopedResources::ScopedResources() {
  static HINSTANCE h = winplat::instanceFromTable(&table(), "grid-dialogs");
  AfxSetResourceHandle(h);
}

BOOL CGridHostDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  CRect rect;
  GetDlgItem(200)->GetWindowRect(&rect);
  ScreenToClient(&rect);
  m_Grid.Create(rect, this, kGridId, WS_CHILD | WS_VISIBLE | WS_BORDER);
  m_Grid.SetRowCount(3);
  m_Grid.SetColumnCount(3);
  m_Grid.SetFixedRowCount(1);
  m_Grid.SetFixedColumnCount(1);
  m_Grid.SetItemText(0, 1, L"风量");
  m_Grid.SetItemText(1, 0, L"1");
  m_Grid.SetItemText(1, 1, L"1131");
  return TRUE;
}

void CGridHostDlg::OnGridClick(NMHDR* hdr, LRESULT* result) {
  auto* nm = reinterpret_cast<NM_GRIDVIEW*>(hdr);
  events.push_back("click " + std::to_string(nm->iRow) + " " + std::to_string(nm->iColumn));
  *result = 0;
}

void CGridHostDlg::OnGridEndEdit(NMHDR* hdr, LRESULT* result) {
  auto* nm = reinterpret_cast<NM_GRIDVIEW*>(hdr);
  EXPECT_EQ(nm->hdr.hwndFrom, m_Grid.m_hWnd);
  events.push_back("edit " + std::to_string(nm->iRow) + " " + std::to_string(nm->iColumn) + " " +
                   m_Grid.GetItemText(nm->iRow, nm->iColumn).ToUtf8());
  *result = editResult;
}

BEGIN_MESSAGE_MAP(CGridHostDlg, CDialog)
ON_NOTIFY(NM_CLICK, kGridId, &CGridHostDlg::OnGridClick)
ON_NOTIFY(GVN_ENDLABELEDIT, kGridId, &CGridHostDlg::OnGridEndEdit)
END_MESSAGE_MAP()

CGridBtnCellCombo* makeComboCell(CGridCtrl& grid, CBtnDataBase& buttons, int row, int col,
                                 const std::vector<const wchar_t*>& choices) {
  buttons.SetGrid(&grid);
  EXPECT_TRUE(grid.SetCellType(row, col, RUNTIME_CLASS(CGridBtnCellCombo)));
  auto* cell = dynamic_cast<CGridBtnCellCombo*>(grid.GetCell(row, col));
  if (!cell) return nullptr;
  EXPECT_TRUE(cell->SetupBtns(0, DFC_SCROLL, DFCS_SCROLLDOWN, CGridBtnCellBase::CTL_ALIGN_RIGHT, 19,
                              FALSE, L""));
  CStringArray list;
  for (const wchar_t* choice : choices) list.Add(choice);
  cell->SetComboString(list);
  cell->SetBtnDataBase(&buttons);
  return cell;
}

}  // namespace gridtest
