// Helpers of the drawing tests: temporary folders, drawings built in code, inline DXF, and
// the outside readers (ezdxf scripts, the DXF checker).
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/cstring.h"
#include "cad/acdb.h"
#include "drawing_builder.h"
#include "outside_readers.h"

namespace cadtest {

// A folder that is removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string path(const std::string& name) const { return m_path + "/" + name; }
  std::wstring wpath(const std::string& name) const { return zrbase::utf8ToWide(path(name)); }

 private:
  std::string m_path;
};

using testsupport::CommandResult;
// Runs a script of tests/cad/db/scripts with the system's Python (where ezdxf is installed).
inline CommandResult runScript(const std::string& script, const std::string& args) {
  return testsupport::runCommand("/usr/bin/python3 " CAD_TEST_SCRIPTS "/" + script + " " + args);
}
// Expects the strict DXF checker to find nothing wrong with the file.
void expectClean(const std::string& file);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);
inline std::string errorText(const AcDbDatabase& db) {
  return zrbase::wideToUtf8(db.lastErrorText());
}

// The drawing's text, written by a stopped clock: texts written seconds apart compare equal
// where only their save dates would differ.
std::string written(AcDbDatabase& db);
// A database read from text; the read is expected to succeed.
std::unique_ptr<AcDbDatabase> readBack(const std::string& text);
// The text of a new drawing with `entities` (DXF pairs) first in its ENTITIES section.
std::string withEntities(const std::string& entities);
// `text` with `pairs` inserted right after the first occurrence of `anchor`.
std::string insertAfter(const std::string& text, const std::string& anchor,
                        const std::string& pairs);

// Appends an entity to the model space of db and closes it; returns its id.
AcDbObjectId addToModelSpace(AcDbDatabase* db, AcDbEntity* ent);
// Defines a block of the given name and base point and closes it; returns its id.
AcDbObjectId addBlock(AcDbDatabase* db, const ACHAR* name,
                      const AcGePoint3d& origin = AcGePoint3d::kOrigin);
// Appends an entity to a block and closes it.
AcDbObjectId addToBlock(AcDbObjectId block, AcDbEntity* ent);
// Adds a layer of the given name and colour; returns its id.
AcDbObjectId addLayer(AcDbDatabase* db, const ACHAR* name, short color = 7);
// The block of that name in db, or a null id.
inline AcDbObjectId blockNamed(AcDbDatabase& db, const ACHAR* name) {
  return apptest::blockId(&db, name);
}
// Whether db has a layer of that name.
bool hasLayer(AcDbDatabase& db, const ACHAR* name);
// The live entities of a block, in order.
std::vector<AcDbObjectId> entitiesOf(AcDbObjectId block);
// The number of live entities in model space.
inline int modelSpaceCount(AcDbDatabase* db) { return apptest::entityCount(db->modelSpaceId()); }
// The first live entity of model space (opened for read: close it).
AcDbEntity* firstInModelSpace(AcDbDatabase* db);

// One line of DXF text: a group code or a value.
struct DxfWord {
  DxfWord(int n) : text(std::to_string(n)) {}     // NOLINT: implicit, for lists of pairs
  DxfWord(const char* s) : text(s) {}             // NOLINT
  DxfWord(std::string s) : text(std::move(s)) {}  // NOLINT
  std::string text;
};
// DXF pairs as text, codes and values in turn: dxf({0, "LINE", 8, "0"}) is "0\nLINE\n8\n0\n".
std::string dxf(std::initializer_list<DxfWord> words);

// A section of DXF text: SECTION, its name, the body, ENDSEC.
std::string section(const std::string& name, const std::string& body);
// A whole drawing: a header with $ACADVER (and $DWGCODEPAGE when given), then the sections.
std::string dxfFile(const std::string& version, const std::string& sections,
                    const std::string& codePage = "");
// A whole R12 drawing whose ENTITIES section holds the given pairs.
std::string r12Drawing(const std::string& entities, const std::string& codePage = "");

}  // namespace cadtest
