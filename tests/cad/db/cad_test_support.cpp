// Helpers of the drawing tests.
#include "cad_test_support.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/cstring.h"

namespace cadtest {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "cadtest.XXXXXX").string();
  char* p = mkdtemp(tmpl.data());
  m_path = p ? p : "";
}

TempDir::~TempDir() {
  std::error_code ec;
  if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
}

std::wstring TempDir::wpath(const std::string& name) const {
  return zrbase::utf8ToWide(path(name));
}

CommandResult run(const std::string& command) {
  CommandResult r;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return r;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) r.output.append(buf.data(), n);
  int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

CommandResult runScript(const std::string& script, const std::string& args) {
  return run("/usr/bin/python3 " CAD_TEST_SCRIPTS "/" + script + " " + args);
}

CommandResult checkDrawing(const std::string& file) {
  return run("/usr/bin/python3 " CAD_DXF_CHECK " '" + file + "'");
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

AcDbObjectId addToBlock(AcDbObjectId block, AcDbEntity* ent) {
  AcDbBlockTableRecord* btr = nullptr;
  AcDbObjectId id;
  if (acdbOpenObject(btr, block, AcDb::kForWrite) != Acad::eOk) return id;
  if (btr->appendAcDbEntity(id, ent) == Acad::eOk) ent->close();
  btr->close();
  return id;
}

AcDbObjectId addToModelSpace(AcDbDatabase* db, AcDbEntity* ent) {
  return addToBlock(db->modelSpaceId(), ent);
}

AcDbObjectId addBlock(AcDbDatabase* db, const ACHAR* name, const AcGePoint3d& origin) {
  AcDbBlockTable* table = nullptr;
  AcDbObjectId id;
  if (db->getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return id;
  auto* rec = new AcDbBlockTableRecord();
  rec->setName(name);
  rec->setOrigin(origin);
  if (table->add(id, rec) == Acad::eOk)
    rec->close();
  else
    delete rec;
  table->close();
  return id;
}

int modelSpaceCount(AcDbDatabase* db) {
  AcDbBlockTableRecord* ms = nullptr;
  if (acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return -1;
  int n = static_cast<int>(ms->entityIds().size());
  ms->close();
  return n;
}

AcDbEntity* firstInModelSpace(AcDbDatabase* db) {
  AcDbBlockTableRecord* ms = nullptr;
  if (acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return nullptr;
  AcDbBlockTableRecordIterator* it = nullptr;
  ms->newIterator(it);
  AcDbEntity* ent = nullptr;
  if (!it->done()) it->getEntity(ent, AcDb::kForRead);
  delete it;
  ms->close();
  return ent;
}

DxfText& DxfText::pair(int code, const std::string& value) {
  m_text += std::to_string(code) + "\n" + value + "\n";
  return *this;
}

DxfText& DxfText::header(const std::string& version, const std::string& codePage) {
  section("HEADER").pair(9, "$ACADVER").pair(1, version);
  if (!codePage.empty()) pair(9, "$DWGCODEPAGE").pair(3, codePage);
  return endSection();
}

std::string r12Drawing(const std::string& entities, const std::string& codePage) {
  DxfText t;
  t.header("AC1009", codePage);
  t.section("TABLES").pair(0, "TABLE").pair(2, "LAYER").pair(70, "1");
  t.pair(0, "LAYER").pair(2, "0").pair(70, "0").pair(62, "7").pair(6, "CONTINUOUS");
  t.pair(0, "ENDTAB").endSection();
  return t.section("ENTITIES").str() + entities + DxfText().endSection().eof().str();
}

}  // namespace cadtest
