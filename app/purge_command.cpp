// PURGE.
#include "purge_command.h"

#include <string>

#include "base/text_case.h"
#include "cad/acdb.h"
#include "cad/aced.h"

namespace fancad {

namespace {

template <class Table>
AcDbObjectIdArray recordsOf(AcDbDatabase* db) {
  AcDbObjectIdArray ids;
  Table* table = nullptr;
  if (db->getSymbolTable(table, AcDb::kForRead) != Acad::eOk) return ids;
  for (AcDbObjectId id : table->recordIds())
    if (!id.isErased()) ids.append(id);
  table->close();
  return ids;
}

// Erases what purge() leaves of ids; prints each. Returns how many went.
int purgeRecords(AcDbDatabase* db, AcDbObjectIdArray ids, const wchar_t* kind) {
  db->purge(ids);
  int count = 0;
  for (AcDbObjectId id : ids) {
    AcDbObjectPointer<AcDbSymbolTableRecord> rec(id, AcDb::kForWrite);
    if (!rec || rec->erase() != Acad::eOk) continue;
    cadrt::printLine(L"Deleting " + std::wstring(kind) + L" \"" + rec->name() + L"\".");
    ++count;
  }
  return count;
}

std::wstring plural(int n, const wchar_t* word) {
  return std::to_wstring(n) + L" " + word + (n == 1 ? L"" : L"s");
}

int purgeCommand() {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (!db) {
    cadrt::printLine(L"No drawing is open.");
    return RTERROR;
  }
  ACHAR buf[32];
  int rc = acedGetString(0, L"Enter type of unused objects to purge [Blocks/LAyers/All] <All>: ",
                         buf, 32);
  if (rc != RTNORM) return rc;
  const std::wstring type = zrbase::toUpper(buf);
  const bool blocks =
      type.empty() || type == L"A" || type == L"ALL" || type == L"B" || type == L"BLOCKS";
  const bool layers = type.empty() || type == L"A" || type == L"ALL" || type == L"LA" ||
                      type == L"LAY" || type == L"LAYE" || type == L"LAYER" || type == L"LAYERS";
  if (!blocks && !layers) {
    cadrt::printLine(L"Invalid option \"" + std::wstring(buf) + L"\".");
    return RTERROR;
  }
  int blockCount = 0, layerCount = 0;
  // Blocks first, again and again: a block that goes may have been the last user of
  // another block or of a layer.
  for (int found = 1; blocks && found > 0;) {
    found = purgeRecords(db, recordsOf<AcDbBlockTable>(db), L"block");
    blockCount += found;
  }
  if (layers) layerCount = purgeRecords(db, recordsOf<AcDbLayerTable>(db), L"layer");
  if (blockCount + layerCount == 0)
    cadrt::printLine(L"No unreferenced blocks or layers found.");
  else
    cadrt::printLine(plural(blockCount, L"block") + L", " + plural(layerCount, L"layer") +
                     L" deleted.");
  return RTNORM;
}

}  // namespace

void registerPurgeCommand() {
  cadrt::CommandProcessor::instance().addHostCommand(L"PURGE", purgeCommand);
}

}  // namespace fancad
