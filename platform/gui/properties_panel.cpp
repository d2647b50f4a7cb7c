// The properties panel.
#include "gui/properties_panel.h"

#include <QHeaderView>
#include <QVBoxLayout>
#include <cmath>
#include <numbers>
#include <tuple>

#include "cad/acdb.h"
#include "cad/db/resbuf_util.h"
#include "gui/placed_fans.h"

namespace zrgui {

namespace {

const QString kVaries = QStringLiteral("*VARIES*");

QString number(double v) { return QString::number(v, 'g', 10); }

QString xdataValue(const resbuf* rb) {
  const auto text = [](const ACHAR* s) { return QString::fromWCharArray(s ? s : L""); };
  switch (zrcad::rbKindOf(rb->restype)) {
    case zrcad::RbKind::kString:
    case zrcad::RbKind::kHandle:
      return text(rb->resval.rstring);
    case zrcad::RbKind::kReal:
      return number(rb->resval.rreal);
    case zrcad::RbKind::kPoint:
      return QStringLiteral("(%1,%2,%3)")
          .arg(number(rb->resval.rpoint[0]), number(rb->resval.rpoint[1]),
               number(rb->resval.rpoint[2]));
    case zrcad::RbKind::kShort:
      return QString::number(rb->resval.rint);
    case zrcad::RbKind::kLong:
      return QString::number(rb->resval.rlong);
    case zrcad::RbKind::kInt64:
      return QString::number(rb->resval.mnInt64);
    case zrcad::RbKind::kBinary:
      return QStringLiteral("<%1 bytes>").arg(rb->resval.rbinary.clen);
    case zrcad::RbKind::kNone:
      break;
  }
  return QStringLiteral("?");
}

QString colorText(int aci) {
  if (aci == 256) return QStringLiteral("ByLayer");
  if (aci == 0) return QStringLiteral("ByBlock");
  return QString::number(aci);
}

QString nameOf(AcDbObjectId id) {
  AcDbObjectPointer<AcDbSymbolTableRecord> rec(id, AcDb::kForRead);
  return rec ? QString::fromStdWString(rec->name()) : QString();
}

// The value all give, or *VARIES*.
void merge(QString& into, const QString& value, bool first) {
  if (first) {
    into = value;
  } else if (into != value) {
    into = kVaries;
  }
}

QTreeWidgetItem* group(QTreeWidget* tree, const QString& title) {
  auto* item = new QTreeWidgetItem(tree, {title});
  QFont f = item->font(0);
  f.setBold(true);
  item->setFont(0, f);
  item->setFirstColumnSpanned(true);
  item->setExpanded(true);
  return item;
}

void row(QTreeWidgetItem* parent, const QString& name, const QString& value) {
  auto* item = new QTreeWidgetItem(parent, {name, value});
  item->setToolTip(1, value);
}

// A recorded number as the schedule rounds it ("" when not recorded).
QString rounded(const QString& recorded, int decimals) {
  bool ok = false;
  const double v = recorded.toDouble(&ok);
  if (!ok) return {};
  QString text = QString::number(v, 'f', decimals);
  if (decimals > 0) {
    while (text.endsWith(u'0')) text.chop(1);
    if (text.endsWith(u'.')) text.chop(1);
  }
  return text;
}

// Flow and pressure of a point, or a dash when the record has none.
QString point(const QString& flow, const QString& pressure) {
  if (flow.isEmpty() || pressure.isEmpty()) return QStringLiteral("\u2014");
  return QStringLiteral("%1 m\u00b3/h, %2 Pa").arg(rounded(flow, 0), rounded(pressure, 0));
}

// The fan's record as readable rows.
void fanRows(QTreeWidget* tree, AcDbObjectId id) {
  if (!isPlacedFan(id)) return;
  const FanRecordEntries record = fanRecord(id);
  QTreeWidgetItem* fan = group(tree, QObject::tr("Fan"));
  if (record.empty()) {
    row(fan, QObject::tr("Tag"), QObject::tr("none (placed before tags)"));
    return;
  }
  const auto v = [&](const char* key) { return recordValue(record, QString::fromLatin1(key)); };
  row(fan, QObject::tr("Tag"), v("TAG"));
  row(fan, QObject::tr("Series"), v("SERIES"));
  row(fan, QObject::tr("Fan number"), v("FANNO"));
  row(fan, QObject::tr("Drive"), v("DRIVE"));
  row(fan, QObject::tr("Speed"), v("SPEED") + QStringLiteral(" r/min"));
  row(fan, QObject::tr("Duty"), point(v("FLOW"), v("PRESSURE")));
  row(fan, QObject::tr("Operating point"), point(v("POINTFLOW"), v("POINTPRESSURE")));
  const std::tuple<const char*, const char*, int, const char*> extras[] = {
      {"EFFICIENCY", QT_TRANSLATE_NOOP("QObject", "Efficiency"), 1, " %"},
      {"SHAFTPOWER", QT_TRANSLATE_NOOP("QObject", "Shaft power"), 2, " kW"},
      {"MOTORPOWER", QT_TRANSLATE_NOOP("QObject", "Motor power"), 2, " kW"}};
  for (const auto& [key, name, decimals, unit] : extras) {
    const QString value = rounded(v(key), decimals);
    if (!value.isEmpty()) row(fan, QObject::tr(name), value + QString::fromLatin1(unit));
  }
}

}  // namespace

PropertiesPanel::PropertiesPanel(QWidget* parent) : QWidget(parent), m_tree(new QTreeWidget(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_tree);
  m_tree->setColumnCount(2);
  m_tree->setHeaderLabels({QObject::tr("Property"), QObject::tr("Value")});
  m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  m_tree->setRootIsDecorated(false);
  m_tree->setIndentation(8);
  rebuild();
}

void PropertiesPanel::showSelection(const std::vector<AcDbObjectId>& ids) {
  const AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  const std::uint64_t stamp = db ? db->changeStamp() : 0;
  if (m_shown && ids == m_ids && stamp == m_stamp) return;
  m_ids = ids;
  m_stamp = stamp;
  rebuild();
}

void PropertiesPanel::rebuild() {
  m_shown = true;
  m_tree->clear();
  std::vector<AcDbObjectId> live;
  for (AcDbObjectId id : m_ids)
    if (!id.isNull() && !id.isErased()) live.push_back(id);
  if (live.empty()) {
    auto* none = new QTreeWidgetItem(m_tree, {QObject::tr("Nothing selected")});
    none->setFirstColumnSpanned(true);
    none->setDisabled(true);
    return;
  }
  QString type, layer, color;
  bool first = true;
  for (AcDbObjectId id : live) {
    AcDbObjectPointer<AcDbEntity> e(id, AcDb::kForRead);
    if (!e) continue;
    merge(type, QString::fromUtf8(e->isA()->dxfName()), first);
    merge(layer, nameOf(e->layerId()), first);
    merge(color, colorText(e->colorIndex()), first);
    first = false;
  }
  QTreeWidgetItem* general =
      group(m_tree, live.size() == 1 ? QObject::tr("General")
                                     : QObject::tr("General (%1 selected)").arg(live.size()));
  row(general, QObject::tr("Type"), type);
  row(general, QObject::tr("Layer"), layer);
  row(general, QObject::tr("Colour"), color);
  if (live.size() != 1) return;
  AcDbObjectPointer<AcDbBlockReference> ref(live.front(), AcDb::kForRead);
  if (!ref) return;
  QTreeWidgetItem* geometry = group(m_tree, QObject::tr("Block reference"));
  row(geometry, QObject::tr("Block"), nameOf(ref->blockTableRecord()));
  row(geometry, QObject::tr("Position X"), number(ref->position().x));
  row(geometry, QObject::tr("Position Y"), number(ref->position().y));
  row(geometry, QObject::tr("Rotation"), number(ref->rotation() * 180 / std::numbers::pi));
  row(geometry, QObject::tr("Scale"), number(ref->scaleFactors().sx));
  fanRows(m_tree, live.front());
  resbuf* chain = ref->xData(nullptr);
  if (!chain) return;
  QTreeWidgetItem* xdata = group(m_tree, QObject::tr("Extended data"));
  QTreeWidgetItem* app = nullptr;
  QStringList values;
  const auto flush = [&] {
    if (app) app->setText(1, values.join(QStringLiteral(", ")));
    values.clear();
  };
  for (const resbuf* rb = chain; rb; rb = rb->rbnext) {
    if (rb->restype == 1001) {
      flush();
      app = new QTreeWidgetItem(xdata, {QString::fromWCharArray(rb->resval.rstring)});
    } else {
      values << xdataValue(rb);
    }
  }
  flush();
  acutRelRb(chain);
}

QString PropertiesPanel::value(const QString& property) const {
  for (int g = 0; g < m_tree->topLevelItemCount(); ++g) {
    const QTreeWidgetItem* item = m_tree->topLevelItem(g);
    for (int i = 0; i < item->childCount(); ++i) {
      if (item->child(i)->text(0) == property) return item->child(i)->text(1);
    }
  }
  return {};
}

}  // namespace zrgui
