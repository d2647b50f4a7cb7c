// The fan record's xdata: one table of keys for reading and writing.
#include "drawings/fan_record.h"

namespace {

// The record's text entries and its real entries, by key. Keys are upper
// case and never change once written: older drawings are read by them.
struct TextKey {
  const ACHAR* key;
  CString FanRecord::*member;
};
struct RealKey {
  const ACHAR* key;
  std::optional<double> FanRecord::*member;
};

constexpr TextKey kTextKeys[] = {
    {L"TAG", &FanRecord::tag},
    {L"SERIES", &FanRecord::series},
    {L"FANNO", &FanRecord::fanNo},
    {L"DRIVE", &FanRecord::drive},
    {L"SPEED", &FanRecord::speed},
    {L"MOTOR", &FanRecord::motor},
    {L"CATALOGUE", &FanRecord::catalogue},
};
constexpr RealKey kRealKeys[] = {
    {L"FLOW", &FanRecord::flow},
    {L"PRESSURE", &FanRecord::pressure},
    {L"AIRTEMP", &FanRecord::airTemp},
    {L"ATMPRESS", &FanRecord::atmPressure},
    {L"POINTFLOW", &FanRecord::pointFlow},
    {L"POINTPRESSURE", &FanRecord::pointPressure},
    {L"EFFICIENCY", &FanRecord::efficiency},
    {L"SHAFTPOWER", &FanRecord::shaftPower},
    {L"MOTORPOWER", &FanRecord::motorPower},
};
constexpr const ACHAR* kVersionKey = L"VERSION";
constexpr const ACHAR* kSourceKey = L"SOURCE";

constexpr int kAppCode = 1001;
constexpr int kStringCode = 1000;
constexpr int kRealCode = 1040;
constexpr int kShortCode = 1070;

// Appends buffers to a chain, keeping its tail.
class ChainBuilder {
 public:
  ~ChainBuilder() { acutRelRb(m_head); }
  void Text(int code, const CString& text) {
    resbuf* rb = Add(code);
    rb->resval.rstring = acutNewString(text);
  }
  void Real(double value) { Add(kRealCode)->resval.rreal = value; }
  void Short(int value) { Add(kShortCode)->resval.rint = static_cast<short>(value); }
  resbuf* Release() {
    resbuf* head = m_head;
    m_head = m_tail = nullptr;
    return head;
  }

 private:
  resbuf* Add(int code) {
    resbuf* rb = acutNewRb(code);
    (m_tail ? m_tail->rbnext : m_head) = rb;
    m_tail = rb;
    return rb;
  }
  resbuf* m_head = nullptr;
  resbuf* m_tail = nullptr;
};

}  // namespace

resbuf* FanRecordChain(const FanRecord& record) {
  ChainBuilder chain;
  chain.Text(kAppCode, kFanRecordApp);
  chain.Short(record.version);
  chain.Text(kStringCode, kSourceKey);
  chain.Short(static_cast<int>(record.source));
  for (const TextKey& k : kTextKeys) {
    const CString& value = record.*k.member;
    if (value.IsEmpty()) continue;
    chain.Text(kStringCode, k.key);
    chain.Text(kStringCode, value);
  }
  for (const RealKey& k : kRealKeys) {
    const std::optional<double>& value = record.*k.member;
    if (!value) continue;
    chain.Text(kStringCode, k.key);
    chain.Real(*value);
  }
  return chain.Release();
}

std::optional<FanRecord> FanRecordFromChain(const resbuf* chain) {
  const resbuf* rb = chain;
  while (rb && !(rb->restype == kAppCode && CString(rb->resval.rstring) == kFanRecordApp))
    rb = rb->rbnext;
  if (rb == nullptr) return std::nullopt;
  FanRecord record;
  rb = rb->rbnext;
  if (rb && rb->restype == kShortCode) {
    record.version = rb->resval.rint;
    rb = rb->rbnext;
  }
  // Pairs until the next application's group; a key whose value has a type
  // other than the table's is skipped with its value.
  for (; rb && rb->restype != kAppCode && rb->rbnext; rb = rb->rbnext->rbnext) {
    if (rb->restype != kStringCode) continue;
    const CString key = rb->resval.rstring;
    const resbuf* value = rb->rbnext;
    if (key == kSourceKey && value->restype == kShortCode) {
      if (value->resval.rint >= 0 && value->resval.rint <= static_cast<int>(FanSource::Duty))
        record.source = static_cast<FanSource>(value->resval.rint);
    }
    for (const TextKey& k : kTextKeys)
      if (key == k.key && value->restype == kStringCode) record.*k.member = value->resval.rstring;
    for (const RealKey& k : kRealKeys)
      if (key == k.key && value->restype == kRealCode) record.*k.member = value->resval.rreal;
  }
  return record;
}

bool WriteFanRecord(AcDbObjectId id, const FanRecord& record) {
  AcDbObject* pObject = nullptr;
  if (id.isNull() || acdbOpenObject(pObject, id, AcDb::kForWrite) != Acad::eOk) return false;
  resbuf* chain = FanRecordChain(record);
  const Acad::ErrorStatus es = pObject->setXData(chain);
  acutRelRb(chain);
  pObject->close();
  return es == Acad::eOk;
}

std::optional<FanRecord> ReadFanRecord(const AcDbObject* pObject) {
  resbuf* chain = pObject ? pObject->xData(kFanRecordApp) : nullptr;
  std::optional<FanRecord> record = FanRecordFromChain(chain);
  acutRelRb(chain);
  return record;
}

FanRecord EditedFanRecord(const std::optional<FanRecord>& old, FanRecord placed) {
  if (!old) return placed;
  const bool sameModel = old->series == placed.series && old->fanNo == placed.fanNo &&
                         old->drive == placed.drive && old->speed == placed.speed;
  if (sameModel && placed.source == FanSource::Browse) return *old;
  placed.tag = old->tag;
  if (!placed.flow && !placed.pressure) {
    placed.flow = old->flow;
    placed.pressure = old->pressure;
    placed.airTemp = old->airTemp;
    placed.atmPressure = old->atmPressure;
  }
  return placed;
}
