// The request of the prompt reading now.
#include "cad/runtime/input_request.h"

namespace cadrt {

namespace {
InputRequest g_request;
const std::vector<AcDbObjectId>* g_dragged = nullptr;
DragMotion g_motion = DragMotion::Move;
const InsertPreview* g_inserted = nullptr;
}  // namespace

const InputRequest& currentInputRequest() { return g_request; }

ScopedInputRequest::ScopedInputRequest(const InputRequest& request) : m_previous(g_request) {
  g_request = request;
}

ScopedInputRequest::ScopedInputRequest(InputKind kind, const double* base, bool freeText)
    : m_previous(g_request) {
  g_request = InputRequest{};
  g_request.kind = kind;
  g_request.freeText = freeText;
  if (base) {
    g_request.hasBase = true;
    for (int i = 0; i < 3; ++i) g_request.base[i] = base[i];
  }
}

ScopedInputRequest::~ScopedInputRequest() { g_request = m_previous; }

ScopedDragPreview::ScopedDragPreview(const std::vector<AcDbObjectId>& ids, DragMotion motion)
    : m_previous(g_dragged), m_previousMotion(g_motion) {
  g_dragged = &ids;
  g_motion = motion;
}

ScopedDragPreview::~ScopedDragPreview() {
  g_dragged = m_previous;
  g_motion = m_previousMotion;
}

const std::vector<AcDbObjectId>* currentDragPreview() { return g_dragged; }

DragMotion currentDragMotion() { return g_dragged ? g_motion : DragMotion::Move; }

ScopedInsertPreview::ScopedInsertPreview(const InsertPreview& preview)
    : m_preview(preview), m_previous(g_inserted) {
  g_inserted = &m_preview;
}

ScopedInsertPreview::~ScopedInsertPreview() { g_inserted = m_previous; }

const InsertPreview* currentInsertPreview() { return g_inserted; }

}  // namespace cadrt
