// INSERT.
#include "insert_command.h"

#include <filesystem>
#include <memory>

#include "base/cstring.h"
#include "base/file_functions.h"
#include "cad/acdb.h"
#include "cad/aced.h"
#include "cad/runtime/input_request.h"

namespace fancad {

namespace {

// What the prompts collected.
struct Placement {
  AcDbObjectId block;
  AcGePoint3d position;
  double scale = 1;
  double rotation = 0;  // radians
  bool scaleGiven = false;
  bool rotationGiven = false;
};

// Defines a block from a drawing file named like the answer (with or without
// .dwg/.dxf); the block takes the file's base name. "" when done, else why.
std::string blockFromFile(AcDbDatabase* db, const std::string& answer, AcDbObjectId& id) {
  for (const char* ext : {"", ".dwg", ".dxf"}) {
    // The answer names a file: its bytes are kept as they are (base/utf8.h).
    const std::wstring file = zrbase::pathFromBytes(answer + ext);
    const std::string path = zrbase::nativePath(file);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) continue;
    AcDbDatabase source(false, true);
    if (source.readDwgFile(file.c_str(), _SH_DENYWR) != Acad::eOk) {
      return zrbase::wideToUtf8(source.lastErrorText());
    }
    const std::wstring name = zrbase::utf8ToWide(std::filesystem::path(path).stem().string());
    if (db->insert(id, name.c_str(), &source) != Acad::eOk) {
      return "cannot define block '" + zrbase::wideToUtf8(name) +
             "': " + zrbase::wideToUtf8(db->lastErrorText());
    }
    return {};
  }
  return "Block \"" + answer + "\" not found.";
}

std::string findBlock(AcDbDatabase* db, const std::string& text, AcDbObjectId& id) {
  const std::wstring name = zrbase::utf8ToWide(text);
  AcDbBlockTable* table = nullptr;
  if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk)
    return "The drawing has no block table.";
  const Acad::ErrorStatus es = table->getAt(name.c_str(), id);
  table->close();
  if (es != Acad::eOk) return blockFromFile(db, text, id);
  AcDbObjectPointer<AcDbBlockTableRecord> block(id, AcDb::kForRead);
  if (block && block->isLayout()) return "A layout (" + text + ") cannot be inserted.";
  return {};
}

// The insertion point, with the S and R options before it.
int askPoint(Placement& p) {
  for (;;) {
    acedInitGet(RSG_NONULL, L"Scale Rotate");
    ads_point pt;
    int rc;
    {
      // The block as it would be placed follows the cursor; a default not yet
      // answered shows as its default.
      const cadrt::ScopedInsertPreview ghost({p.block, p.scale, p.rotation});
      rc = acedGetPoint(nullptr, L"Specify insertion point or [Scale/Rotate]: ", pt);
    }
    if (rc == RTNORM) {
      p.position = AcGePoint3d(pt[0], pt[1], pt[2]);
      return RTNORM;
    }
    if (rc != RTKWORD) return rc;
    ACHAR kw[16];
    acedGetInput(kw, 16);
    int orc;
    if (kw[0] == L'S') {
      acedInitGet(RSG_NOZERO, nullptr);
      orc = acedGetReal(L"Specify scale factor for XYZ axes <1>: ", &p.scale);
      p.scaleGiven = orc == RTNORM || orc == RTNONE;
      if (orc == RTNONE) p.scale = 1;
    } else {
      orc = acedGetAngle(nullptr, L"Specify rotation angle <0>: ", &p.rotation);
      p.rotationGiven = orc == RTNORM || orc == RTNONE;
      if (orc == RTNONE) p.rotation = 0;
    }
    if (orc != RTNORM && orc != RTNONE) return orc;
  }
}

int askRest(Placement& p) {
  if (!p.scaleGiven) {
    acedInitGet(RSG_NOZERO, nullptr);
    const int rc = acedGetReal(L"Enter scale factor <1>: ", &p.scale);
    if (rc == RTNONE) p.scale = 1;
    if (rc != RTNORM && rc != RTNONE) return rc;
  }
  if (!p.rotationGiven) {
    const int rc = acedGetAngle(nullptr, L"Specify rotation angle <0>: ", &p.rotation);
    if (rc == RTNONE) p.rotation = 0;
    if (rc != RTNORM && rc != RTNONE) return rc;
  }
  return RTNORM;
}

