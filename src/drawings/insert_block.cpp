// InsertBlock.
#include "drawings/insert_block.h"

#include <vector>

#include "cadkit/block_helpers.h"

namespace {

// The attribute of one definition, on a reference at position with scale.
void AddAttribute(AcDbBlockReference* pReference, const AcDbAttributeDefinition* pDefinition,
                  double dScale, const AcGePoint3d& position) {
  auto* pAttribute = new AcDbAttribute();
  pAttribute->setPropertiesFrom(pDefinition);
  pAttribute->setTag(pDefinition->tagConst());
  if (pReference->appendAttribute(pAttribute) != Acad::eOk) {
    delete pAttribute;
    return;
  }
  pAttribute->setVerticalMode(pDefinition->verticalMode());
  pAttribute->setHorizontalMode(pDefinition->horizontalMode());
  const AcGePoint3d p = pDefinition->position();
  pAttribute->setPosition(
      AcGePoint3d(p.x * dScale + position.x, p.y * dScale + position.y, position.z));
  pAttribute->setRotation(pDefinition->rotation());
  const AcGePoint3d a = pDefinition->alignmentPoint();
  pAttribute->setAlignmentPoint(
      AcGePoint3d(a.x * dScale + position.x, a.y * dScale + position.y, position.z));
  pAttribute->setHeight(pDefinition->height() * dScale);
  pAttribute->setWidthFactor(pDefinition->widthFactor());
  pAttribute->setTextStyleName(pDefinition->textStyleName());
  pAttribute->setTextString(pDefinition->promptConst());
  pAttribute->close();
}

}  // namespace

int InsertBlock(CString strFile, CString strBlockName, double dScale, AcGePoint3d position,
                double dRotation, AcDbObjectId& refId) {
  std::vector<ACHAR> name(strBlockName.str().begin(), strBlockName.str().end());
  std::vector<ACHAR> file(strFile.str().begin(), strFile.str().end());
  name.push_back(0);
  file.push_back(0);
  AcDbObjectId blockId;
  if (InsertDwgToCurrDwgBlockTableRecord(name.data(), file.data(), blockId) != 1) return 0;

  auto* pNew = new AcDbBlockReference();
  pNew->setBlockTableRecord(blockId);
  pNew->setPosition(position);
  pNew->setScaleFactors(AcGeScale3d(dScale, dScale, dScale));
  pNew->setRotation(dRotation);
  refId = PutEntityToDatabase(pNew);
  if (refId.isNull()) {
    delete pNew;
    return 0;
  }
  pNew->close();

  AcDbBlockReference* pReference = nullptr;
  if (acdbOpenObject(pReference, refId, AcDb::kForWrite) != Acad::eOk) return 0;
  AcDbBlockTableRecord* pBlock = nullptr;
  if (acdbOpenObject(pBlock, blockId, AcDb::kForWrite) != Acad::eOk) {
    pReference->close();
    return 0;
  }
  pBlock->setName(strBlockName);
  AcDbBlockTableRecordIterator* pIterator = nullptr;
  if (pBlock->newIterator(pIterator, true, true) == Acad::eOk) {
    for (; !pIterator->done(); pIterator->step()) {
      AcDbEntity* pEntity = nullptr;
      if (pIterator->getEntity(pEntity, AcDb::kForRead) != Acad::eOk) continue;
      if (const auto* pDefinition = AcDbAttributeDefinition::cast(pEntity)) {
        AddAttribute(pReference, pDefinition, dScale, position);
      }
      pEntity->close();
    }
    delete pIterator;
  }
  pBlock->close();
  pReference->close();
  return 1;
}
