// The table-and-picture window.
#include "gui/table_choice_window.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cwchar>
#include <numeric>

#include "gui/gui_fonts.h"

namespace zrgui {

namespace {

// The background of marked rows: a pale amber that reads as a caution and
// keeps black text legible.
const QColor kMarkedBackground(0xFF, 0xEB, 0xC2);
// The chart's share at first: room for it at about four fifths of its page.
constexpr int kChartWidth = 720;
constexpr int kWindowHeight = 700;
// Where the table's items keep the choice's index of their row.
constexpr int kChoiceRowRole = Qt::UserRole;

// The number a cell's text begins with ("+45", "62.3/64 合格", "78 估算"); none
// for "-" and other text.
std::optional<double> leadingNumber(const std::wstring& text) {
  const wchar_t* begin = text.c_str();
  wchar_t* end = nullptr;
  const double v = std::wcstod(begin, &end);
  if (end == begin || !std::isfinite(v)) return std::nullopt;
  return v;
}

// A bound typed in a filter's field; none when the field is empty or holds no
// number.
std::optional<double> bound(const QLineEdit* field) {
  if (!field) return std::nullopt;
  bool ok = false;
  const double v = field->text().trimmed().toDouble(&ok);
  return ok ? std::optional<double>(v) : std::nullopt;
}

}  // namespace

TableChoiceWindow::TableChoiceWindow(const winplat::TableChoice& choice, QWidget* parent)
    : QDialog(parent),
      m_choice(choice),
      m_table(new QTableWidget(this)),
      m_picture(new PictureWidget(this)),
      m_choose(new QPushButton(QString::fromStdWString(choice.chooseLabel), this)),
      m_save(new QPushButton(QStringLiteral("保存图表..."), this)),
      m_status(new QLabel(this)) {
  setWindowTitle(QString::fromStdWString(choice.title));
  setFont(cjkFont());
  auto* heading = new QLabel(QString::fromStdWString(choice.heading), this);
  heading->setTextInteractionFlags(Qt::TextSelectableByMouse);
  fillTable();

  auto* split = new QSplitter(Qt::Horizontal, this);
  split->addWidget(m_table);
  split->addWidget(m_picture);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 1);
  split->setChildrenCollapsible(false);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(m_choose, QDialogButtonBox::AcceptRole);
  buttons->addButton(m_save, QDialogButtonBox::ActionRole);
  buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
  m_choose->setDefault(true);

