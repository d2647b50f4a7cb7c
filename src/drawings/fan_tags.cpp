// Fan tags: numbering, the drawing's prefix and the attribute that shows a tag.
#include "drawings/fan_tags.h"

#include <algorithm>
#include <memory>
#include <set>

#include "cad/aced.h"

namespace {

constexpr const ACHAR* kPrefixKey = L"PREFIX";
constexpr const ACHAR* kPlacementEntry = L"Model";

// FAN_TAG's id, made (on and thawed) when missing; null when the layer table
// cannot be opened.
AcDbObjectId TagLayer(AcDbDatabase* pDb) {
  AcDbLayerTable* pTable = nullptr;
  AcDbObjectId id;
  if (pDb == nullptr || pDb->getLayerTable(pTable, AcDb::kForRead) != Acad::eOk) return id;
  if (pTable->getAt(kFanTagLayer, id) != Acad::eOk && pTable->upgradeOpen() == Acad::eOk) {
    auto pLayer = std::make_unique<AcDbLayerTableRecord>();
    pLayer->setName(kFanTagLayer);
    if (pTable->add(id, pLayer.get()) == Acad::eOk) pLayer.release()->close();
  }
  pTable->close();
  return id;
}

// The tag text height for a fan of that size: a tenth of its larger side,
// so tags read alike at any drawing scale, and never below 2.5 units.
double TagHeight(const AcDbExtents& e) {
  const AcGeVector3d size = e.maxPoint() - e.minPoint();
  return std::max(2.5, 0.1 * std::max(size.x, size.y));
}

// The TAG attribute of the reference; null when it has none.
AcDbObjectId TagAttribute(const AcDbBlockReference* pRef) {
  for (AcDbObjectId id : pRef->attributeIds()) {
    AcDbObjectPointer<AcDbAttribute> pAttr(id, AcDb::kForRead);
    if (pAttr && CString(pAttr->tagConst()) == kFanTagAttribute) return id;
  }
  return {};
}

// Shows tag on the fan: the text of its TAG attribute, made above the right
// of the fan's outline when it has none.
bool ShowTag(AcDbObjectId fanId, const CString& tag) {
  AcDbObjectPointer<AcDbBlockReference> pRef(fanId, AcDb::kForWrite);
  if (!pRef) return false;
  if (const AcDbObjectId attrId = TagAttribute(pRef.object()); !attrId.isNull()) {
    AcDbObjectPointer<AcDbAttribute> pAttr(attrId, AcDb::kForWrite);
    return pAttr && pAttr->setTextString(tag) == Acad::eOk;
  }
  const AcDbObjectId layerId = TagLayer(pRef->database());
  if (layerId.isNull()) return false;
  AcDbExtents e;
  if (pRef->getGeomExtents(e) != Acad::eOk) e.addPoint(pRef->position());
  const double height = TagHeight(e);
  const AcGePoint3d at(e.maxPoint().x + height / 2, e.maxPoint().y + height / 2, 0);
  auto pAttr = std::make_unique<AcDbAttribute>(at, tag, kFanTagAttribute);
  pAttr->setHeight(height);
  pAttr->setLayer(layerId);
  AcDbObjectId attrId;
  if (pRef->appendAttribute(attrId, pAttr.get()) != Acad::eOk) return false;
  pAttr.release()->close();
  return true;
}

bool IsPlacedFan(const AcDbEntity* pEnt) {
  if (AcDbBlockReference::cast(pEnt) == nullptr) return false;
  for (const ACHAR* app : {kPlacementEntry, kFanRecordApp}) {
    resbuf* rb = pEnt->xData(app);
    const bool has = rb != nullptr;
    acutRelRb(rb);
    if (has) return true;
  }
  return false;
}

int HighestTagNumber(const std::vector<AcDbObjectId>& fans, const CString& prefix) {
  int highest = 0;
  for (AcDbObjectId id : fans) {
    AcDbObjectPointer<AcDbObject> pFan(id, AcDb::kForRead);
    if (const auto record = ReadFanRecord(pFan.object()))
      highest = std::max(highest, TagNumber(record->tag, prefix));
  }
  return highest;
}

CString MakeTag(const CString& prefix, int number) {
  CString tag;
  tag.Format(L"%s%d", static_cast<LPCTSTR>(prefix), number);
  return tag;
}

}  // namespace

