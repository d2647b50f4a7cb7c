// The command line of the host window: the history of what the editor printed
// and what was typed, the current prompt, and the line being typed.
//
// Printed text is shown as it comes: whole lines go to the history, the text
// after the last line break (the prompt waiting for an answer) stands before
// the input field. Enter hands the typed line over (an empty line too: it is
// Enter at a prompt); Up and Down recall lines typed before; Esc asks to
// cancel what is running. With nothing typed, Delete asks to erase what is
// selected, and the undo and redo keys are the window's (the drawing's undo),
// not the input field's.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QWidget>
#include <functional>

namespace zrgui {

class CommandLineWidget : public QWidget {
 public:
  explicit CommandLineWidget(QWidget* parent = nullptr);

  void appendOutput(const QString& text);
  QString prompt() const { return m_partial; }
  QLineEdit* input() const { return m_input; }
  QPlainTextEdit* history() const { return m_history; }
  // The lines typed so far, oldest first.
  const QStringList& recall() const { return m_recall; }

  void setOnLine(std::function<void(const QString&)> fn) { m_onLine = std::move(fn); }
  void setOnCancel(std::function<void()> fn) { m_onCancel = std::move(fn); }
  void setOnDelete(std::function<void()> fn) { m_onDelete = std::move(fn); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void enter();
  void recallStep(int step);

  QPlainTextEdit* m_history;
  QLabel* m_prompt;
  QLineEdit* m_input;
  QString m_partial;
  QStringList m_recall;
  int m_recallPos = 0;
  std::function<void(const QString&)> m_onLine;
  std::function<void()> m_onCancel;
  std::function<void()> m_onDelete;
};

}  // namespace zrgui
