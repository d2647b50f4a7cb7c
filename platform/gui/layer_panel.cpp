// The layer panel.
#include "gui/layer_panel.h"

#include <QHeaderView>
#include <QInputDialog>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

#include "cad/acdb.h"
#include "gui/aci_colors.h"

namespace zrgui {

namespace {

// The colour a swatch shows, on the panel's light background.
QIcon swatch(int aci) {
  QPixmap pm(12, 12);
  pm.fill(QColor(aciColor(aci, qRgb(255, 255, 255))));
  QPainter p(&pm);
  p.setPen(Qt::black);
  p.drawRect(0, 0, 11, 11);
  return QIcon(pm);
}

// Cells show; clicks are the panel's, so no cell edits or checks itself.
QTableWidgetItem* cell(const QString& text = {}) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

QTableWidgetItem* checkCell(bool checked) {
  QTableWidgetItem* item = cell();
  item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  return item;
}

}  // namespace

LayerPanel::LayerPanel(QWidget* parent) : QWidget(parent), m_table(new QTableWidget(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_table);
  m_table->setColumnCount(ColumnCount);
  m_table->setHorizontalHeaderLabels({QString(), QObject::tr("Name"), QObject::tr("On"),
                                      QObject::tr("Frozen"), QObject::tr("Colour")});
  m_table->verticalHeader()->hide();
  // One line a layer, long names elided, as a list of many layers reads best.
  m_table->setWordWrap(false);
  m_table->setTextElideMode(Qt::ElideRight);
  m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setSelectionMode(QAbstractItemView::SingleSelection);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QHeaderView* header = m_table->horizontalHeader();
  header->setSectionResizeMode(QHeaderView::ResizeToContents);
  header->setSectionResizeMode(Name, QHeaderView::Stretch);
  m_table->setToolTip(
      QObject::tr("Click: ✓ makes a layer current, On and Frozen switch, "
                  "Colour changes; each change can be undone"));
  QObject::connect(m_table, &QTableWidget::cellClicked, this,
                   [this](int row, int column) { clicked(row, column); });
  askColor = [this](int current) { return pickColor(current); };
}

void LayerPanel::refresh() {
  const AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  const std::uint64_t stamp = db ? db->changeStamp() : 0;
  if (m_shown && db == m_db && stamp == m_stamp) return;
  m_db = db;
  m_stamp = stamp;
  m_shown = true;
  m_table->setRowCount(0);
  AcDbLayerTable* layers = nullptr;
  if (!db || const_cast<AcDbDatabase*>(db)->getLayerTable(layers, AcDb::kForRead) != Acad::eOk)
    return;
  const std::vector<AcDbObjectId> ids = layers->recordIds();
  layers->close();
  for (AcDbObjectId id : ids) {
    AcDbObjectPointer<AcDbLayerTableRecord> rec(id, AcDb::kForRead);
    if (!rec) continue;
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    const int aci = std::abs(rec->color().colorIndex());
    m_table->setItem(row, Current, cell(id == db->clayer() ? QStringLiteral("✓") : QString()));
    m_table->setItem(row, Name, cell(QString::fromStdWString(rec->name())));
    m_table->setItem(row, On, checkCell(!rec->isOff()));
    m_table->setItem(row, Frozen, checkCell(rec->isFrozen()));
    QTableWidgetItem* color = cell(QString::number(aci));
    color->setIcon(swatch(aci));
    m_table->setItem(row, Color, color);
  }
}

int LayerPanel::rowOf(const QString& name) const {
  for (int r = 0; r < m_table->rowCount(); ++r) {
    if (m_table->item(r, Name)->text() == name) return r;
  }
  return -1;
}

QString LayerPanel::literalName(const QString& name) {
  QString out;
  for (QChar c : name) {
    if (!c.isLetterOrNumber() && c != u' ' && c != u'_') out += u'`';
    out += c;
  }
  return out;
}

QStringList LayerPanel::linesFor(Column column, const QString& name, bool on, bool frozen,
                                 bool current) {
  QString option;
  switch (column) {
    case Current:
    case Name:
      if (current) return {};
      return {QStringLiteral("LAYER"), QStringLiteral("Set"), name, QString()};
    case On:
      option = on ? QStringLiteral("OFF") : QStringLiteral("ON");
      break;
    case Frozen:
      option = frozen ? QStringLiteral("Thaw") : QStringLiteral("Freeze");
      break;
    case Color:
    case ColumnCount:
      return {};
  }
  return {QStringLiteral("LAYER"), option, literalName(name), QString()};
}

void LayerPanel::clicked(int row, int column) {
  if (!m_onLines || row < 0 || row >= m_table->rowCount()) return;
  const QString name = m_table->item(row, Name)->text();
  if (column == Color) {
    const int aci = askColor ? askColor(m_table->item(row, Color)->text().toInt()) : 0;
    if (aci >= 1 && aci <= 255)
      m_onLines({QStringLiteral("LAYERCOLOR"), QString::number(aci), name});
    return;
  }
  const QStringList lines = linesFor(static_cast<Column>(column), name,
                                     m_table->item(row, On)->checkState() == Qt::Checked,
                                     m_table->item(row, Frozen)->checkState() == Qt::Checked,
                                     !m_table->item(row, Current)->text().isEmpty());
  if (!lines.isEmpty()) m_onLines(lines);
}

int LayerPanel::pickColor(int current) {
  // The seven named colours of the palette, as CAD programs offer them first.
  static const char* const kNames[] = {"Red",  "Yellow",  "Green", "Cyan",
                                       "Blue", "Magenta", "White"};
  QMenu menu(this);
  for (int aci = 1; aci <= 7; ++aci) {
    QAction* a = menu.addAction(swatch(aci), QObject::tr(kNames[aci - 1]));
    a->setData(aci);
    a->setCheckable(true);
    a->setChecked(aci == current);
  }
  menu.addSeparator();
  QAction* other = menu.addAction(QObject::tr("Other..."));
  QAction* chosen = menu.exec(QCursor::pos());
  if (!chosen) return 0;
  if (chosen != other) return chosen->data().toInt();
  bool ok = false;
  const int aci =
      QInputDialog::getInt(this, QObject::tr("Layer colour"), QObject::tr("Colour index (1-255):"),
                           current >= 1 ? current : 7, 1, 255, 1, &ok);
  return ok ? aci : 0;
}

}  // namespace zrgui
