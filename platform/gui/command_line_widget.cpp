// The command line.
#include "gui/command_line_widget.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/gui_fonts.h"

namespace zrgui {

namespace {
// Lines the history keeps; older ones scroll away for good.
constexpr int kHistoryLines = 5000;
}  // namespace

CommandLineWidget::CommandLineWidget(QWidget* parent)
    : QWidget(parent),
      m_history(new QPlainTextEdit(this)),
      m_prompt(new QLabel(this)),
      m_input(new QLineEdit(this)) {
  m_history->setReadOnly(true);
  m_history->setMaximumBlockCount(kHistoryLines);
  m_history->setFocusPolicy(Qt::ClickFocus);
  m_history->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  QFont font = cjkFont();
  m_history->setFont(font);
  m_prompt->setFont(font);
  m_input->setFont(font);
  m_input->setFrame(false);
  m_input->installEventFilter(this);
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
  connect(m_input, &QLineEdit::returnPressed, this, [this] { enter(); });
}

void CommandLineWidget::appendOutput(const QString& text) {
  QString all = m_partial + text;
  const qsizetype nl = all.lastIndexOf(u'\n');
  if (nl >= 0) {
    QString lines = all.left(nl);
    m_history->appendPlainText(lines);
    m_history->verticalScrollBar()->setValue(m_history->verticalScrollBar()->maximum());
    all = all.mid(nl + 1);
  }
  m_partial = all;
  m_prompt->setText(m_partial.trimmed().isEmpty() ? QString() : m_partial);
}

void CommandLineWidget::enter() {
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
  if (watched == m_input && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Delete && m_input->text().isEmpty()) {
      if (m_onDelete) m_onDelete();
      return true;
    }
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      recallStep(key == Qt::Key_Up ? -1 : 1);
      return true;
    }
    if (key == Qt::Key_Escape) {
      m_input->clear();
      if (m_onCancel) m_onCancel();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace zrgui
