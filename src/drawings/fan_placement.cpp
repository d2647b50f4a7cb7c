// Placement and the preview's geometry (drawings/fan_placement.h).
#include "drawings/fan_placement.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <numbers>
#include <string>

#include "cad/aced.h"
#include "cadkit/block_helpers.h"
#include "drawings/fan_record.h"
#include "drawings/fan_tags.h"
#include "drawings/preview_settings.h"

namespace {

// Whether the drawing already has the placed block and the equipment layer: a
// placement given up then leaves nothing of its own behind.
bool HasBlockAndLayer(AcDbDatabase* pDb, const ACHAR* blockName) {
  bool bBlock = false, bLayer = false;
  AcDbBlockTable* pBlocks = nullptr;
  if (pDb->getBlockTable(pBlocks, AcDb::kForRead) == Acad::eOk) {
    bBlock = pBlocks->has(blockName);
    pBlocks->close();
  }
  AcDbLayerTable* pLayers = nullptr;
  if (pDb->getLayerTable(pLayers, AcDb::kForRead) == Acad::eOk) {
    bLayer = pLayers->has(kEquipmentLayer);
    pLayers->close();
  }
  return bBlock && bLayer;
}

// A name as the block helpers and the command take it: a buffer of the caller's.
std::vector<ACHAR> NameBuffer(const CString& str) {
  std::vector<ACHAR> buffer(str.str().begin(), str.str().end());
  buffer.push_back(0);
  return buffer;
}

// Block names that are never view blocks: the drawing's layouts.
bool IsLayoutName(const CString& strName) {
  return strName == L"*Model_Space" || strName == L"*Paper_Space" || strName == L"*Paper_Space0";
}

// The attribute as INSERT makes it from the definition: its text, look and
// place, through the reference's transform.
void FromDefinition(AcDbAttribute* pAttr, const AcDbAttributeDefinition* pDef,
                    const AcGeMatrix3d& xform) {
  pAttr->setPropertiesFrom(pDef);
  pAttr->setTextString(pDef->textStringConst());
  pAttr->setPosition(pDef->position());
  pAttr->setTextStyleName(pDef->textStyleName());
  pAttr->setHeight(pDef->height());
  pAttr->setRotation(pDef->rotation());
  pAttr->setWidthFactor(pDef->widthFactor());
  pAttr->setHorizontalMode(pDef->horizontalMode());
  pAttr->setVerticalMode(pDef->verticalMode());
  pAttr->setAlignmentPoint(pDef->alignmentPoint());
  pAttr->transformBy(xform);
}

// The reference's attributes as INSERT would give them for its block, but for
// the tag the module shows, which stays: an attribute whose tag a definition
// of the block has is made anew from it in place (keeping its handle), one
// whose tag none has is erased, and a definition without an attribute adds one.
void RenewAttributes(AcDbBlockReference* pRef) {
  std::map<std::wstring, AcDbObjectId> definitions;
  {
    AcDbObjectPointer<AcDbBlockTableRecord> pBlock(pRef->blockTableRecord(), AcDb::kForRead);
    if (pBlock && pBlock->hasAttributeDefinitions()) {
      for (AcDbObjectId id : pBlock->entityIds()) {
        AcDbObjectPointer<AcDbAttributeDefinition> pDef(id, AcDb::kForRead);
        if (pDef && !pDef->isConstant()) definitions.try_emplace(pDef->tagConst(), id);
      }
    }
  }
  const AcGeMatrix3d xform = pRef->blockTransform();
  const std::vector<AcDbObjectId> attributes = pRef->attributeIds();
  for (AcDbObjectId id : attributes) {
    AcDbObjectPointer<AcDbAttribute> pAttr(id, AcDb::kForWrite);
    if (!pAttr || CString(pAttr->tagConst()) == kFanTagAttribute) continue;
    const auto def = definitions.find(pAttr->tagConst());
    if (def == definitions.end()) {
      pAttr->erase();
      continue;
    }
    AcDbObjectPointer<AcDbAttributeDefinition> pDef(def->second, AcDb::kForRead);
    if (pDef) FromDefinition(pAttr.object(), pDef.object(), xform);
    definitions.erase(def);
  }
  for (const auto& [tag, defId] : definitions) {
    AcDbObjectPointer<AcDbAttributeDefinition> pDef(defId, AcDb::kForRead);
    if (!pDef) continue;
    auto pAttr = std::make_unique<AcDbAttribute>(pDef->position(), pDef->textStringConst(),
                                                 pDef->tagConst());
    FromDefinition(pAttr.get(), pDef.object(), xform);
    if (pRef->appendAttribute(pAttr.get()) == Acad::eOk) pAttr.release()->close();
  }
}

// Points the reference at the block, renews its attributes and takes its
// placement entries and record off; false when it cannot be opened or the
// block is not there.
bool PointAt(AcDbObjectId fanId, AcDbObjectId blockId) {
  AcDbObjectPointer<AcDbBlockReference> pRef(fanId, AcDb::kForWrite);
  if (blockId.isNull() || !pRef || pRef->setBlockTableRecord(blockId) != Acad::eOk) return false;
  RenewAttributes(pRef.object());
  std::vector<const ACHAR*> apps(std::begin(kPlacementEntries), std::end(kPlacementEntries));
  apps.push_back(kFanRecordApp);
  for (const ACHAR* app : apps) {
    resbuf* none = acutBuildList(1001, app, 0);
    pRef->setXData(none);
    acutRelRb(none);
  }
  return true;
}

}  // namespace

