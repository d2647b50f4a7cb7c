// LAYER.
#include "layer_command.h"

#include <string>
#include <vector>

#include "base/console_input.h"
#include "base/cstring.h"
#include "base/text_case.h"
#include "cad/acdb.h"
#include "cad/aced.h"
#include "cad/runtime/wc_match.h"

namespace fancad {

namespace {

// The layers whose names match the comma-separated names or wildcards.
std::vector<AcDbObjectId> matching(AcDbDatabase* db, const std::wstring& patterns) {
  std::vector<AcDbObjectId> ids;
  AcDbLayerTable* table = nullptr;
  if (db->getLayerTable(table, AcDb::kForRead) != Acad::eOk) return ids;
  for (AcDbObjectId id : table->recordIds()) {
    AcDbObjectPointer<AcDbLayerTableRecord> rec(id, AcDb::kForRead);
    if (rec && cadrt::wcMatchNoCase(rec->name(), patterns)) ids.push_back(id);
  }
  table->close();
  return ids;
}

std::wstring askText(const ACHAR* prompt, bool wholeLine = true) {
  ACHAR buf[512];
  const int rc = acedGetString(wholeLine ? 1 : 0, prompt, buf, 512);
  return rc == RTNORM ? std::wstring(buf) : std::wstring();
}

void listLayers(AcDbDatabase* db) {
  std::wstring pattern = askText(L"Enter layer name(s) to list <*>: ");
  if (pattern.empty()) pattern = L"*";
  const AcDbObjectId current = db->clayer();
  for (AcDbObjectId id : matching(db, pattern)) {
    AcDbObjectPointer<AcDbLayerTableRecord> rec(id, AcDb::kForRead);
    std::wstring line = id == current ? L"* " : L"  ";
    line += rec->name();
    line.append(rec->name().size() < 24 ? 24 - rec->name().size() : 1, L' ');
    line += rec->isOff() ? L"off " : L"on  ";
    line += rec->isFrozen() ? L"frozen  " : L"thawed  ";
    line += L"colour " + std::to_wstring(rec->color().colorIndex()) + L"  " + rec->linetypeName();
    if (rec->isLocked()) line += L"  locked";
    cadrt::printLine(line);
  }
}

// The layer of that name, made when missing; null when the name is not valid.
AcDbObjectId makeLayer(AcDbDatabase* db, const std::wstring& name) {
  AcDbLayerTable* table = nullptr;
  if (db->getLayerTable(table, AcDb::kForRead) != Acad::eOk) return {};
  AcDbObjectId id;
  if (table->getAt(name.c_str(), id) == Acad::eOk) {
    table->close();
    return id;
  }
  auto* rec = new AcDbLayerTableRecord();
  if (rec->setName(name.c_str()) != Acad::eOk || table->upgradeOpen() != Acad::eOk ||
      table->add(id, rec) != Acad::eOk) {
    delete rec;
    table->close();
    cadrt::printLine(L"Invalid layer name \"" + name + L"\".");
    return {};
  }
  rec->close();
  table->close();
  return id;
}

bool setCurrent(AcDbDatabase* db, AcDbObjectId id, const std::wstring& name) {
  AcDbObjectPointer<AcDbLayerTableRecord> rec(id, AcDb::kForRead);
  if (!rec) {
    cadrt::printLine(L"No layer \"" + name + L"\".");
    return false;
  }
  if (rec->isFrozen()) {
    cadrt::printLine(L"Cannot set current layer to a frozen layer (\"" + rec->name() + L"\").");
    return false;
  }
  db->setClayer(id);
  return true;
}

void setLayer(AcDbDatabase* db) {
  const std::wstring name = askText(L"Enter layer name to make current: ");
  if (name.empty()) return;
  AcDbLayerTable* table = nullptr;
  AcDbObjectId id;
  if (db->getLayerTable(table, AcDb::kForRead) == Acad::eOk) {
    table->getAt(name.c_str(), id);
    table->close();
  }
  setCurrent(db, id, name);
}

void newLayers(AcDbDatabase* db, bool makeCurrent) {
  const std::wstring text =
      askText(makeCurrent ? L"Enter name for new layer (becomes the current layer): "
                          : L"Enter name list for new layer(s): ");
  size_t start = 0;
  while (start <= text.size() && !text.empty()) {
    const size_t comma = text.find(L',', start);
    const std::wstring name = zrbase::utf8ToWide(zrbase::trimLine(zrbase::wideToUtf8(
        text.substr(start, comma == std::wstring::npos ? comma : comma - start))));
    if (!name.empty()) {
      const AcDbObjectId id = makeLayer(db, name);
      if (makeCurrent && !id.isNull()) setCurrent(db, id, name);
    }
    if (makeCurrent || comma == std::wstring::npos) break;
    start = comma + 1;
  }
}

// ON, OFF, Freeze, Thaw, LOck, Unlock on the layers named.
void switchLayers(AcDbDatabase* db, const std::wstring& option) {
  const std::wstring what = option == L"ON"       ? L"turn on"
                            : option == L"OFF"    ? L"turn off"
                            : option == L"Freeze" ? L"freeze"
                            : option == L"LOck"   ? L"lock"
                            : option == L"Unlock" ? L"unlock"
                                                  : L"thaw";
  const std::wstring names = askText((L"Enter name list of layer(s) to " + what + L": ").c_str());
  if (names.empty()) return;
  const std::vector<AcDbObjectId> ids = matching(db, names);
  if (ids.empty()) cadrt::printLine(L"No matching layer for \"" + names + L"\".");
  for (AcDbObjectId id : ids) {
    AcDbObjectPointer<AcDbLayerTableRecord> rec(id, AcDb::kForWrite);
    if (!rec) continue;
    if (option == L"ON" || option == L"OFF") {
      rec->setIsOff(option == L"OFF");
    } else if (option == L"LOck" || option == L"Unlock") {
      rec->setIsLocked(option == L"LOck");
    } else if (option == L"Freeze" && id == db->clayer()) {
      cadrt::printLine(L"Cannot freeze layer \"" + rec->name() + L"\". It is the CURRENT layer.");
    } else {
      rec->setIsFrozen(option == L"Freeze");
    }
  }
}

// The option typed (any letter case; the capitals of an option are the least
// that must be typed); "" for none.
std::wstring optionOf(const std::wstring& typed) {
  const std::wstring t = zrbase::toUpper(typed);
  if (t == L"?") return L"?";
  if (t == L"ON") return L"ON";
  if (t == L"OFF") return L"OFF";
  for (const wchar_t* o : {L"Make", L"Set", L"New", L"Freeze", L"Thaw", L"LOck", L"Unlock"}) {
    const std::wstring full = o;
    const std::wstring upper = zrbase::toUpper(full);
    if (!t.empty() && upper.compare(0, t.size(), t) == 0) return full;
  }
  return {};
}

int layerCommand() {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (!db) {
    cadrt::printLine(L"No drawing is open.");
    return RTERROR;
  }
  for (;;) {
    ACHAR buf[64];
    const int rc = acedGetString(
        0, L"Enter an option [?/Make/Set/New/ON/OFF/Freeze/Thaw/LOck/Unlock]: ", buf, 64);
    if (rc != RTNORM) return rc;
    const std::wstring option = optionOf(buf);
    if (buf[0] == 0) return RTNORM;
    if (option.empty())
      cadrt::printLine(L"Invalid option \"" + std::wstring(buf) + L"\".");
    else if (option == L"?")
      listLayers(db);
    else if (option == L"Make")
      newLayers(db, true);
    else if (option == L"New")
      newLayers(db, false);
    else if (option == L"Set")
      setLayer(db);
    else
      switchLayers(db, option);
  }
}

}  // namespace

void registerLayerCommand() {
  cadrt::CommandProcessor::instance().addHostCommand(L"LAYER", layerCommand);
}

}  // namespace fancad
