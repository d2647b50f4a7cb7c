// The console side of dialogs: the DUMP line exactly, dlg lines acting as the
// user would (including on custom grid and preview controls through their
// model interfaces), lines that cannot be applied, and the console loop with
// message boxes (the MSGBOX line, msg answers, the default button when the
// next line is something else), nested dialogs and the end of the input.
#include "win/dialog_script.h"

#include <gtest/gtest.h>

#include <sstream>

#include "base/console_input.h"
#include "test_dialog.h"
#include "win/message_box.h"

namespace {

// A grid control as a custom control library would write one: 2 x 3 cells,
// one fixed row and column, cell (1,2) a combo cell.
class FakeGrid : public CWnd, public winplat::GridModel {
 public:
  std::vector<std::vector<std::wstring>> cells{{L"", L"风量", L"型号"}, {L"1", L"1131", L"4-72"}};
  int focusR = -1, focusC = -1;
  std::vector<std::string> events;

  int gridRowCount() const override { return 2; }
  int gridColumnCount() const override { return 3; }
  int gridFixedRowCount() const override { return 1; }
  int gridFixedColumnCount() const override { return 1; }
  std::wstring cellText(int r, int c) const override { return cells[r][c]; }
  CellKind cellKind(int r, int c) const override {
    return r == 1 && c == 2 ? CellKind::Combo : CellKind::Plain;
  }
  std::vector<std::wstring> cellChoices(int r, int c) const override {
    if (cellKind(r, c) == CellKind::Plain) return {};
    return {L"4-72", L"9-19"};
  }
  bool cellEditable(int r, int c) const override { return r >= 1 && c >= 1; }
  int columnWidth(int) const override { return 40; }
  int rowHeight(int) const override { return 20; }
  int focusRow() const override { return focusR; }
  int focusColumn() const override { return focusC; }
  void clickCell(int r, int c) override {
    events.push_back("click " + std::to_string(r) + " " + std::to_string(c));
  }
  bool editCell(int r, int c, const std::wstring& text) override {
    focusR = r;
    focusC = c;
    cells[r][c] = text;
    events.push_back("edit " + zrbase::wideToUtf8(text));
    return true;
  }
  bool pickCell(int r, int c, const std::wstring& text) override {
    cells[r][c] = text;
    events.push_back("pick " + zrbase::wideToUtf8(text));
    return true;
  }
};

class FakePreview : public CWnd, public winplat::PreviewModel {
 public:
  bool shown = true;
  const void* previewDatabase() const override { return this; }
  int previewEntityCount() const override { return 17; }
  bool previewShown() const override { return shown; }
  COLORREF previewBackground() const override { return RGB(0, 0, 0); }
  winplat::PreviewView previewView() const override { return {}; }
};

// The second template with a grid created over a rectangle and a preview.
class CGridDlg : public testdlg::CSecondDlg {
 public:
  FakeGrid m_grid;
  FakePreview m_preview;
  BOOL OnInitDialog() override {
    CSecondDlg::OnInitDialog();
    m_grid.Create(L"FakeGrid", L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 50), this, 5003);
    m_preview.Create(L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_SUNKEN, CRect(0, 60, 50, 90), this,
                     210);
    return TRUE;
  }
};

// The main test dialog with series to choose, and button 204 opening the second dialog.
class CScriptDlg : public testdlg::CTestDlg {
 public:
  INT_PTR secondResult = 0;
  CString secondName;
  BOOL OnInitDialog() override {
    CTestDlg::OnInitDialog();
    for (const wchar_t* s : {L"9-19", L"4-72", L"4-72a"}) m_cbBigModel.AddString(s);
    m_cbBigModel.SetCurSel(0);
    return TRUE;
  }
  void OnOpenSecond() {
    testdlg::CSecondDlg second;
    secondResult = second.DoModal();
    secondName = second.m_strName;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CScriptDlg, testdlg::CTestDlg)
ON_BN_CLICKED(204, &CScriptDlg::OnOpenSecond)
END_MESSAGE_MAP()

struct ScriptFixture : ::testing::Test {
  testdlg::ScopedResources resources;
  winplat::ConsoleUiService console;
  winplat::ScopedUiService scoped{console};
  std::ostringstream out;
  std::istringstream in;
  std::unique_ptr<zrbase::StreamInput> input;

