// Helpers of the drawing tests: temporary folders, drawings built in code, inline DXF, and
// the outside readers (ezdxf scripts, the DXF checker).
#pragma once

#include <memory>
#include <string>

#include "cad/acdb.h"
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
  std::wstring wpath(const std::string& name) const;

 private:
  std::string m_path;
};

using testsupport::CommandResult;
inline CommandResult run(const std::string& command) { return testsupport::runCommand(command); }
// Runs a script of tests/cad/scripts with the system's Python (where ezdxf is installed).
CommandResult runScript(const std::string& script, const std::string& args);
// The strict DXF checker: status 0 means the drawing is clean.
CommandResult checkDrawing(const std::string& file);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);

// Appends an entity to the model space of db and closes it; returns its id.
AcDbObjectId addToModelSpace(AcDbDatabase* db, AcDbEntity* ent);
// Defines a block of the given name and base point and closes it; returns its id.
AcDbObjectId addBlock(AcDbDatabase* db, const ACHAR* name,
                      const AcGePoint3d& origin = AcGePoint3d::kOrigin);
// Appends an entity to a block and closes it.
AcDbObjectId addToBlock(AcDbObjectId block, AcDbEntity* ent);
// The number of live entities in model space.
int modelSpaceCount(AcDbDatabase* db);
// The first live entity of model space (opened for read: close it).
AcDbEntity* firstInModelSpace(AcDbDatabase* db);

// DXF text built pair by pair: DxfText().pair(0, "SECTION").pair(2, "HEADER")...
class DxfText {
 public:
  DxfText& pair(int code, const std::string& value);
  DxfText& section(const std::string& name) { return pair(0, "SECTION").pair(2, name); }
  DxfText& endSection() { return pair(0, "ENDSEC"); }
  // A header with $ACADVER (and $DWGCODEPAGE when given).
  DxfText& header(const std::string& version, const std::string& codePage = "");
  DxfText& eof() { return pair(0, "EOF"); }
  const std::string& str() const { return m_text; }

 private:
  std::string m_text;
};

// A whole R12 drawing whose ENTITIES section holds the given pairs.
std::string r12Drawing(const std::string& entities, const std::string& codePage = "");

}  // namespace cadtest
