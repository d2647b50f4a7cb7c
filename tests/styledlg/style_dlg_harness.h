// Runs the model list editor headless in the test process, over a catalogue
// and a drawing library in temporary folders.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include "base/module_instance.h"
#include "catalogue_builder.h"

#include "recording_ui_service.h"
#include "styledlg/style_dlg.h"
#include "win/dialog_script.h"
#include "win/message_box.h"
#include "win/resources.h"

namespace styledlgtest {

class EditorHarness {
 public:
  EditorHarness() : m_scope(m_ui) {
    ::setenv("ZR_DATALIB", m_data.path().c_str(), 1);
    ::setenv("ZR_DWGLIB", m_dwg.path().c_str(), 1);
    std::filesystem::create_directories(m_dwg.path() + "/Fan");
    m_previous = AfxGetResourceHandle();
    m_instance = winplat::instanceFromTable(fancadModuleResources(), "zrfan-test");
    AfxSetResourceHandle(m_instance);
  }
  ~EditorHarness() {
    AfxSetResourceHandle(m_previous);
    zrbase::releaseInstance(m_instance);
    ::unsetenv("ZR_DATALIB");
    ::unsetenv("ZR_DWGLIB");
  }

  HINSTANCE instance() const { return m_instance; }
  std::string catalogue() const { return m_data.file("ZRFan.Mdb"); }
  std::string drawing(const std::string& name) const { return m_dwg.path() + "/Fan/" + name; }
  void makeDrawing(const std::string& name) const { std::ofstream(drawing(name)) << "0\nEOF\n"; }
  testsupport::RecordingUiService& ui() { return m_ui; }

  // Every row of a query on the catalogue, NULL shown as "<null>".
  std::vector<std::vector<std::string>> rows(const std::string& sql) const {
    return testsupport::readRows(catalogue(), sql, true);
  }

  // Runs a fresh editor on a connection of its own; fn sees it while it is up.
  void run(const std::function<void(CStyleDlg&)>& fn) {
    CFanDatabase db;
    db.OpenFanDatabase();
    m_ui.onModal([&fn](CDialog& dlg) { fn(dynamic_cast<CStyleDlg&>(dlg)); });
    CStyleDlg dlg(&db);
    dlg.DoModal();
  }

 private:
  testsupport::TempDir m_data;
  testsupport::TempDir m_dwg;
  testsupport::RecordingUiService m_ui;
  winplat::ScopedUiService m_scope;
  HINSTANCE m_previous = nullptr;
  HINSTANCE m_instance = nullptr;
};

// Applies a dlg line and fails the test when it cannot be applied.
inline void Apply(CDialog& dlg, const std::string& line) {
  const std::string reason = winplat::applyDialogLine(dlg, line);
  if (!reason.empty()) ADD_FAILURE() << line << ": " << reason;
}

inline std::vector<std::wstring> Column(const CGridCtrl& g, int col) {
  std::vector<std::wstring> texts;
  for (int r = 0; r < g.GetRowCount(); ++r) texts.push_back(g.GetItemText(r, col).str());
  return texts;
}

}  // namespace styledlgtest
