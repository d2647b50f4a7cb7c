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
  AcDbObjectId id;
  AcDbObjectPointer<AcDbBlockTableRecord> btr(block, AcDb::kForWrite);
  if (btr && btr->appendAcDbEntity(id, ent) == Acad::eOk) ent->close();
  return id;
}

AcDbObjectId addToModelSpace(AcDbDatabase* db, AcDbEntity* ent) {
  return addToBlock(db->modelSpaceId(), ent);
}

// Adds rec to the table of tableId; returns its id, or a null id (rec deleted) when refused.
static AcDbObjectId addRecord(AcDbObjectId tableId, AcDbSymbolTableRecord* rec) {
  AcDbObjectId id;
  AcDbObjectPointer<AcDbSymbolTable> table(tableId, AcDb::kForWrite);
  if (table && table->add(id, rec) == Acad::eOk)
    rec->close();
  else
    delete rec;
  return id;
}

AcDbObjectId addBlock(AcDbDatabase* db, const ACHAR* name, const AcGePoint3d& origin) {
  auto* rec = new AcDbBlockTableRecord();
  rec->setName(name);
  rec->setOrigin(origin);
  return addRecord(db->blockTableId(), rec);
}

AcDbObjectId addLayer(AcDbDatabase* db, const ACHAR* name, short color) {
  auto* rec = new AcDbLayerTableRecord();
  rec->setName(name);
  AcCmColor c;
  c.setColorIndex(color);
  rec->setColor(c);
  return addRecord(db->layerTableId(), rec);
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

AcDbEntity* firstInModelSpace(AcDbDatabase* db) {
  const std::vector<AcDbObjectId> ids = entitiesOf(db->modelSpaceId());
  AcDbEntity* ent = nullptr;
  if (!ids.empty()) acdbOpenObject(ent, ids[0], AcDb::kForRead);
  return ent;
}

std::string dxf(std::initializer_list<DxfWord> words) {
  std::string text;
  for (const DxfWord& w : words) text += w.text + "\n";
  return text;
}

std::string section(const std::string& name, const std::string& body) {
  return dxf({0, "SECTION", 2, name}) + body + dxf({0, "ENDSEC"});
}

std::string dxfFile(const std::string& version, const std::string& sections,
                    const std::string& codePage) {
  std::string header = dxf({9, "$ACADVER", 1, version});
  if (!codePage.empty()) header += dxf({9, "$DWGCODEPAGE", 3, codePage});
  return section("HEADER", header) + sections + dxf({0, "EOF"});
}

std::string r12Drawing(const std::string& entities, const std::string& codePage) {
  const std::string layers = dxf({0, "TABLE", 2, "LAYER", 70, 1, 0, "LAYER", 2, "0", 70, 0, 62, 7,
                                  6, "CONTINUOUS", 0, "ENDTAB"});
  return dxfFile("AC1009", section("TABLES", layers) + section("ENTITIES", entities), codePage);
}

}  // namespace cadtest
