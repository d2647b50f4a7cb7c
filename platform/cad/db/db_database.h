// AcDbDatabase: one drawing in memory, read from and written to DXF files.
//
// The database owns every object in it (tables, records, entities, objects kept from the
// file) and frees them when it is deleted; ids of its objects are valid until then.
// Everything read that is not modeled (other tables and entities, objects, classes, header
// variables) is kept with its handle and written back unchanged.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cad/adsdef.h"
#include "cad/db/db_block_table.h"
#include "cad/db/db_symbol_table.h"
#include "cad/db/ge_geometry.h"
#include "cad/db/object_id.h"
#include "cad/db/undo_record.h"

namespace zrcad {
struct DatabaseImpl;
}

class AcDbDatabase {
 public:
  // buildDefaultDrawing: the tables and entries every drawing has (*Model_Space,
  // *Paper_Space, layer "0", line types, text style, ...). Without it the database is empty
  // until readDwgFile fills it. noDocument is accepted for the host's signature.
  explicit AcDbDatabase(bool buildDefaultDrawing = true, bool noDocument = false);
  ~AcDbDatabase();
  AcDbDatabase(const AcDbDatabase&) = delete;
  AcDbDatabase& operator=(const AcDbDatabase&) = delete;

  // Reads an ASCII DXF file (R12 to R2018) into this database, normally one built without
  // the default drawing; a database that holds a drawing already is emptied first (ids of
  // its objects become invalid). Binary DWG and binary DXF are refused. Errors:
  // eFileNotFound, eFileAccessErr, eDwgNotRecoverable (binary DWG), eBadDxfFile (damaged or
  // unknown content, or what is not a regular file); the database is then empty and
  // lastErrorText() says why. The share mode is accepted; the file is read whole at once.
  // Temporary files that killed saves of this drawing left beside it are removed.
  Acad::ErrorStatus readDwgFile(const ACHAR* fileName, int shmode = _SH_DENYWR,
                                bool allowCPConversion = false, const wchar_t* password = nullptr);
  // Reads DXF text from memory (used by tests and fuzzing); name is used in messages.
  Acad::ErrorStatus readDxfText(std::string_view text, const ACHAR* name = L"(memory)");

  // Writes the drawing as DXF R2010 (UTF-8) to fileName, through symbolic links to the file
  // they lead to, atomically and keeping the file's mode and owner (drawing_files.h). Only
  // a regular, writable file is saved over: eIsWriteProtected for a read-only one,
  // eFileAccessErr for a device, FIFO or folder and for what cannot be written, eOutOfDisk;
  // lastErrorText() says why, and a failed save leaves the old file as it was.
  Acad::ErrorStatus saveAs(const ACHAR* fileName);
  // Saves to the file last read or saved (eNoInputFiler when there is none).
  Acad::ErrorStatus save();
  // The DXF text that saveAs would write.
  Acad::ErrorStatus writeDxfText(std::string& out);
  Acad::ErrorStatus getFilename(const ACHAR*& fileName) const;

  // A new database (the caller deletes it) whose model space holds copies of the entities
  // of block blockId, with the block definitions they refer to and their layers; its
  // insertion base is the block's origin.
  Acad::ErrorStatus wblock(AcDbDatabase*& pOutputDb, AcDbObjectId blockId);
  // A new database (the caller deletes it) whose model space holds copies of the given
  // entities of this drawing, in the order given, with the block definitions and layers they
  // need; its insertion base is basePoint. eInvalidInput (and no database) when an id is not
  // a live entity of a block of this drawing (layouts included), or comes twice.
  Acad::ErrorStatus wblock(AcDbDatabase*& pOutputDb, const AcDbObjectIdArray& outObjIds,
                           const AcGePoint3d& basePoint);
  // Defines (or redefines) block blockName in this database from the model space of
  // source, with the source's insertion base as the block's origin; block definitions and
  // layers the entities need come along (existing ones of the same name are kept).
  Acad::ErrorStatus insert(AcDbObjectId& blockId, const ACHAR* blockName, AcDbDatabase* source,
                           bool preserveSourceDatabase = true);

  Acad::ErrorStatus getBlockTable(AcDbBlockTable*& table, AcDb::OpenMode mode = AcDb::kForRead);
  Acad::ErrorStatus getLayerTable(AcDbLayerTable*& table, AcDb::OpenMode mode = AcDb::kForRead);
  Acad::ErrorStatus getRegAppTable(AcDbRegAppTable*& table, AcDb::OpenMode mode = AcDb::kForRead);
  Acad::ErrorStatus getSymbolTable(AcDbBlockTable*& t, AcDb::OpenMode mode) {
    return getBlockTable(t, mode);
  }
  Acad::ErrorStatus getSymbolTable(AcDbLayerTable*& t, AcDb::OpenMode mode) {
    return getLayerTable(t, mode);
  }
  Acad::ErrorStatus getSymbolTable(AcDbRegAppTable*& t, AcDb::OpenMode mode) {
    return getRegAppTable(t, mode);
  }
  AcDbObjectId blockTableId() const;
  AcDbObjectId layerTableId() const;
  AcDbObjectId regAppTableId() const;
  AcDbObjectId modelSpaceId() const;
  AcDbObjectId paperSpaceId() const;
  AcDbObjectId currentSpaceId() const { return modelSpaceId(); }

