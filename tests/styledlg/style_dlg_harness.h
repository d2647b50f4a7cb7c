// Runs the model list editor headless in the test process, over a catalogue
// and a drawing library in temporary folders.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "fan_dlg_harness.h"
#include "styledlg/style_dlg.h"
#include "win/dialog_script.h"

namespace styledlgtest {

class EditorHarness : public fandlgtest::DialogHarness {
 public:
  EditorHarness() {
    ::setenv("ZR_DWGLIB", m_dwg.path().c_str(), 1);
    std::filesystem::create_directories(m_dwg.path() + "/Fan");
  }
  ~EditorHarness() { ::unsetenv("ZR_DWGLIB"); }

  // Every row of a query on the catalogue, NULL shown as "<null>".
  std::vector<std::vector<std::string>> rows(const std::string& sql) const {
    return testsupport::readRows(catalogue(), sql, true);
  }

  // Runs a fresh editor on a connection of its own; fn sees it while it is up.
  void run(const std::function<void(CStyleDlg&)>& fn) {
    CFanDatabase db;
    db.OpenFanDatabase();
    ui().onModal([&fn](CDialog& dlg) { fn(dynamic_cast<CStyleDlg&>(dlg)); });
    CStyleDlg dlg(&db);
    dlg.DoModal();
  }

 private:
  testsupport::TempDir m_dwg;
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
