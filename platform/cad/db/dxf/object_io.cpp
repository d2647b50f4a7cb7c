// Table-driven reading and writing of one record, and the reading context's conversions.
#include <charconv>
#include <cmath>
#include <cstring>
#include <numbers>

#include "base/cstring.h"
#include "cad/db/database_impl.h"
#include "cad/db/dxf/contexts.h"
#include "cad/db/dxf/dxf_fields.h"

namespace zrcad::dxf {
namespace {

// General entity properties that R12 files give without a subclass marker.
bool isCommonEntityCode(int code) {
  return code == 6 || code == 48 || code == 60 || code == 67 || code == 284 || code == 347 ||
         code == 370 || code == 390 || code == 410 || (code >= 420 && code <= 440);
}

double toRadians(double degrees) { return degrees * std::numbers::pi / 180.0; }
double toDegrees(double radians) { return radians * 180.0 / std::numbers::pi; }

// Reads an angle field; keeps the degrees read when converting back would change them.
void assignAngle(ReadContext& ctx, AcDbObject* obj, const FieldDef& def, const Tag& tag) {
  const double degrees = ctx.real(tag);
  const double radians = toRadians(degrees);
  *static_cast<double*>(def.ref(obj)) = radians;
  if (toDegrees(radians) != degrees)
    DbAccess::data(obj).angles.push_back({def.code, radians, degrees});
}

// The degrees to write for an angle field: as read while the field is unchanged.
double angleToWrite(const AcDbObject* obj, const FieldDef& def, double radians) {
  if (const ObjectData* data = DbAccess::dataIfAny(obj))
    for (const KeptAngle& a : data->angles)
      if (a.code == def.code && a.radians == radians) return a.degrees;
  return toDegrees(radians);
}

void assignField(ReadContext& ctx, AcDbObject* obj, const FieldDef& def, int comp, const Tag& tag) {
  void* p = def.ref(obj);
  switch (def.kind) {
    case FieldKind::kReal:
      *static_cast<double*>(p) = ctx.real(tag);
      break;
    case FieldKind::kAngle:
      assignAngle(ctx, obj, def, tag);
      break;
    case FieldKind::kShort: {
      long long v = ctx.integer(tag);
      if (v < -32768 || v > 32767)
        ctx.fail(tag.line, "value out of range for group code " + std::to_string(tag.code));
      *static_cast<short*>(p) = static_cast<short>(v);
      break;
    }
    case FieldKind::kInt: {
      long long v = ctx.integer(tag);
      if (v < INT32_MIN || v > INT32_MAX)
        ctx.fail(tag.line, "value out of range for group code " + std::to_string(tag.code));
      *static_cast<int*>(p) = static_cast<int>(v);
      break;
    }
    case FieldKind::kString:
      *static_cast<std::wstring*>(p) = ctx.wide(tag);
      break;
    case FieldKind::kPoint:
      (*static_cast<AcGePoint3d*>(p))[comp] = ctx.real(tag);
      break;
    case FieldKind::kVector: {
      auto* v = static_cast<AcGeVector3d*>(p);
      (comp == 0 ? v->x : comp == 1 ? v->y : v->z) = ctx.real(tag);
      break;
    }
  }
}

void writeField(TagWriter& w, const AcDbObject* obj, const FieldDef& def) {
  const void* p = def.get(obj);
  switch (def.kind) {
    case FieldKind::kReal:
    case FieldKind::kAngle: {
      double v = *static_cast<const double*>(p);
      if (def.optional && v == def.def) return;
      w.real(def.code, def.kind == FieldKind::kAngle ? angleToWrite(obj, def, v) : v);
      return;
    }
    case FieldKind::kShort:
    case FieldKind::kInt: {
      long long v = def.kind == FieldKind::kShort ? *static_cast<const short*>(p)
                                                  : *static_cast<const int*>(p);
      if (def.optional && static_cast<double>(v) == def.def) return;
      w.integer(def.code, v);
      return;
    }
    case FieldKind::kString: {
      const auto& s = *static_cast<const std::wstring*>(p);
      if (def.optional && s.empty()) return;
      w.wstr(def.code, s);
      return;
    }
    case FieldKind::kPoint:
    case FieldKind::kVector: {
      AcGePoint3d pt;
      if (def.kind == FieldKind::kPoint) {
        pt = *static_cast<const AcGePoint3d*>(p);
      } else {
        const auto& v = *static_cast<const AcGeVector3d*>(p);
        pt = AcGePoint3d(v.x, v.y, v.z);
      }
      if (def.optional && pt == AcGePoint3d(0, 0, def.def)) return;
      w.point(def.code, pt);
      return;
    }
  }
}

// Copies an application-data group (102 {NAME ... 102 }) starting at i; returns the index
// after it.
size_t readAppData(ReadContext& ctx, const std::vector<Tag>& tags, size_t i, StoredTags& out) {
  for (; i < tags.size(); ++i) {
    ctx.check(tags[i]);
    out.push_back({static_cast<std::int16_t>(tags[i].code), 0, ctx.text(tags[i])});
    if (tags[i].code == 102 && trim(tags[i].value) == "}") return i + 1;
  }
  return i;
}

}  // namespace

void ReadContext::fail(size_t line, const std::string& message) const {
  throw DxfError{line, message};
}

std::wstring ReadContext::wide(const Tag& tag) const { return zrbase::utf8ToWide(text(tag)); }

double ReadContext::real(const Tag& tag) const {
  std::string_view s = trim(tag.value);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v = 0;
  auto res = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || res.ec != std::errc() || res.ptr != s.data() + s.size() || !std::isfinite(v))
    fail(tag.line, "value of group code " + std::to_string(tag.code) +
                       " is not a finite number: '" + std::string(s.substr(0, 30)) + "'");
  return v;
}

