// The probe-then-open order of the module's queries.
#include "db/probe_query.h"

_RecordsetPtr ProbeAndOpen(CAdoDB& db, LPCTSTR lpszSql) {
  if (!db.Execute(lpszSql)) return nullptr;
  return db.OpenRecordset(lpszSql);
}
