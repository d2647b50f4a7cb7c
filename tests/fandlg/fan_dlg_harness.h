// Runs the fan selection dialog headless in the test process, over a catalogue
// in a temporary library folder.
#pragma once

#include <cstdlib>
#include <functional>
#include <string>

#include "base/module_instance.h"
#include "catalogue_builder.h"
#include "fandlg/fan_dlg.h"
#include "recording_ui_service.h"
#include "win/message_box.h"
#include "win/resources.h"

namespace fandlgtest {

class DialogHarness {
 public:
  DialogHarness() : m_scope(m_ui) {
    ::setenv("ZR_DATALIB", m_dir.path().c_str(), 1);
    m_previous = AfxGetResourceHandle();
    AfxSetResourceHandle(winplat::instanceFromTable(fancadModuleResources(), "zrfan-test"));
  }
  ~DialogHarness() {
    zrbase::releaseInstance(AfxGetResourceHandle());
    AfxSetResourceHandle(m_previous);
    ::unsetenv("ZR_DATALIB");
  }

  std::string catalogue() const { return m_dir.file("ZRFan.Mdb"); }
  testsupport::RecordingUiService& ui() { return m_ui; }

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
};

}  // namespace fandlgtest