  if (choice.rowFile.write) {
    m_rowFile = new QPushButton(QString::fromStdWString(choice.rowFile.label), this);
    buttons->addButton(m_rowFile, QDialogButtonBox::ActionRole);
    connect(m_rowFile, &QPushButton::clicked, this, [this] {
      const QString suggested = m_choice.pictureName
                                    ? QString::fromStdWString(m_choice.pictureName(selectedRow())) +
                                          "." + QString::fromStdWString(m_choice.rowFile.extension)
                                    : QString();
      const QString file = askRowFile(suggested);
      if (!file.isEmpty()) saveRowFile(file);
    });
  }

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading);
  if (!choice.filters.empty()) layout->addWidget(filterBar());
  layout->addWidget(split, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(m_status, 1);
  bottom->addWidget(buttons);
  layout->addLayout(bottom);

  connect(m_table, &QTableWidget::itemSelectionChanged, this, [this] { showSelected(); });
  connect(m_table, &QTableWidget::cellDoubleClicked, this, [this] { accept(); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_save, &QPushButton::clicked, this, [this] { saveAsked(); });
  askFile = [this](const QString& suggested) {
    return QFileDialog::getSaveFileName(this, QStringLiteral("保存图表"), suggested,
                                        QStringLiteral("SVG (*.svg);;PNG (*.png)"));
  };
  askRowFile = [this](const QString& suggested) {
    const QString ext = QString::fromStdWString(m_choice.rowFile.extension);
    return QFileDialog::getSaveFileName(this, QString::fromStdWString(m_choice.rowFile.label),
                                        suggested,
                                        QStringLiteral("%1 (*.%2)").arg(ext.toUpper(), ext));
  };
  applyFilters();
  // The whole table across, as the console shows it, and the chart beside it
  // at no less than its readable size.
  const int tableWidth = fullTableWidth();
  const int chartWidth = std::max(m_picture->minimumSizeHint().width(), kChartWidth);
  split->setSizes({tableWidth, chartWidth});
  resize(tableWidth + chartWidth + 40, kWindowHeight);
}

int TableChoiceWindow::fullTableWidth() const {
  int width = 2 * m_table->frameWidth() + m_table->verticalScrollBar()->sizeHint().width();
  for (int c = 0; c < m_table->columnCount(); ++c) width += m_table->columnWidth(c);
  return width;
}

QWidget* TableChoiceWindow::filterBar() {
  auto* bar = new QWidget(this);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  for (const winplat::TableFilter& f : m_choice.filters) {
    FilterControls& controls = m_filters.emplace_back();
    const QString label = QString::fromStdWString(f.label);
    if (f.kind == winplat::TableFilter::Kind::Only) {
      controls.only = new QCheckBox(label, bar);
      row->addWidget(controls.only);
      connect(controls.only, &QCheckBox::toggled, this, [this] { applyFilters(); });
      continue;
    }
    row->addWidget(new QLabel(label, bar));
    const auto field = [&](const QString& placeholder) {
      auto* edit = new QLineEdit(bar);
      edit->setPlaceholderText(placeholder);
      edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
      connect(edit, &QLineEdit::textChanged, this, [this] { applyFilters(); });
      row->addWidget(edit);
      return edit;
    };
    if (f.kind == winplat::TableFilter::Kind::Range) controls.lower = field(tr("min"));
    controls.upper = field(tr("max"));
  }
  m_shown = new QLabel(bar);
  row->addStretch(1);
  row->addWidget(m_shown);
  return bar;
}

bool TableChoiceWindow::numericColumn(std::size_t column) const {
  const std::vector<bool>& numeric =
      m_choice.numeric.empty() ? m_choice.rightAligned : m_choice.numeric;
  return column < numeric.size() && numeric[column];
}

std::optional<double> TableChoiceWindow::number(std::size_t choiceRow, std::size_t column) const {
  const auto& cells = m_choice.rows.at(choiceRow);
  return column < cells.size() ? leadingNumber(cells[column]) : std::nullopt;
}

bool TableChoiceWindow::passesFilters(std::size_t choiceRow) const {
  for (std::size_t i = 0; i < m_filters.size(); ++i) {
    const winplat::TableFilter& f = m_choice.filters[i];
    const FilterControls& controls = m_filters[i];
    if (controls.only) {
      if (controls.only->isChecked() && !(choiceRow < f.rows.size() && f.rows[choiceRow])) {
        return false;
      }
      continue;
    }
    const std::optional<double> low = bound(controls.lower), high = bound(controls.upper);
    if (!low && !high) continue;
    const std::optional<double> v = number(choiceRow, f.column);
    if (!v || (low && *v < *low) || (high && *v > *high)) return false;
  }
  return true;
}

void TableChoiceWindow::applyFilters() {
  int shown = 0, firstShown = -1;
  for (int r = 0; r < m_table->rowCount(); ++r) {
    const bool pass = passesFilters(choiceRow(r));
    m_table->setRowHidden(r, !pass);
    if (pass && firstShown < 0) firstShown = r;
    shown += pass;
  }
  const int current = m_table->currentRow();
  if (current < 0 || m_table->isRowHidden(current)) {
    if (firstShown >= 0) {
      m_table->selectRow(firstShown);
    } else {
      m_table->clearSelection();
      m_table->setCurrentCell(-1, -1);
    }
  }
  const bool any = shown > 0;
  m_choose->setEnabled(any);
  m_save->setEnabled(any);
  if (m_rowFile) m_rowFile->setEnabled(any);
  if (m_shown) m_shown->setText(tr("%1 of %2 rows").arg(shown).arg(m_table->rowCount()));
}

void TableChoiceWindow::accept() {
  const int current = m_table->currentRow();
  if (current < 0 || m_table->isRowHidden(current)) return;
  QDialog::accept();
}

std::size_t TableChoiceWindow::choiceRow(int tableRow) const {
  const QTableWidgetItem* item = m_table->item(tableRow, 0);
  return item ? item->data(kChoiceRowRole).value<std::size_t>() : 0;
}

void TableChoiceWindow::sortBy(int column, Qt::SortOrder order) {
  if (column < 0 || column >= m_table->columnCount()) return;
  m_sortColumn = column;
  m_sortOrder = order;
  const auto col = static_cast<std::size_t>(column);
  const bool descending = order == Qt::DescendingOrder;
  // Ties keep the choice's order: sorted from it, stably.
  std::iota(m_order.begin(), m_order.end(), std::size_t{0});
  if (numericColumn(col)) {
    std::stable_sort(m_order.begin(), m_order.end(), [&](std::size_t a, std::size_t b) {
      const std::optional<double> x = number(a, col), y = number(b, col);
      if (!x || !y) return x.has_value() && !y.has_value();  // without a number: last
      return descending ? *x > *y : *x < *y;
    });
  } else {
    const auto text = [&](std::size_t r) {
      return col < m_choice.rows[r].size() ? QString::fromStdWString(m_choice.rows[r][col])
                                           : QString();
    };
    std::stable_sort(m_order.begin(), m_order.end(), [&](std::size_t a, std::size_t b) {
      const int c = QString::localeAwareCompare(text(a), text(b));
      return descending ? c > 0 : c < 0;
    });
  }
  m_table->horizontalHeader()->setSortIndicator(column, order);
  fillRows();
}

void TableChoiceWindow::fillTable() {
  const auto& c = m_choice;
  m_table->setColumnCount(static_cast<int>(c.columns.size()));
  m_table->setRowCount(static_cast<int>(c.rows.size()));
  QStringList headings;
  for (const std::wstring& h : c.columns) headings << QString::fromStdWString(h);
  m_table->setHorizontalHeaderLabels(headings);
  m_table->verticalHeader()->hide();
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setSelectionMode(QAbstractItemView::SingleSelection);
  m_table->setAlternatingRowColors(false);
  QHeaderView* header = m_table->horizontalHeader();
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(false);  // until a heading is clicked
  connect(header, &QHeaderView::sectionClicked, this, [this, header](int column) {
    header->setSortIndicatorShown(true);
    const bool again = column == m_sortColumn && m_sortOrder == Qt::AscendingOrder;
    sortBy(column, again ? Qt::DescendingOrder : Qt::AscendingOrder);
  });
  m_order.resize(c.rows.size());
  std::iota(m_order.begin(), m_order.end(), std::size_t{0});
  fillRows();
  m_table->resizeColumnsToContents();
  m_table->horizontalHeader()->setStretchLastSection(true);
}

void TableChoiceWindow::fillRows() {
  const auto& c = m_choice;
  const bool hadSelection = m_table->currentRow() >= 0;
  const std::size_t selected = selectedRow();
  {
    const QSignalBlocker quiet(m_table);  // the picture stays until the selection is back
    for (std::size_t at = 0; at < m_order.size(); ++at) {
      const std::size_t r = m_order[at];
      const bool marked = r < c.marked.size() && c.marked[r];
      for (std::size_t col = 0; col < c.rows[r].size() && col < c.columns.size(); ++col) {
        auto* item = new QTableWidgetItem(QString::fromStdWString(c.rows[r][col]));
        const bool right = col < c.rightAligned.size() && c.rightAligned[col];
        item->setTextAlignment(Qt::AlignVCenter | (right ? Qt::AlignRight : Qt::AlignLeft));
        if (marked) {
          item->setBackground(kMarkedBackground);
          item->setToolTip(QString::fromStdWString(c.markedTip));
        }
        item->setData(kChoiceRowRole, QVariant::fromValue(r));
        m_table->setItem(static_cast<int>(at), static_cast<int>(col), item);
      }
    }
    for (int at = 0; hadSelection && at < m_table->rowCount(); ++at) {
      if (choiceRow(at) == selected) m_table->setCurrentCell(at, 0);
    }
  }
  if (m_shown) applyFilters();  // the hidden rows moved with their rows
}

std::size_t TableChoiceWindow::selectedRow() const {
  const int row = m_table->currentRow();
  return row < 0 ? 0 : choiceRow(row);
}

void TableChoiceWindow::showSelected() {
  const QList<QTableWidgetItem*> items = m_table->selectedItems();
  if (items.isEmpty() || !m_choice.picture) return;
  m_picture->setPicture(m_choice.picture(choiceRow(items.front()->row())));
}

QString TableChoiceWindow::saveRowFile(QString file) {
  if (!m_choice.rowFile.write) return QStringLiteral("nothing can be saved here");
  const QString ext = QString::fromStdWString(m_choice.rowFile.extension);
  if (QFileInfo(file).suffix().compare(ext, Qt::CaseInsensitive) != 0) file += "." + ext;
  const QString why =
      QString::fromStdWString(m_choice.rowFile.write(selectedRow(), file.toStdWString()));
  m_status->setText(
      why.isEmpty()
          ? tr("Written to %1").arg(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath()))
          : tr("Could not write %1: %2").arg(file, why));
  return why;
}

QString TableChoiceWindow::savePicture(QString file) {
  const QString suffix = QFileInfo(file).suffix().toLower();
  // The kind goes by the extension; a name without one of ours gets SVG's.
  if (suffix != QStringLiteral("svg") && suffix != QStringLiteral("png")) file += ".svg";
  if (!m_choice.savePicture) return QStringLiteral("nothing can be saved here");
  const QString why =
      QString::fromStdWString(m_choice.savePicture(selectedRow(), file.toStdWString()));
  m_status->setText(why.isEmpty()
                        ? QStringLiteral("图表已写入 %1")
                              .arg(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath()))
                        : QStringLiteral("无法写入图表文件 %1: %2").arg(file, why));
  return why;
}

void TableChoiceWindow::saveAsked() {
  QString suggested;
  if (m_choice.pictureName) {
    suggested = QString::fromStdWString(m_choice.pictureName(selectedRow())) + ".svg";
  }
  const QString file = askFile(suggested);
  if (!file.isEmpty()) savePicture(file);
}

}  // namespace zrgui
