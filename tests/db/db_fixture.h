// The sample catalogue in a temporary folder, with message boxes recorded.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "catalogue_builder.h"
#include "db/ado_db.h"
#include "recording_ui_service.h"
#include "win/message_box.h"

namespace dbtest {

inline CString wide(const std::string& s) { return CString::FromUtf8(s); }

// The path as the module builds it: folders joined with '\'.
inline CString modulePath(const std::string& folder, const char* name) {
  return wide(folder) + L"\\" + wide(name);
}

inline CString text(const _variant_t& v) {
  if (v.vt == VT_NULL) return L"<null>";
  return CString(static_cast<const wchar_t*>(_bstr_t(v)));
}

struct DbFixture : ::testing::Test {
  testsupport::TempDir dir;
  std::string path = testsupport::writeSampleCatalogue(dir.path());
  testsupport::RecordingUiService ui;
  winplat::ScopedUiService scope{ui};

  std::wstring onlyMessage() const {
    EXPECT_EQ(ui.boxes().size(), 1u);
    return ui.boxes().empty() ? std::wstring() : ui.boxes().front().text;
  }
};

}  // namespace dbtest
