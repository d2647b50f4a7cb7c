// The sample catalogue in a temporary folder, with message boxes recorded.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
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

// Sets (or, given null, unsets) an environment variable while in scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ScopedEnv(const char* name, const std::string& value) : ScopedEnv(name, value.c_str()) {}
  ~ScopedEnv() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }

 private:
  const char* m_name;
  std::optional<std::string> m_old;
};

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
