// Reading view drawings back for the library tests.
#include "drawing_reader.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "base/utf8.h"

namespace toolstest {

ReadDrawing::ReadDrawing(const std::string& path) : m_db(std::make_unique<AcDbDatabase>(false)) {
  if (m_db->readDwgFile(zrbase::utf8ToWide(path).c_str()) != Acad::eOk) {
    m_error = zrbase::wideToUtf8(m_db->lastErrorText());
  }
}

std::vector<std::string> ReadDrawing::viewBlockNames() const {
  std::vector<std::string> names;
  AcDbObjectPointer<AcDbBlockTable> table(m_db->blockTableId(), AcDb::kForRead);
  AcDbBlockTableIterator* it = nullptr;
  if (!table || table->newIterator(it) != Acad::eOk) return names;
  for (; !it->done(); it->step()) {
    AcDbBlockTableRecord* record = nullptr;
    if (it->getRecord(record, AcDb::kForRead) != Acad::eOk) continue;
    if (!record->isLayout()) names.push_back(zrbase::wideToUtf8(record->name()));
    record->close();
  }
  delete it;
  return names;
}

bool ReadDrawing::has(const std::string& block) const {
  const std::vector<std::string> names = viewBlockNames();
  return std::find(names.begin(), names.end(), block) != names.end();
}

std::vector<Entity> ReadDrawing::entities(const std::string& block) const {
  std::vector<Entity> out;
  AcDbObjectPointer<AcDbBlockTable> table(m_db->blockTableId(), AcDb::kForRead);
  AcDbObjectId id;
  if (!table || table->getAt(zrbase::utf8ToWide(block).c_str(), id) != Acad::eOk) return out;
  AcDbObjectPointer<AcDbBlockTableRecord> record(id, AcDb::kForRead);
  for (AcDbObjectId entityId : record->entityIds()) {
    AcDbObjectPointer<AcDbEntity> e(entityId, AcDb::kForRead);
    if (!e) continue;
    Entity r;
    AcDbObjectPointer<AcDbLayerTableRecord> layer(e->layerId(), AcDb::kForRead);
    if (layer) r.layer = zrbase::wideToUtf8(layer->name());
    r.bounded = e->getGeomExtents(r.extents) == Acad::eOk;
    const AcDbCircle* c = AcDbCircle::cast(e.object());
    if (c && !AcDbArc::cast(e.object()) && c->center() == AcGePoint3d::kOrigin)
      r.circle = c->radius();
    if (const AcDbAttributeDefinition* def = AcDbAttributeDefinition::cast(e.object())) {
      r.tag = zrbase::wideToUtf8(def->tagConst());
      r.text = zrbase::wideToUtf8(def->textStringConst());
    }
    out.push_back(r);
  }
  return out;
}

std::map<std::string, int> ReadDrawing::layerColours() const {
  std::map<std::string, int> colours;
  AcDbObjectPointer<AcDbLayerTable> table(m_db->layerTableId(), AcDb::kForRead);
  AcDbLayerTableIterator* it = nullptr;
  if (!table || table->newIterator(it) != Acad::eOk) return colours;
  for (; !it->done(); it->step()) {
    AcDbLayerTableRecord* layer = nullptr;
    if (it->getRecord(layer, AcDb::kForRead) != Acad::eOk) continue;
    colours[zrbase::wideToUtf8(layer->name())] = layer->color().colorIndex();
    layer->close();
  }
  delete it;
  return colours;
}

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string withoutDates(const std::string& dxf) {
  std::istringstream in(dxf);
  std::string out, code, value;
  bool skipNext = false;
  while (std::getline(in, code) && std::getline(in, value)) {
    if (skipNext) {
      skipNext = false;
      value = "(date)";
    } else if (code.substr(std::min(code.find_first_not_of(' '), code.size())) == "9" &&
               value.starts_with("$TD")) {
      skipNext = true;
    }
    out += code + "\n" + value + "\n";
  }
  return out;
}

}  // namespace toolstest
