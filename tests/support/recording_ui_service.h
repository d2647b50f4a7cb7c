// RecordingUiService: the message-box and modal-loop service of unit tests.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "win/dialog.h"
#include "win/message_box.h"

namespace testsupport {

// Unit tests: every box is recorded; answers are taken from a queue, and the
// first button is taken when the queue is empty.
//
// Modal dialogs run headless: the test's function is called with the dialog
// while it is up (after OnInitDialog) and acts on it (winplat::applyDialogLine,
// the controls' own operations, EndDialog). Functions queued with onModal are
// used once each, in order, one per dialog run; when the queue is empty the
// dialog is cancelled at once. A dialog still up when the function returns is cancelled
// (the Esc key).
class RecordingUiService : public winplat::UiService {
 public:
  using ModalFunction = std::function<void(CDialog&)>;

  int messageBox(const winplat::MessageBoxRequest& box) override;
  INT_PTR runModal(CDialog& dlg) override;
  void answer(int id) { m_answers.push_back(id); }
  const std::vector<winplat::MessageBoxRequest>& boxes() const { return m_boxes; }
  void clear() {
    m_boxes.clear();
    m_answers.clear();
  }
  void onModal(ModalFunction fn) { m_modal.push_back(std::move(fn)); }
  // Template ids of the dialogs run modally, in order.
  const std::vector<UINT>& modalRuns() const { return m_modalRuns; }

 private:
  std::vector<winplat::MessageBoxRequest> m_boxes;
  std::deque<int> m_answers;
  std::deque<ModalFunction> m_modal;
  std::vector<UINT> m_modalRuns;
};

}  // namespace testsupport
