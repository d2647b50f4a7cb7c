// A placed fan's record: what the drawing keeps of each fan beside the five
// entries the placement writes (Model, LabelModel, PLAN, NAME, VACType).
//
// The record is the xdata of our own registered application ZRFAN_RECORD on
// the fan's reference, after those five: a version (1070), then (key, value)
// pairs, each key a string (1000) and each value a string (1000) or a real
// (1040). Keys the reader does not know are skipped, so a later version may
// add some; an entry missing from the record is a value not known when the
// fan was placed (no duty point for a fan found by browsing). One table of
// keys drives both reading and writing.
#pragma once

#include <optional>

#include "base/cstring.h"
#include "cad/acdb.h"

inline constexpr const ACHAR* kFanRecordApp = L"ZRFAN_RECORD";
inline constexpr int kFanRecordVersion = 1;

// How the fan was chosen: the FAN dialog's browsing or its selection by
// parameters, or FANDUTY (which opens the dialog on its candidate).
enum class FanSource { Browse = 0, Parameters = 1, Duty = 2 };

struct FanRecord {
  int version = kFanRecordVersion;
  CString tag;  // F-1, F-2, ... (prefix: TagPrefix of the drawing)
  CString series;
  CString fanNo;
  CString drive;
  CString speed;  // r/min, as the catalogue lists it
  FanSource source = FanSource::Browse;
  // The duty asked for (selection by parameters and FANDUTY).
  std::optional<double> flow;         // m³/h
  std::optional<double> pressure;     // Pa, total
  std::optional<double> airTemp;      // °C
  std::optional<double> atmPressure;  // Pa
  // What FANDUTY computed at the operating point, in the actual air.
  std::optional<double> pointFlow;      // m³/h
  std::optional<double> pointPressure;  // Pa
  std::optional<double> efficiency;     // %
  std::optional<double> shaftPower;     // kW
  std::optional<double> motorPower;     // kW
  CString motor;                        // the catalogue's motor model
  CString catalogue;                    // path of the catalogue file the fan came from
};

// The record as an xdata chain starting with the 1001 of kFanRecordApp (free
// with acutRelRb).
resbuf* FanRecordChain(const FanRecord& record);
// The record a chain of xdata holds (the first 1001 kFanRecordApp group in
// it); nullopt when the chain holds none.
std::optional<FanRecord> FanRecordFromChain(const resbuf* chain);

// Stores the record on the object, replacing the record it had and leaving
// every other application's xdata as it is. False when the object cannot be
// opened for write or the record does not fit.
bool WriteFanRecord(AcDbObjectId id, const FanRecord& record);
std::optional<FanRecord> ReadFanRecord(const AcDbObject* pObject);

// The record of a fan edited in place (FANEDIT) to the model of placed, the
// record a placement from the dialog would write: its tag stays the old one.
// The same model chosen by browsing keeps the old record whole (FANDUTY's
// operating point is still that fan's); otherwise the duty the old record
// asked for stays when placed brings none, as the system the fan serves has
// not changed, but the old operating point, worked out for another model,
// goes. Without an old record the tag is empty, for the next free one.
FanRecord EditedFanRecord(const std::optional<FanRecord>& old, FanRecord placed);
