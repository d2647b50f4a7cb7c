// The recording service of unit tests.
#include "recording_ui_service.h"

#include "win/dialog_script.h"
#include "win/wnd.h"

namespace testsupport {

INT_PTR RecordingUiService::runModal(CDialog& dlg) {
  m_modalRuns.push_back(dlg.GetTemplateID());
  if (!m_modal.empty()) {
    const ModalFunction fn = std::move(m_modal.front());
    m_modal.pop_front();
    if (fn) fn(dlg);
    winplat::pumpMessages();
  }
  winplat::cancelDialog(dlg);
  return dlg.GetModalResult();
}

int RecordingUiService::messageBox(const winplat::MessageBoxRequest& box) {
  m_boxes.push_back(box);
  if (m_answers.empty()) return winplat::defaultButton(box.type);
  const int id = m_answers.front();
  m_answers.pop_front();
  return id;
}

}  // namespace testsupport