bool MakeEquipmentLayerCurrent(AcDbDatabase* pDb, AcDbObjectId& oldLayer) {
  AcDbLayerTable* pTable = nullptr;
  if (pDb->getLayerTable(pTable, AcDb::kForWrite) != Acad::eOk) return false;
  oldLayer = pDb->clayer();
  if (!pTable->has(kEquipmentLayer)) {
    auto pLayer = std::make_unique<AcDbLayerTableRecord>();
    pLayer->setName(kEquipmentLayer);
    pLayer->setIsFrozen(false);
    pLayer->setIsOff(false);
    pLayer->setVPDFLT(false);
    pLayer->setIsLocked(false);
    if (pTable->add(pLayer.get()) == Acad::eOk) pLayer.release()->close();
  }
  AcDbObjectId layerId;
  pTable->getAt(kEquipmentLayer, layerId);
  pTable->close();
  pDb->setClayer(layerId);
  return true;
}

bool CFanPlacement::Prepare(AcDbDatabase* pViewDb, const FanView& fan) {
  std::vector<ACHAR> source = NameBuffer(fan.ViewBlock());
  m_placed = NameBuffer(fan.PlacedBlock());
  m_pDb = acdbHostApplicationServices()->workingDatabase();
  // A placement given up keeps the block it copied in and the layer it made;
  // when both were there already it changed nothing, and the drawing is put
  // back as it was (not marked modified by the layer made current and back).
  m_bNothingNew = HasBlockAndLayer(m_pDb, m_placed.data());
  m_mark = m_pDb->undoMark();
  if (CopyBlockTableRecord(pViewDb, source.data(), m_pDb, m_placed.data()) != 1) return false;
  return MakeEquipmentLayerCurrent(m_pDb, m_oldLayer);
}

AcDbObjectId CFanPlacement::Insert() {
  ads_real dAngle = 0;
  const int nAngleResult = acedGetAngle(nullptr, L"\n请输入风机插入角度:", &dAngle);
  // Enter places the fan unrotated; Esc gives the placement up.
  if (nAngleResult != RTNORM) dAngle = 0;
  const double dDegrees = dAngle / std::numbers::pi * 180;
  int nResult = RTCAN;
  if (nAngleResult == RTNORM || nAngleResult == RTNONE) {
    acutPrintf(L"\n请点取插入点:");
    nResult = acedCommand(RTSTR, L"INSERT", RTSTR, m_placed.data(), RTSTR, L"S", RTREAL, 1.0, RTSTR,
                          L"R", RTREAL, dDegrees, RTSTR, PAUSE, RTNONE);
  }
  AcDbObjectId refId;
  ads_name last;
  if (nResult != RTNORM) {
    acutPrintf(L"布置失败!\n");
  } else if (acdbEntLast(last) != RTNORM || acdbGetObjectId(refId, last) != Acad::eOk) {
    refId = AcDbObjectId();
  }
  m_pDb->setClayer(m_oldLayer);
  if (nResult != RTNORM && m_bNothingNew) m_pDb->rollBackTo(m_mark);
  return refId;
}

