// The undo record of a drawing database: what each command changed, so that it can be
// stepped back and forward exactly.
//
// Changes are recorded into a pending step; closeStep() makes it one step of the history
// (the command processor closes a step when a command typed at the prompt ends, so a
// command and everything it drives through acedCommand is one step). What is recorded:
// - an object that is created: undone by marking it erased, redone by restoring the erased
//   state it had (its handle and id stay its own all along);
// - an object about to change (opened for write, or changed by the database itself): an
//   exact copy of its state, taken once per step; undo and redo swap the copy and the live
//   state, so ids, handles, xdata, block contents and sub-record handles all come back;
// - the current layer and insertion base of the drawing.
// Recording costs one copy per object a step changes; nothing for what it does not touch.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cad/db/ge_geometry.h"
#include "cad/db/object_id.h"

class AcDbObject;

namespace zrcad {

struct DatabaseImpl;

// True while an exact copy for the undo record is being made: copy constructors then keep
// ids, sub-record handles and owned lists instead of making a new object's copy.
bool exactCopying();
// The exact state copy of obj (no stub, closed).
AcDbObject* exactCopy(const AcDbObject* obj);

// A point within the changes not yet made a step, to roll back to (UndoRecord::mark).
struct UndoMark {
  std::size_t entries = 0;  // changes recorded in the pending step by then
  bool hasState = false;
  AcDbObjectId clayer;
  AcGePoint3d insbase;
  std::uint64_t changeStamp = 0;  // the database's then (AcDbDatabase::changeStamp)
  bool recording = false;         // whether changes were recorded then
};

class UndoRecord {
 public:
  explicit UndoRecord(DatabaseImpl& impl) : m_impl(impl) {}
  ~UndoRecord();
  UndoRecord(const UndoRecord&) = delete;
  UndoRecord& operator=(const UndoRecord&) = delete;

  // Before obj (an object of this database) changes.
  void noteChange(AcDbObject* obj);
  // After a new object got its stub.
  void noteCreated(AcDbStub* stub);
  // Before an erase that changes nothing else (the erased state is all that is kept).
  void noteErase(AcDbObject* obj);
  // Before the current layer or insertion base changes.
  void noteDrawingState();

  // Makes the pending changes one step named name (nothing when nothing was recorded); the
  // steps that were undone and not redone are dropped then.
  void closeStep(const std::wstring& name);
  // Steps back (forward) up to n steps; the names of the steps, most recent first for undo.
  std::vector<std::wstring> undo(int n);
  std::vector<std::wstring> redo(int n);
  size_t undoCount() const { return m_position; }
  size_t redoCount() const { return m_steps.size() - m_position; }

  // A point in the pending step; rollBack(mark) takes back every change recorded since
  // and drops it from the step, as though it had never been made.
  UndoMark mark();
  void rollBack(const UndoMark& mark);

  // Whether the drawing differs from the one last opened or saved.
  bool modified() const;
  void markSaved();

 private:
  enum class Kind { kCreated, kChanged, kErased };
  struct Entry {
    Kind kind = Kind::kCreated;
    AcDbStub* stub = nullptr;
    std::unique_ptr<AcDbObject> other;  // the state to swap in; null for a created object
    AcDbObjectId owner;                 // the owner and erased state that go with it
    bool erased = false;
  };
  struct DrawingState {
    AcDbObjectId clayer;
    AcGePoint3d insbase;
  };
  struct Step {
    std::wstring name;
    std::vector<Entry> entries;
    bool hasState = false;
    DrawingState before, after;
    bool empty() const { return entries.empty() && !hasState; }
  };

  DrawingState currentState() const;
  void applyState(const DrawingState& s);
  void swap(Entry& e);
  void flipCreated(Entry& e, bool undoing);
  void flipErased(Entry& e);
  void apply(Entry& e, bool undoing);

  DatabaseImpl& m_impl;
  Step m_pending;
  std::vector<Step> m_steps;
  size_t m_position = 0;          // steps applied
  size_t m_saved = 0;             // m_position when saved; npos when no longer reachable
  bool m_savedInPending = false;  // saved while the pending step held changes
  std::uint32_t m_mark = 1;       // stubs marked with it were recorded in the pending step
};

}  // namespace zrcad
