// View drawings for tests and benchmarks.
#include "view_drawing_builder.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <numbers>

#include "base/cstring.h"

namespace testsupport {

namespace {

constexpr const wchar_t* kOutlineLayer = L"OUTLINE";

AcDbObjectId AddLayer(AcDbDatabase* db, const wchar_t* name, Adesk::UInt16 color) {
  AcDbLayerTable* table = nullptr;
  db->getLayerTable(table, AcDb::kForWrite);
  auto* layer = new AcDbLayerTableRecord;
  layer->setName(name);
  AcCmColor c;
  c.setColorIndex(color);
  layer->setColor(c);
  AcDbObjectId id;
  table->add(id, layer);
  layer->close();
  table->close();
  return id;
}

void Append(AcDbBlockTableRecord* block, AcDbEntity* ent) {
  block->appendAcDbEntity(ent);
  ent->close();
}

void Fill(AcDbDatabase* db, AcDbBlockTableRecord* block, const ViewBlock& wanted) {
  const AcGePoint3d o = wanted.origin;
  for (int i = 0; i < wanted.lines; ++i) {
    const double a0 = 2 * std::numbers::pi * i / wanted.lines;
    const double a1 = 2 * std::numbers::pi * (i + 1) / wanted.lines;
    auto* line = new AcDbLine(
        AcGePoint3d(o.x + wanted.radius * std::cos(a0), o.y + wanted.radius * std::sin(a0), 0),
        AcGePoint3d(o.x + wanted.radius * std::cos(a1), o.y + wanted.radius * std::sin(a1), 0));
    line->setLayer(kOutlineLayer);
    Append(block, line);
  }
  if (wanted.attribute) {
    auto* def =
        new AcDbAttributeDefinition(AcGePoint3d(10, 5, 0), L"default", L"TAG", L"Prompt of TAG");
    def->setHeight(2.5);
    Append(block, def);
  }
  if (!wanted.reference.empty()) {
    AcDbBlockTable* table = nullptr;
    db->getBlockTable(table, AcDb::kForRead);
    AcDbObjectId target;
    table->getAt(wanted.reference.c_str(), target);
    table->close();
    Append(block, new AcDbBlockReference(AcGePoint3d::kOrigin, target));
  }
}

}  // namespace

std::vector<ViewBlock> viewBlocks(const std::vector<int>& angles, int lines) {
  std::vector<ViewBlock> blocks;
  for (const wchar_t* view : {L"F_", L"S_", L"B_"}) {
    for (const wchar_t* hand : {L"L", L"R"}) {
      for (int angle : angles) {
        blocks.emplace_back(std::wstring(view) + hand + std::to_wstring(angle), lines);
      }
    }
  }
  return blocks;
}

AcDbDatabase* buildViewDrawing(const std::vector<ViewBlock>& blocks) {
  auto db = std::make_unique<AcDbDatabase>(true, true);
  AddLayer(db.get(), kOutlineLayer, 3);
  // Every record first, so that references may name blocks defined later.
  std::vector<AcDbObjectId> ids;
  AcDbBlockTable* table = nullptr;
  db->getBlockTable(table, AcDb::kForWrite);
  for (const ViewBlock& wanted : blocks) {
    auto* rec = new AcDbBlockTableRecord;
    rec->setName(wanted.name.c_str());
    rec->setOrigin(wanted.origin);
    AcDbObjectId id;
    table->add(id, rec);
    rec->close();
    ids.push_back(id);
  }
  table->close();
  for (size_t i = 0; i < blocks.size(); ++i) {
    AcDbBlockTableRecord* rec = nullptr;
    acdbOpenObject(rec, ids[i], AcDb::kForWrite);
    Fill(db.get(), rec, blocks[i]);
    rec->close();
  }
  return db.release();
}

bool writeViewDrawing(const std::string& path, const std::vector<ViewBlock>& blocks) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  std::unique_ptr<AcDbDatabase> db(buildViewDrawing(blocks));
  return db->saveAs(CString::FromUtf8(path)) == Acad::eOk;
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace testsupport