void ReadContext::check(const Tag& tag) const {
  const GroupType type = groupType(tag.code);
  auto bad = [&](const char* what) {
    fail(tag.line, "value of group code " + std::to_string(tag.code) + " is not " + what + ": '" +
                       std::string(trim(tag.value).substr(0, 30)) + "'");
  };
  switch (type) {
    case GroupType::kString:
      return;
    case GroupType::kReal:
      real(tag);
      return;
    case GroupType::kHandle: {
      std::uint64_t h = 0;
      if (!parseHandle(tag.value, h)) bad("a handle");
      return;
    }
    case GroupType::kBinary: {
      const std::string_view v = trim(tag.value);
      if (v.size() % 2 != 0 || v.find_first_not_of("0123456789ABCDEFabcdef") != v.npos)
        bad("binary data in hex");
      return;
    }
    default:
      break;
  }
  const long long v = integer(tag);
  const bool fits =
      type == GroupType::kInt64 || (type == GroupType::kInt32 ? v >= INT32_MIN && v <= UINT32_MAX
                                                              : v >= INT16_MIN && v <= UINT16_MAX);
  if (!fits)
    fail(tag.line, "value of group code " + std::to_string(tag.code) +
                       " is out of range: " + std::to_string(v));
}

long long ReadContext::integer(const Tag& tag) const {
  std::string_view s = trim(tag.value);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  long long v = 0;
  auto res = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || res.ec != std::errc() || res.ptr != s.data() + s.size())
    fail(tag.line, "value of group code " + std::to_string(tag.code) + " is not an integer: '" +
                       std::string(s.substr(0, 30)) + "'");
  return v;
}

std::uint64_t ReadContext::handle(const Tag& tag) const {
  std::uint64_t h = 0;
  return parseHandle(tag.value, h) ? h : 0;
}

AcDbObjectId ReadContext::layerOfTag(const Tag& tag) {
  if (deferred) {
    deferred->unusual = deferred->unusual || deferred->hasLayer;
    deferred->layerFirst = deferred->owner == 0;
    deferred->layer = tag.value;
    deferred->hasLayer = true;
    return {};
  }
  // Entities come in runs on one layer: the last name read is looked up only once.
  if (!m_lastLayer.isNull() && tag.value == m_lastLayerText && m_lastLayer.isValid())
    return m_lastLayer;
  m_lastLayer = layerByName(wide(tag));
  m_lastLayerText = std::string(tag.value);
  return m_lastLayer;
}

void ReadContext::prefetchHandle(std::uint64_t h) const {
  if (deferred) return;  // another thread's: the reader links it later
  m_impl.byHandle.prefetch(h);
  if (subHandles) subHandles->prefetch(h);
}

AcDbObjectId ReadContext::ownerOf(std::uint64_t handle) {
  if (handle != m_lastOwnerHandle || m_lastOwner.isNull()) {
    m_lastOwner = AcDbObjectId(m_impl.stubFor(handle));
    m_lastOwnerHandle = handle;
  }
  return m_lastOwner;
}

AcDbObjectId ReadContext::layerByName(const std::wstring& name) {
  // A layer group without a name means layer 0, looked up as such: made anew, it was a second
  // layer 0 for every run of entities without a layer name.
  if (name.empty()) return layerByName(L"0");
  AcDbSymbolTable* layers = m_impl.table(m_impl.layerTable);
  AcDbObjectId id;
  if (layers && layers->getAt(name.c_str(), id) == Acad::eOk) return id;
  return newLayer(m_db, name);
}

