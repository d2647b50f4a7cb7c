// The dialogs on screen: every DialogView registers itself here for its
// lifetime, so that whatever changes window state (a user action, a command
// run between two prompts, a script line) can bring all of them up to date.
#pragma once

#include <vector>

class CDialog;
class QWidget;

namespace zrgui {

class DialogView;

class MirrorRegistry {
 public:
  static MirrorRegistry& instance();

  void add(DialogView* view);
  void remove(DialogView* view);

  // Each view brings its widgets in line with its dialog's windows.
  void syncAll();
  // The view of a dialog, or null.
  DialogView* viewOf(const CDialog& dlg) const;
  // The newest view on screen, or null: the parent of message boxes and of
  // nested dialogs.
  DialogView* topVisible() const;
  const std::vector<DialogView*>& views() const { return m_views; }

 private:
  std::vector<DialogView*> m_views;  // oldest first; not owned
  bool m_syncing = false;
};

}  // namespace zrgui
