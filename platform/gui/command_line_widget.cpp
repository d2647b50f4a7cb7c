// The command line.
#include "gui/command_line_widget.h"

#include <QAbstractItemView>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include "gui/gui_fonts.h"

namespace zrgui {

namespace {

// Lines the history keeps; older ones scroll away for good.
constexpr int kHistoryLines = 5000;

// The input field. Its keys are handled here, not in an event filter: while
// the completion list is up, Qt hands the keys to the field directly, past
// any filter.
class CommandEdit : public QLineEdit {
 public:
  CommandEdit(CommandLineWidget* owner) : QLineEdit(owner), m_owner(owner) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (m_owner->handleKey(event)) {
      event->accept();
      return;
    }
    QLineEdit::keyPressEvent(event);
  }

 private:
  CommandLineWidget* m_owner;
};

}  // namespace

CommandLineWidget::CommandLineWidget(QWidget* parent)
    : QWidget(parent),
      m_history(new QPlainTextEdit(this)),
      m_prompt(new QLabel(this)),
      m_input(new CommandEdit(this)),
      m_completer(new QCompleter(this)),
      m_names(new QStringListModel(this)) {
  m_history->setReadOnly(true);
  m_history->setMaximumBlockCount(kHistoryLines);
  m_history->setFocusPolicy(Qt::ClickFocus);
  m_history->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  m_history->setFont(fixedFont());
  QFont font = cjkFont();
  m_prompt->setFont(font);
  m_input->setFont(font);
  m_input->setFrame(false);
  m_input->installEventFilter(this);
  m_completer->setModel(m_names);
  m_completer->setCaseSensitivity(Qt::CaseInsensitive);
  m_completer->setCompletionMode(QCompleter::PopupCompletion);
  m_completer->setModelSorting(QCompleter::CaseInsensitivelySortedModel);
  m_input->setCompleter(m_completer);
  auto* row = new QHBoxLayout;
  row->setContentsMargins(4, 2, 4, 2);
  row->setSpacing(2);
  row->addWidget(m_prompt);
  row->addWidget(m_input, 1);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(m_history, 1);
  column->addLayout(row);
}

void CommandLineWidget::setCompletions(const QStringList& names) {
  if (m_names->stringList() == names) return;
  QStringList sorted = names;
  sorted.sort(Qt::CaseInsensitive);
  m_names->setStringList(sorted);
}

void CommandLineWidget::dropOpenLine() {
  if (!m_openLine) return;
  m_openLine = false;
  QTextCursor c(m_history->document()->lastBlock());
  c.select(QTextCursor::BlockUnderCursor);
  c.removeSelectedText();
}

void CommandLineWidget::appendOutput(const QString& text) {
  dropOpenLine();
  QString all = m_partial + text;
  const qsizetype nl = all.lastIndexOf(u'\n');
  if (nl >= 0) {
    m_history->appendPlainText(all.left(nl));
    all = all.mid(nl + 1);
  }
  m_partial = all;
  m_prompt->clear();
  // The editor's prompts end in a colon; a printed row that does not is the
  // history's until its line ends.
  if (m_partial.trimmed().endsWith(u':')) {
    showPrompt();
  } else if (!m_partial.trimmed().isEmpty()) {
    m_history->appendPlainText(m_partial);
    m_openLine = true;
  }
  m_history->verticalScrollBar()->setValue(m_history->verticalScrollBar()->maximum());
}

void CommandLineWidget::showPrompt() {
  dropOpenLine();
  m_prompt->setText(m_partial.trimmed().isEmpty() ? QString() : m_partial);
}

void CommandLineWidget::enter() {
  if (m_completer->popup()->isVisible()) {
    const QModelIndex chosen = m_completer->popup()->currentIndex();
    if (chosen.isValid()) m_input->setText(chosen.data().toString());
    m_completer->popup()->hide();
  }
  const QString line = m_input->text();
  m_input->clear();
  if (!line.trimmed().isEmpty() && (m_recall.isEmpty() || m_recall.back() != line)) {
    m_recall << line;
  }
  m_recallPos = static_cast<int>(m_recall.size());
  if (m_onLine) m_onLine(line);
}

void CommandLineWidget::recallStep(int step) {
  if (m_recall.isEmpty()) return;
  m_recallPos = std::clamp(m_recallPos + step, 0, static_cast<int>(m_recall.size()));
  m_input->setText(m_recallPos < m_recall.size() ? m_recall[m_recallPos] : QString());
}

bool CommandLineWidget::handleKey(QKeyEvent* event) {
  const int key = event->key();
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (key == Qt::Key_Return || key == Qt::Key_Enter ||
      (key == Qt::Key_Space && plain && m_spaceEnds && m_spaceEnds(m_input->text()))) {
    enter();
    return true;
  }
  if (key == Qt::Key_Delete && m_input->text().isEmpty()) {
    if (m_onDelete) m_onDelete();
    return true;
  }
  if ((key == Qt::Key_Up || key == Qt::Key_Down) && !m_completer->popup()->isVisible()) {
    recallStep(key == Qt::Key_Up ? -1 : 1);
    return true;
  }
  if (key == Qt::Key_Escape) {
    m_completer->popup()->hide();
    m_input->clear();
    if (m_onCancel) m_onCancel();
    return true;
  }
  return false;
}

bool CommandLineWidget::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_input && event->type() == QEvent::ShortcutOverride &&
      m_input->text().isEmpty()) {
    // Left unaccepted, the keys reach the window's actions.
    const auto* keys = static_cast<QKeyEvent*>(event);
    if (keys->matches(QKeySequence::Undo) || keys->matches(QKeySequence::Redo) ||
        keys->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y)) {
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace zrgui
