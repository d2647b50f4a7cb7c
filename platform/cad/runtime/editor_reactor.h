// Editor reactors: applications told when a command ends (acedEditor->addReactor).
//
// The command processor tells every reactor once a command typed at the
// prompt has finished, with everything it drove through acedCommand, and
// before the command's undo step closes: what a reactor changes then is part
// of that command's step and goes with it on UNDO. Commands run by other
// commands are not reported. A reactor is not owned: the application removes
// it before it goes (at unload). An exception from a reactor is reported on
// the command line and does not reach the command.
#pragma once

#include <vector>

#include "cad/adsdef.h"

class AcEditorReactor {
 public:
  virtual ~AcEditorReactor() = default;
  // cmdStr is the command's global name in upper case.
  virtual void commandEnded(const ACHAR* /*cmdStr*/) {}
  virtual void commandCancelled(const ACHAR* /*cmdStr*/) {}
  virtual void commandFailed(const ACHAR* /*cmdStr*/) {}
};

class AcEditor {
 public:
  static AcEditor* instance();
  void addReactor(AcEditorReactor* reactor);
  void removeReactor(AcEditorReactor* reactor);
  // For the command processor: the command's name and its result code
  // (RTNORM ended, RTCAN cancelled, anything else failed).
  void notifyCommandDone(const ACHAR* cmdStr, int rc);

 private:
  std::vector<AcEditorReactor*> m_reactors;
};

#define acedEditor (AcEditor::instance())
