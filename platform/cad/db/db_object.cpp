// AcDbObject: open state, erasure, xdata; acdbOpenObject.
#include "cad/db/db_object.h"

#include <cstring>

#include "base/cstring.h"
#include "cad/db/database_impl.h"
#include "cad/db/dxf/dxf_fields.h"
#include "cad/db/dxf/tag_writer.h"
#include "cad/db/object_pool.h"
#include "cad/db/resbuf_util.h"

using zrcad::dxf::StoredTag;
using zrcad::dxf::StoredTags;

ZRCAD_DEFINE_MEMBERS(AcDbObject, AcRxObject, "")

namespace {

constexpr short kMaxReaders = 256;
// DXF readers refuse longer xdata strings and more xdata per object.
constexpr size_t kMaxXdataString = 255;
constexpr size_t kMaxXdataBytes = 16383;

std::string utf8(const ACHAR* s) { return zrbase::wideToUtf8(s ? s : L""); }

ACHAR* newWide(const std::string& s) { return acutNewString(zrbase::utf8ToWide(s).c_str()); }

double toReal(const std::string& s) { return std::strtod(s.c_str(), nullptr); }

// One stored xdata pair (or point triple starting at i) as a result buffer; advances i.
resbuf* xdataToRb(const StoredTags& tags, size_t& i) {
  const StoredTag& t = tags[i++];
  resbuf* rb = acutNewRb(t.code);
  if (t.code >= 1010 && t.code <= 1019) {
    rb->resval.rpoint[0] = toReal(t.value);
    for (int k = 1; k <= 2 && i < tags.size() && tags[i].code == t.code + 10 * k; ++k)
      rb->resval.rpoint[k] = toReal(tags[i++].value);
  } else if (t.code >= 1040 && t.code <= 1059) {
    rb->resval.rreal = toReal(t.value);
  } else if (t.code == 1070) {
    rb->resval.rint = static_cast<short>(std::strtol(t.value.c_str(), nullptr, 10));
  } else if (t.code == 1071) {
    rb->resval.rlong = static_cast<Adesk::Int32>(std::strtoll(t.value.c_str(), nullptr, 10));
  } else if (t.code == 1004) {
    size_t n = t.value.size() / 2;
    rb->resval.rbinary.clen = static_cast<short>(n);
    rb->resval.rbinary.buf = static_cast<char*>(std::malloc(n ? n : 1));
    for (size_t k = 0; k < n; ++k)
      rb->resval.rbinary.buf[k] =
          static_cast<char>(std::strtol(t.value.substr(2 * k, 2).c_str(), nullptr, 16));
  } else {
    rb->resval.rstring = newWide(t.value);
  }
  return rb;
}

// Appends rb as stored pairs; false for a type xdata cannot hold or a string too long.
bool rbToXdata(const resbuf* rb, StoredTags& out) {
  auto push = [&out](int code, std::string v) {
    out.push_back({static_cast<std::int16_t>(code), 0, std::move(v)});
  };
  int c = rb->restype;
  if (c == 1000 || c == 1001 || c == 1002 || c == 1003 || c == 1005) {
    std::string s = utf8(rb->resval.rstring);
    if (c != 1002 && s.size() > kMaxXdataString) return false;
    if (c == 1002 && s != "{" && s != "}") return false;
    push(c, std::move(s));
  } else if (c >= 1010 && c <= 1013) {
    for (int k = 0; k < 3; ++k) push(c + 10 * k, zrcad::dxf::formatReal(rb->resval.rpoint[k]));
  } else if (c >= 1040 && c <= 1042) {
    push(c, zrcad::dxf::formatReal(rb->resval.rreal));
  } else if (c == 1070) {
    push(c, std::to_string(rb->resval.rint));
  } else if (c == 1071) {
    push(c, std::to_string(rb->resval.rlong));
  } else if (c == 1004) {
    static const char* hex = "0123456789ABCDEF";
    std::string s;
    for (short k = 0; k < rb->resval.rbinary.clen; ++k) {
      auto b = static_cast<unsigned char>(rb->resval.rbinary.buf[k]);
      s += hex[b >> 4];
      s += hex[b & 15];
    }
    push(c, std::move(s));
  } else {
    return false;
  }
  return true;
}

// The range [begin, end) of the xdata group of app (matched without regard to case).
bool findAppGroup(const StoredTags& x, const std::wstring& app, size_t& begin, size_t& end) {
  std::wstring want = zrcad::foldName(app);
  for (size_t i = 0; i < x.size(); ++i) {
    if (x[i].code != 1001 || zrcad::foldName(zrbase::utf8ToWide(x[i].value)) != want) continue;
    begin = i;
    for (end = i + 1; end < x.size() && x[end].code != 1001; ++end) {
    }
    return true;
  }
  return false;
}

}  // namespace

void* AcDbObject::operator new(std::size_t size) { return zrcad::poolAllocate(size); }

void AcDbObject::operator delete(void* p, std::size_t size) noexcept { zrcad::poolFree(p, size); }

AcDbObject::AcDbObject() = default;
AcDbObject::~AcDbObject() = default;

AcDbObject::AcDbObject(const AcDbObject& other)
    : AcRxObject(other),
      m_dxf(other.m_dxf ? std::make_unique<zrcad::dxf::ObjectData>(*other.m_dxf) : nullptr) {}

AcDbDatabase* AcDbObject::database() const { return m_stub ? m_stub->database : nullptr; }

void AcDbObject::getAcDbHandle(AcDbHandle& handle) const {
  handle = m_stub ? m_stub->handle : AcDbHandle();
}

