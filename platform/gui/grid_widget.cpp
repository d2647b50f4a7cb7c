// Grid widgets.
#include "gui/grid_widget.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOption>
#include <algorithm>
#include <cmath>

#include "gui/event_loops.h"
#include "win/wnd.h"

namespace zrgui {

namespace {

// Pixels of the window layer: the text margin in a cell and the width of a
// combo cell's drop-down button, as the grid library draws them.
constexpr int kCellMargin = 4;
constexpr int kDropButtonWidth = 19;

QString qtext(const std::wstring& s) { return QString::fromStdWString(s); }

// Ends the in-place editor on Enter and drops it on Esc.
class EditorKeys : public QObject {
 public:
  EditorKeys(QObject* parent, std::function<void(bool)> end)
      : QObject(parent), m_end(std::move(end)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab) {
        m_end(true);
        return true;
      }
      if (key == Qt::Key_Escape) {
        m_end(false);
        return true;
      }
    }
    if (event->type() == QEvent::FocusOut) m_end(true);
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void(bool)> m_end;
};

}  // namespace

GridWidget::GridWidget(HWND hwnd, winplat::GridModel& model, QWidget* parent)
    : QAbstractScrollArea(parent), m_hwnd(hwnd), m_model(model) {
  setFocusPolicy(Qt::StrongFocus);
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  viewport()->setBackgroundRole(QPalette::Base);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

bool GridWidget::live() const {
  return winplat::isWindow(m_hwnd) && dynamic_cast<winplat::GridModel*>(m_hwnd->wnd) == &m_model;
}

void GridWidget::sync(const DialogMetrics& metrics) {
  m_metrics = metrics;
  if (!live()) return;
  if (m_editor && !m_ending &&
      (m_editRow >= m_model.gridRowCount() || m_editCol >= m_model.gridColumnCount() ||
       !m_model.cellEditable(m_editRow, m_editCol))) {
    endEdit(false);
  }
  measureColumns();
  updateScrollBars();
  viewport()->update();
}

int GridWidget::colWidth(int col) const {
  if (col >= 0 && col < static_cast<int>(m_widths.size())) {
    return m_widths[static_cast<std::size_t>(col)];
  }
  return std::max(0, m_metrics.toScreenX(m_model.columnWidth(col)));
}

void GridWidget::measureColumns() {
  const QFontMetrics fm(font());
  const int margins = 2 * m_metrics.toScreenX(kCellMargin) + 1;
  const int button = m_metrics.toScreenX(kDropButtonWidth);
  // A column fits the widest text of its first rows, as Qt's own views size columns to their
  // contents (QHeaderView's resizeContentsPrecision): the model editor's grid has a row per
  // model, and reading every cell at each change would make each of them cost as much as
  // the whole catalogue's texts.
  constexpr int kMeasuredRows = 1000;
  const int rows = std::min(m_model.gridRowCount(), kMeasuredRows);
  m_widths.assign(static_cast<std::size_t>(m_model.gridColumnCount()), 0);
  for (int c = 0; c < m_model.gridColumnCount(); ++c) {
    int width = std::max(0, m_metrics.toScreenX(m_model.columnWidth(c)));
    if (width > 0) {
      for (int r = 0; r < rows; ++r) {
        const int text = fm.horizontalAdvance(qtext(m_model.cellText(r, c)));
        const bool combo = m_model.cellKind(r, c) == winplat::GridModel::CellKind::Combo;
        width = std::max(width, text + margins + (combo ? button : 0));
      }
    }
    m_widths[static_cast<std::size_t>(c)] = width;
  }
}

int GridWidget::rowHeight(int row) const {
  return std::max(0, m_metrics.toScreenY(m_model.rowHeight(row)));
}

int GridWidget::colLeft(int col) const {
  const int fixed = m_model.gridFixedColumnCount();
  int x = 0;
  for (int c = 0; c < col; ++c) x += colWidth(c);
  return col < fixed ? x : x - horizontalScrollBar()->value();
}

int GridWidget::rowTop(int row) const {
  const int fixed = m_model.gridFixedRowCount();
  int y = 0;
  for (int r = 0; r < row; ++r) y += rowHeight(r);
  return row < fixed ? y : y - verticalScrollBar()->value();
}

void GridWidget::updateScrollBars() {
  int fixedW = 0, totalW = 0, fixedH = 0, totalH = 0;
  for (int c = 0; c < m_model.gridColumnCount(); ++c) {
    totalW += colWidth(c);
    if (c < m_model.gridFixedColumnCount()) fixedW += colWidth(c);
  }
  for (int r = 0; r < m_model.gridRowCount(); ++r) {
    totalH += rowHeight(r);
    if (r < m_model.gridFixedRowCount()) fixedH += rowHeight(r);
  }
  const QSize area = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, totalW - area.width()));
  horizontalScrollBar()->setPageStep(std::max(1, area.width() - fixedW));
  verticalScrollBar()->setRange(0, std::max(0, totalH - area.height()));
  verticalScrollBar()->setPageStep(std::max(1, area.height() - fixedH));
  verticalScrollBar()->setSingleStep(std::max(1, m_metrics.toScreenY(20)));
}

