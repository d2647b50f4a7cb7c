// The schedule panel.
#include "gui/schedule_panel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "cad/acdb.h"
#include "gui/placed_fans.h"

namespace zrgui {

SchedulePanel::SchedulePanel(QWidget* parent)
    : QWidget(parent),
      m_table(new QTableWidget(this)),
      m_csv(new QPushButton(tr("CSV..."), this)),
      m_xlsx(new QPushButton(tr("XLSX..."), this)),
      m_status(new QLabel(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(m_table, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_status, 1);
  buttons->addWidget(m_csv);
  buttons->addWidget(m_xlsx);
  layout->addLayout(buttons);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setSelectionMode(QAbstractItemView::SingleSelection);
  m_table->verticalHeader()->hide();
  m_table->setAlternatingRowColors(true);
  m_csv->setToolTip(tr("Write the schedule as CSV (FANSCHED Csv)"));
  m_xlsx->setToolTip(tr("Write the schedule as an Excel workbook (FANSCHED Xlsx)"));
  connect(m_table, &QTableWidget::cellClicked, this, [this](int row, int) {
    const AcDbObjectId fan = fanOfRow(row);
    if (!fan.isNull() && onFanClicked) onFanClicked(fan);
  });
  connect(m_csv, &QPushButton::clicked, this, [this] {
    if (onExport) onExport(false);
  });
  connect(m_xlsx, &QPushButton::clicked, this, [this] {
    if (onExport) onExport(true);
  });
}

void SchedulePanel::refresh(bool force) {
  const AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  const std::uint64_t stamp = db ? db->changeStamp() : 0;
  if (!force && (!isVisible() || (m_filled && db == m_db && stamp == m_stamp))) return;
  m_db = db;
  m_stamp = stamp;
  const std::optional<Cells> cells = m_source && db ? m_source() : std::nullopt;
  m_filled = cells.has_value();
  if (!cells) {
    fill({});
    m_status->setText(tr("The schedule comes from the fan module, which is not loaded."));
    return;
  }
  fill(*cells);
  m_status->setText(tr("%n fan(s)", nullptr, static_cast<int>(m_fans.size())));
}

void SchedulePanel::fill(const Cells& cells) {
  const QSignalBlocker block(m_table);
  const AcDbObjectId shown = fanOfRow(m_table->currentRow());
  m_table->clear();
  m_fans.clear();
  const int rows = cells.empty() ? 0 : static_cast<int>(cells.size()) - 1;
  m_table->setRowCount(rows);
  m_table->setColumnCount(cells.empty() ? 0 : static_cast<int>(cells.front().size()));
  if (!cells.empty()) m_table->setHorizontalHeaderLabels(cells.front());
  std::vector<QString> tags;
  for (int r = 0; r < rows; ++r) {
    const QStringList& row = cells[static_cast<std::size_t>(r) + 1];
    tags.push_back(row.value(0));
    for (int c = 0; c < row.size(); ++c) m_table->setItem(r, c, new QTableWidgetItem(row[c]));
  }
  m_fans = fansOfTags(tags, acdbHostApplicationServices()->workingDatabase());
  m_table->resizeColumnsToContents();
  if (!shown.isNull()) showFan(shown);
}

bool SchedulePanel::showFan(AcDbObjectId fan) {
  for (std::size_t r = 0; r < m_fans.size(); ++r) {
    if (m_fans[r] == fan) {
      const QSignalBlocker block(m_table);
      m_table->selectRow(static_cast<int>(r));
      m_table->scrollToItem(m_table->item(static_cast<int>(r), 0));
      return true;
    }
  }
  return false;
}

AcDbObjectId SchedulePanel::fanOfRow(int row) const {
  return row >= 0 && static_cast<std::size_t>(row) < m_fans.size()
             ? m_fans[static_cast<std::size_t>(row)]
             : AcDbObjectId();
}

void SchedulePanel::setExportEnabled(bool on) {
  m_csv->setEnabled(on);
  m_xlsx->setEnabled(on);
}

}  // namespace zrgui
