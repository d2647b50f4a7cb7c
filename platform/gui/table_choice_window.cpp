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

#include "gui/gui_fonts.h"

namespace zrgui {

namespace {

// The background of marked rows: a pale amber that reads as a caution and
// keeps black text legible.
const QColor kMarkedBackground(0xFF, 0xEB, 0xC2);
// The chart's share at first: room for it at about four fifths of its page.
constexpr int kChartWidth = 720;
constexpr int kWindowHeight = 700;

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

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading);
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
  const bool any = !choice.rows.empty();
  m_choose->setEnabled(any);
  m_save->setEnabled(any);
  if (any) m_table->selectRow(0);
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
  for (std::size_t r = 0; r < c.rows.size(); ++r) {
    const bool marked = r < c.marked.size() && c.marked[r];
    for (std::size_t col = 0; col < c.rows[r].size() && col < c.columns.size(); ++col) {
      auto* item = new QTableWidgetItem(QString::fromStdWString(c.rows[r][col]));
      const bool right = col < c.rightAligned.size() && c.rightAligned[col];
      item->setTextAlignment(Qt::AlignVCenter | (right ? Qt::AlignRight : Qt::AlignLeft));
      if (marked) {
        item->setBackground(kMarkedBackground);
        item->setToolTip(QString::fromStdWString(c.markedTip));
      }
      m_table->setItem(static_cast<int>(r), static_cast<int>(col), item);
    }
  }
  m_table->resizeColumnsToContents();
  m_table->horizontalHeader()->setStretchLastSection(true);
}

std::size_t TableChoiceWindow::selectedRow() const {
  const int row = m_table->currentRow();
  return row < 0 ? 0 : static_cast<std::size_t>(row);
}

void TableChoiceWindow::showSelected() {
  const QList<QTableWidgetItem*> items = m_table->selectedItems();
  if (items.isEmpty() || !m_choice.picture) return;
  m_picture->setPicture(m_choice.picture(static_cast<std::size_t>(items.front()->row())));
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
