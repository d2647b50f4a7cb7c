// Reading and writing whole drawings as DXF text.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "cad/adsdef.h"
#include "cad/db/dxf/dxf_tags.h"
#include "cad/db/dxf/tag_writer.h"

class AcDbDatabase;

namespace zrcad::dxf {

// Reads DXF text into an empty database. On failure the database may hold part of the
// drawing (the caller clears it) and message says why, with the line number.
// passed, when given, is told from time to time of text the reader is done with; it may be
// called from the reader's second thread (a large drawing) as well as the caller's.
Acad::ErrorStatus readDxf(AcDbDatabase* db, std::string_view text, std::string& message,
                          const TextPassed& passed = {});
// Reads of the drawing file only what a copy of block `block` (wblock) and a look at the block
// table need, into db, which must be empty: the header, classes, tables and objects, every
// block's BLOCK and ENDBLK records, and the entities of that block alone; the others' and
// model space's are passed over unread, and faults in them are not seen. When that is not
// enough (a file of R12 or without block records; the block holds references, which need
// other blocks; anything wrong with what it reads) the file is read whole with readDwgFile,
// whose status and message are the result, and whole is set.
Acad::ErrorStatus readDwgFileForBlock(AcDbDatabase* db, const ACHAR* fileName, int shareMode,
                                      const ACHAR* block, bool& whole);
// Drawings of at least this many bytes (4 MB unless set) are read on two threads, the
// database being the same as a read on one; for tests, which compare the two.
void setParallelReadBytes(size_t bytes);
// Writes the database as DXF R2010 into out. Gives handles to records that lack them and
// registers the applications named by xdata, so the database may change.
void writeDxf(AcDbDatabase* db, std::string& out);
// The same, handing the text to sink in pieces; out serves as the buffer.
void writeDxf(AcDbDatabase* db, std::string& out, const TextSink& sink);
// The DXF text of a new drawing: the tables, blocks and objects every drawing has, undated.
std::string_view defaultDrawingText();
// Reads the default drawing into an empty database and dates it created now (by the
// drawing clock).
Acad::ErrorStatus newDrawing(AcDbDatabase* db, std::string& message);

}  // namespace zrcad::dxf