  // Lines from a script, or (script false) typed at the keyboard.
  void feed(const std::string& text, bool script = true) {
    in.str(text);
    input = std::make_unique<zrbase::StreamInput>(in, script);
    zrbase::setCurrentInput(input.get());
    zrbase::setConsoleOut(&out);
  }
  void TearDown() override {
    zrbase::setCurrentInput(nullptr);
    zrbase::setConsoleOut(nullptr);
  }
  // Runs a script that must stop at a line that cannot be applied.
  zrbase::ScriptAbort abortOf(const std::string& script) {
    feed(script);
    CScriptDlg dlg;
    try {
      dlg.DoModal();
    } catch (const zrbase::ScriptAbort& e) {
      EXPECT_EQ(dlg.m_hWnd, nullptr) << "the dialog is gone after the abort";
      return e;
    }
    ADD_FAILURE() << "no abort for: " << script;
    return zrbase::ScriptAbort(0, "", "");
  }
};

}  // namespace

TEST_F(ScriptFixture, DumpPrintsOneLineWithKeysInOrder) {
  feed("dlg dump\ndlg cancel\n");
  CGridDlg dlg;
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(out.str(),
            "DUMP {\"id\":301,\"caption\":\"第二个对话框\",\"controls\":["
            "{\"id\":500,\"kind\":\"edit\",\"text\":\"x\",\"enabled\":true,\"visible\":true},"
            "{\"id\":1,\"kind\":\"button\",\"text\":\"确定\",\"enabled\":true,\"visible\":true},"
            "{\"id\":2,\"kind\":\"button\",\"text\":\"取消\",\"enabled\":true,\"visible\":true},"
            "{\"id\":210,\"kind\":\"static\",\"text\":\"\",\"enabled\":true,\"visible\":true}],"
            "\"grids\":[{\"id\":5003,\"rows\":2,\"cols\":3,\"fixedRows\":1,\"fixedCols\":1,"
            "\"focus\":[-1,-1],\"cells\":[[\"\",\"风量\",\"型号\"],[\"1\",\"1131\",\"4-72\"]]}],"
            "\"previews\":[{\"id\":210,\"shown\":true,\"entities\":17}]}\n");
}

TEST_F(ScriptFixture, LinesActAsTheUserAndGoToTheTopDialog) {
  feed(
      "dlg select 1012 9-19\n"
      "dlg type 1017 45\n"
      "dlg click 206\n"
      "dlg click 1027\n"
      "; the second dialog takes the lines while it is up\n"
      "dlg click 204\n"
      "dlg type 500 风机 A\n"
      "dlg ok\n"
      "dlg type 1003 abc\n"
      "dlg ok\n"
      "dlg type 1003 12\n"
      "dlg shot out/x.png\n"
      "dlg ok\n"
      "QUIT\n");
  CScriptDlg dlg;
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.calls, (std::vector<std::string>{"selchange:9-19", "selendok", "editchange:45",
                                                 "view:1027", "enchange", "enchange", "destroy"}));
  EXPECT_EQ(dlg.secondResult, IDOK);
  EXPECT_EQ(dlg.secondName, L"风机 A") << "the text runs to the end of the line";
  EXPECT_DOUBLE_EQ(dlg.m_dAllPress, 12.0);
  EXPECT_EQ(dlg.m_nView, 1);
  EXPECT_EQ(dlg.m_strAngle, L"45");
  const std::string text = out.str();
  EXPECT_NE(text.find("DLG control 206 is disabled\n"), std::string::npos);
  EXPECT_NE(text.find("MSGBOX {\"caption\":\"fancad\",\"text\":\"请输入一个数字。\",\"buttons\":"
                      "\"OK\",\"icon\":\"EXCLAMATION\"}\n"),
            std::string::npos)
      << "the box took its default button and left the next line to the dialog";
  EXPECT_NE(text.find("DLG shot out/x.png"), std::string::npos);
  EXPECT_EQ(input->peek(), std::optional<std::string>("QUIT")) << "the line after the dialog";
}

