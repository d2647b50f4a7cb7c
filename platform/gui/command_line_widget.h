// The command line of the host window: the history of what the editor printed
// and what was typed, the current prompt, and the line being typed.
//
// Printed text is shown as it comes: whole lines go to the history, in a
// fixed-width font so that printed tables line up. The text after the last
// line break is the prompt when it ends in a colon, as the editor's prompts
// do, or when the editor waits for an answer (showPrompt): then it stands
// before the input field. Otherwise it is a line being printed (a table's
// last row, say) and stays at the end of the history, not in the prompt's
// place.
//
// Keys, as CAD command lines have them: Enter hands the typed line over (an
// empty line too: it is Enter at a prompt); Space does the same where the
// window says a blank ends the answer (spaceEnds), and types a blank
// elsewhere; Up and Down recall lines typed before; Esc asks to cancel what is
// running. With nothing typed, Delete asks to erase what is selected, and the
// undo and redo keys are the window's (the drawing's undo), not the input
// field's. At the command prompt a list of the names that complete the typed
// text drops down (setCompletions); Enter or Space takes the highlighted one.
#pragma once

#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QStringListModel>
#include <QWidget>
#include <functional>

namespace zrgui {

class CommandLineWidget : public QWidget {
 public:
  explicit CommandLineWidget(QWidget* parent = nullptr);

  void appendOutput(const QString& text);
  // The editor waits for an answer: the text after the last line break is its prompt.
  void showPrompt();
  QString prompt() const { return m_partial; }
  // What the prompt label shows.
  QString promptShown() const { return m_prompt->text(); }
  QLineEdit* input() const { return m_input; }
  QPlainTextEdit* history() const { return m_history; }
  QCompleter* completer() const { return m_completer; }
  // The lines typed so far, oldest first.
  const QStringList& recall() const { return m_recall; }
  // The names offered while typing (none: nothing is offered).
  void setCompletions(const QStringList& names);

  void setOnLine(std::function<void(const QString&)> fn) { m_onLine = std::move(fn); }
  void setOnCancel(std::function<void()> fn) { m_onCancel = std::move(fn); }
  void setOnDelete(std::function<void()> fn) { m_onDelete = std::move(fn); }
  // Whether Space, with this text typed, ends the answer (unset: never).
  void setSpaceEnds(std::function<bool(const QString&)> fn) { m_spaceEnds = std::move(fn); }

  // The input field's keys; true when the key was the command line's.
  bool handleKey(QKeyEvent* event);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void enter();
  void recallStep(int step);
  void dropOpenLine();

  QPlainTextEdit* m_history;
  QLabel* m_prompt;
  QLineEdit* m_input;
  QCompleter* m_completer;
  QStringListModel* m_names;
  QString m_partial;
  bool m_openLine = false;  // the history's last block is m_partial, not yet ended
  QStringList m_recall;
  int m_recallPos = 0;
  std::function<void(const QString&)> m_onLine;
  std::function<void()> m_onCancel;
  std::function<void()> m_onDelete;
  std::function<bool(const QString&)> m_spaceEnds;
};

}  // namespace zrgui
