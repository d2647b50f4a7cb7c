// Preview widgets.
#include "gui/preview_widget.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>
#include <functional>

#include "base/module_instance.h"
#include "cad/acdb.h"
#include "win/extension_module.h"
#include "win/resources.h"

namespace zrgui {

namespace {

// One notch of the wheel zooms by this factor; a realtime-zoom drag by this
// factor per pixel.
constexpr double kWheelStep = 1.25;
constexpr double kDragZoomPerPixel = 1.01;
constexpr double kOrbitPerPixel = 0.01;  // radians

bool carriesPreviewCommands(const std::vector<winplat::MenuItemTemplate>& items) {
  for (const auto& item : items) {
    if (item.id == winplat::kPreviewInitialView || item.id == winplat::kPreviewPan) return true;
    if (carriesPreviewCommands(item.popup)) return true;
  }
  return false;
}

const winplat::MenuTemplate* previewMenu(HINSTANCE first) {
  std::vector<HINSTANCE> modules{first, AfxGetResourceHandle()};
  for (CDynLinkLibrary* lib : winplat::dynLinkLibraries()) modules.push_back(lib->m_hResource);
  for (HINSTANCE h : modules) {
    const winplat::ResourceTable* table = winplat::resourcesOf(h);
    if (!table) continue;
    for (const auto& menu : table->menus) {
      if (carriesPreviewCommands(menu.items)) return &menu;
    }
  }
  return nullptr;
}

void addItems(QMenu& menu, const std::vector<winplat::MenuItemTemplate>& items,
              const std::function<void(UINT)>& run) {
  for (const auto& item : items) {
    if (item.flags & winplat::MF_SEPARATOR) {
      menu.addSeparator();
    } else if (item.flags & winplat::MF_POPUP) {
      addItems(*menu.addMenu(QString::fromStdWString(item.text)), item.popup, run);
    } else {
      QAction* a = menu.addAction(QString::fromStdWString(item.text));
      const UINT id = item.id;
      QObject::connect(a, &QAction::triggered, [run, id] { run(id); });
      a->setEnabled(!(item.flags & (winplat::MF_GRAYED | winplat::MF_DISABLED)));
      if (item.flags & winplat::MFS_DEFAULT) menu.setDefaultAction(a);
    }
  }
}

}  // namespace

PreviewWidget::PreviewWidget(const winplat::PreviewModel& model, HINSTANCE resources,
                             QWidget* parent)
    : QWidget(parent), m_model(model), m_resources(resources) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(false);
  sync();
}

QColor PreviewWidget::background() const {
  return QColor(GetRValue(m_background), GetGValue(m_background), GetBValue(m_background));
}

void PreviewWidget::sync() {
  const auto* db = static_cast<const AcDbDatabase*>(m_model.previewDatabase());
  const bool shown = m_model.previewShown() && db;
  const std::uint64_t stamp = db ? db->changeStamp() : 0;
  const COLORREF bg = m_model.previewBackground();
  if (db == m_db && stamp == m_stamp && shown == m_shown && bg == m_background &&
      !m_initialPending) {
    return;
  }
  const bool newDrawing = db != m_db || stamp != m_stamp || shown != m_shown;
  m_db = db;
  m_stamp = stamp;
  m_shown = shown;
  m_background = bg;
  m_scene = shown ? buildScene(db, background().rgb()) : Scene();
  if (newDrawing) m_initialPending = true;
  if (m_initialPending && width() > 0) initialView();
  update();
}

void PreviewWidget::initialView() {
  m_view.setViewport(size());
  const winplat::PreviewView v = m_model.previewView();
  if (v.width > 0 && v.height > 0) {
    m_view.setView(QPointF(v.centerX, v.centerY), v.width, v.height, v.twist);
  } else {
    m_view.rotateBy(-m_view.twist());
    if (m_scene.hasBounds) m_view.fit(m_scene.bounds);
  }
  m_initialPending = false;
  m_moved = false;
}

