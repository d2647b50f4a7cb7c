// Helpers of the drawing tests.
#include "cad_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/cstring.h"
#include "cad/db/dxf/drawing_clock.h"

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

CommandResult runScript(const std::string& script, const std::string& args) {
  return run("/usr/bin/python3 " CAD_TEST_SCRIPTS "/" + script + " " + args);
}

void expectClean(const std::string& file) {
  const CommandResult check = testsupport::checkDrawing(CAD_DXF_CHECK, file);
  EXPECT_EQ(check.status, 0) << file << ": " << check.output;
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

std::string errorText(const AcDbDatabase& db) { return zrbase::wideToUtf8(db.lastErrorText()); }

std::string written(AcDbDatabase& db) {
  static const auto stopped = zrcad::dxf::drawingTime();
  zrcad::dxf::ScopedDrawingClock clock([] { return stopped; });
  std::string out;
  EXPECT_EQ(db.writeDxfText(out), Acad::eOk);
  return out;
}

std::unique_ptr<AcDbDatabase> readBack(const std::string& text) {
  auto db = std::make_unique<AcDbDatabase>(false);
  EXPECT_EQ(db->readDxfText(text), Acad::eOk) << errorText(*db);
  return db;
}

std::string insertAfter(const std::string& text, const std::string& anchor,
                        const std::string& pairs) {
  const size_t at = text.find(anchor);
  EXPECT_NE(at, std::string::npos) << anchor;
  if (at == std::string::npos) return text;
  return text.substr(0, at + anchor.size()) + pairs + text.substr(at + anchor.size());
}

std::string withEntities(const std::string& entities) {
  AcDbDatabase db;
  return insertAfter(written(db), "ENTITIES\n", entities);
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

AcDbObjectId addLayer(AcDbDatabase* db, const ACHAR* name, short color) {
  AcDbLayerTable* lt = nullptr;
  AcDbObjectId id;
  if (db->getLayerTable(lt, AcDb::kForWrite) != Acad::eOk) return id;
  auto* rec = new AcDbLayerTableRecord();
  rec->setName(name);
  AcCmColor c;
  c.setColorIndex(color);
  rec->setColor(c);
  if (lt->add(id, rec) == Acad::eOk)
    rec->close();
  else
    delete rec;
  lt->close();
  return id;
}

AcDbObjectId blockNamed(AcDbDatabase& db, const ACHAR* name) {
  AcDbBlockTable* table = nullptr;
  AcDbObjectId id;
  if (db.getBlockTable(table) != Acad::eOk) return id;
  table->getAt(name, id);
  table->close();
  return id;
}

bool hasLayer(AcDbDatabase& db, const ACHAR* name) {
  AcDbLayerTable* lt = nullptr;
  if (db.getLayerTable(lt) != Acad::eOk) return false;
  const bool has = lt->has(name);
  lt->close();
  return has;
}

std::vector<AcDbObjectId> entitiesOf(AcDbObjectId block) {
  AcDbObjectPointer<AcDbBlockTableRecord> btr(block, AcDb::kForRead);
  return btr ? btr->entityIds() : std::vector<AcDbObjectId>{};
}

int modelSpaceCount(AcDbDatabase* db) {
  return static_cast<int>(entitiesOf(db->modelSpaceId()).size());
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

std::string dxf(std::initializer_list<DxfWord> words) { return DxfText().pairs(words).str(); }

DxfText& DxfText::pair(int code, const std::string& value) {
  m_text += std::to_string(code) + "\n" + value + "\n";
  return *this;
}

DxfText& DxfText::pairs(std::initializer_list<DxfWord> words) {
  for (const DxfWord& w : words) m_text += w.text + "\n";
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
  t.section("TABLES").pairs({0, "TABLE", 2, "LAYER", 70, 1});
  t.pairs({0, "LAYER", 2, "0", 70, 0, 62, 7, 6, "CONTINUOUS"});
  t.pair(0, "ENDTAB").endSection();
  return t.section("ENTITIES").str() + entities + DxfText().endSection().eof().str();
}

}  // namespace cadtest