TEST_F(ScriptFixture, TheEndOfTheInputCancelsEveryOpenDialog) {
  feed("dlg type 1003 77\ndlg click 204\ndlg type 500 y\n");
  CScriptDlg dlg;
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.secondResult, IDCANCEL);
  EXPECT_EQ(dlg.secondName, L"x") << "the cancelled nested dialog saved nothing";
  EXPECT_DOUBLE_EQ(dlg.m_dAllPress, 990.0);
}

TEST_F(ScriptFixture, LinesThatCannotBeAppliedStopTheScriptWithTheirReason) {
  struct Case {
    std::string line;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {"dlg select 1012 4-72A", "combo box 1012 has no item '4-72A'"},
      {"dlg select 1003 x", "control 1003 is not a combo box"},
      {"dlg click 9999", "the dialog has no control 9999"},
      {"dlg click 1012", "control 1012 is not a button"},
      {"dlg click 65535", "the dialog has no control 65535"},
      {"dlg type 1012 x", "control 1012 has no text to type into"},
      {"dlg grid 1012 click 0 0", "control 1012 is not a grid"},
      {"dlg click", "dlg click needs one control id"},
      {"dlg ok now", "dlg ok takes no arguments"},
      {"dlg frobnicate", "unknown dlg command 'frobnicate'"},
      {"msg ok", "a dialog is up: expected a dlg line"},
      {"", "a dialog is up: expected a dlg line"},
  };
  for (const Case& c : cases) {
    const zrbase::ScriptAbort e = abortOf("dlg dump\n" + c.line + "\n");
    EXPECT_EQ(e.reason(), c.reason) << c.line;
    EXPECT_EQ(e.line(), 2) << c.line;
    EXPECT_EQ(e.text(), c.line);
  }
}

TEST_F(ScriptFixture, AtTheKeyboardALineThatCannotBeAppliedIsRefusedAndTheDialogStaysUp) {
  feed(
      "dlg select 1012 9-19\n"
      "dlg select 1012 99\n"
      "\n"
      "SAVE\n"
      "dlg type 1017 45\n"
      "dlg ok\n",
      false);
  CScriptDlg dlg;
  EXPECT_EQ(dlg.DoModal(), IDOK) << "no line closed the dialog";
  EXPECT_EQ(dlg.calls,
            (std::vector<std::string>{"selchange:9-19", "selendok", "editchange:45", "destroy"}))
      << "the selection made before the mistake stays";
  EXPECT_EQ(dlg.m_strAngle, L"45");
  EXPECT_EQ(out.str(),
            "combo box 1012 has no item '99'\n"
            "a dialog is up: expected a dlg line\n"
            "a dialog is up: expected a dlg line\n");
  EXPECT_EQ(input->peek(), std::nullopt);
}