  AcDbObjectId clayer() const;
  Acad::ErrorStatus setClayer(AcDbObjectId layerId);
  AcGePoint3d insbase() const;
  Acad::ErrorStatus setInsbase(const AcGePoint3d& base);

  // The id of the object with the given handle; with createIfNotFound a placeholder id
  // is made for a handle not yet used (eInvalidInput for one above the largest a drawing
  // may hold, dxf::kMaxHandle). eUnknownHandle otherwise.
  Acad::ErrorStatus getAcDbObjectId(AcDbObjectId& retId, bool createIfNotFound,
                                    const AcDbHandle& objHandle, Adesk::UInt32 xRefId = 0);
  // Adds an object owned by the database itself (not by a table or block).
  Acad::ErrorStatus addAcDbObject(AcDbObjectId& id, AcDbObject* obj);
  // Registers an application name (no-op when present); its record id in id.
  Acad::ErrorStatus registerApplication(const ACHAR* appName, AcDbObjectId* id = nullptr);
  // The undo record (see undo_record.h). Off until enabled: the host's documents enable it
  // once their drawing is read, so the history starts at the drawing as opened; turning it
  // off drops the history. Reading a file into the database starts a new history.
  void enableUndoRecording(bool on);
  bool undoRecording() const;
  // The changes since the last step become one step named name (nothing when there were
  // none); the steps undone and not redone are dropped when a new step is made.
  void closeUndoStep(const std::wstring& name = L"");
  // Steps back (forward) through up to steps steps; returns their names in the order they
  // were undone (redone). Fewer, or none, when the history ends first.
  std::vector<std::wstring> undo(int steps);
  std::vector<std::wstring> redo(int steps);
  int undoStepCount() const;
  int redoStepCount() const;
  // A point to come back to within the changes not yet made an undo step. An edit that may
  // still be given up (a placement cancelled at its insertion point) takes one first, and
  // when it is given up rolls back to it: the changes made since are taken back and leave no
  // trace in the history, and the drawing counts as modified only if it did at the mark.
  // Nothing is taken back while changes are not recorded.
  zrcad::UndoMark undoMark();
  void rollBackTo(const zrcad::UndoMark& mark);
  // Whether the drawing differs from the one opened or last saved, undo and redo counted
  // (false while changes are not recorded).
  bool isModified() const;

  // Erases each object of ids that is closed and may be erased, as opening it for write
  // and erasing it would, but recording only the erased state for undo (no copy of the
  // object): what ERASE on a large selection needs. Returns how many were erased.
  int eraseObjects(const std::vector<AcDbObjectId>& ids);

  // Leaves in ids the block definitions and layers that nothing refers to and that a
  // drawing can lose (not layer 0 or DEFPOINTS, not the layouts, not what comes from an
  // external reference); the rest are taken out. Erasing what is left is a purge; a
  // block's own entities count until the block is erased, so purging again may find more.
  Acad::ErrorStatus purge(AcDbObjectIdArray& ids);

  // Number of objects with handles, erased ones included.
  int approxNumObjects() const;
  // The text of the last error of readDwgFile, saveAs, wblock or insert ("" after success).
  const ACHAR* lastErrorText() const;

  // A stamp that moves on whenever an object of the database is added or opened for write,
  // or the current layer or insertion base is set. Stamps come from one counter of the
  // process, so no two states of any databases share one: a front end that drew the
  // drawing at one stamp redraws when the stamp differs.
  std::uint64_t changeStamp() const;
  // Whether the drawing changed since it was built, read or last saved (the host's DBMOD):
  // what the host asks before a drawing with unsaved changes is closed.
  bool isModifiedSinceSave() const;

  zrcad::DatabaseImpl& impl() const { return *m_impl; }

 private:
  // readDxfText; passed (when given) is told now and then how much of the text the reader is
  // done with, so that a mapped file can give those pages back. Binary content is refused
  // here only for text without passed (readDwgFile refuses it before).
  Acad::ErrorStatus readText(std::string_view text, const ACHAR* name,
                             const std::function<void(size_t, size_t)>& passed);
  std::unique_ptr<zrcad::DatabaseImpl> m_impl;
};

// The host's services: which database the commands work on.
class AcDbHostApplicationServices {
 public:
  AcDbDatabase* workingDatabase() const { return m_working; }
  // Documents call this when they become current; null clears it.
  void setWorkingDatabase(AcDbDatabase* db) { m_working = db; }

 private:
  AcDbDatabase* m_working = nullptr;
};

AcDbHostApplicationServices* acdbHostApplicationServices();
inline AcDbDatabase* acdbCurDwg() { return acdbHostApplicationServices()->workingDatabase(); }
