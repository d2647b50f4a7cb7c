// The request of the prompt reading now.
#include "cad/runtime/input_request.h"

namespace cadrt {

namespace {
InputRequest g_request;
const std::vector<AcDbObjectId>* g_dragged = nullptr;
}  // namespace

const InputRequest& currentInputRequest() { return g_request; }

ScopedInputRequest::ScopedInputRequest(const InputRequest& request) : m_previous(g_request) {
  g_request = request;
}

ScopedInputRequest::ScopedInputRequest(InputKind kind, const double* base) : m_previous(g_request) {
  g_request = InputRequest{};
  g_request.kind = kind;
  if (base) {
    g_request.hasBase = true;
    for (int i = 0; i < 3; ++i) g_request.base[i] = base[i];
  }
}

ScopedInputRequest::~ScopedInputRequest() { g_request = m_previous; }

ScopedDragPreview::ScopedDragPreview(const std::vector<AcDbObjectId>& ids) : m_previous(g_dragged) {
  g_dragged = &ids;
}

ScopedDragPreview::~ScopedDragPreview() { g_dragged = m_previous; }

const std::vector<AcDbObjectId>* currentDragPreview() { return g_dragged; }

}  // namespace cadrt