void PreviewWidget::runCommand(UINT id) {
  switch (id) {
    case winplat::kPreviewZoomRealtime:
      m_mode = DragMode::ZoomRealtime;
      break;
    case winplat::kPreviewZoomWindow:
      m_mode = DragMode::ZoomWindow;
      break;
    case winplat::kPreviewPan:
      m_mode = DragMode::Pan;
      break;
    case winplat::kPreviewOrbit:
      m_mode = DragMode::Orbit;
      break;
    case winplat::kPreviewInitialView:
      m_mode = DragMode::Pan;
      initialView();
      break;
    default:
      return;
  }
  setCursor(m_mode == DragMode::Pan
                ? Qt::OpenHandCursor
                : (m_mode == DragMode::ZoomWindow ? Qt::CrossCursor : Qt::SizeVerCursor));
  update();
}

QImage PreviewWidget::picture() {
  QImage image(size(), QImage::Format_RGB32);
  render(&image);
  return image;
}

void PreviewWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (m_initialPending && m_shown) initialView();
  m_view.setViewport(size());
  if (m_shown) {
    m_painter.paint(p, m_scene, m_view, background());
  } else {
    p.fillRect(rect(), background());
  }
  if (m_dragging && m_mode == DragMode::ZoomWindow) {
    p.setPen(QPen(Qt::white, 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(m_dragStart, m_dragLast).normalized());
  }
}

void PreviewWidget::resizeEvent(QResizeEvent*) {
  m_view.setViewport(size());
  // The first view follows the control's size until the user moves it.
  if (m_initialPending || !m_moved || !m_view.isSet()) initialView();
}

void PreviewWidget::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0 || !m_view.isSet()) return;
  m_view.zoomAt(event->position(), std::pow(kWheelStep, notches));
  m_moved = true;
  update();
  event->accept();
}

void PreviewWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton && event->button() != Qt::MiddleButton) return;
  m_dragging = true;
  m_dragStart = m_dragLast = event->position().toPoint();
}

void PreviewWidget::mouseMoveEvent(QMouseEvent* event) {
  if (!m_dragging) return;
  const QPoint p = event->position().toPoint();
  const QPoint d = p - m_dragLast;
  const DragMode mode = (event->buttons() & Qt::MiddleButton) ? DragMode::Pan : m_mode;
  switch (mode) {
    case DragMode::Pan:
      m_view.pan(d);
      break;
    case DragMode::ZoomRealtime:
      m_view.zoomAt(QPointF(width() / 2.0, height() / 2.0), std::pow(kDragZoomPerPixel, -d.y()));
      break;
    case DragMode::Orbit:
      m_view.rotateBy(d.x() * kOrbitPerPixel);
      break;
    case DragMode::ZoomWindow:
      break;
  }
  m_dragLast = p;
  m_moved = true;
  update();
}

void PreviewWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (!m_dragging) return;
  m_dragging = false;
  if (m_mode == DragMode::ZoomWindow && event->button() == Qt::LeftButton) {
    const QRect r = QRect(m_dragStart, event->position().toPoint()).normalized();
    if (r.width() > 2 && r.height() > 2) {
      const QPointF a = m_view.toWorld(r.topLeft());
      const QPointF b = m_view.toWorld(r.bottomRight());
      const double twist = m_view.twist();
      m_view.setView((a + b) / 2, r.width() / m_view.scale(), r.height() / m_view.scale(), twist);
      m_moved = true;
    }
  }
  update();
}

void PreviewWidget::contextMenuEvent(QContextMenuEvent* event) {
  const winplat::MenuTemplate* tmpl = previewMenu(m_resources);
  if (!tmpl) return;
  QMenu menu(this);
  // A menu resource holds one popup whose items are the menu shown.
  const auto& items = tmpl->items.size() == 1 && (tmpl->items[0].flags & winplat::MF_POPUP)
                          ? tmpl->items[0].popup
                          : tmpl->items;
  addItems(menu, items, [this](UINT id) { runCommand(id); });
  menu.exec(event->globalPos());
}

}  // namespace zrgui
