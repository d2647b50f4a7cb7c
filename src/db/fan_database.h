// CFanDatabase: the catalogue connection that knows where the catalogue file lies.
#pragma once

#include "db/ado_db.h"

class CFanDatabase : public CAdoDB {
 public:
  CFanDatabase() = default;
  ~CFanDatabase() override = default;

  // Opens <data library folder>\ZRFan.Mdb. Every failure has been shown to
  // the user by the time it returns FALSE.
  BOOL OpenFanDatabase();
};