TEST_F(ScriptFixture, GridLinesGoThroughTheGridModelAndAHiddenPreviewIsDumpedAsNotShown) {
  // (Edits, picks and their refusals on the real grid: tests/uikit.)
  const std::pair<const char*, const char*> lines[] = {
      {"dlg grid 5003 click 1 2", ""},
      {"dlg grid 5003 click -1 -1", ""},
      {"dlg grid 5003 edit 1 1", ""},  // the empty text
      {"dlg grid 5003 pick 1 2 9-19", ""},
      {"dlg grid 5003 pick 1 1 x", "cell (1,1) of grid 5003 is not a combo cell"},
      {"dlg grid 5003 click 0 3", "grid 5003 has no cell (0,3)"},
      {"dlg grid 5003 sort 0 0", "unknown grid action 'sort' (click, edit or pick)"},
  };
  feed("");
  CGridDlg dlg;
  dlg.m_preview.shown = false;
  std::string json;
  testsupport::RecordingUiService ui;
  winplat::ScopedUiService recording(ui);
  ui.onModal([&](CDialog& up) {
    for (const auto& [line, error] : lines) {
      EXPECT_EQ(winplat::applyDialogLine(up, line), error) << line;
    }
    dlg.m_grid.EnableWindow(FALSE);
    EXPECT_EQ(winplat::applyDialogLine(up, "dlg grid 5003 click 1 1"), "");
    json = winplat::dialogDumpJson(up);
  });
  dlg.DoModal();
  EXPECT_EQ(dlg.m_grid.events,
            (std::vector<std::string>{"click 1 2", "click -1 -1", "edit ", "pick 9-19"}))
      << "a disabled grid receives nothing";
  EXPECT_NE(out.str().find("DLG control 5003 is disabled"), std::string::npos);
  EXPECT_NE(json.find("\"previews\":[{\"id\":210,\"shown\":false,\"entities\":0}]"),
            std::string::npos)
      << json;
}

TEST_F(ScriptFixture, DumpShowsRadiosAndLeavesLabelsOut) {
  feed("");
  CScriptDlg dlg;
  std::string json;
  testsupport::RecordingUiService ui;
  winplat::ScopedUiService recording(ui);
  ui.onModal([&](CDialog& up) {
    up.GetDlgItem(210)->EnableWindow(FALSE);
    json = winplat::dialogDumpJson(up);
  });
  dlg.DoModal();
  EXPECT_EQ(json.find("65535"), std::string::npos) << "labels and frames are not controls";
  for (const char* part :
       {"{\"id\":203,\"kind\":\"radio\",\"text\":\"浏览所有风机型号\",\"checked\":true,"
        "\"enabled\":true,\"visible\":true}",
        "{\"id\":1030,\"kind\":\"checkbox\",\"text\":\"显示网格\",\"checked\":false,",
        "{\"id\":1002,\"kind\":\"edit\",\"text\":\"1131\",\"enabled\":false,",
        "{\"id\":210,\"kind\":\"static\",\"text\":\"\",\"enabled\":false,",
        "\"grids\":[],\"previews\":[]}"}) {
    EXPECT_NE(json.find(part), std::string::npos) << part << "\nin " << json;
  }
}

TEST_F(ScriptFixture, MessageBoxesPrintOneJsonLineAndTakeMsgAnswers) {
  feed("msg ok\nmsg no\n; a comment\nmsg cancel\ndlg dump\nmsg yes\n");
  EXPECT_EQ(AfxMessageBox(L"数据库/x/ZRFan.Mdb不存在!"), IDOK);
  EXPECT_EQ(out.str(),
            "MSGBOX {\"caption\":\"fancad\",\"text\":\"数据库/x/ZRFan.Mdb不存在!\",\"buttons\":"
            "\"OK\",\"icon\":\"NONE\"}\n");
  EXPECT_EQ(MessageBox(nullptr, L"确认删除该图形吗?", L"提示", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_NE(out.str().find("\"buttons\":\"YESNO\",\"icon\":\"QUESTION\""), std::string::npos);
  EXPECT_EQ(AfxMessageBox(L"q", MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(AfxMessageBox(L"x", MB_YESNO), IDYES) << "another line: the first button";
  EXPECT_EQ(input->peek(), std::optional<std::string>("dlg dump")) << "and the line stays unread";
  input->consume();
  try {
    AfxMessageBox(L"x", MB_OKCANCEL | MB_ICONEXCLAMATION);
    FAIL() << "a msg yes line does not fit an OK/Cancel box";
  } catch (const zrbase::ScriptAbort& e) {
    EXPECT_EQ(e.line(), 6);
    EXPECT_EQ(e.text(), "msg yes");
    EXPECT_NE(e.reason().find("no button 'yes'"), std::string::npos) << e.reason();
  }
}
