// The module's entry points and its command, as the host sees them.
#pragma once

#include "base/windef.h"
#include "cad/aced.h"

extern "C" {
BOOL DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved);
AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt);
int acrxGetApiVersion(int nReset);
}

void InitApplication();
void UnloadApplication();
void AddCommand(const ACHAR* cmdGroup, const ACHAR* cmdInt, const ACHAR* cmdLoc, int cmdFlags,
                AcRxFunctionPtr cmdProc, int idLocal = -1);
void FanCommand();
