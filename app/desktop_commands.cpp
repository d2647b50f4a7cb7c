// The desktop's own commands.
#include "desktop_commands.h"

#include <string>

#include "cad/acdb.h"
#include "cad/aced.h"

namespace fancad {

int layerColorCommand() {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (!db) {
    cadrt::printLine(L"No drawing is open.");
    return RTERROR;
  }
  int color = 0;
  acedInitGet(RSG_NONULL | RSG_NOZERO | RSG_NONEG, nullptr);
  int rc = acedGetInt(L"Enter color number (1-255): ", &color);
  if (rc != RTNORM) return rc;
  if (color > 255) {
    cadrt::printLine(L"Color number must be between 1 and 255.");
    return RTERROR;
  }
  ACHAR name[512];
  if ((rc = acedGetString(1, L"Enter layer name: ", name, 512)) != RTNORM) return rc;
  AcDbLayerTable* table = nullptr;
  AcDbObjectId id;
  if (db->getLayerTable(table, AcDb::kForRead) == Acad::eOk) {
    table->getAt(name, id);
    table->close();
  }
  AcDbObjectPointer<AcDbLayerTableRecord> layer(id, AcDb::kForWrite);
  if (!layer) {
    cadrt::printLine(L"No layer \"" + std::wstring(name) + L"\".");
    return RTERROR;
  }
  AcCmColor c;
  c.setColorIndex(static_cast<short>(color));
  layer->setColor(c);
  return RTNORM;
}

void registerDesktopCommands() {
  cadrt::CommandProcessor::instance().addHostCommand(L"LAYERCOLOR", layerColorCommand);
}

}  // namespace fancad
