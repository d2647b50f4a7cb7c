// The document manager: the open drawing (the host keeps one at a time) and
// the stack of resource handles that commands push while they show their
// dialogs.
//
// The manager owns its documents and each document owns its database. Making
// a document current makes its database the working database
// (acdbHostApplicationServices()->workingDatabase()). Applications hear of
// documents through the dynamic linker: kLoadDwgMsg after a drawing has been
// opened or created, kUnloadDwgMsg before it is closed.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/windef.h"
#include "cad/adsdef.h"
#include "cad/runtime/rx_dictionary.h"

class AcDbDatabase;

class AcApDocument : public AcRxObject {
 public:
  ZRCAD_DECLARE_MEMBERS(AcApDocument)

  // Takes ownership of db. fileName is where the drawing is saved ("" for a
  // drawing that has never been saved).
  AcApDocument(AcDbDatabase* db, std::wstring fileName);
  ~AcApDocument() override;
  AcApDocument(const AcApDocument&) = delete;
  AcApDocument& operator=(const AcApDocument&) = delete;

  AcDbDatabase* database() const { return m_db; }
  // The full path, or "" before the first save.
  const ACHAR* fileName() const { return m_fileName.c_str(); }
  // The file name without its folder ("Drawing1.dwg" before the first save).
  const ACHAR* docTitle() const { return m_title.c_str(); }
  void setFileName(const std::wstring& fileName);

  // Whether closing the drawing now would lose work. With a history, undo and redo count:
  // back at the state opened or saved nothing is unsaved. A drawing never saved has nothing
  // to be back at: any change since it was made is unsaved, undone or not.
  bool hasUnsavedChanges() const;
  // The user has said, elsewhere (a window's question), that the unsaved work may go: the
  // next command that closes the drawing does not ask again.
  void allowDiscard() { m_discardAllowed = true; }
  bool takeDiscardAllowed() { return std::exchange(m_discardAllowed, false); }

 private:
  bool m_discardAllowed = false;
  AcDbDatabase* m_db;
  std::wstring m_fileName;
  std::wstring m_title;
};

class AcApDocManager : public AcRxObject {
 public:
  ZRCAD_DECLARE_MEMBERS(AcApDocManager)

  static AcApDocManager* instance();

  AcApDocument* curDocument() const { return m_current.get(); }
  AcApDocument* mdiActiveDocument() const { return m_current.get(); }
  int documentCount() const { return m_current ? 1 : 0; }

  // Makes hNewResourceHandle the current resource handle and remembers the one
  // it replaces; popResourceHandle restores it. A pop without a push does
  // nothing.
  void pushResourceHandle(HINSTANCE hNewResourceHandle);
  void popResourceHandle();
  size_t resourceHandleDepth() const { return m_resourceStack.size(); }

  // Host side: replaces the current document by doc (null: none). The old one
  // is announced to applications with kUnloadDwgMsg and destroyed; the new one
  // becomes current, its database the working database, and is announced with
  // kLoadDwgMsg; then the undo record of its database starts.
  void replaceDocument(std::unique_ptr<AcApDocument> doc);
  // Closes the current document (as replaceDocument(nullptr)).
  void closeDocument() { replaceDocument(nullptr); }

 private:
  std::unique_ptr<AcApDocument> m_current;
  std::vector<HINSTANCE> m_resourceStack;
};

AcApDocManager* acDocManagerPtr();
#define acDocManager acDocManagerPtr()
