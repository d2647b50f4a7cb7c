// SetXdata.
#include "cadkit/xdata.h"

int SetXdata(AcDbObjectId id, const ACHAR* name, const ACHAR* value) {
  if (name == nullptr || *name == 0 || id.isNull() || id.database() == nullptr) return 0;
  AcDbObject* obj = nullptr;
  if (acdbOpenObject(obj, id, AcDb::kForWrite) != Acad::eOk) return 0;
  resbuf* chain = acutBuildList(1001, name, 1000, value ? value : L"", 0);
  // setXData registers the application with the drawing, and only once the
  // value is known to fit, so a refused value changes nothing.
  const Acad::ErrorStatus es = chain ? obj->setXData(chain) : Acad::eInvalidInput;
  acutRelRb(chain);
  obj->close();
  return es == Acad::eOk ? 1 : 0;
}