void readObject(ReadContext& ctx, AcDbObject* obj, const std::vector<Tag>& tags,
                std::uint64_t* handleOut) {
  const ClassTable& table = DbAccess::table(obj);
  const int lastSection = static_cast<int>(table.sections().size()) - 1;
  // Most records keep nothing beyond their fields; their data is made only when needed.
  auto data = [obj]() -> ObjectData& { return DbAccess::data(obj); };
  int section = 0;
  bool sawMarker = false, embedded = false, gotHandle = false, gotOwner = false;
  for (size_t i = 1; i < tags.size();) {
    const Tag& tag = tags[i];
    if (tag.code >= 1000) {
      data().xdata.reserve(data().xdata.size() + tags.size() - i);
      for (; i < tags.size(); ++i) {
        ctx.check(tags[i]);
        data().xdata.push_back({static_cast<std::int16_t>(tags[i].code), 0, ctx.text(tags[i])});
      }
      break;
    }
    if (!sawMarker && section == 0) {
      if ((tag.code == 5 || tag.code == 105) && !gotHandle) {
        gotHandle = true;
        if (handleOut && !ctx.legacy) {
          *handleOut = ctx.handle(tag);
          ctx.prefetchHandle(*handleOut);  // added under it once the record is read
        }
        ++i;
        continue;
      }
      if (tag.code == 102 && trim(tag.value).substr(0, 1) == "{") {
        i = readAppData(ctx, tags, i, data().appData);
        continue;
      }
      if (tag.code == 330 && !gotOwner) {
        gotOwner = true;
        std::uint64_t h = ctx.handle(tag);
        if (h != 0 && ctx.deferred)
          ctx.deferred->owner = h;
        else if (h != 0)
          DbAccess::setOwner(obj, ctx.ownerOf(h));
        else
          data().ownerTag = true;  // a null owner is written back as such
        ++i;
        continue;
      }
    }
    ++i;
    if (tag.code == 100) {
      sawMarker = true;
      int s = table.findSection(trim(tag.value), section);
      if (s >= 0) {
        section = s;
        continue;
      }
    } else if (tag.code == 101) {
      embedded = true;  // an embedded object follows: its codes are not this object's
    } else if (!embedded) {
      int s = 0, f = 0, comp = 0;
      if (table.find(tag.code, s, f, comp)) {
        assignField(ctx, obj,
                    table.sections()[static_cast<size_t>(s)].fields[static_cast<size_t>(f)], comp,
                    tag);
        continue;
      }
      if (DbAccess::readCustom(obj, ctx, tag, section)) continue;
    }
    ctx.check(tag);
    int target = section;
    if (!sawMarker && lastSection > 0)
      target = isCommonEntityCode(tag.code) ? std::min(1, lastSection) : lastSection;
    data().extras.push_back(
        {static_cast<std::int16_t>(tag.code), static_cast<std::int16_t>(target), ctx.text(tag)});
  }
}

void writeStored(TagWriter& w, const StoredTags& tags, int section) {
  for (const StoredTag& t : tags)
    if (section < 0 || t.section == section) w.str(t.code, t.value);
}

void writeObject(WriteContext& ctx, const AcDbObject* obj) {
  TagWriter& w = ctx.out;
  const char* name = obj->dxfName();
  w.str(0, name);
  w.handle(std::strcmp(name, "DIMSTYLE") == 0 ? 105 : 5, DbAccess::handleOf(obj));
  const ObjectData* data = DbAccess::dataIfAny(obj);
  if (data) writeStored(w, data->appData);
  if (!obj->ownerId().isNull())
    w.handle(330, obj->ownerId().handle().value());
  else if (data && data->ownerTag)
    w.str(330, "0");
  const ClassTable& table = DbAccess::table(obj);
  const auto& sections = table.sections();
  for (size_t s = 0; s < sections.size(); ++s) {
    const char* marker = sections[s].marker;
    if (marker && std::strcmp(marker, "*") == 0)
      marker = DbAccess::marker(obj, static_cast<int>(s));
    if (marker) w.str(100, marker);
    for (const FieldDef& f : sections[s].fields) writeField(w, obj, f);
    DbAccess::writeCustom(obj, ctx, static_cast<int>(s));
    if (data) writeStored(w, data->extras, static_cast<int>(s));
  }
  if (data) writeStored(w, data->xdata);
}

}  // namespace zrcad::dxf
