// Helpers of the component library's tests: looking blocks up, and saving a
// drawing to a file that the drawing checker then reads. (How ezdxf reads what
// the helpers leave in a drawing: e2e/drawings_test.py.)
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/cstring.h"
#include "cad/acdb.h"
#include "catalogue_builder.h"
#include "drawing_builder.h"
#include "outside_readers.h"
#include "view_drawing_builder.h"

namespace cadkittest {

using apptest::addReference;
using apptest::blockId;
using apptest::blockNames;
using apptest::entityCount;

// Saves db as path and requires the drawing checker to find it clean.
inline void saveAndCheck(AcDbDatabase* db, const std::string& path) {
  EXPECT_EQ(db->saveAs(CString::FromUtf8(path)), Acad::eOk) << db->lastErrorText();
  const testsupport::CommandResult check = testsupport::checkDrawing(FANCAD_DXF_CHECKER, path);
  EXPECT_EQ(check.status, 0) << check.output;
}

// A writable copy of a name, as the helpers take names.
class Name {
 public:
  explicit Name(const std::wstring& s) : m_buf(s.begin(), s.end()) { m_buf.push_back(0); }
  ACHAR* get() { return m_buf.data(); }

 private:
  std::vector<ACHAR> m_buf;
};

}  // namespace cadkittest
