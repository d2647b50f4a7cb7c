// Placed fans and their records.
#include "gui/placed_fans.h"

#include "cad/acdb.h"

namespace zrgui {

namespace {

constexpr const wchar_t* kPlacementApp = L"Model";
constexpr const wchar_t* kRecordApp = L"ZRFAN_RECORD";
const QString kTagKey = QStringLiteral("TAG");

QString text(const resbuf* rb) {
  if (rb->restype == 1040) return QString::number(rb->resval.rreal, 'g', 12);
  if (rb->restype == 1000) return QString::fromWCharArray(rb->resval.rstring);
  return {};
}

}  // namespace

bool isPlacedFan(AcDbObjectId id) {
  AcDbObjectPointer<AcDbBlockReference> ref(id, AcDb::kForRead);
  if (!ref) return false;
  resbuf* chain = ref->xData(kPlacementApp);
  acutRelRb(chain);
  return chain != nullptr;
}

std::vector<AcDbObjectId> placedFans(const AcDbDatabase* db) {
  std::vector<AcDbObjectId> fans;
  if (!db) return fans;
  AcDbObjectPointer<AcDbBlockTableRecord> space(db->modelSpaceId(), AcDb::kForRead);
  if (!space) return fans;
  for (AcDbObjectId id : space->entityIds()) {
    if (!id.isErased() && isPlacedFan(id)) fans.push_back(id);
  }
  return fans;
}

FanRecordEntries fanRecord(AcDbObjectId id) {
  FanRecordEntries entries;
  AcDbObjectPointer<AcDbEntity> e(id, AcDb::kForRead);
  if (!e) return entries;
  resbuf* chain = e->xData(kRecordApp);
  // The application's name, its version, then keys and values.
  const resbuf* rb = chain && chain->rbnext ? chain->rbnext->rbnext : nullptr;
  for (; rb && rb->restype != 1001 && rb->rbnext; rb = rb->rbnext->rbnext) {
    if (rb->restype != 1000) break;
    entries.emplace_back(text(rb), text(rb->rbnext));
  }
  acutRelRb(chain);
  return entries;
}

QString recordValue(const FanRecordEntries& record, const QString& key) {
  for (const auto& [k, v] : record) {
    if (k == key) return v;
  }
  return {};
}

std::vector<AcDbObjectId> fansOfTags(const std::vector<QString>& tags, const AcDbDatabase* db) {
  std::vector<std::pair<QString, AcDbObjectId>> fans;
  for (AcDbObjectId id : placedFans(db)) fans.emplace_back(recordValue(fanRecord(id), kTagKey), id);
  std::vector<AcDbObjectId> ids;
  std::size_t untagged = 0;
  for (const QString& tag : tags) {
    AcDbObjectId found;
    if (tag.isEmpty()) {
      for (std::size_t seen = 0; const auto& [t, id] : fans) {
        if (t.isEmpty() && seen++ == untagged) found = id;
      }
      ++untagged;
    } else {
      for (const auto& [t, id] : fans) {
        if (t == tag) found = id;
      }
    }
    ids.push_back(found);
  }
  return ids;
}

}  // namespace zrgui
