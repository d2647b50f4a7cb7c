// Documents and the document manager.
#include "cad/runtime/doc_manager.h"

#include <filesystem>

#include "base/cstring.h"
#include "base/module_instance.h"
#include "cad/acdb.h"
#include "cad/runtime/dynamic_linker.h"
#include "cad/runtime/selection_set.h"

ZRCAD_DEFINE_MEMBERS(AcApDocument, AcRxObject, "")
ZRCAD_DEFINE_MEMBERS(AcApDocManager, AcRxObject, "")

AcApDocument::AcApDocument(AcDbDatabase* db, std::wstring fileName) : m_db(db) {
  setFileName(fileName);
}

AcApDocument::~AcApDocument() { delete m_db; }

bool AcApDocument::hasUnsavedChanges() const {
  if (!m_db) return false;
  if (!m_db->undoRecording()) return m_db->isModifiedSinceSave();
  return m_db->isModified() || (m_fileName.empty() && m_db->isModifiedSinceSave());
}

void AcApDocument::setFileName(const std::wstring& fileName) {
  m_fileName = fileName;
  if (fileName.empty()) {
    m_title = L"Drawing1.dwg";
  } else {
    const std::filesystem::path p(zrbase::wideToUtf8(fileName));
    m_title = zrbase::utf8ToWide(p.filename().string());
  }
}

AcApDocManager* AcApDocManager::instance() {
  static AcApDocManager manager;
  return &manager;
}

void AcApDocManager::pushResourceHandle(HINSTANCE hNewResourceHandle) {
  m_resourceStack.push_back(AfxGetResourceHandle());
  AfxSetResourceHandle(hNewResourceHandle);
}

void AcApDocManager::popResourceHandle() {
  if (m_resourceStack.empty()) return;
  AfxSetResourceHandle(m_resourceStack.back());
  m_resourceStack.pop_back();
}

void AcApDocManager::replaceDocument(std::unique_ptr<AcApDocument> doc) {
  AcRxDynamicLinker* linker = AcRxDynamicLinker::instance();
  if (m_current) {
    linker->sendAcrxMessage(AcRx::kUnloadDwgMsg);
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    // Entity and selection-set names point into the drawing that goes.
    cadrt::clearSelectionSets();
    m_current.reset();
  }
  m_current = std::move(doc);
  if (m_current) {
    acdbHostApplicationServices()->setWorkingDatabase(m_current->database());
    linker->sendAcrxMessage(AcRx::kLoadDwgMsg);
    // The drawing as opened, with what applications added on hearing of it, is where
    // its undo history starts.
    if (AcDbDatabase* db = m_current->database()) db->enableUndoRecording(true);
  }
}

AcApDocManager* acDocManagerPtr() { return AcApDocManager::instance(); }
