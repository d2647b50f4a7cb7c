// ProbeAndOpen: how every query of the module reaches the catalogue.
#pragma once

#include "db/ado_db.h"

// Runs the statement through Execute first, as a probe, and only when that
// succeeds opens a recordset on the same text; null when either failed (the
// wrapper has told the user). Each query therefore runs twice, on purpose: a
// statement the catalogue refuses (a missing table, a quote in a value) is
// reported once, by the probe, with its text, and the caller stops before any
// recordset exists; users and the tests know exactly that message. The data
// layer answers the second run of an unchanged catalogue from its result cache,
// so the probe does not double the work. Do not fold the two into one call.
_RecordsetPtr ProbeAndOpen(CAdoDB& db, LPCTSTR lpszSql);
