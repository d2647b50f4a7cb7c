// The undo record.
#include "cad/db/undo_record.h"

#include <algorithm>

#include "cad/db/database_impl.h"

namespace zrcad {

namespace {

thread_local bool t_exactCopying = false;

// Table indexes are caches of their records' names and erased states: after a swap they
// are rebuilt on the next lookup.
void invalidateIndexes(AcDbObject* obj) {
  if (auto* table = AcDbSymbolTable::cast(obj)) table->invalidateIndex();
  const AcDbObjectId owner = obj->ownerId();
  if (!owner.isNull() && owner.stub()->object)
    if (auto* table = AcDbSymbolTable::cast(owner.stub()->object)) table->invalidateIndex();
}

}  // namespace

bool exactCopying() { return t_exactCopying; }

AcDbObject* exactCopy(const AcDbObject* obj) {
  t_exactCopying = true;
  AcDbObject* copy = DbAccess::cloneObject(obj);
  t_exactCopying = false;
  DbAccess::setOpenState(copy, 0, false);
  return copy;
}

UndoRecord::~UndoRecord() = default;

void UndoRecord::noteChange(AcDbObject* obj) {
  AcDbStub* stub = DbAccess::stub(obj);
  if (stub == nullptr || stub->undoMark == m_mark) return;
  stub->undoMark = m_mark;
  Entry e;
  e.kind = Kind::kChanged;
  e.stub = stub;
  e.other.reset(exactCopy(obj));
  e.owner = obj->ownerId();
  e.erased = obj->isErased();
  m_pending.entries.push_back(std::move(e));
}

void UndoRecord::noteCreated(AcDbStub* stub) {
  stub->undoMark = m_mark;
  Entry e;
  e.stub = stub;
  m_pending.entries.push_back(std::move(e));
}

void UndoRecord::noteErase(AcDbObject* obj) {
  AcDbStub* stub = DbAccess::stub(obj);
  // A copy taken in this step restores the erased state already. The stub is not marked:
  // a later change in the step still needs its copy.
  if (stub == nullptr || stub->undoMark == m_mark) return;
  Entry e;
  e.kind = Kind::kErased;
  e.stub = stub;
  e.erased = obj->isErased();
  m_pending.entries.push_back(std::move(e));
}

void UndoRecord::noteDrawingState() {
  if (m_pending.hasState) return;
  m_pending.hasState = true;
  m_pending.before = currentState();
}

UndoRecord::DrawingState UndoRecord::currentState() const {
  return {m_impl.clayer, m_impl.insbase};
}

void UndoRecord::applyState(const DrawingState& s) {
  m_impl.clayer = s.clayer;
  m_impl.insbase = s.insbase;
}

void UndoRecord::closeStep(const std::wstring& name) {
  if (m_pending.empty()) return;
  if (m_pending.hasState) m_pending.after = currentState();
  if (m_position < m_steps.size()) {
    m_steps.erase(m_steps.begin() + static_cast<long>(m_position), m_steps.end());
    if (m_saved != static_cast<size_t>(-1) && m_saved > m_position && !m_savedInPending)
      m_saved = static_cast<size_t>(-1);
  }
  m_pending.name = name;
  m_steps.push_back(std::move(m_pending));
  m_pending = Step();
  ++m_position;
  m_savedInPending = false;
  // A new mark, so that the next step records again what this one recorded.
  ++m_mark;
}

void UndoRecord::swap(Entry& e) {
  AcDbStub* stub = e.stub;
  AcDbObject* live = stub->object;
  AcDbObject* other = e.other.release();
  const AcDbObjectId liveOwner = live->ownerId();
  const bool liveErased = live->isErased();
  DbAccess::bind(other, stub);
  DbAccess::setOwner(other, e.owner);
  DbAccess::setErased(other, e.erased);
  stub->object = other;
  e.other.reset(live);
  e.owner = liveOwner;
  e.erased = liveErased;
  invalidateIndexes(other);
}

void UndoRecord::flipCreated(Entry& e, bool undoing) {
  AcDbObject* obj = e.stub->object;
  if (obj == nullptr) return;
  if (undoing) {
    e.erased = obj->isErased();
    DbAccess::setErased(obj, true);
  } else {
    DbAccess::setErased(obj, e.erased);
  }
  invalidateIndexes(obj);
}

void UndoRecord::flipErased(Entry& e) {
  AcDbObject* obj = e.stub->object;
  if (obj == nullptr) return;
  const bool now = obj->isErased();
  DbAccess::setErased(obj, e.erased);
  e.erased = now;
  invalidateIndexes(obj);
}

void UndoRecord::apply(Entry& e, bool undoing) {
  switch (e.kind) {
    case Kind::kChanged:
      swap(e);
      break;
    case Kind::kCreated:
      flipCreated(e, undoing);
      break;
    case Kind::kErased:
      flipErased(e);
      break;
  }
}

std::vector<std::wstring> UndoRecord::undo(int n) {
  closeStep(L"");
  std::vector<std::wstring> names;
  for (; n > 0 && m_position > 0; --n) {
    Step& step = m_steps[--m_position];
    for (auto it = step.entries.rbegin(); it != step.entries.rend(); ++it) apply(*it, true);
    if (step.hasState) applyState(step.before);
    names.push_back(step.name);
  }
  return names;
}

std::vector<std::wstring> UndoRecord::redo(int n) {
  closeStep(L"");
  std::vector<std::wstring> names;
  for (; n > 0 && m_position < m_steps.size(); --n) {
    Step& step = m_steps[m_position++];
    for (Entry& e : step.entries) apply(e, false);
    if (step.hasState) applyState(step.after);
    names.push_back(step.name);
  }
  return names;
}

UndoMark UndoRecord::mark() {
  // A new mark: an object recorded before this point is recorded again when it
  // changes after it, so that rolling back finds its state at this point.
  ++m_mark;
  UndoMark out;
  out.entries = m_pending.entries.size();
  out.hasState = m_pending.hasState;
  out.clayer = m_impl.clayer;
  out.insbase = m_impl.insbase;
  out.recording = true;
  return out;
}

void UndoRecord::rollBack(const UndoMark& mark) {
  while (m_pending.entries.size() > mark.entries) {
    apply(m_pending.entries.back(), true);
    m_pending.entries.pop_back();
  }
  if (m_pending.hasState) applyState({mark.clayer, mark.insbase});
  m_pending.hasState = mark.hasState;
  // The objects whose entries were dropped are recorded again when they change.
  ++m_mark;
}

bool UndoRecord::modified() const {
  const bool pending = !m_pending.empty();
  if (pending) return !m_savedInPending || m_saved != m_position + 1;
  return m_saved != m_position;
}

void UndoRecord::markSaved() {
  m_savedInPending = !m_pending.empty();
  m_saved = m_position + (m_savedInPending ? 1 : 0);
}

}  // namespace zrcad

// AcDbDatabase's undo marks, beside the record they work on.

zrcad::UndoMark AcDbDatabase::undoMark() {
  zrcad::UndoMark out;
  if (m_impl->undo) out = m_impl->undo->mark();
  out.changeStamp = m_impl->changeStamp;
  return out;
}

void AcDbDatabase::rollBackTo(const zrcad::UndoMark& mark) {
  if (!m_impl->undo || !mark.recording) return;
  m_impl->undo->rollBack(mark);
  // The drawing is as it was at the mark: it takes the stamp it had then again,
  // so that it counts as changed since it was saved only if it did then.
  m_impl->changeStamp = mark.changeStamp;
}
