// A dialog that hosts a grid control, for the grid's tests here and on screen
// (tests/gui): the grid made over the placeholder static 200 (3 x 3, one fixed
// row and column, texts 风量, 1 and 1131), a sunken static 210 for a preview,
// and the preview's context menu 205. The dialog records the grid's clicks and
// ends of edits.
#pragma once

#include <string>
#include <vector>

#include "uikit/grid_btn_cell.h"
#include "uikit/grid_ctrl.h"
#include "win/afxwin.h"

namespace gridtest {

constexpr UINT kDialogId = 400;
constexpr UINT kGridId = 5003;

// Makes the dialog's resources current for the object's lifetime.
class ScopedResources {
 public:
  ScopedResources();
  ~ScopedResources() { AfxSetResourceHandle(m_previous); }

 private:
  HINSTANCE m_previous = AfxGetResourceHandle();
};

class CGridHostDlg : public CDialog {
 public:
  CGridHostDlg() : CDialog(kDialogId) {}
  CGridCtrl m_Grid;
  std::vector<std::string> events;  // "click ROW COL", "edit ROW COL TEXT"
  LRESULT editResult = 0;           // the end-of-edit handler's answer

  BOOL OnInitDialog() override;
  void OnGridClick(NMHDR* hdr, LRESULT* result);
  void OnGridEndEdit(NMHDR* hdr, LRESULT* result);
  DECLARE_MESSAGE_MAP()
};

// Makes a cell a combo cell with a drop button, offering these choices.
CGridBtnCellCombo* makeComboCell(CGridCtrl& grid, CBtnDataBase& buttons, int row, int col,
                                 const std::vector<const wchar_t*>& choices);

}  // namespace gridtest