// An attribute for each definition of the block that is not constant, with
// the definition's default value, placed through the reference's transform.
void addAttributes(AcDbBlockReference* ref) {
  AcDbObjectPointer<AcDbBlockTableRecord> block(ref->blockTableRecord(), AcDb::kForRead);
  if (!block || !block->hasAttributeDefinitions()) return;
  const AcGeMatrix3d xform = ref->blockTransform();
  for (AcDbObjectId id : block->entityIds()) {
    AcDbObjectPointer<AcDbAttributeDefinition> def(id, AcDb::kForRead);
    if (!def || def->isConstant()) continue;
    auto* attr = new AcDbAttribute(def->position(), def->textStringConst(), def->tagConst());
    attr->setPropertiesFrom(def.object());
    attr->setTextStyleName(def->textStyleName());
    attr->setHeight(def->height());
    attr->setRotation(def->rotation());
    attr->setWidthFactor(def->widthFactor());
    attr->setHorizontalMode(def->horizontalMode());
    attr->setVerticalMode(def->verticalMode());
    attr->setAlignmentPoint(def->alignmentPoint());
    attr->transformBy(xform);
    if (ref->appendAttribute(attr) != Acad::eOk) {
      delete attr;
      continue;
    }
    attr->close();
  }
}

int fail(const std::wstring& why) {
  cadrt::printLine(why);
  cadrt::noteCommandFailure(why);
  return RTERROR;
}

// A reference placed on a frozen or off layer would be there and not seen: the layer it
// goes on is thawed and turned on first, and the user told; one that cannot be is refused.
int makeLayerUsable(AcDbDatabase* db) {
  AcDbObjectPointer<AcDbLayerTableRecord> layer(db->clayer(), AcDb::kForRead);
  if (!layer) return fail(L"INSERT: the current layer cannot be opened.");
  if (!layer->isFrozen() && !layer->isOff()) return RTNORM;
  const std::wstring name = layer->name();
  const std::wstring was = layer->isFrozen() && layer->isOff() ? L"frozen and off"
                           : layer->isFrozen()                 ? L"frozen"
                                                               : L"off";
  if (layer->upgradeOpen() != Acad::eOk)
    return fail(L"INSERT: layer " + name + L" is " + was + L" and cannot be changed.");
  layer->setIsFrozen(false);
  layer->setIsOff(false);
  cadrt::printLine(L"Layer " + name + L" was " + was + L": thawed and turned on.");
  return RTNORM;
}

int placeReference(AcDbDatabase* db, const Placement& p) {
  if (const int rc = makeLayerUsable(db); rc != RTNORM) return rc;
  auto ref = std::make_unique<AcDbBlockReference>(p.position, p.block);
  ref->setDatabaseDefaults(db);
  ref->setScaleFactors(AcGeScale3d(p.scale));
  ref->setRotation(p.rotation);
  AcDbBlockTableRecord* space = nullptr;
  if (acdbOpenObject(space, db->currentSpaceId(), AcDb::kForWrite) != Acad::eOk) {
    return fail(L"INSERT: the model space cannot be opened.");
  }
  const Acad::ErrorStatus es = space->appendAcDbEntity(ref.get());
  space->close();
  if (es != Acad::eOk) {
    return fail(L"INSERT: the reference cannot be added to the drawing.");
  }
  AcDbBlockReference* added = ref.release();
  addAttributes(added);
  added->close();
  return RTNORM;
}

}  // namespace

int insertCommand() {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (!db) return fail(L"No drawing is open.");
  Placement p;
  std::string name;
  int rc = cadrt::promptChecked(
      L"Enter block name: ", cadrt::AnswerSpan::Word,
      [&](const std::string& text) { return findBlock(db, text, p.block); }, name);
  if (rc == RTNONE) return RTCAN;
  if (rc != RTNORM) return rc;
  if ((rc = askPoint(p)) != RTNORM) return rc;
  if ((rc = askRest(p)) != RTNORM) return rc;
  return placeReference(db, p);
}

void registerInsertCommand() {
  cadrt::CommandProcessor::instance().addHostCommand(L"INSERT", insertCommand);
}

}  // namespace fancad
