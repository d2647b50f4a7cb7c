// The schedule's cells, their layout and the FAN_SCHEDULE block.
#include "sched/schedule_table.h"

#include <algorithm>
#include <memory>

#include "base/text_width.h"

namespace sched {

namespace {

constexpr const ACHAR* kHeadings[] = {
    L"编号",      L"名称",     L"型号",   L"系列",  L"机号",     L"传动",
    L"转速r/min", L"风量m³/h", L"全压Pa", L"效率%", L"轴功率kW", L"电机功率kW",
    L"电机型号",  L"附件",     L"数量",   L"备注",
};

// A text's width as a share of its height, per display column: the ratio of
// the drawing's standard text font, so the estimate matches AcDbText's extents.
constexpr double kColumnWidth = 1.0;
constexpr double kMargin = kTextHeight / 2;

// Numbers as the catalogue shows them: no trailing zeros, at most the
// decimals that matter for the quantity (flows and pressures whole, powers
// and efficiencies to two places).
CString number(const std::optional<double>& v, int decimals) {
  if (!v) return CString();
  CString text;
  text.Format(L"%.*f", decimals, *v);
  if (decimals > 0) {
    text.TrimRight(L"0");
    text.TrimRight(L".");
  }
  if (text == L"-0") text = L"0";
  return text;
}

AcDbObjectId blockId(AcDbDatabase* pDb, const ACHAR* name, bool make) {
  AcDbBlockTable* pTable = nullptr;
  AcDbObjectId id;
  if (pDb->getBlockTable(pTable, AcDb::kForRead) != Acad::eOk) return id;
  if (pTable->getAt(name, id) != Acad::eOk && make && pTable->upgradeOpen() == Acad::eOk) {
    auto pBlock = std::make_unique<AcDbBlockTableRecord>();
    pBlock->setName(name);
    if (pTable->add(id, pBlock.get()) == Acad::eOk) pBlock.release()->close();
  }
  pTable->close();
  return id;
}

}  // namespace

std::vector<std::vector<CString>> ScheduleCells(const std::vector<ScheduleRow>& rows) {
  std::vector<std::vector<CString>> cells;
  cells.emplace_back(std::begin(kHeadings), std::end(kHeadings));
  for (const ScheduleRow& r : rows) {
    const Performance& p = r.performance;
    CString count;
    count.Format(L"%d", r.count);
    cells.push_back({r.tag, r.name, r.label, r.model.series, r.model.fanNo, r.model.drive,
                     r.model.speed, number(p.flow, 0), number(p.pressure, 0),
                     number(p.efficiency, 1), number(p.shaftPower, 2), number(p.motorPower, 2),
                     p.motor, r.accessories, count, r.remark});
  }
  return cells;
}

TableLayout LayOutTable(const std::vector<std::vector<CString>>& cells) {
  TableLayout t;
  size_t columns = 0;
  for (const auto& row : cells) columns = std::max(columns, row.size());
  std::vector<double> widths(columns, 0);
  for (const auto& row : cells)
    for (size_t c = 0; c < row.size(); ++c)
      widths[c] =
          std::max(widths[c], zrbase::displayColumns(row[c].str()) * kColumnWidth * kTextHeight);
  std::vector<double> left(columns + 1, 0);
  for (size_t c = 0; c < columns; ++c) left[c + 1] = left[c] + widths[c] + 2 * kMargin;
  t.width = left[columns];
  t.height = static_cast<double>(cells.size()) * kRowHeight;
  for (size_t r = 0; r <= cells.size(); ++r) {
    const double y = -static_cast<double>(r) * kRowHeight;
    t.lines.push_back({AcGePoint3d(0, y, 0), AcGePoint3d(t.width, y, 0)});
  }
  for (size_t c = 0; c <= columns; ++c)
    t.lines.push_back({AcGePoint3d(left[c], 0, 0), AcGePoint3d(left[c], -t.height, 0)});
  for (size_t r = 0; r < cells.size(); ++r) {
    const double baseline = -(static_cast<double>(r) + 0.5) * kRowHeight - kTextHeight / 2;
    for (size_t c = 0; c < cells[r].size(); ++c)
      if (!cells[r][c].IsEmpty())
        t.texts.push_back({AcGePoint3d(left[c] + kMargin, baseline, 0), cells[r][c]});
  }
  return t;
}

AcDbObjectId PlaceScheduleBlock(AcDbDatabase* pDb, const TableLayout& layout, const AcGePoint3d* at,
                                CString& why) {
  const AcDbObjectId spaceId = pDb->modelSpaceId();
  AcDbObjectId refId;
  {
    AcDbObjectPointer<AcDbBlockTableRecord> pSpace(spaceId, AcDb::kForRead);
    const AcDbObjectId existing = blockId(pDb, kScheduleBlock, false);
    for (AcDbObjectId id : pSpace ? pSpace->entityIds() : std::vector<AcDbObjectId>{}) {
      AcDbObjectPointer<AcDbBlockReference> pRef(id, AcDb::kForRead);
      if (pRef && !existing.isNull() && pRef->blockTableRecord() == existing) {
        refId = id;
        break;
      }
    }
  }
  if (refId.isNull() && at == nullptr) {
    why = L"图中还没有设备表, 请点取插入点";
    return refId;
  }
  AcDbObjectPointer<AcDbBlockTableRecord> pBlock(blockId(pDb, kScheduleBlock, true),
                                                 AcDb::kForWrite);
  if (!pBlock || pBlock->eraseAllEntities() != Acad::eOk) {
    why = L"无法写入块 FAN_SCHEDULE";
    return AcDbObjectId();
  }
  for (const TableLine& l : layout.lines) {
    auto pLine = std::make_unique<AcDbLine>(l.from, l.to);
    pLine->setLayer(L"0");
    if (pBlock->appendAcDbEntity(pLine.get()) == Acad::eOk) pLine.release()->close();
  }
  for (const TableText& t : layout.texts) {
    auto pText = std::make_unique<AcDbText>(t.position, t.text, AcDbObjectId(), kTextHeight);
    pText->setLayer(L"0");
    if (pBlock->appendAcDbEntity(pText.get()) == Acad::eOk) pText.release()->close();
  }
  if (!refId.isNull()) {
    AcDbObjectPointer<AcDbBlockReference> pRef(refId, AcDb::kForWrite);
    if (pRef && at) pRef->setPosition(*at);
    return refId;
  }
  AcDbObjectPointer<AcDbBlockTableRecord> pSpace(spaceId, AcDb::kForWrite);
  auto pRef = std::make_unique<AcDbBlockReference>(*at, pBlock->objectId());
  pRef->setDatabaseDefaults(pDb);
  if (!pSpace || pSpace->appendAcDbEntity(refId, pRef.get()) != Acad::eOk) {
    why = L"无法把设备表加入模型空间";
    return AcDbObjectId();
  }
  pRef.release()->close();
  return refId;
}

}  // namespace sched
