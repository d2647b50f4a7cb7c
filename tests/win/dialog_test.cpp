// Modal runs headless: initialisation, saving on OK and not on Esc, failures
// inside the run (a refused value and nested dialogs are run from the console
// lines of dialog_script_test.cpp); templates and
// strings found through the resource handle and the chain of extension
// libraries; the host dialog's editor-command protocol.
#include <gtest/gtest.h>

#include <stdexcept>

#include "test_dialog.h"
#include "win/dialog_script.h"

namespace {

using testdlg::CTestDlg;
using ModalFixture = testdlg::UiFixture;

void apply(CDialog& d, const std::string& line) {
  ASSERT_EQ(winplat::applyDialogLine(d, line), "") << line;
}

// Two tables with a template of the same id but different captions.
winplat::ResourceTable captionTable(const std::wstring& caption) {
  winplat::ResourceTable t;
  t.dialogs.push_back(winplat::DialogTemplate{
      testdlg::kSecondDialogId, caption, L"宋体", 9, WS_POPUP | WS_CAPTION, 0, 0, 50, 50, {}});
  t.strings.push_back({9, caption});
  return t;
}

CString captionOfModalRun(testsupport::RecordingUiService& ui, CDialog& d) {
  CString caption;
  ui.onModal([&](CDialog& up) { up.GetWindowText(caption); });
  d.DoModal();
  return caption;
}

}  // namespace

TEST_F(ModalFixture, OkSavesEscSavesNothingAndTheObjectRunsAgain) {
  CTestDlg dlg;
  bool sawItUp = false;
  ui.onModal([&](CDialog& up) {
    sawItUp = dlg.initialised && up.IsWindowVisible() && !winplat::modalDialogs().empty() &&
              winplat::modalDialogs().back() == &dlg && CWnd::GetFocus() == up.GetDlgItem(202);
    apply(up, "dlg type 1003 2900");
    apply(up, "dlg click 1028");
    apply(up, "dlg ok");
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_TRUE(sawItUp);
  EXPECT_DOUBLE_EQ(dlg.m_dAllPress, 2900.0);
  EXPECT_EQ(dlg.m_nView, 2);
  EXPECT_EQ(dlg.m_hWnd, nullptr);
  EXPECT_TRUE(winplat::modalDialogs().empty());

  ui.onModal([&](CDialog& up) {
    apply(up, "dlg type 1003 55");
    apply(up, "dlg cancel");
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_DOUBLE_EQ(dlg.m_dAllPress, 2900.0) << "Esc saved nothing";
  EXPECT_EQ(dlg.DoModal(), IDCANCEL) << "without a test function the dialog is cancelled";
  EXPECT_EQ(ui.modalRuns(), std::vector<UINT>(3, testdlg::kDialogId));
}

TEST_F(ModalFixture, FailuresInsideOrBeforeTheRunLeaveNoDialog) {
  CTestDlg dlg;
  ui.onModal([](CDialog&) { throw std::runtime_error("boom"); });
  EXPECT_THROW(dlg.DoModal(), std::runtime_error);
  EXPECT_EQ(dlg.m_hWnd, nullptr);
  EXPECT_TRUE(winplat::modalDialogs().empty());

  CDialog missing(999);
  EXPECT_EQ(missing.DoModal(), -1);
  ASSERT_EQ(ui.boxes().size(), 1u);
  EXPECT_NE(ui.boxes()[0].text.find(L"999"), std::wstring::npos);
  EXPECT_EQ(ui.boxes()[0].type & MB_ICONMASK, MB_ICONERROR);
  EXPECT_EQ(ui.modalRuns().size(), 1u) << "the missing template ran nothing";
  EXPECT_FALSE(missing.Create(999));
}

TEST(Resources, TemplatesComeFromTheResourceHandleThenTheLibraryChain) {
  testsupport::RecordingUiService ui;
  winplat::ScopedUiService scoped(ui);
  static const winplat::ResourceTable tableA = captionTable(L"A");
  static const winplat::ResourceTable tableB = captionTable(L"B");
  static HINSTANCE a = winplat::instanceFromTable(&tableA, "a");
  static HINSTANCE b = winplat::instanceFromTable(&tableB, "b");
  const HINSTANCE saved = AfxGetResourceHandle();
  AfxSetResourceHandle(nullptr);

  CDialog dlg(testdlg::kSecondDialogId);
  EXPECT_EQ(dlg.DoModal(), -1) << "no module holds the template";

  AFX_EXTENSION_MODULE ext{};
  ASSERT_TRUE(AfxInitExtensionModule(ext, a));
  EXPECT_TRUE(AfxInitExtensionModule(ext, b)) << "a second initialisation does nothing";
  EXPECT_EQ(ext.hResource, a);
  new CDynLinkLibrary(ext);
  EXPECT_EQ(captionOfModalRun(ui, dlg), L"A") << "found through the library chain";

  AfxSetResourceHandle(b);
  EXPECT_EQ(captionOfModalRun(ui, dlg), L"B") << "the current resource handle comes first";
  CAcUiDialog own(testdlg::kSecondDialogId, nullptr, a);
  EXPECT_EQ(captionOfModalRun(ui, own), L"A") << "a dialog's own resource module comes first";

  CString s;
  EXPECT_TRUE(AfxLoadString(9, s));
  EXPECT_EQ(s, L"B");

  AfxSetResourceHandle(nullptr);
  AfxTermExtensionModule(ext);
  EXPECT_TRUE(winplat::dynLinkLibraries().empty());
  EXPECT_EQ(dlg.DoModal(), -1) << "the library left the chain";
  EXPECT_FALSE(AfxLoadString(9, s));
  AFX_EXTENSION_MODULE none{};
  EXPECT_FALSE(AfxInitExtensionModule(none, nullptr));
  AfxSetResourceHandle(saved);
}

TEST(Resources, LoadStringCopiesAndTruncatesAsTheNativeFunction) {
  static HINSTANCE h = winplat::instanceFromTable(&testdlg::table(), "strings");
  wchar_t buf[64];
  EXPECT_EQ(LoadString(h, 8, buf, 64), 3);
  EXPECT_STREQ(buf, L"FAN");
  EXPECT_EQ(LoadString(h, 7, buf, 3), 2);
  EXPECT_STREQ(buf, L"风机");
  EXPECT_EQ(LoadString(h, 77, buf, 64), 0);
  EXPECT_STREQ(buf, L"");
  EXPECT_EQ(LoadString(nullptr, 7, buf, 64), 0);
}

TEST_F(ModalFixture, EditorCommandsHideTheDialogAndCompletionShowsIt) {
  CTestDlg dlg;
  ui.onModal([&](CDialog&) {
    CWnd* edit = dlg.GetDlgItem(1003);
    EXPECT_TRUE(dlg.BeginEditorCommand());
    EXPECT_TRUE(dlg.IsEditorCommandActive());
    EXPECT_FALSE(edit->IsWindowVisible()) << "the controls go with the dialog";
    dlg.CompleteEditorCommand();
    EXPECT_TRUE(edit->IsWindowVisible());
    dlg.BeginEditorCommand();
    dlg.CompleteEditorCommand(FALSE);
    EXPECT_FALSE(dlg.IsWindowVisible()) << "not restored when not asked to";
    dlg.BeginEditorCommand();
    dlg.CancelEditorCommand();
    EXPECT_TRUE(dlg.IsWindowVisible());
    EXPECT_FALSE(dlg.IsEditorCommandActive());
    apply(dlg, "dlg ok");
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
}
