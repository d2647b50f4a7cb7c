// CViewDrawingCache: the view drawing the dialog read last, kept for as long
// as its file stays the same.
//
// Every change of view, hand or angle, and every keystroke in the angle field,
// reloads the preview from the model's view drawing, and each placement reads
// it again; reading a drawing of some hundred blocks costs far more than all
// the rest of those actions (see bench/drawings). The file is the same between
// them, so it is read once and the database kept: a later request finds the
// file by its path and is served from memory while the file's identity, size
// and modification time are unchanged. Any write to the file (our own saves
// replace it with a new file; another program's write changes its time or
// size) makes the next request read it again.
//
// The dialog's first preview of a model needs one block of the drawing: that
// request reads the tables and that block's definition alone (a large view
// drawing holds hundreds), and the database kept then serves that block only.
// A request for another block of it, or for the whole drawing (placement),
// reads the file whole; the whole drawing serves any block.
//
// The cached database is only ever read: callers that change a view drawing
// read their own copy, change and save it, and the cache notices the save.
#pragma once

#include <memory>

#include "base/cstring.h"
#include "cad/acdb.h"

class CViewDrawingCache {
 public:
  CViewDrawingCache();
  ~CViewDrawingCache();
  CViewDrawingCache(const CViewDrawingCache&) = delete;
  CViewDrawingCache& operator=(const CViewDrawingCache&) = delete;

  // The drawing at strPath as its file is now, read with readDwgFile and the
  // share mode given when the file is not the one read last; null when it
  // cannot be read. The database stays the cache's, valid until the next call
  // or the cache's end; callers open its objects for reading only.
  AcDbDatabase* Get(const CString& strPath, int nShareMode);
  // The same for a caller that copies block strBlock out of the drawing and
  // looks at the names in its block table, no more: the database may hold
  // the other blocks without their entities, and no model space.
  AcDbDatabase* GetForBlock(const CString& strPath, const CString& strBlock, int nShareMode);
  // Forgets the drawing kept.
  void Forget();
  // Why the last Get that read a file could not read it ("" after one that could).
  const CString& LastErrorText() const { return m_strLastError; }

 private:
  struct FileStamp;
  // Get and GetForBlock: pBlock names the one block needed, or is null.
  AcDbDatabase* Read(const CString& strPath, const CString* pBlock, int nShareMode);
  CString m_strPath;
  std::unique_ptr<FileStamp> m_stamp;
  std::unique_ptr<AcDbDatabase> m_pDb;
  // The block whose entities alone m_pDb holds; empty when it holds the whole
  // drawing.
  CString m_strOnlyBlock;
  CString m_strLastError;
};
