// Runs the fan selection dialog in the test process over the generated sample
// catalogue and a drawing library of the test's own, with a current drawing,
// the host's INSERT command and editor input fed from a string.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "base/console_input.h"
#include "base/module_instance.h"
#include "cad/aced.h"
#include "catalogue_builder.h"
#include "drawing_builder.h"
#include "fandlg/fan_dlg.h"
#include "insert_command.h"
#include "outside_readers.h"
#include "recording_ui_service.h"
#include "view_drawing_builder.h"
#include "win/dialog_script.h"
#include "win/message_box.h"
#include "win/resources.h"

namespace drawingstest {

class DrawingsHarness {
 public:
  DrawingsHarness() : m_scope(m_ui) {
    testsupport::writeSampleCatalogue(m_dir.path());
    ::setenv("ZR_DATALIB", m_dir.path().c_str(), 1);
    ::setenv("ZR_DWGLIB", (m_dir.path() + "/dwg").c_str(), 1);
    m_previous = AfxGetResourceHandle();
    AfxSetResourceHandle(winplat::instanceFromTable(fancadModuleResources(), "zrfan-test"));
    fancad::registerInsertCommand();
    m_drawing = apptest::newCurrentDrawing();
  }
  ~DrawingsHarness() {
    zrbase::setCurrentInput(nullptr);
    zrbase::setConsoleOut(nullptr);
    zrbase::releaseInstance(AfxGetResourceHandle());
    AfxSetResourceHandle(m_previous);
    ::unsetenv("ZR_DATALIB");
    ::unsetenv("ZR_DWGLIB");
  }
  DrawingsHarness(const DrawingsHarness&) = delete;
  DrawingsHarness& operator=(const DrawingsHarness&) = delete;

  std::string catalogue() const { return m_dir.file("ZRFan.Mdb"); }
  // The view drawing of a model's base name, e.g. "4-72No4.5A".
  std::string viewDrawing(const std::string& baseName) const {
    return m_dir.path() + "/dwg/Fan/" + baseName + ".dwg";
  }
  AcDbDatabase* drawing() const { return m_drawing; }
  testsupport::RecordingUiService& ui() { return m_ui; }

  // The lines the editor's prompts read next.
  void input(const std::string& lines) {
    m_in = std::make_unique<std::istringstream>(lines);
    m_source = std::make_unique<zrbase::StreamInput>(*m_in, true);
    zrbase::setCurrentInput(m_source.get());
    zrbase::setConsoleOut(&m_out);
  }
  std::string output() const { return m_out.str(); }
  std::optional<std::string> pendingInput() { return m_source ? m_source->peek() : std::nullopt; }

  // Runs a fresh dialog; fn sees it while it is up.
  void run(const std::function<void(CFanDlg&)>& fn) {
    m_ui.onModal([&fn](CDialog& dlg) { fn(dynamic_cast<CFanDlg&>(dlg)); });
    CFanDlg dlg;
    dlg.DoModal();
  }

 private:
  testsupport::TempDir m_dir;
  testsupport::RecordingUiService m_ui;
  winplat::ScopedUiService m_scope;
  HINSTANCE m_previous = nullptr;
  AcDbDatabase* m_drawing = nullptr;
  std::ostringstream m_out;
  std::unique_ptr<std::istringstream> m_in;
  std::unique_ptr<zrbase::StreamInput> m_source;
};

// Applies a "dlg ..." line and requires that it could be.
inline void Dlg(CFanDlg& dlg, const std::string& line) {
  const std::string reason = winplat::applyDialogLine(dlg, line);
  ASSERT_EQ(reason, "") << line;
}

// Browses to 4-72, 4.5, A, 2900.
inline void ChooseModel(CFanDlg& dlg, const std::string& series = "4-72",
                        const std::string& fanNo = "4.5", const std::string& drive = "A",
                        const std::string& speed = "2900") {
  Dlg(dlg, "dlg select 1012 " + series);
  Dlg(dlg, "dlg select 1014 " + fanNo);
  Dlg(dlg, "dlg select 1015 " + drive);
  Dlg(dlg, "dlg select 1016 " + speed);
}

inline std::vector<std::wstring> ComboItems(CComboBox& combo) {
  std::vector<std::wstring> items;
  for (int i = 0; i < combo.GetCount(); ++i) {
    CString text;
    combo.GetLBText(i, text);
    items.push_back(text.str());
  }
  return items;
}

}  // namespace drawingstest
