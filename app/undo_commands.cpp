// UNDO, U, REDO.
#include "undo_commands.h"

#include <string>
#include <vector>

#include "cad/acdb.h"
#include "cad/aced.h"

namespace fancad {

namespace {

AcDbDatabase* drawing() {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (!db) cadrt::printLine(L"No drawing is open.");
  return db;
}

std::wstring joined(const std::vector<std::wstring>& names) {
  std::wstring out;
  for (const std::wstring& n : names) out += L" " + (n.empty() ? std::wstring(L"(changes)") : n);
  return out;
}

int undoSteps(AcDbDatabase* db, int count) {
  const std::vector<std::wstring> names = db->undo(count);
  if (!names.empty()) cadrt::printLine(L"Undone:" + joined(names));
  if (static_cast<int>(names.size()) < count) cadrt::printLine(L"Everything has been undone");
  return RTNORM;
}

int undoCommand() {
  AcDbDatabase* db = drawing();
  if (!db) return RTERROR;
  int count = 1;
  acedInitGet(RSG_NOZERO | RSG_NONEG, nullptr);
  const int rc = acedGetInt(L"Enter the number of operations to undo <1>: ", &count);
  if (rc == RTNONE)
    count = 1;
  else if (rc != RTNORM)
    return rc;
  return undoSteps(db, count);
}

int uCommand() {
  AcDbDatabase* db = drawing();
  return db ? undoSteps(db, 1) : RTERROR;
}

int redoCommand() {
  AcDbDatabase* db = drawing();
  if (!db) return RTERROR;
  const std::vector<std::wstring> names = db->redo(1);
  cadrt::printLine(names.empty() ? std::wstring(L"Nothing to redo.") : L"Redone:" + joined(names));
  return RTNORM;
}

}  // namespace

void registerUndoCommands() {
  cadrt::CommandProcessor& proc = cadrt::CommandProcessor::instance();
  proc.addHostCommand(L"UNDO", undoCommand);
  proc.addHostCommand(L"U", uCommand);
  proc.addHostCommand(L"REDO", redoCommand);
}

}  // namespace fancad