bool ReplacePlacedBlock(AcDbDatabase* pViewDb, const FanView& fan, AcDbObjectId fanId) {
  AcDbDatabase* pDb = fanId.database();
  if (pDb == nullptr) return false;
  std::vector<ACHAR> source = NameBuffer(fan.ViewBlock());
  std::vector<ACHAR> placed = NameBuffer(fan.PlacedBlock());
  AcDbExtents oldOutline;
  const bool bOutline = FanOutline(fanId, oldOutline);
  const zrcad::UndoMark mark = pDb->undoMark();
  AcDbObjectId blockId;
  if (CopyBlockTableRecord(pViewDb, source.data(), pDb, placed.data()) == 1) {
    AcDbBlockTable* pBlocks = nullptr;
    if (pDb->getBlockTable(pBlocks, AcDb::kForRead) == Acad::eOk) {
      pBlocks->getAt(placed.data(), blockId);
      pBlocks->close();
    }
  }
  if (!PointAt(fanId, blockId)) {
    pDb->rollBackTo(mark);
    return false;
  }
  if (bOutline) RefitTag(fanId, oldOutline);
  return true;
}

std::vector<CString> OfferedAngles(AcDbDatabase* pDb, const CString& strHandLetter) {
  std::vector<CString> angles;
  AcDbBlockTable* pTable = nullptr;
  if (pDb == nullptr || pDb->getBlockTable(pTable, AcDb::kForRead) != Acad::eOk) return angles;
  AcDbBlockTableIterator* pIterator = nullptr;
  if (pTable->newIterator(pIterator, true, true) != Acad::eOk) {
    pTable->close();
    return angles;
  }
  for (; !pIterator->done(); pIterator->step()) {
    AcDbBlockTableRecord* pRecord = nullptr;
    if (pIterator->getRecord(pRecord, AcDb::kForRead) != Acad::eOk) continue;
    const CString strName = pRecord->name();
    if (!IsLayoutName(strName) && strName.Find(strHandLetter) != -1) {
      const CString strAngle = AngleOfBlockName(strName);
      if (!strAngle.IsEmpty() && std::find(angles.begin(), angles.end(), strAngle) == angles.end())
        angles.push_back(strAngle);
    }
    pRecord->close();
  }
  delete pIterator;
  pTable->close();
  return angles;
}

bool ViewBlockSize(AcDbObjectId blockId, AcGePoint3d& size) {
  size = AcGePoint3d(1, 1, 1);
  AcDbBlockTableRecord* pRecord = nullptr;
  if (acdbOpenObject(pRecord, blockId, AcDb::kForRead) != Acad::eOk) return false;
  const AcGePoint3d origin = pRecord->origin();
  AcDbExtents extents;
  for (AcDbObjectId id : pRecord->entityIds()) {
    AcDbObjectPointer<AcDbEntity> pEntity(id, AcDb::kForRead);
    AcDbExtents box;
    if (pEntity && pEntity->getGeomExtents(box) == Acad::eOk && !box.isEmpty()) extents.addExt(box);
  }
  pRecord->close();
  if (extents.isEmpty()) return false;
  const AcGePoint3d lo = extents.minPoint();
  const AcGePoint3d hi = extents.maxPoint();
  const double width = 2 * std::max(std::fabs(hi.x - origin.x), std::fabs(lo.x - origin.x));
  const double height = 2 * std::max(std::fabs(hi.y - origin.y), std::fabs(lo.y - origin.y));
  size = AcGePoint3d(width, height, 1);
  return true;
}

bool AddBasePointMark(AcDbDatabase* pDb, AcDbObjectId blockId, int nPixels) {
  AcDbBlockTableRecord* pRecord = nullptr;
  if (pDb == nullptr || acdbOpenObject(pRecord, blockId, AcDb::kForRead) != Acad::eOk) {
    return false;
  }
  const AcGePoint3d origin = pRecord->origin();
  pRecord->close();
  AcGePoint3d size;
  ViewBlockSize(blockId, size);
  const double dExtent = std::max(size.x, size.y);
  const double d = kBaseMarkPixels * dExtent / std::max(1, nPixels);

  const AcGeVector3d arms[] = {{d, 0, 0}, {-d, 0, 0}, {0, d, 0}, {0, -d, 0}};
  std::vector<std::unique_ptr<AcDbLine>> lines;
  for (const AcGeVector3d& arm : arms) {
    lines.push_back(std::make_unique<AcDbLine>(origin, origin + arm));
    lines.back()->setColorIndex(kBaseMarkColor);
  }
  AcDbBlockTable* pTable = nullptr;
  if (pDb->getBlockTable(pTable, AcDb::kForRead) != Acad::eOk) return false;
  AcDbBlockTableRecord* pSpace = nullptr;
  const Acad::ErrorStatus es = pTable->getAt(ACDB_MODEL_SPACE, pSpace, AcDb::kForWrite);
  pTable->close();
  if (es != Acad::eOk) return false;
  for (auto& line : lines) {
    if (pSpace->appendAcDbEntity(line.get()) == Acad::eOk) line.release()->close();
  }
  pSpace->close();
  return true;
}
