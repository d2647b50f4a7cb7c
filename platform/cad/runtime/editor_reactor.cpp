// Editor reactors.
#include "cad/runtime/editor_reactor.h"

#include <algorithm>
#include <string>

#include "cad/runtime/guarded_call.h"

AcEditor* AcEditor::instance() {
  static AcEditor editor;
  return &editor;
}

void AcEditor::addReactor(AcEditorReactor* reactor) {
  if (reactor && std::find(m_reactors.begin(), m_reactors.end(), reactor) == m_reactors.end())
    m_reactors.push_back(reactor);
}

void AcEditor::removeReactor(AcEditorReactor* reactor) {
  m_reactors.erase(std::remove(m_reactors.begin(), m_reactors.end(), reactor), m_reactors.end());
}

void AcEditor::notifyCommandDone(const ACHAR* cmdStr, int rc) {
  // Copied: a reactor may remove itself (or another) while it is told.
  const std::vector<AcEditorReactor*> reactors = m_reactors;
  for (AcEditorReactor* r : reactors) {
    if (std::find(m_reactors.begin(), m_reactors.end(), r) == m_reactors.end()) continue;
    cadrt::guardedCall(std::wstring(L"editor reactor after ") + cmdStr, [&] {
      if (rc == RTNORM) {
        r->commandEnded(cmdStr);
      } else if (rc == RTCAN) {
        r->commandCancelled(cmdStr);
      } else {
        r->commandFailed(cmdStr);
      }
    });
  }
}
