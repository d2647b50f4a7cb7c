// The accessories a model's catalogue rows list, for its data sheet: the
// table <series>_<drive mode>_Accessory (the model's ID, each item's name,
// type, quantity and remark), the same rows FANSCHED joins into one cell and
// the model editor's accessory grid shows.
//
// Only read: the statement is the model editor's own for a model's accessory
// rows (db/catalogue_statements.h), so a catalogue on a server answers it as
// it answers the editor. A column the table lacks reads as empty; the
// placeholder row a new model gets (no name) is not an accessory.
#pragma once

#include <vector>

#include "ado/ado.h"
#include "base/cstring.h"

namespace duty {

struct Accessory {
  CString name;      // 减振器, 电机, ...
  CString type;      // the item's type or size
  CString quantity;  // as the catalogue writes it
  CString remark;
};

struct AccessoryList {
  std::vector<Accessory> items;  // in the table's order
  // Why the table could not be read (missing, no catalogue); empty when it
  // was, even with no rows.
  CString problem;
};

// The accessories of the model with this ID, series and drive mode.
AccessoryList readAccessories(const _ConnectionPtr& connection, const CString& series,
                              const CString& driveMode, int modelId);

}  // namespace duty
