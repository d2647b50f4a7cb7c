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
  // Forgets the drawing kept.
  void Forget();
  // Why the last Get that read a file could not read it ("" after one that could).
  const CString& LastErrorText() const { return m_strLastError; }

 private:
  struct FileStamp;
  CString m_strPath;
  std::unique_ptr<FileStamp> m_stamp;
  std::unique_ptr<AcDbDatabase> m_pDb;
  CString m_strLastError;
};