QRect GridWidget::cellRect(int row, int col) const {
  if (!live() || row < 0 || col < 0 || row >= m_model.gridRowCount() ||
      col >= m_model.gridColumnCount()) {
    return {};
  }
  return QRect(colLeft(col), rowTop(row), colWidth(col), rowHeight(row));
}

std::pair<int, int> GridWidget::cellAt(QPoint p) const {
  if (!live()) return {-1, -1};
  // Fixed cells lie over the scrolled ones: look at them first.
  const int rows = m_model.gridRowCount();
  const int cols = m_model.gridColumnCount();
  const int fixedRows = m_model.gridFixedRowCount();
  const int fixedCols = m_model.gridFixedColumnCount();
  auto find = [](int pos, int count, int fixed, auto start, auto size) {
    for (int i = 0; i < fixed; ++i)
      if (pos >= start(i) && pos < start(i) + size(i)) return i;
    for (int i = fixed; i < count; ++i)
      if (pos >= start(i) && pos < start(i) + size(i)) return i;
    return -1;
  };
  const int row = find(
      p.y(), rows, fixedRows, [this](int r) { return rowTop(r); },
      [this](int r) { return rowHeight(r); });
  const int col = find(
      p.x(), cols, fixedCols, [this](int c) { return colLeft(c); },
      [this](int c) { return colWidth(c); });
  if (row < 0 || col < 0) return {-1, -1};
  return {row, col};
}

QRect GridWidget::dropButtonRect(int row, int col) const {
  const QRect cell = cellRect(row, col);
  if (cell.isEmpty() || m_model.cellKind(row, col) != winplat::GridModel::CellKind::Combo)
    return {};
  const int w = std::min(cell.width(), m_metrics.toScreenX(kDropButtonWidth));
  return QRect(cell.right() - w + 1, cell.top() + 1, w, cell.height() - 2);
}

void GridWidget::paintCell(QPainter& p, int row, int col, const QRect& r) const {
  const bool fixed = row < m_model.gridFixedRowCount() || col < m_model.gridFixedColumnCount();
  const QPalette& pal = palette();
  p.fillRect(r, fixed ? pal.button() : pal.base());
  p.setPen(fixed ? pal.color(QPalette::Mid) : pal.color(QPalette::Midlight));
  p.drawLine(r.topRight(), r.bottomRight());
  p.drawLine(r.bottomLeft(), r.bottomRight());
  QRect text =
      r.adjusted(m_metrics.toScreenX(kCellMargin), 0, -m_metrics.toScreenX(kCellMargin), 0);
  const QRect button = dropButtonRect(row, col);
  if (!button.isEmpty()) {
    text.setRight(button.left() - 1);
    QStyleOptionButton opt;
    opt.initFrom(this);
    opt.rect = button;
    opt.state |= QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &opt, &p, this);
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = button.adjusted(3, 3, -3, -3);
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &p, this);
  }
  p.setPen(pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                     fixed ? QPalette::ButtonText : QPalette::Text));
  p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
             qtext(m_model.cellText(row, col)));
  if (row == m_model.focusRow() && col == m_model.focusColumn()) {
    p.setPen(QPen(pal.color(QPalette::Highlight), 2));
    p.drawRect(r.adjusted(1, 1, -1, -1));
  }
}

void GridWidget::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  p.setFont(font());
  if (!live()) return;
  const int rows = m_model.gridRowCount();
  const int cols = m_model.gridColumnCount();
  const int fixedRows = m_model.gridFixedRowCount();
  const int fixedCols = m_model.gridFixedColumnCount();
  const QRect area = viewport()->rect();
  const int fixedW = fixedCols > 0 ? colLeft(fixedCols) : 0;
  const int fixedH = fixedRows > 0 ? rowTop(fixedRows - 1) + rowHeight(fixedRows - 1) : 0;
  // Scrolled cells, then the fixed rows, the fixed columns and their corner over them.
  auto paintRange = [&](int r0, int r1, int c0, int c1, const QRect& clip) {
    p.setClipRect(clip);
    for (int r = r0; r < r1; ++r) {
      const int top = rowTop(r);
      if (top > clip.bottom() || top + rowHeight(r) < clip.top()) continue;
      for (int c = c0; c < c1; ++c) {
        const QRect cell(colLeft(c), top, colWidth(c), rowHeight(r));
        if (cell.intersects(clip)) paintCell(p, r, c, cell);
      }
    }
  };
  paintRange(fixedRows, rows, fixedCols, cols, area.adjusted(fixedW, fixedH, 0, 0));
  paintRange(0, fixedRows, fixedCols, cols, QRect(fixedW, 0, area.width() - fixedW, fixedH));
  paintRange(fixedRows, rows, 0, fixedCols, QRect(0, fixedH, fixedW, area.height() - fixedH));
  paintRange(0, fixedRows, 0, fixedCols, QRect(0, 0, fixedW, fixedH));
}

void GridWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  setFocus(Qt::MouseFocusReason);
  if (m_editor) endEdit(true);
  if (!live()) return;
  const auto [row, col] = cellAt(event->position().toPoint());
  winplat::GridModel* model = &m_model;
  if (row < 0) {
    runUserAction([model] { model->clickCell(-1, -1); });
    return;
  }
  const bool wasFocus = m_model.focusRow() == row && m_model.focusColumn() == col;
  const bool onButton = dropButtonRect(row, col).contains(event->position().toPoint());
  runUserAction([model, row, col] { model->clickCell(row, col); });
  if (!live()) return;
  // The click's handler may have made the cell a combo cell (or a plain one).
  const bool combo = m_model.cellKind(row, col) == winplat::GridModel::CellKind::Combo;
  if (combo && (onButton || wasFocus)) {
    dropDown(row, col);
  } else if (wasFocus && !combo) {
    beginEdit(row, col);
  }
}

void GridWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !live()) return;
  const auto [row, col] = cellAt(event->position().toPoint());
  if (row < 0) return;
  if (m_model.cellKind(row, col) == winplat::GridModel::CellKind::Combo) {
    dropDown(row, col);
  } else {
    beginEdit(row, col);
  }
}

void GridWidget::keyPressEvent(QKeyEvent* event) {
  const int row = live() ? m_model.focusRow() : -1;
  const int col = live() ? m_model.focusColumn() : -1;
  if (row >= 0 && col >= 0) {
    const bool combo = m_model.cellKind(row, col) == winplat::GridModel::CellKind::Combo;
    const int key = event->key();
    if (key == Qt::Key_F2 || key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (combo ? (dropDown(row, col), true) : beginEdit(row, col)) return;
    } else if (key == Qt::Key_Down && (event->modifiers() & Qt::AltModifier) && combo) {
      dropDown(row, col);
      return;
    } else if (!combo && !event->text().isEmpty() && event->text().at(0).isPrint()) {
      if (beginEdit(row, col, event->text(), true)) return;
    }
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void GridWidget::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  updateScrollBars();
}

void GridWidget::scrollContentsBy(int, int) {
  if (m_editor) endEdit(true);
  viewport()->update();
}

bool GridWidget::beginEdit(int row, int col, const QString& initial, bool replace) {
  if (!live() || !m_model.cellEditable(row, col)) return false;
  if (m_editor) endEdit(true);
  if (!live()) return false;
  const QRect r = cellRect(row, col);
  if (r.isEmpty()) return false;
  m_editRow = row;
  m_editCol = col;
  m_editOriginal = qtext(m_model.cellText(row, col));
  auto* editor = new QLineEdit(viewport());
  editor->setFrame(false);
  editor->setGeometry(r.adjusted(1, 1, -1, -1));
  editor->setText(replace ? initial : m_editOriginal);
  if (!replace) editor->selectAll();
  editor->installEventFilter(new EditorKeys(editor, [this](bool keep) { endEdit(keep); }));
  m_editor = editor;
  editor->show();
  editor->setFocus(Qt::OtherFocusReason);
  return true;
}

void GridWidget::endEdit(bool keep) {
  if (!m_editor || m_ending) return;
  m_ending = true;
  const QString text = m_editor->text();
  QLineEdit* editor = m_editor;
  m_editor = nullptr;
  editor->hide();
  editor->deleteLater();
  setFocus(Qt::OtherFocusReason);
  const int row = m_editRow;
  const int col = m_editCol;
  m_editRow = m_editCol = -1;
  // The end-of-edit notification reports a change: an edit that leaves the
  // text as it was sends nothing.
  if (keep && text != m_editOriginal && live()) {
    winplat::GridModel* model = &m_model;
    const std::wstring value = text.toStdWString();
    runUserAction([model, row, col, value] { model->editCell(row, col, value); });
  }
  m_ending = false;
  viewport()->update();
}

void GridWidget::dropDown(int row, int col) {
  if (!live() || m_model.cellKind(row, col) != winplat::GridModel::CellKind::Combo) return;
  const QString current = qtext(m_model.cellText(row, col));
  QMenu menu(this);
  menu.setFont(font());
  const QRect cell = cellRect(row, col);
  menu.setMinimumWidth(cell.width());
  const std::vector<std::wstring> choices = m_model.cellChoices(row, col);
  for (std::size_t i = 0; i < choices.size(); ++i) {
    // Texts are shown as they are: no '&' is taken for a mnemonic.
    QAction* a = menu.addAction(qtext(choices[i]).replace(u'&', QStringLiteral("&&")));
    a->setData(static_cast<int>(i));
    a->setCheckable(true);
    a->setChecked(qtext(choices[i]) == current);
  }
  if (menu.isEmpty()) return;
  QAction* chosen = menu.exec(viewport()->mapToGlobal(cell.bottomLeft()));
  if (!chosen || !live()) return;
  const std::wstring value = choices[static_cast<std::size_t>(chosen->data().toInt())];
  if (qtext(value) == current) return;
  winplat::GridModel* model = &m_model;
  runUserAction([model, row, col, value] { model->pickCell(row, col, value); });
}

}  // namespace zrgui
