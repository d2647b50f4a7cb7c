// LIST.
#include "list_command.h"

#include <numbers>
#include <optional>
#include <vector>

#include "base/cstring.h"
#include "cad/acdb.h"
#include "cad/aced.h"

namespace fancad {

namespace {

std::wstring num(double v) {
  CString s;
  s.Format(L"%.10g", v);
  return s.str();
}

std::wstring point(const double* p) {
  return L"(" + num(p[0]) + L"," + num(p[1]) + L"," + num(p[2]) + L")";
}

std::wstring xdataValue(const resbuf* rb) {
  switch (zrcad::rbKindOf(rb->restype)) {
    case zrcad::RbKind::kString:
      if (rb->restype == 1002) return rb->resval.rstring ? rb->resval.rstring : L"";
      return L"\"" + std::wstring(rb->resval.rstring ? rb->resval.rstring : L"") + L"\"";
    case zrcad::RbKind::kHandle:
      return rb->resval.rstring ? rb->resval.rstring : L"";
    case zrcad::RbKind::kReal:
      return num(rb->resval.rreal);
    case zrcad::RbKind::kPoint:
      return point(rb->resval.rpoint);
    case zrcad::RbKind::kShort:
      return std::to_wstring(rb->resval.rint);
    case zrcad::RbKind::kLong:
      return std::to_wstring(rb->resval.rlong);
    case zrcad::RbKind::kInt64:
      return std::to_wstring(rb->resval.mnInt64);
    case zrcad::RbKind::kBinary:
      return L"<" + std::to_wstring(rb->resval.rbinary.clen) + L" bytes>";
    case zrcad::RbKind::kNone:
      break;
  }
  return L"?";
}

std::wstring xdataLines(const AcDbObject* obj) {
  resbuf* chain = obj->xData(nullptr);
  std::wstring out;
  bool first = true;
  for (const resbuf* rb = chain; rb; rb = rb->rbnext) {
    if (rb->restype == 1001) {
      if (!out.empty()) out += L"\n";
      out += L"  Xdata \"" + std::wstring(rb->resval.rstring ? rb->resval.rstring : L"") + L"\":";
      first = true;
      continue;
    }
    out += (first ? L" " : L", ") + xdataValue(rb);
    first = false;
  }
  acutRelRb(chain);
  return out.empty() ? out : out + L"\n";
}

std::wstring blockName(AcDbObjectId blockId) {
  AcDbObjectPointer<AcDbBlockTableRecord> block(blockId, AcDb::kForRead);
  return block ? block->name() : L"?";
}

std::wstring referenceLines(const AcDbBlockReference* ref) {
  const AcGePoint3d p = ref->position();
  const AcGeScale3d s = ref->scaleFactors();
  std::wstring out = L"  Block name: \"" + blockName(ref->blockTableRecord()) + L"\"\n";
  out += L"  Position: X=" + num(p.x) + L" Y=" + num(p.y) + L" Z=" + num(p.z) + L"\n";
  out += L"  Rotation: " + num(ref->rotation() / std::numbers::pi * 180) + L" deg\n";
  out += L"  Scale: X=" + num(s.sx) + L" Y=" + num(s.sy) + L" Z=" + num(s.sz) + L"\n";
  for (AcDbObjectId id : ref->attributeIds()) {
    AcDbObjectPointer<AcDbAttribute> attr(id, AcDb::kForRead);
    if (!attr) continue;
    out += L"  Attribute \"" + std::wstring(attr->tagConst()) + L"\": \"" +
           attr->textStringConst() + L"\"\n";
  }
  return out;
}

// The entities LAST, ALL or a handle names (LAST and ALL find none in an
// empty drawing); nullopt for an answer that is none of these.
std::optional<std::vector<AcDbObjectId>> resolve(const std::string& text) {
  const CString word = CString::FromUtf8(text);
  CString upper = word;
  upper.MakeUpper();
  std::vector<AcDbObjectId> ids;
  if (upper != L"LAST" && upper != L"L" && upper != L"ALL" && upper != L"A") {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    AcDbObjectId id;
    const AcDbHandle h(word.GetString());
    if (h.isNull() || !db || db->getAcDbObjectId(id, false, h) != Acad::eOk ||
        !AcDbObjectPointer<AcDbEntity>(id, AcDb::kForRead)) {
      return std::nullopt;
    }
    ids.push_back(id);
    return ids;
  }
  ads_name ss;
  const bool last = upper[0] == L'L';
  if (acedSSGet(last ? L"L" : L"X", nullptr, nullptr, nullptr, ss) != RTNORM) return ids;
  Adesk::Int32 n = 0;
  acedSSLength(ss, &n);
  for (Adesk::Int32 i = 0; i < n; ++i) {
    ads_name ename;
    AcDbObjectId id;
    if (acedSSName(ss, i, ename) == RTNORM && acdbGetObjectId(id, ename) == Acad::eOk) {
      ids.push_back(id);
    }
  }
  acedSSFree(ss);
  return ids;
}

}  // namespace

std::wstring listEntity(AcDbObjectId id) {
  AcDbObjectPointer<AcDbEntity> ent(id, AcDb::kForRead);
  if (!ent) return L"(the entity cannot be opened)\n";
  ACHAR handle[20] = {};
  id.handle().getIntoAsciiBuffer(handle, 20);
  ACHAR* layer = ent->layer();
  std::wstring out = zrbase::utf8ToWide(ent->dxfName()) + L"  Handle: " + handle + L"  Layer: \"" +
                     (layer ? layer : L"") + L"\"\n";
  acutDelString(layer);
  if (const AcDbBlockReference* ref = AcDbBlockReference::cast(ent.object())) {
    out += referenceLines(ref);
  }
  return out + xdataLines(ent.object());
}

int listCommand() {
  if (!acdbHostApplicationServices()->workingDatabase()) {
    cadrt::printLine(L"No drawing is open.");
    cadrt::noteCommandFailure(L"no drawing is open");
    return RTERROR;
  }
  std::vector<AcDbObjectId> ids;
  std::string answer;
  const int rc = cadrt::promptChecked(
      L"Select objects [Last/All/handle]: ", cadrt::AnswerSpan::Word,
      [&](const std::string& text) {
        auto found = resolve(text);
        if (!found) return std::string("Expects LAST, ALL or the handle of an entity.");
        ids = std::move(*found);
        return std::string();
      },
      answer);
  if (rc == RTNONE) return RTCAN;
  if (rc != RTNORM) return rc;
  if (ids.empty()) cadrt::printLine(L"The drawing has no entity.");
  cadrt::ensureLineStart();
  for (AcDbObjectId id : ids) cadrt::writeText(listEntity(id));
  return RTNORM;
}

void registerListCommand() {
  cadrt::CommandProcessor::instance().addHostCommand(L"LIST", listCommand);
}

}  // namespace fancad