Acad::ErrorStatus AcDbObject::setOwnerId(AcDbObjectId owner) {
  m_owner = owner;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::close() {
  if (m_stub == nullptr) return Acad::eNotInDatabase;
  if (m_write) {
    m_write = false;
  } else if (m_readers > 0) {
    --m_readers;
  } else {
    return Acad::eNotOpen;
  }
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::upgradeOpen() {
  if (m_write) return Acad::eWasOpenForWrite;
  if (m_readers > 1) return Acad::eHadMultipleReaders;
  if (m_readers == 0) return Acad::eNotOpenForRead;
  if (AcDbDatabase* db = database()) db->impl().noteChange(this);
  m_readers = 0;
  m_write = true;
  if (m_stub && m_stub->database) m_stub->database->impl().stampChange();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::downgradeOpen() {
  if (!m_write) return Acad::eNotOpenForWrite;
  m_write = false;
  m_readers = 1;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::erase(bool erasing) {
  if (m_stub && !m_write) return Acad::eNotOpenForWrite;
  if (erasing == m_erased) return erasing ? Acad::eWasErased : Acad::eWasNotErased;
  Acad::ErrorStatus es = zrcad::checkErase(this, erasing);
  if (es != Acad::eOk) return es;
  m_erased = erasing;
  return Acad::eOk;
}

resbuf* AcDbObject::xData(const ACHAR* regappName) const {
  if (!m_dxf || m_dxf->xdata.empty()) return nullptr;
  const StoredTags& x = m_dxf->xdata;
  size_t begin = 0, end = x.size();
  if (regappName && *regappName && !findAppGroup(x, regappName, begin, end)) return nullptr;
  resbuf* head = nullptr;
  resbuf* tail = nullptr;
  for (size_t i = begin; i < end;) {
    resbuf* rb = xdataToRb(x, i);
    (head ? tail->rbnext : head) = rb;
    tail = rb;
  }
  return head;
}

Acad::ErrorStatus AcDbObject::setXData(const resbuf* xdata) {
  StoredTags result = m_dxf ? m_dxf->xdata : StoredTags();
  for (const resbuf* rb = xdata; rb;) {
    if (rb->restype != 1001 || rb->resval.rstring == nullptr || !*rb->resval.rstring)
      return Acad::eInvalidResBuf;
    std::wstring app = rb->resval.rstring;
    StoredTags group;
    rbToXdata(rb, group);
    for (rb = rb->rbnext; rb && rb->restype != 1001; rb = rb->rbnext)
      if (!rbToXdata(rb, group)) return Acad::eInvalidResBuf;
    size_t begin = 0, end = 0;
    if (findAppGroup(result, app, begin, end))
      result.erase(result.begin() + static_cast<long>(begin),
                   result.begin() + static_cast<long>(end));
    if (group.size() > 1) result.insert(result.end(), group.begin(), group.end());
  }
  size_t bytes = 0;
  for (const StoredTag& t : result) bytes += t.value.size() + 2;
  if (bytes > kMaxXdataBytes) return Acad::eInvalidResBuf;
  if (m_stub && m_stub->database)
    for (const StoredTag& t : result)
      if (t.code == 1001)
        m_stub->database->registerApplication(zrbase::utf8ToWide(t.value).c_str());
  dxfData().xdata = std::move(result);
  return Acad::eOk;
}

AcRxObject* AcDbObject::clone() const { return cloneRaw(); }

const char* AcDbObject::dxfName() const { return isA()->dxfName(); }

const zrcad::dxf::ClassTable& AcDbObject::dxfTable() const {
  static const zrcad::dxf::ClassTable table({{nullptr, {}}});
  return table;
}

bool AcDbObject::readDxfCustom(zrcad::dxf::ReadContext&, const zrcad::dxf::Tag&, int) {
  return false;
}
void AcDbObject::writeDxfCustom(zrcad::dxf::WriteContext&, int) const {}
const char* AcDbObject::dxfSubclassMarker(int) const { return "AcDbUnknown"; }
std::uint64_t AcDbObject::dxfHandleValue() const { return m_stub ? m_stub->handle.value() : 0; }
void AcDbObject::resolveDxfReferences(zrcad::dxf::ReadContext&) {}
void AcDbObject::onAddedToDatabase(AcDbDatabase*) {}

zrcad::dxf::ObjectData& AcDbObject::dxfData() {
  if (!m_dxf) m_dxf = std::make_unique<zrcad::dxf::ObjectData>();
  return *m_dxf;
}

Acad::ErrorStatus acdbOpenObject(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode,
                                 bool openErased) {
  obj = nullptr;
  if (id.isNull()) return Acad::eNullObjectId;
  AcDbObject* p = id.stub()->object;
  if (p == nullptr) return Acad::eUnknownHandle;
  if (p->isErased() && !openErased) return Acad::eWasErased;
  short readers = zrcad::DbAccess::readers(p);
  bool write = zrcad::DbAccess::writeOpen(p);
  if (write) return Acad::eWasOpenForWrite;
  if (mode == AcDb::kForWrite) {
    if (readers > 0) return Acad::eWasOpenForRead;
    if (AcDbDatabase* db = p->database()) db->impl().noteChange(p);
    zrcad::DbAccess::setOpenState(p, 0, true);
    if (AcDbDatabase* db = id.stub()->database) db->impl().stampChange();
  } else {
    if (readers >= kMaxReaders) return Acad::eAtMaxReaders;
    zrcad::DbAccess::setOpenState(p, static_cast<short>(readers + 1), false);
  }
  obj = p;
  return Acad::eOk;
}
