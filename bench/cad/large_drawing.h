// A large drawing built with the database API, for benchmarks that run on their own.
#pragma once

#include <string>

#include "cad/acdb.h"

namespace cadbench {

// lines in model space, blocks of entitiesPerBlock entities, references with xdata.
inline void buildLargeDrawing(AcDbDatabase& db, int lines, int blocks, int entitiesPerBlock,
                              int references) {
  AcDbBlockTable* bt = nullptr;
  db.getBlockTable(bt, AcDb::kForWrite);
  std::vector<AcDbObjectId> blockIds;
  for (int b = 0; b < blocks; ++b) {
    auto* rec = new AcDbBlockTableRecord();
    rec->setName((L"BLOCK_" + std::to_wstring(b)).c_str());
    AcDbObjectId id;
    bt->add(id, rec);
    for (int e = 0; e < entitiesPerBlock; ++e) {
      AcDbEntity* ent = e % 2 ? static_cast<AcDbEntity*>(new AcDbCircle(
                                    AcGePoint3d(e, b, 0), AcGeVector3d::kZAxis, 1 + e))
                              : new AcDbLine(AcGePoint3d(0, e, 0), AcGePoint3d(e, b, 0));
      rec->appendAcDbEntity(ent);
      ent->close();
    }
    rec->close();
    blockIds.push_back(id);
  }
  bt->close();
  db.registerApplication(L"ZRFAN");
  AcDbBlockTableRecord* ms = nullptr;
  acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite);
  for (int i = 0; i < lines; ++i) {
    auto* line = new AcDbLine(AcGePoint3d(i, 0, 0), AcGePoint3d(i, 100.5, 0));
    ms->appendAcDbEntity(line);
    line->close();
  }
  for (int i = 0; i < references && !blockIds.empty(); ++i) {
    auto* ref = new AcDbBlockReference(AcGePoint3d(i, i, 0),
                                       blockIds[static_cast<size_t>(i) % blockIds.size()]);
    ms->appendAcDbEntity(ref);
    resbuf* rb = acutBuildList(1001, L"ZRFAN", 1000, L"4-72No4.5A_2900", 1070, 1, 0);
    ref->setXData(rb);
    acutRelRb(rb);
    ref->close();
  }
  ms->close();
}

}  // namespace cadbench
