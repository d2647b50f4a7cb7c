// CViewDrawingCache.
#include "drawings/view_drawing_cache.h"

#include <sys/stat.h>

#include "base/file_functions.h"
#include "cad/db/dxf/dxf_file.h"

// What identifies a file's content without reading it. Saves are atomic
// renames, so a rewritten file is a new file (another inode) even when its
// size and time happen to match.
struct CViewDrawingCache::FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long long modifiedNs = 0;

  bool operator==(const FileStamp&) const = default;

  static bool Of(const CString& strPath, FileStamp& stamp) {
    struct stat st {};
    if (::stat(zrbase::nativePath(strPath).c_str(), &st) != 0) return false;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modifiedNs =
        static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return true;
  }
};

CViewDrawingCache::CViewDrawingCache() = default;
CViewDrawingCache::~CViewDrawingCache() = default;

void CViewDrawingCache::Forget() {
  m_pDb.reset();
  m_stamp.reset();
  m_strPath.Empty();
  m_strOnlyBlock.Empty();
}

AcDbDatabase* CViewDrawingCache::Get(const CString& strPath, int nShareMode) {
  return Read(strPath, nullptr, nShareMode);
}

AcDbDatabase* CViewDrawingCache::GetForBlock(const CString& strPath, const CString& strBlock,
                                             int nShareMode) {
  return Read(strPath, &strBlock, nShareMode);
}

AcDbDatabase* CViewDrawingCache::Read(const CString& strPath, const CString* pBlock,
                                      int nShareMode) {
  FileStamp stamp;
  // The stamp is taken before reading: a write during the read leaves a stamp
  // that no longer matches, and the next request reads the file again. A file
  // that cannot even be looked at cannot be read either.
  if (!FileStamp::Of(strPath, stamp)) {
    Forget();
    return nullptr;
  }
  const bool bSameFile = m_pDb && m_stamp && strPath == m_strPath && *m_stamp == stamp;
  // The name as given, letter case and all: another spelling reads the file
  // whole rather than trust a match the drawing might not make.
  if (bSameFile && (m_strOnlyBlock.IsEmpty() || (pBlock && *pBlock == m_strOnlyBlock)))
    return m_pDb.get();
  // One block is read alone only for the first request of a file: one that
  // asks for another block next is likely to go on through them all.
  const bool bOneBlock = pBlock && !pBlock->IsEmpty() && !bSameFile;
  Forget();
  auto pDb = std::make_unique<AcDbDatabase>(false, true);
  bool bWhole = true;
  const Acad::ErrorStatus es = bOneBlock
                                   ? zrcad::dxf::readDwgFileForBlock(pDb.get(), strPath, nShareMode,
                                                                     pBlock->GetString(), bWhole)
                                   : pDb->readDwgFile(strPath, nShareMode);
  if (es != Acad::eOk) {
    m_strLastError = pDb->lastErrorText();
    return nullptr;
  }
  m_strLastError.Empty();
  m_strPath = strPath;
  m_stamp = std::make_unique<FileStamp>(stamp);
  m_pDb = std::move(pDb);
  if (!bWhole) m_strOnlyBlock = *pBlock;
  return m_pDb.get();
}
