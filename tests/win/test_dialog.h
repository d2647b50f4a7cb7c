// A small dialog for the window-layer tests: its template (shaped like the
// module's main dialog: radio groups, disabled edits, sorted and unsorted
// combos, a drop-down with an edit field, buttons, a sunken static) in a
// resource table, and a dialog class that records what its handlers saw.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_ui_service.h"
#include "win/afxwin.h"

namespace testdlg {

constexpr UINT kDialogId = 300;
constexpr UINT kSecondDialogId = 301;

// A template in the tests' dialog font (宋体 9) at the origin.
inline winplat::DialogTemplate dialogTemplate(UINT id, std::wstring caption, DWORD style, int cx,
                                              int cy,
                                              std::vector<winplat::ControlTemplate> controls) {
  return {id, std::move(caption), L"宋体", 9, style, 0, 0, cx, cy, std::move(controls)};
}

inline const winplat::ResourceTable& table() {
  using namespace winplat;
  static const ResourceTable t = {
      {dialogTemplate(
           kDialogId, L"测试对话框", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 200, 160,
           {
               groupBox(L"选项", IDC_STATIC, 4, 4, 100, 36),
               autoRadioButton(L"根据参数自动选择", 202, 8, 12, 90, 10, WS_GROUP),
               autoRadioButton(L"浏览所有风机型号", 203, 8, 26, 90, 10),
               lText(L"风量m^3/h:", IDC_STATIC, 8, 44, 40, 8),
               editText(1002, 50, 42, 40, 12, WS_DISABLED),
               editText(1003, 50, 56, 40, 12),
               comboBox(1012, 8, 72, 60, 100, CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL),
               comboBox(1018, 70, 72, 40, 60, CBS_DROPDOWNLIST | WS_VSCROLL, {L"左", L"右"}),
               comboBox(1017, 112, 72, 40, 60, CBS_DROPDOWN | CBS_SORT | WS_VSCROLL),
               autoRadioButton(L"正视", 1026, 8, 90, 30, 10, WS_GROUP),
               autoRadioButton(L"侧视", 1027, 40, 90, 30, 10),
               autoRadioButton(L"俯视", 1028, 72, 90, 30, 10),
               autoCheckBox(L"显示网格", 1030, 104, 90, 50, 10, WS_GROUP),
               control(L"", 210, L"STATIC", SS_SUNKEN, 110, 8, 80, 60),
               pushButton(L"添加", 204, 8, 140, 40, 14),
               pushButton(L"删除", 206, 52, 140, 40, 14, WS_DISABLED),
               defPushButton(L"退出", IDOK, 150, 140, 40, 14),
           }),
       dialogTemplate(kSecondDialogId, L"第二个对话框", DS_MODALFRAME | WS_POPUP | WS_CAPTION, 100,
                      60,
                      {editText(500, 4, 4, 60, 12), defPushButton(L"确定", IDOK, 4, 40, 40, 14),
                       pushButton(L"取消", IDCANCEL, 50, 40, 40, 14)})},
      {},
      {{7, L"风机选型"}, {8, L"FAN"}}};
  return t;
}

// Makes the test table the current resource module for the test's lifetime.
class ScopedResources {
 public:
  ScopedResources() : m_previous(AfxGetResourceHandle()) {
    static HINSTANCE h = winplat::instanceFromTable(&table(), "test-dialogs");
    AfxSetResourceHandle(h);
  }
  ~ScopedResources() { AfxSetResourceHandle(m_previous); }
  ScopedResources(const ScopedResources&) = delete;
  ScopedResources& operator=(const ScopedResources&) = delete;

 private:
  HINSTANCE m_previous;
};

// The base class holds one handler that the derived class does not map, and
// one that the derived class maps again: dispatch must reach the first
// through the base map and the second through the derived one.
class CBaseTestDlg : public CAcUiDialog {
 public:
  explicit CBaseTestDlg(UINT id) : CAcUiDialog(id) {}
  std::vector<std::string> calls;
  void OnAdd() { calls.push_back("base:add"); }
  void OnDelete() { calls.push_back("base:delete"); }

  DECLARE_MESSAGE_MAP()
};

class CTestDlg : public CBaseTestDlg {
 public:
  CTestDlg() : CBaseTestDlg(kDialogId) {}

  double m_dFlux = 1131.0;
  double m_dAllPress = 990.0;
  int m_nSelectMode = 1;
  int m_nView = 0;
  CString m_strAngle = L"0";
  CComboBox m_cbBigModel;
  CComboBox m_cbHand;
  CComboBox m_cbAngle;
  bool initialised = false;

  void DoDataExchange(CDataExchange* pDX) override {
    CAcUiDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1018, m_cbHand);
    DDX_Control(pDX, 1017, m_cbAngle);
    DDX_Control(pDX, 1012, m_cbBigModel);
    DDX_Text(pDX, 1002, m_dFlux);
    DDX_Text(pDX, 1003, m_dAllPress);
    DDX_Radio(pDX, 202, m_nSelectMode);
    DDX_Radio(pDX, 1026, m_nView);
    DDX_CBString(pDX, 1017, m_strAngle);
  }
  BOOL OnInitDialog() override {
    CAcUiDialog::OnInitDialog();
    initialised = true;
    return TRUE;
  }

  void OnBigModelSelChange() {
    CString text;
    m_cbBigModel.GetWindowText(text);
    calls.push_back("selchange:" + text.ToUtf8());
  }
  void OnBigModelSelEndOk() { calls.push_back("selendok"); }
  void OnAngleEditChange() {
    CString text;
    m_cbAngle.GetWindowText(text);
    calls.push_back("editchange:" + text.ToUtf8());
  }
  void OnEditChange() { calls.push_back("enchange"); }
  void OnDelete() { calls.push_back("derived:delete"); }
  void OnSelectMode() { calls.push_back("mode:" + std::to_string(IsDlgButtonChecked(202))); }
  void OnView(UINT id) { calls.push_back("view:" + std::to_string(id)); }
  void OnDestroy() { calls.push_back("destroy"); }
  void OnPreviewNotify(NMHDR* hdr, LRESULT* result) {
    calls.push_back("notify:" + std::to_string(static_cast<int>(hdr->code)) + ":" +
                    std::to_string(hdr->idFrom));
    *result = 7;
  }

  DECLARE_MESSAGE_MAP()
};

// A dialog for nesting: button 204 of the main dialog opens it in some tests.
class CSecondDlg : public CDialog {
 public:
  CSecondDlg() : CDialog(kSecondDialogId) {}
  CString m_strName = L"x";
  void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, 500, m_strName); }
};

// The test resources and a recording UI service (message boxes answered
// from its queue, modal runs driven by its functions).
struct UiFixture : ::testing::Test {
  ScopedResources resources;
  testsupport::RecordingUiService ui;
  winplat::ScopedUiService scoped{ui};
};

// The same, with the main test dialog created modeless.
struct DialogFixture : UiFixture {
  CTestDlg dlg;
  void SetUp() override { ASSERT_TRUE(dlg.Create(kDialogId)); }
  CString text(int id) {
    CString s;
    dlg.GetDlgItemText(id, s);
    return s;
  }
  void click(int id) { winplat::clickButton(dlg.GetDlgItem(id)->m_hWnd); }
};

}  // namespace testdlg
