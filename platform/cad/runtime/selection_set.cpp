// Selection sets and entity names.
#include "cad/runtime/selection_set.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/cstring.h"
#include "base/text_case.h"
#include "cad/acdb.h"
#include "cad/runtime/editor_input_stack.h"
#include "cad/runtime/editor_output.h"
#include "cad/runtime/editor_prompts.h"
#include "cad/runtime/implied_selection.h"
#include "cad/runtime/input_request.h"
#include "cad/runtime/wc_match.h"

namespace cadrt {

namespace {

// The second word of a name tells entity names and set names apart, so that
// one is never taken for the other.
constexpr Adesk::LongPtr kEntityTag = 0x454E54;  // "ENT"
constexpr Adesk::LongPtr kSetTag = 0x535354;     // "SST"

using IdList = std::vector<AcDbObjectId>;

struct Tables {
  Adesk::LongPtr nextName = 1;
  std::unordered_map<Adesk::LongPtr, AcDbObjectId> entities;
  std::map<AcDbObjectId, Adesk::LongPtr> entityNames;
  Adesk::LongPtr nextSet = 1;
  std::unordered_map<Adesk::LongPtr, IdList> sets;
  IdList previous;  // the last selection made ("P")
  IdList implied;   // chosen before the command (impliedSelection)
};

Tables& tables() {
  static Tables t;
  return t;
}

void nameFor(AcDbObjectId id, ads_name out) {
  Tables& t = tables();
  auto [it, added] = t.entityNames.try_emplace(id, t.nextName);
  if (added) t.entities[t.nextName++] = id;
  out[0] = it->second;
  out[1] = kEntityTag;
}

const AcDbObjectId* idOf(const Adesk::LongPtr* name) {
  if (!name || name[1] != kEntityTag) return nullptr;
  const auto it = tables().entities.find(name[0]);
  return it == tables().entities.end() ? nullptr : &it->second;
}

IdList* setOf(const Adesk::LongPtr* name) {
  if (!name || name[1] != kSetTag) return nullptr;
  const auto it = tables().sets.find(name[0]);
  return it == tables().sets.end() ? nullptr : &it->second;
}

int newSet(IdList ids, ads_name ss) {
  Tables& t = tables();
  t.previous = ids;
  ss[0] = t.nextSet;
  ss[1] = kSetTag;
  t.sets[t.nextSet++] = std::move(ids);
  return RTNORM;
}

std::wstring upper(std::wstring s) { return zrbase::toUpper(s); }

std::wstring handleText(AcDbObjectId id) {
  ACHAR buf[20] = {};
  id.handle().getIntoAsciiBuffer(buf, 20);
  return buf;
}

// The model-space entities of the working database that are not erased.
IdList modelSpaceEntities() {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (!db) return {};
  AcDbObjectPointer<AcDbBlockTableRecord> ms(db->modelSpaceId(), AcDb::kForRead);
  return ms ? ms->entityIds() : IdList{};
}

// One test of a selection filter: a group code and a wildcard pattern.
struct FilterTest {
  int code;
  std::wstring pattern;
};

// The filter as tests, or nullopt for a filter this runtime cannot apply.
std::optional<std::vector<FilterTest>> compileFilter(const resbuf* filter) {
  std::vector<FilterTest> tests;
  for (const resbuf* rb = filter; rb; rb = rb->rbnext) {
    if ((rb->restype != 0 && rb->restype != 8 && rb->restype != 2) || !rb->resval.rstring) {
      printLine(L"Selection filter group " + std::to_wstring(rb->restype) +
                L" is not supported (only 0, 8 and 2 with text).");
      return std::nullopt;
    }
    tests.push_back({rb->restype, rb->resval.rstring});
  }
  return tests;
}

std::wstring valueFor(const AcDbEntity* ent, int code) {
  if (code == 0) return zrbase::utf8ToWide(ent->dxfName());
  if (code == 8) {
    ACHAR* layer = ent->layer();
    std::wstring name = layer ? layer : L"";
    acutDelString(layer);
    return name;
  }
  const AcDbBlockReference* ref = AcDbBlockReference::cast(ent);
  if (!ref) return {};
  AcDbObjectPointer<AcDbBlockTableRecord> block(ref->blockTableRecord(), AcDb::kForRead);
  return block ? block->name() : std::wstring();
}

bool passes(AcDbObjectId id, const std::vector<FilterTest>& tests) {
  if (tests.empty()) return true;
  AcDbObjectPointer<AcDbEntity> ent(id, AcDb::kForRead);
  if (!ent) return false;
  return std::all_of(tests.begin(), tests.end(), [&](const FilterTest& t) {
    return wcMatchNoCase(valueFor(ent.object(), t.code), t.pattern);
  });
}

// Entities whose extents lie wholly inside (window) or meet (crossing) the box.
IdList byBox(const ads_point a, const ads_point b, bool crossing) {
  const double x0 = std::min(a[0], b[0]), x1 = std::max(a[0], b[0]);
  const double y0 = std::min(a[1], b[1]), y1 = std::max(a[1], b[1]);
  IdList found;
  for (AcDbObjectId id : modelSpaceEntities()) {
    AcDbObjectPointer<AcDbEntity> ent(id, AcDb::kForRead);
    AcDbExtents ext;
    if (!ent || ent->getGeomExtents(ext) != Acad::eOk) continue;
    const AcGePoint3d lo = ext.minPoint(), hi = ext.maxPoint();
    const bool inside = lo.x >= x0 && hi.x <= x1 && lo.y >= y0 && hi.y <= y1;
    const bool meets = lo.x <= x1 && hi.x >= x0 && lo.y <= y1 && hi.y >= y0;
    if (crossing ? meets : inside) found.push_back(id);
  }
  return found;
}

std::optional<AcDbObjectId> lastEntity() {
  const IdList all = modelSpaceEntities();
  if (all.empty()) return std::nullopt;
  return all.back();
}

// The entities of "h HANDLE ..." words; the reason in why when one is not an
// entity of the model space.
std::optional<IdList> byHandles(const std::vector<std::wstring>& words, std::string& why) {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  const IdList space = modelSpaceEntities();
  IdList found;
  for (const std::wstring& w : words) {
    const AcDbHandle h(w.c_str());
    AcDbObjectId id;
    if (h.isNull() || !db || db->getAcDbObjectId(id, false, h) != Acad::eOk ||
        std::find(space.begin(), space.end(), id) == space.end()) {
      why = "No entity with handle " + zrbase::wideToUtf8(w) + " in the drawing.";
      return std::nullopt;
    }
    if (std::find(found.begin(), found.end(), id) == found.end()) found.push_back(id);
  }
  if (found.empty()) why = "h needs one or more handles.";
  return found.empty() ? std::nullopt : std::optional<IdList>(found);
}

std::vector<std::wstring> words(const std::string& line) {
  std::vector<std::wstring> out;
  std::wstring cur;
  for (wchar_t c : zrbase::utf8ToWide(line)) {
    if (c == L' ' || c == L'\t') {
      if (!cur.empty()) out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

// The entities one line of the selection prompt names, or nullopt with why.
std::optional<IdList> selectLineOnAnyLayer(const std::string& line, std::string& why);

std::optional<IdList> selectLine(const std::string& line, std::string& why) {
  auto found = selectLineOnAnyLayer(line, why);
  if (found) *found = onUsableLayers(*found, true, false);
  return found;
}

std::optional<IdList> selectLineOnAnyLayer(const std::string& line, std::string& why) {
  const std::vector<std::wstring> w = words(line);
  const std::wstring op = upper(w.front());
  if (op == L"ALL" && w.size() == 1) return modelSpaceEntities();
  if ((op == L"LAST" || op == L"L") && w.size() == 1) {
    if (auto last = lastEntity()) return IdList{*last};
    why = "The drawing has no entity.";
    return std::nullopt;
  }
  const bool window = op == L"W" || op == L"WINDOW";
  const bool crossing = op == L"C" || op == L"CROSSING";
  if ((window || crossing) && w.size() == 3) {
    ads_point a, b;
    if (parsePoint(zrbase::wideToUtf8(w[1]), a) && parsePoint(zrbase::wideToUtf8(w[2]), b)) {
      return byBox(a, b, crossing);
    }
  }
  if (op == L"H" || op == L"HANDLE") return byHandles({w.begin() + 1, w.end()}, why);
  why = "Expects all, last, w x1,y1 x2,y2, c x1,y1 x2,y2, h HANDLE..., or an empty line to end.";
  return std::nullopt;
}

// The "Select objects:" prompt: lines add to ids until an empty line.
int selectInteractively(const std::vector<FilterTest>& filter, IdList& ids,
                        const wchar_t* prompt = L"Select objects: ") {
  const ScopedInputRequest stated(InputKind::Selection, nullptr);
  // What is in the set already, so that "all" on a large drawing stays linear; made when a
  // second line adds to a set (each line's own list has no repeats).
  std::unordered_set<AcDbObjectId> chosen;
  for (;;) {
    writeText(prompt);
    Answer a = EditorInput::instance().next(AnswerSpan::RestOfLine);
    if (a.atEnd()) return RTCAN;
    if (a.text() == "^C") {
      a.accept();
      return RTCAN;
    }
    if (a.text().empty()) {
      a.accept();
      return ids.empty() ? RTERROR : RTNORM;
    }
    std::string why;
    const auto found = selectLine(a.text(), why);
    if (!found) {
      a.reject(why);
      if (a.origin() == Answer::Origin::Token) return RTERROR;
      continue;
    }
    a.accept();
    if (!ids.empty() && chosen.empty()) chosen.insert(ids.begin(), ids.end());
    const bool first = ids.empty();
    int added = 0;
    for (AcDbObjectId id : *found) {
      if (passes(id, filter) && (first || chosen.insert(id).second)) {
        ids.push_back(id);
        ++added;
      }
    }
    printLine(std::to_wstring(added) + L" found");
  }
}

}  // namespace

bool selectionIds(const ads_name ss, std::vector<AcDbObjectId>& ids) {
  const IdList* set = setOf(ss);
  if (!set) return false;
  ids = *set;
  return true;
}

std::optional<std::string> selectionAnswer(const Adesk::LongPtr* name, bool isSet) {
  std::wstring text = L"h";
  if (isSet) {
    const IdList* set = setOf(name);
    if (!set) return std::nullopt;
    for (AcDbObjectId id : *set) text += L" " + handleText(id);
  } else {
    const AcDbObjectId* id = idOf(name);
    if (!id) return std::nullopt;
    text += L" " + handleText(*id);
  }
  return zrbase::wideToUtf8(text);
}

void clearSelectionSets() { tables() = Tables{}; }

const std::vector<AcDbObjectId>& impliedSelection() { return tables().implied; }

void setImpliedSelection(std::vector<AcDbObjectId> ids) { tables().implied = std::move(ids); }

std::vector<AcDbObjectId> takeImpliedSelection() {
  Tables& t = tables();
  const AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  IdList ids;
  for (AcDbObjectId id : t.implied) {
    if (db && id.database() == db && !id.isErased()) ids.push_back(id);
  }
  t.implied.clear();
  if (!ids.empty()) t.previous = ids;
  return ids;
}

IdList onUsableLayers(const IdList& ids, bool frozen, bool locked, size_t* leftOut) {
  // Layers are few and entities many: each layer is looked at once.
  std::unordered_map<AcDbObjectId, bool> usable;
  auto usableLayer = [&](AcDbObjectId layer) {
    auto [it, added] = usable.try_emplace(layer, true);
    if (added) {
      AcDbObjectPointer<AcDbLayerTableRecord> rec(layer, AcDb::kForRead);
      it->second = !rec || !((frozen && rec->isFrozen()) || (locked && rec->isLocked()));
    }
    return it->second;
  };
  IdList kept;
  kept.reserve(ids.size());
  for (AcDbObjectId id : ids) {
    AcDbObjectPointer<AcDbEntity> ent(id, AcDb::kForRead);
    if (!ent || usableLayer(ent->layerId())) kept.push_back(id);
  }
  if (leftOut) *leftOut = ids.size() - kept.size();
  return kept;
}

}  // namespace cadrt

using cadrt::IdList;

int acedSSGet(const ACHAR* str, const void* pt1, const void* pt2, const resbuf* filter,
              ads_name ss) {
  if (!ss) return RTERROR;
  const auto tests = cadrt::compileFilter(filter);
  if (!tests) return RTERROR;
  std::wstring mode = str ? cadrt::upper(str) : L"";
  if (!mode.empty() && mode[0] == L'_') mode.erase(0, 1);
  IdList ids;
  if (!str || (mode == L":$" && pt1)) {
    const int rc =
        str ? cadrt::selectInteractively(*tests, ids, *static_cast<const ACHAR* const*>(pt1))
            : cadrt::selectInteractively(*tests, ids);
    if (rc != RTNORM) return rc;
  } else {
    IdList candidates;
    if (mode == L"X") {
      candidates = cadrt::modelSpaceEntities();
    } else if (mode == L"L") {
      if (auto last = cadrt::lastEntity()) candidates.push_back(*last);
    } else if ((mode == L"W" || mode == L"C") && pt1 && pt2) {
      candidates = cadrt::byBox(static_cast<const double*>(pt1), static_cast<const double*>(pt2),
                                mode == L"C");
    } else if (mode == L"P") {
      candidates = cadrt::tables().previous;
    } else if (mode == L"I") {
      candidates = cadrt::takeImpliedSelection();
    } else {
      cadrt::printLine(L"acedSSGet: selection mode \"" + std::wstring(str) +
                       L"\" is not supported.");
      return RTERROR;
    }
    for (AcDbObjectId id : candidates) {
      if (!id.isErased() && cadrt::passes(id, *tests)) ids.push_back(id);
    }
  }
  if (ids.empty()) return RTERROR;
  return cadrt::newSet(std::move(ids), ss);
}

int acedSSLength(const ads_name sname, Adesk::Int32* len) {
  const IdList* set = cadrt::setOf(sname);
  if (!set || !len) return RTERROR;
  *len = static_cast<Adesk::Int32>(set->size());
  return RTNORM;
}

int acedSSName(const ads_name ss, Adesk::Int32 i, ads_name entres) {
  const IdList* set = cadrt::setOf(ss);
  if (!set || !entres || i < 0 || static_cast<size_t>(i) >= set->size()) return RTERROR;
  cadrt::nameFor((*set)[static_cast<size_t>(i)], entres);
  return RTNORM;
}

int acedSSFree(const ads_name sname) {
  if (!cadrt::setOf(sname)) return RTERROR;
  cadrt::tables().sets.erase(sname[0]);
  return RTNORM;
}

int acedSSAdd(const ads_name ename, const ads_name sname, ads_name result) {
  if (!result) return RTERROR;
  IdList ids;
  if (sname) {
    const IdList* set = cadrt::setOf(sname);
    if (!set) return RTERROR;
    ids = *set;
  }
  if (ename) {
    const AcDbObjectId* id = cadrt::idOf(ename);
    if (!id) return RTERROR;
    if (std::find(ids.begin(), ids.end(), *id) == ids.end()) ids.push_back(*id);
  }
  if (sname) {
    *cadrt::setOf(sname) = std::move(ids);
    result[0] = sname[0];
    result[1] = sname[1];
    return RTNORM;
  }
  return cadrt::newSet(std::move(ids), result);
}

Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& objId, const ads_name objName) {
  const AcDbObjectId* id = cadrt::idOf(objName);
  if (!id) return Acad::eInvalidAdsName;
  objId = *id;
  return Acad::eOk;
}

Acad::ErrorStatus acdbGetAdsName(ads_name& objName, AcDbObjectId objId) {
  if (objId.isNull()) return Acad::eNullObjectId;
  cadrt::nameFor(objId, objName);
  return Acad::eOk;
}

int acdbEntLast(ads_name result) {
  if (!result) return RTERROR;
  const auto last = cadrt::lastEntity();
  if (!last) return RTERROR;
  cadrt::nameFor(*last, result);
  return RTNORM;
}
