// Fuzzes the DXF reader: any input is read or refused without a crash, and whatever is read
// is written as a drawing that reads back.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cad/acdb.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  AcDbDatabase db(false);
  if (db.readDxfText(text) != Acad::eOk) return 0;
  std::string out;
  if (db.writeDxfText(out) != Acad::eOk) return 0;
  AcDbDatabase again(false);
  if (again.readDxfText(out) != Acad::eOk) std::abort();  // we wrote what we cannot read
  return 0;
}