int TagNumber(const CString& tag, const CString& prefix) {
  const std::wstring& t = tag.str();
  const std::wstring& p = prefix.str();
  if (t.size() <= p.size() || t.compare(0, p.size(), p) != 0) return 0;
  const std::wstring digits = t.substr(p.size());
  // More digits than an int holds is not a tag this drawing gave.
  if (digits.size() > 9 ||
      !std::all_of(digits.begin(), digits.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
    return 0;
  return std::stoi(digits);
}

CString TagPrefix(AcDbDatabase* pDb) {
  AcDbLayerTable* pTable = nullptr;
  CString prefix = kDefaultTagPrefix;
  if (pDb == nullptr || pDb->getLayerTable(pTable, AcDb::kForRead) != Acad::eOk) return prefix;
  AcDbObjectId id;
  const bool found = pTable->getAt(kFanTagLayer, id) == Acad::eOk;
  pTable->close();
  AcDbObjectPointer<AcDbLayerTableRecord> pLayer(id, AcDb::kForRead);
  if (!found || !pLayer) return prefix;
  resbuf* chain = pLayer->xData(kFanRecordApp);
  for (const resbuf* rb = chain; rb && rb->rbnext; rb = rb->rbnext) {
    if (rb->restype == 1000 && CString(rb->resval.rstring) == kPrefixKey &&
        rb->rbnext->restype == 1000 && rb->rbnext->resval.rstring[0] != 0) {
      prefix = rb->rbnext->resval.rstring;
      break;
    }
  }
  acutRelRb(chain);
  return prefix;
}

bool SetTagPrefix(AcDbDatabase* pDb, const CString& prefix) {
  if (prefix.IsEmpty()) return false;
  AcDbObjectPointer<AcDbLayerTableRecord> pLayer(TagLayer(pDb), AcDb::kForWrite);
  if (!pLayer) return false;
  resbuf* chain =
      acutBuildList(1001, kFanRecordApp, 1000, kPrefixKey, 1000, static_cast<LPCTSTR>(prefix), 0);
  const Acad::ErrorStatus es = pLayer->setXData(chain);
  acutRelRb(chain);
  return es == Acad::eOk;
}

std::vector<AcDbObjectId> PlacedFans(AcDbDatabase* pDb) {
  std::vector<AcDbObjectId> fans;
  if (pDb == nullptr) return fans;
  AcDbObjectPointer<AcDbBlockTableRecord> pSpace(pDb->modelSpaceId(), AcDb::kForRead);
  if (!pSpace) return fans;
  for (AcDbObjectId id : pSpace->entityIds()) {
    AcDbObjectPointer<AcDbEntity> pEnt(id, AcDb::kForRead);
    if (pEnt && IsPlacedFan(pEnt.object())) fans.push_back(id);
  }
  std::sort(fans.begin(), fans.end(),
            [](AcDbObjectId a, AcDbObjectId b) { return a.handle().value() < b.handle().value(); });
  return fans;
}

CString TagNewFan(AcDbObjectId fanId, FanRecord record) {
  AcDbDatabase* pDb = fanId.database();
  const CString prefix = TagPrefix(pDb);
  record.tag = MakeTag(prefix, HighestTagNumber(PlacedFans(pDb), prefix) + 1);
  if (!WriteFanRecord(fanId, record)) return CString();
  ShowTag(fanId, record.tag);
  return record.tag;
}

CString PlacementEntry(const AcDbObject* pObject, const ACHAR* app) {
  CString text;
  resbuf* chain = pObject->xData(app);
  if (chain && chain->rbnext && chain->rbnext->restype == 1000)
    text = chain->rbnext->resval.rstring;
  acutRelRb(chain);
  return text;
}

std::vector<AcDbObjectId> PlacedFansIn(const ads_name ss) {
  std::vector<AcDbObjectId> fans;
  Adesk::Int32 n = 0;
  if (acedSSLength(ss, &n) != RTNORM) return fans;
  for (Adesk::Int32 i = 0; i < n; ++i) {
    ads_name name;
    AcDbObjectId id;
    if (acedSSName(ss, i, name) != RTNORM || acdbGetObjectId(id, name) != Acad::eOk) continue;
    AcDbObjectPointer<AcDbEntity> pEnt(id, AcDb::kForRead);
    if (pEnt && IsPlacedFan(pEnt.object())) fans.push_back(id);
  }
  return fans;
}

PlacedFanFacts ReadPlacedFan(AcDbObjectId id) {
  PlacedFanFacts fan;
  AcDbObjectPointer<AcDbBlockReference> pRef(id, AcDb::kForRead);
  if (!pRef) return fan;
  fan.record = ReadFanRecord(pRef.object());
  fan.modelEntry = PlacementEntry(pRef.object(), L"Model");
  fan.label = PlacementEntry(pRef.object(), L"LabelModel");
  fan.plan = PlacementEntry(pRef.object(), L"PLAN");
  fan.block = pRef->blockTableRecord();
  AcDbObjectPointer<AcDbBlockTableRecord> pBlock(fan.block, AcDb::kForRead);
  if (pBlock) fan.blockName = pBlock->name();
  return fan;
}

std::optional<AcDbObjectId> ChoosePlacedFan(const ACHAR* prompt) {
  ads_name ss;
  if (acedSSGet(L"I", nullptr, nullptr, nullptr, ss) == RTNORM) {
    const std::vector<AcDbObjectId> fans = PlacedFansIn(ss);
    acedSSFree(ss);
    if (fans.size() == 1) return fans.front();
  }
  const ACHAR* prompts[2] = {prompt, L""};
  for (;;) {
    if (acedSSGet(L":$", prompts, nullptr, nullptr, ss) != RTNORM) return std::nullopt;
    const std::vector<AcDbObjectId> fans = PlacedFansIn(ss);
    acedSSFree(ss);
    if (fans.size() == 1) return fans.front();
    acutPrintf(fans.empty() ? L"所选对象中没有风机。\n" : L"请只选择一台风机。\n");
  }
}

bool FanOutline(AcDbObjectId fanId, AcDbExtents& outline) {
  AcDbObjectPointer<AcDbBlockReference> pRef(fanId, AcDb::kForRead);
  if (!pRef) return false;
  // A reference of the same block and place outside the drawing has no attributes.
  AcDbBlockReference bare(pRef->position(), pRef->blockTableRecord());
  bare.setScaleFactors(pRef->scaleFactors());
  bare.setRotation(pRef->rotation());
  return bare.getGeomExtents(outline) == Acad::eOk;
}

bool RefitTag(AcDbObjectId fanId, const AcDbExtents& oldOutline) {
  AcDbExtents outline;
  if (!FanOutline(fanId, outline)) return false;
  AcDbObjectPointer<AcDbBlockReference> pRef(fanId, AcDb::kForRead);
  const AcDbObjectId attrId = pRef ? TagAttribute(pRef.object()) : AcDbObjectId();
  if (attrId.isNull()) return true;
  AcDbObjectPointer<AcDbAttribute> pAttr(attrId, AcDb::kForWrite);
  if (!pAttr) return false;
  const double oldHeight = TagHeight(oldOutline);
  const double height = TagHeight(outline);
  const double grown = (height - oldHeight) / 2;
  const AcGeVector3d corner = outline.maxPoint() - oldOutline.maxPoint();
  pAttr->setPosition(pAttr->position() + AcGeVector3d(corner.x + grown, corner.y + grown, 0));
  return pAttr->setHeight(pAttr->height() * height / oldHeight) == Acad::eOk;
}

CString TagEditedFan(AcDbObjectId fanId, const FanRecord& record) {
  if (record.tag.IsEmpty()) return TagNewFan(fanId, record);
  if (!WriteFanRecord(fanId, record)) return CString();
  ShowTag(fanId, record.tag);
  return record.tag;
}

int RenumberCopiedTags(AcDbDatabase* pDb) {
  const std::vector<AcDbObjectId> fans = PlacedFans(pDb);
  const CString prefix = TagPrefix(pDb);
  int next = HighestTagNumber(fans, prefix) + 1;
  std::set<std::wstring> seen;
  int renumbered = 0;
  for (AcDbObjectId id : fans) {
    std::optional<FanRecord> record;
    {
      AcDbObjectPointer<AcDbObject> pFan(id, AcDb::kForRead);
      record = ReadFanRecord(pFan.object());
    }
    if (!record || record->tag.IsEmpty() || seen.insert(record->tag.str()).second) continue;
    record->tag = MakeTag(prefix, next++);
    if (WriteFanRecord(id, *record) && ShowTag(id, record->tag)) ++renumbered;
  }
  return renumbered;
}
