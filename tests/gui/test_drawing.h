// Small drawings for the desktop front end's tests, built entity by entity in
// a database of their own.
#pragma once

#include <memory>
#include <string>

#include "cad/acdb.h"

namespace guitest {

class TestDrawing {
 public:
  TestDrawing();
  AcDbDatabase* db() const { return m_db.get(); }
  // Gives the database away (a document takes it).
  AcDbDatabase* release() { return m_db.release(); }

  // A layer with a colour; off and frozen as asked.
  AcDbObjectId layer(const wchar_t* name, int color, bool off = false, bool frozen = false);
  // A block definition (empty) with its origin.
  AcDbObjectId block(const wchar_t* name, AcGePoint3d origin = AcGePoint3d());

  // Entities go into the model space unless a block is given. color 256 is
  // BYLAYER, 0 BYBLOCK; layer null is the current layer.
  AcDbObjectId add(AcDbEntity* e, int color = 256, const wchar_t* layer = nullptr,
                   AcDbObjectId block = AcDbObjectId());
  AcDbObjectId line(AcGePoint3d a, AcGePoint3d b, int color = 256, const wchar_t* layer = nullptr,
                    AcDbObjectId block = AcDbObjectId());
  AcDbObjectId reference(AcDbObjectId block, AcGePoint3d at, double scale = 1, double rotation = 0,
                         int color = 256, const wchar_t* layer = nullptr,
                         AcDbObjectId into = AcDbObjectId());
  // An attribute on a reference, at a world position.
  AcDbObjectId attribute(AcDbObjectId reference, AcGePoint3d at, const wchar_t* tag,
                         const wchar_t* value, double height, bool invisible = false);

 private:
  std::unique_ptr<AcDbDatabase> m_db;
};

}  // namespace guitest
