// A small application for the host's tests. It prints every call the host
// makes into it, so a test can check their order, and registers commands that
// drive the editor the way the fan module does.
//
// Variants are built from this file with compile definitions:
//   TESTMODULE_API_VERSION  the version word it reports (default release 17)
//   TESTMODULE_LOCKED       never unlocks itself, so it cannot be unloaded
//   TESTMODULE_KEEP_COMMANDS does not remove its commands when unloaded
#include <stdexcept>

#include "base/cstring.h"
#include "base/module_instance.h"
#include "cad/acdb.h"
#include "cad/aced.h"

#ifndef TESTMODULE_API_VERSION
#define TESTMODULE_API_VERSION 0x110000
#endif

namespace {

const wchar_t* const kGroup = L"ZRTEST";

void helloCommand() { acutPrintf(L"testmodule: HELLO\n"); }

// Places a block the way the fan module places a fan: the angle is asked
// first, then INSERT runs with scale and rotation given and the insertion
// point left to the user.
void placeCommand() {
  ACHAR block[133] = {};
  if (acedGetString(0, L"\nBlock: ", block) != RTNORM) return;
  ads_real angle = 0;
  acedGetAngle(nullptr, L"\nRotation: ", &angle);
  const double degrees = angle / 3.141592653589793 * 180;
  const int rc = acedCommand(RTSTR, L"INSERT", RTSTR, block, RTSTR, L"S", RTREAL, 1.0, RTSTR, L"R",
                             RTREAL, degrees, RTSTR, PAUSE, 0);
  acutPrintf(L"testmodule: INSERT %s rotation %g result %d\n", block, degrees, rc);
}

// Tags the last entity with one string of xdata, as the fan module tags a
// placed fan.
void tagCommand() {
  ads_name last;
  AcDbObjectId id;
  if (acdbEntLast(last) != RTNORM || acdbGetObjectId(id, last) != Acad::eOk) {
    acutPrintf(L"testmodule: TAG nothing to tag\n");
    return;
  }
  id.database()->registerApplication(L"Model");
  resbuf* xdata = acutBuildList(1001, L"Model", 1000, L"4-72No4.5A_2900", 0);
  AcDbObject* obj = nullptr;
  if (acdbOpenObject(obj, id, AcDb::kForWrite) == Acad::eOk) {
    obj->setXData(xdata);
    obj->close();
  }
  acutRelRb(xdata);
  acutPrintf(L"testmodule: TAG done\n");
}

// Lets the user select entities, then asks for a base point, and prints the
// handles selected, as the module does before it makes a view block.
void selectCommand() {
  ads_name ss;
  const int rc = acedSSGet(nullptr, nullptr, nullptr, nullptr, ss);
  if (rc != RTNORM) {
    acutPrintf(L"testmodule: SELECT result %d\n", rc);
    return;
  }
  Adesk::Int32 n = 0;
  acedSSLength(ss, &n);
  ads_point base;
  const int rcPoint = acedGetPoint(nullptr, L"\nBase point: ", base);
  CString handles;
  for (Adesk::Int32 i = 0; i < n; ++i) {
    ads_name ent;
    AcDbObjectId id;
    acedSSName(ss, i, ent);
    acdbGetObjectId(id, ent);
    ACHAR h[20];
    id.handle().getIntoAsciiBuffer(h, 20);
    handles += CString(L" ") + h;
  }
  acedSSFree(ss);
  acutPrintf(L"testmodule: SELECT %d:%s point %d\n", static_cast<int>(n), handles.GetString(),
             rcPoint);
}

// Tries to unload this very application while its command runs.
void unloadSelfCommand() {
  AcRxDynamicLinker* linker = AcRxDynamicLinker::cast(acrxSysRegistry()->at(ACRX_DYNAMIC_LINKER));
  const bool unloaded = linker->unloadModule(L"app_testmodule");
  acutPrintf(L"testmodule: UNLOADSELF %d\n", unloaded ? 1 : 0);
}

// Fails the way a module's command fails on bad data: an exception escapes it.
void throwCommand() { throw std::runtime_error("the catalogue has no column 'FanNo'"); }

void registerCommands() {
  AcEdCommandStack* stack = AcEdCommandStack::cast(acrxSysRegistry()->at(ACRX_COMMAND_DOCK));
  stack->addCommand(kGroup, L"TESTHELLO", L"TESTHELLO", ACRX_CMD_TRANSPARENT | ACRX_CMD_USEPICKSET,
                    helloCommand, nullptr, -1, nullptr, nullptr);
  stack->addCommand(kGroup, L"TESTPLACE", L"TESTPLACE", ACRX_CMD_MODAL, placeCommand);
  stack->addCommand(kGroup, L"TESTTAG", L"TESTTAG", ACRX_CMD_MODAL, tagCommand);
  stack->addCommand(kGroup, L"TESTSELECT", L"TESTSELECT", ACRX_CMD_MODAL, selectCommand);
  stack->addCommand(kGroup, L"TESTUNLOADSELF", L"TESTUNLOADSELF", ACRX_CMD_MODAL,
                    unloadSelfCommand);
  stack->addCommand(kGroup, L"TESTTHROW", L"TESTTHROW", ACRX_CMD_MODAL, throwCommand);
}

}  // namespace

extern "C" BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  const zrbase::ModuleInstance* rec = zrbase::moduleInstance(instance);
  acutPrintf(L"testmodule: DllMain %d %s\n", static_cast<int>(reason),
             rec && rec->dlHandle ? L"instance" : L"no-instance");
  return TRUE;
}

extern "C" int acrxGetApiVersion(int /*unused*/) {
  acutPrintf(L"testmodule: acrxGetApiVersion\n");
  return TESTMODULE_API_VERSION;
}

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
  acutPrintf(L"testmodule: acrxEntryPoint %d\n", static_cast<int>(msg));
  switch (msg) {
    case AcRx::kInitAppMsg: {
      AcRxDynamicLinker* linker =
          AcRxDynamicLinker::cast(acrxSysRegistry()->at(ACRX_DYNAMIC_LINKER));
#ifndef TESTMODULE_LOCKED
      linker->unlockApplication(appId);
#endif
      linker->registerAppMDIAware(appId);
      registerCommands();
      break;
    }
    case AcRx::kUnloadAppMsg:
#ifndef TESTMODULE_KEEP_COMMANDS
      AcEdCommandStack::cast(acrxSysRegistry()->at(ACRX_COMMAND_DOCK))->removeGroup(kGroup);
#endif
      break;
    default:
      break;
  }
  return AcRx::kRetOK;
}
