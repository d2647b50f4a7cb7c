// Helpers of the component library's tests: looking blocks up, and saving a
// drawing to a file that the checker and ezdxf then read.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "base/cstring.h"
#include "cad/acdb.h"
#include "catalogue_builder.h"
#include "drawing_builder.h"
#include "outside_readers.h"
#include "view_drawing_builder.h"

namespace cadkittest {

inline AcDbObjectId blockId(AcDbDatabase* db, const wchar_t* name) {
  AcDbObjectId id;
  AcDbBlockTable* table = nullptr;
  if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return id;
  if (table->getAt(name, id) != Acad::eOk) id.setNull();
  table->close();
  return id;
}

inline int entityCount(AcDbObjectId block) {
  AcDbObjectPointer<AcDbBlockTableRecord> rec(block, AcDb::kForRead);
  return rec ? static_cast<int>(rec->entityIds().size()) : -1;
}

inline std::vector<std::wstring> blockNames(AcDbDatabase* db) {
  std::vector<std::wstring> names;
  AcDbBlockTable* table = nullptr;
  db->getBlockTable(table, AcDb::kForRead);
  AcDbBlockTableIterator* it = nullptr;
  table->newIterator(it);
  for (; !it->done(); it->step()) {
    AcDbBlockTableRecord* rec = nullptr;
    if (it->getRecord(rec, AcDb::kForRead) != Acad::eOk) continue;
    if (!rec->isLayout()) names.push_back(rec->name());
    rec->close();
  }
  delete it;
  table->close();
  return names;
}

// Saves db as path, requires the drawing checker to find it clean and returns
// what ezdxf reads from it.
inline nlohmann::json saveAndRead(AcDbDatabase* db, const std::string& path) {
  EXPECT_EQ(db->saveAs(CString::FromUtf8(path)), Acad::eOk) << db->lastErrorText();
  const testsupport::CommandResult check = testsupport::checkDrawing(FANCAD_DXF_CHECKER, path);
  EXPECT_EQ(check.status, 0) << check.output;
  const testsupport::CommandResult read = testsupport::readWithEzdxf(TESTSUPPORT_SCRIPTS, path);
  EXPECT_EQ(read.status, 0) << read.output;
  return read.status == 0 ? nlohmann::json::parse(read.output) : nlohmann::json();
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
