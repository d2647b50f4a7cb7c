// Dialogs and everything they are built from; the same set as afxwin.h, under
// the name the module's dialog code includes.
#pragma once

#include "afxwin.h"
