// The drawing canvas.
#include "gui/drawing_canvas.h"

#include <unistd.h>

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "cad/acdb.h"
#include "cad/runtime/implied_selection.h"

namespace zrgui {

namespace {

constexpr double kWheelStep = 1.25;
// A press and release closer than this many pixels is a click, not a drag;
// a click picks what is drawn within this many pixels of it (across and down).
constexpr int kClickSlop = 4;
constexpr int kPickBox = 3;
// What an empty drawing shows: an A3 sheet in millimetres from the origin.
const QRectF kEmptyView(0, 0, 420, 297);

// FANCAD_FIRST_PAINT set: the first paint that shows a drawing prints how
// long after the process started it was done, and where the time went, on
// standard error, and ends the program (bench/gui/first_paint.sh).
struct FirstPaintProbe {
  bool on = qEnvironmentVariableIsSet("FANCAD_FIRST_PAINT");
  double canvasMade = 0;
  double sceneStart = 0, sceneMs = 0;

  // Milliseconds since the process started (the kernel keeps that moment in
  // clock ticks, a hundredth of a second here).
  static double sinceStart() {
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    const auto name = line.rfind(')');
    if (name == std::string::npos) return 0;
    std::istringstream fields(line.substr(name + 1));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    const double started =
        std::strtod(field.c_str(), nullptr) / static_cast<double>(sysconf(_SC_CLK_TCK));
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return (static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9 - started) *
           1000;
  }
};

FirstPaintProbe& firstPaint() {
  static FirstPaintProbe probe;
  return probe;
}

double msSince(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace

QColor DrawingCanvas::backgroundColor() { return QColor(33, 40, 48); }

DrawingCanvas::DrawingCanvas(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setMinimumSize(200, 150);
  // A timer of the canvas's own rather than a posted call: nothing is left
  // queued when the canvas or the program ends before it fires.
  m_prepareTimer.setSingleShot(true);
  m_prepareTimer.setInterval(0);
  connect(&m_prepareTimer, &QTimer::timeout, this, [this] { ScenePainter::prepare(m_scene); });
  if (firstPaint().on) firstPaint().canvasMade = FirstPaintProbe::sinceStart();
}

QString DrawingCanvas::pointText(QPointF world) {
  auto number = [](double v) {
    QString s = QString::number(v, 'f', 4);
    while (s.contains(u'.') && (s.endsWith(u'0') || s.endsWith(u'.'))) s.chop(1);
    return s == QStringLiteral("-0") ? QStringLiteral("0") : s;
  };
  return number(world.x()) + u',' + number(world.y());
}

void DrawingCanvas::refresh() {
  const AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  const std::uint64_t stamp = db ? db->changeStamp() : 0;
  if (db == m_db && stamp == m_stamp && m_cacheValid) return;
  const bool another = db != m_db;
  const bool wasEmpty = m_scene.isEmpty();
  if (another || stamp != m_stamp || m_scene.isEmpty()) {
    const auto start = std::chrono::steady_clock::now();
    if (firstPaint().on) firstPaint().sceneStart = FirstPaintProbe::sinceStart();
    m_scene = buildScene(db, backgroundColor().rgb());
    firstPaint().sceneMs = msSince(start);
    m_cacheDrawn = false;
    m_prepared = false;
  }
  m_db = db;
  m_stamp = stamp;
  m_selection.prune();
  if (another || (wasEmpty && !m_scene.isEmpty()) || !m_view.isSet()) m_fitPending = true;
  if (m_fitPending && width() > 0 && height() > 0) zoomExtents();
  m_cacheValid = false;
  update();
}

void DrawingCanvas::setRequest(const cadrt::InputRequest& request, bool waiting, bool inCommand) {
  m_request = request;
  m_waiting = waiting;
  m_inCommand = inCommand;
  ++m_prompts;
  if (!waiting) m_selecting = false;
  // A grip move has run (it took the selection): the selection comes back.
  if (m_restorePending && atCommandPrompt() && m_selection.isEmpty()) {
    m_restorePending = false;
    cadrt::setImpliedSelection(std::move(m_restore));
    m_restore.clear();
    m_selection.prune();
  }
  const bool pointing = waiting && (picksPoints() || request.kind == cadrt::InputKind::Selection);
  setCursor(pointing ? Qt::CrossCursor : Qt::ArrowCursor);
  update();
}

bool DrawingCanvas::atCommandPrompt() const {
  return m_waiting && !m_inCommand && m_request.kind == cadrt::InputKind::Line;
}

void DrawingCanvas::clearSelection() {
  m_selection.clear();
  m_restorePending = false;
  m_restore.clear();
  if (m_onSelection) m_onSelection();
  update();
}

void DrawingCanvas::select(std::vector<AcDbObjectId> ids) {
  m_restorePending = false;
  m_restore.clear();
  cadrt::setImpliedSelection(std::move(ids));
  if (m_onSelection) m_onSelection();
  update();
}

bool DrawingCanvas::zoomTo(AcDbObjectId id) {
  AcDbObjectPointer<AcDbEntity> e(id, AcDb::kForRead);
  AcDbExtents ext;
  if (!e || e->getGeomExtents(ext) != Acad::eOk) return false;
  const QRectF box(QPointF(ext.minPoint().x, ext.minPoint().y),
                   QPointF(ext.maxPoint().x, ext.maxPoint().y));
  const double around = std::max({box.width(), box.height(), 1.0});
  zoomWindow(box.adjusted(-around, -around, around, around));
  return true;
}

bool DrawingCanvas::picksPoints() const {
  return m_request.kind == cadrt::InputKind::Point || m_request.kind == cadrt::InputKind::Angle ||
         m_request.kind == cadrt::InputKind::Distance;
}

void DrawingCanvas::setSnap(bool on) {
  m_snapOn = on;
  update();
}

QPointF DrawingCanvas::pickedPoint(QPoint screen) const {
  if (m_snapOn) {
    if (const auto snap = findSnap(acdbHostApplicationServices()->workingDatabase(),
                                   QPointF(screen), kAperture, m_view.toScreenTransform())) {
      return snap->at;
    }
  }
  const QPointF world = m_view.toWorld(screen);
  if (m_orthoOn && m_request.hasBase) {
    return orthoPoint(QPointF(m_request.base[0], m_request.base[1]), world);
  }
  return world;
}

void DrawingCanvas::paintSnap(QPainter& p) const {
  if (!m_snapOn || !picksPoints()) return;
  const auto snap = findSnap(acdbHostApplicationServices()->workingDatabase(), QPointF(m_cursor),
                             kAperture, m_view.toScreenTransform());
  if (!snap) return;
  // The marker's shape says what the point is, as CAD programs draw it.
  const QPointF c = m_view.toScreen(snap->at);
  constexpr double r = 6;
  p.setPen(QPen(snapColor(), 2));
  p.setBrush(Qt::NoBrush);
  switch (snap->kind) {
    case SnapKind::Endpoint:
      p.drawRect(QRectF(c - QPointF(r, r), QSizeF(2 * r, 2 * r)));
      break;
    case SnapKind::Midpoint:
      p.drawPolygon(QPolygonF({c + QPointF(0, -r), c + QPointF(r, r), c + QPointF(-r, r)}));
      break;
    case SnapKind::Centre:
      p.drawEllipse(c, r, r);
      break;
    case SnapKind::Insertion:
      p.drawRect(QRectF(c - QPointF(r, r), QSizeF(2 * r, 2 * r)));
      p.drawLine(c - QPointF(r / 2, 0), c + QPointF(r / 2, 0));
      p.drawLine(c - QPointF(0, r / 2), c + QPointF(0, r / 2));
      break;
  }
}

void DrawingCanvas::zoomExtents() {
  m_view.setViewport(size());
  m_view.fit(m_scene.hasBounds ? m_scene.bounds : kEmptyView);
  m_fitPending = false;
  m_moved = false;
  m_cacheValid = false;
  update();
}

void DrawingCanvas::zoomWindow(const QRectF& world) {
  m_view.setViewport(size());
  m_view.fit(world.normalized(), 0);
  m_moved = true;
  m_cacheValid = false;
  update();
}

void DrawingCanvas::zoomBy(double factor) {
  m_view.zoomAt(QPointF(width() / 2.0, height() / 2.0), factor);
  m_moved = true;
  m_cacheValid = false;
  update();
}

namespace {

// The whole-pixel shift that takes a picture drawn through from to one drawn
// through to, when the two differ by no more (a pan); nothing otherwise.
std::optional<QPoint> panShift(const QTransform& from, const QTransform& to) {
  if (from.m11() != to.m11() || from.m12() != to.m12() || from.m21() != to.m21() ||
      from.m22() != to.m22() || from.type() > QTransform::TxRotate ||
      to.type() > QTransform::TxRotate) {
    return std::nullopt;
  }
  const double sx = to.dx() - from.dx();
  const double sy = to.dy() - from.dy();
  constexpr double kWhole = 1e-6;  // of a pixel
  if (!(std::abs(sx - std::round(sx)) < kWhole && std::abs(sy - std::round(sy)) < kWhole)) {
    return std::nullopt;
  }
  if (std::abs(sx) > 1e6 || std::abs(sy) > 1e6) return std::nullopt;
  return QPoint(static_cast<int>(std::round(sx)), static_cast<int>(std::round(sy)));
}

// Moves the pixels of a 32-bit image by shift; what comes in is left as it was.
void scrollPixels(QImage& image, QPoint shift) {
  const int w = image.width(), h = image.height();
  const int sx = shift.x(), sy = shift.y();
  if (std::abs(sx) >= w || std::abs(sy) >= h) return;
  image.bits();  // a picture shared with a copy handed out is copied now, not mid-move
  const std::size_t bytes = static_cast<std::size_t>(w - std::abs(sx)) * sizeof(QRgb);
  auto move = [&](int y) {
    const auto* from =
        reinterpret_cast<const QRgb*>(image.constScanLine(y - sy)) + std::max(0, -sx);
    auto* to = reinterpret_cast<QRgb*>(image.scanLine(y)) + std::max(0, sx);
    std::memmove(to, from, bytes);
  };
  // Rows are taken before they are written over.
  if (sy > 0) {
    for (int y = h - 1; y >= sy; --y) move(y);
  } else {
    for (int y = 0; y < h + sy; ++y) move(y);
  }
}

}  // namespace

void DrawingCanvas::renderCache() {
  m_view.setViewport(size());
  const QTransform now = m_view.toScreenTransform();
  const std::optional<QPoint> shift =
      m_cacheDrawn && m_cache.size() == size() ? panShift(m_cacheTransform, now) : std::nullopt;
  if (shift && std::abs(shift->x()) < width() && std::abs(shift->y()) < height()) {
    // A pan: the picture moves along, and only the strips it uncovers are drawn.
    scrollPixels(m_cache, *shift);
    QPainter p(&m_cache);
    const int w = width(), h = height();
    if (shift->x() > 0)
      m_painter.paint(p, m_scene, m_view, backgroundColor(), QRect(0, 0, shift->x(), h));
    if (shift->x() < 0)
      m_painter.paint(p, m_scene, m_view, backgroundColor(),
                      QRect(w + shift->x(), 0, -shift->x(), h));
    if (shift->y() > 0)
      m_painter.paint(p, m_scene, m_view, backgroundColor(), QRect(0, 0, w, shift->y()));
    if (shift->y() < 0)
      m_painter.paint(p, m_scene, m_view, backgroundColor(),
                      QRect(0, h + shift->y(), w, -shift->y()));
  } else {
    if (m_cache.size() != size()) m_cache = QImage(size(), QImage::Format_RGB32);
    QPainter p(&m_cache);
    m_painter.paint(p, m_scene, m_view, backgroundColor());
  }
  m_cacheTransform = now;
  m_cacheDrawn = true;
  m_cacheValid = true;
  if (!m_prepared) {
    // Once the picture is up, while the user looks at it: the first pan or
    // zoom would otherwise make the grids (on the 200,000 lines of bench/gui
    // its frame took the longest of the session).
    m_prepared = true;
    m_prepareTimer.start();
  }
}

QImage DrawingCanvas::picture() {
  if (!m_cacheValid) renderCache();
  return m_cache;
}

void DrawingCanvas::paintEvent(QPaintEvent*) {
  const auto start = std::chrono::steady_clock::now();
  // Reports once the painter below has finished (it is destroyed first).
  struct Report {
    const Scene& scene;
    std::chrono::steady_clock::time_point start;
    ~Report() {
      const FirstPaintProbe& probe = firstPaint();
      if (!probe.on || scene.isEmpty()) return;
      std::fprintf(
          stderr,
          "fancad: first paint of the drawing %.0f ms after start (window made at %.0f ms, "
          "drawing read by %.0f ms, its picture built in %.0f ms, painted in %.0f ms)\n",
          FirstPaintProbe::sinceStart(), probe.canvasMade, probe.sceneStart, probe.sceneMs,
          msSince(start));
      std::fflush(stderr);
      std::_Exit(0);
    }
  } report{m_scene, start};
  if (!m_cacheValid) renderCache();
  QPainter p(this);
  p.drawImage(0, 0, m_cache);
  paintAxesIcon(p);
  paintSelection(p);
  if (!m_hasCursor || !m_waiting) return;
  paintDragged(p);
  paintInserted(p);
  if (picksPoints() && m_request.hasBase) {
    p.setPen(QPen(QColor(255, 255, 255), 1, Qt::DashLine));
    p.drawLine(m_view.toScreen(QPointF(m_request.base[0], m_request.base[1])),
               m_view.toScreen(pickedPoint(m_cursor)));
  }
  paintSnap(p);
  if (m_request.kind == cadrt::InputKind::Selection || atCommandPrompt()) {
    if (m_selecting) {
      const bool window = m_cursor.x() >= m_selectStart.x();
      const QRect box = QRect(m_selectStart, m_cursor).normalized();
      p.setPen(QPen(window ? QColor(120, 160, 255) : QColor(120, 255, 140), 1,
                    window ? Qt::SolidLine : Qt::DashLine));
      p.setBrush(window ? QColor(60, 90, 200, 60) : QColor(60, 200, 90, 60));
      p.drawRect(box);
    } else if (m_request.kind == cadrt::InputKind::Selection) {
      p.setPen(QColor(255, 255, 255));
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRect(m_cursor - QPoint(kPickBox, kPickBox), QSize(2 * kPickBox, 2 * kPickBox)));
    }
  }
}

void DrawingCanvas::paintOutline(QPainter& p, const Scene& scene, const QTransform& move) const {
  const QTransform toScreen = move * m_view.toScreenTransform();
  for (const SceneBatch& b : scene.batches) {
    for (const QLineF& s : b.segments) p.drawLine(toScreen.map(s));
    for (const QPolygonF& f : b.fills) p.drawPolygon(toScreen.map(f));
    for (const QPointF& pt : b.points) p.drawPoint(toScreen.map(pt));
  }
}

void DrawingCanvas::paintSelection(QPainter& p) {
  if (m_selection.isEmpty()) return;
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(highlightColor(), 1, Qt::DashLine));
  paintOutline(p, m_selection.highlight(m_stamp));
  p.setPen(QPen(QColor(255, 255, 255), 1));
  p.setBrush(gripColor());
  for (const Grip& g : m_selection.grips()) {
    const QPoint at = m_view.toScreen(g.at).toPoint();
    p.drawRect(QRect(at - QPoint(kGripHalf, kGripHalf), QSize(2 * kGripHalf, 2 * kGripHalf)));
  }
  p.setBrush(Qt::NoBrush);
}

void DrawingCanvas::paintDragged(QPainter& p) {
  const std::vector<AcDbObjectId>* ids = cadrt::currentDragPreview();
  QPointF from;
  std::vector<AcDbObjectId> one;
  if (m_gripDragging) {
    one.push_back(m_grip.entity);
    ids = &one;
    from = m_grip.at;
  } else if (ids && picksPoints() && m_request.hasBase) {
    from = QPointF(m_request.base[0], m_request.base[1]);
  } else {
    return;
  }
  if (*ids != m_draggedIds || m_stamp != m_draggedStamp) {
    m_draggedIds = *ids;
    m_draggedStamp = m_stamp;
    m_dragged = buildScene(acdbHostApplicationServices()->workingDatabase(), 0, m_draggedIds);
  }
  const QPointF to = m_gripDragging ? m_view.toWorld(m_cursor) : pickedPoint(m_cursor);
  QTransform move = QTransform::fromTranslate(to.x() - from.x(), to.y() - from.y());
  if (!m_gripDragging && cadrt::currentDragMotion() == cadrt::DragMotion::Rotate) {
    // The angle the cursor gives, as the angle prompt reads a point: from the base towards it.
    const QPointF d = to - from;
    if (d.isNull()) return;
    move = QTransform::fromTranslate(-from.x(), -from.y()) *
           QTransform().rotateRadians(std::atan2(d.y(), d.x())) *
           QTransform::fromTranslate(from.x(), from.y());
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(highlightColor(), 1));
  paintOutline(p, m_dragged, move);
  if (m_gripDragging) {
    p.setPen(QPen(QColor(255, 255, 255), 1, Qt::DashLine));
    p.drawLine(m_view.toScreen(from), QPointF(m_cursor));
  }
}

void DrawingCanvas::paintInserted(QPainter& p) {
  const cadrt::InsertPreview* inserted = cadrt::currentInsertPreview();
  if (!inserted || m_request.kind != cadrt::InputKind::Point) return;
  if (inserted->block != m_insertedOf.block || inserted->scale != m_insertedOf.scale ||
      inserted->rotation != m_insertedOf.rotation || m_stamp != m_insertedStamp) {
    m_insertedOf = *inserted;
    m_insertedStamp = m_stamp;
    m_inserted = buildReferenceScene(acdbHostApplicationServices()->workingDatabase(), 0,
                                     inserted->block, inserted->scale, inserted->rotation);
  }
  const QPointF at = pickedPoint(m_cursor);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(highlightColor(), 1));
  paintOutline(p, m_inserted, QTransform::fromTranslate(at.x(), at.y()));
}

void DrawingCanvas::paintAxesIcon(QPainter& p) const {
  // The directions of the drawing's axes, at the corner as CAD programs show them.
  const QPointF origin(16, height() - 16);
  const double turn = m_view.twist();
  const QPointF x(std::cos(turn), std::sin(turn));
  const QPointF y(-x.y(), x.x());
  constexpr double kArm = 36;
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(QColor(190, 190, 190), 1));
  p.drawLine(origin, origin + QPointF(x.x(), -x.y()) * kArm);
  p.drawLine(origin, origin + QPointF(y.x(), -y.y()) * kArm);
  p.drawRect(QRectF(origin - QPointF(3, 3), QSizeF(6, 6)));
  QFont f = font();
  f.setPixelSize(11);
  p.setFont(f);
  p.drawText(origin + QPointF(x.x(), -x.y()) * (kArm + 8) + QPointF(-3, 4), QStringLiteral("X"));
  p.drawText(origin + QPointF(y.x(), -y.y()) * (kArm + 8) + QPointF(-3, 4), QStringLiteral("Y"));
  p.setRenderHint(QPainter::Antialiasing, false);
}

void DrawingCanvas::resizeEvent(QResizeEvent*) {
  m_view.setViewport(size());
  // A fitted view stays fitted as the window changes size, until the user moves it.
  if (m_fitPending || !m_moved || !m_view.isSet()) zoomExtents();
  m_cacheValid = false;
}

void DrawingCanvas::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0) return;
  m_view.zoomAt(event->position(), std::pow(kWheelStep, notches));
  m_moved = true;
  m_cacheValid = false;
  update();
  event->accept();
}

void DrawingCanvas::answer(const QString& text) {
  if (m_onAnswer) m_onAnswer(text);
}

void DrawingCanvas::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (event->button() == Qt::MiddleButton) {
    m_panning = true;
    m_panLast = pos;
    return;
  }
  if (event->button() == Qt::RightButton) {
    // Ending a selection is what the right button is for there, at once.
    if (m_waiting && m_request.kind == cadrt::InputKind::Selection) {
      answer(QString());
    } else if (m_onContextMenu) {
      m_onContextMenu(event->globalPosition().toPoint());
    }
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  if (m_waiting && picksPoints()) {
    m_pointPressed = true;
    m_pressAt = pos;
    m_pressPrompt = m_prompts;
    answer(pointText(pickedPoint(pos)));
  } else if (m_waiting && (m_request.kind == cadrt::InputKind::Selection || atCommandPrompt())) {
    const std::optional<Grip> grip = atCommandPrompt() ? gripAt(pos) : std::nullopt;
    if (grip && grip->insertion) {
      m_gripDragging = true;
      m_grip = *grip;
      m_pressAt = pos;
      return;
    }
    m_selecting = true;
    m_selectStart = pos;
  } else {
    m_panning = true;
    m_panLast = pos;
  }
}

void DrawingCanvas::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  m_hasCursor = true;
  m_cursor = pos;
  if (m_panning) {
    m_view.pan(pos - m_panLast);
    m_panLast = pos;
    m_moved = true;
    m_cacheValid = false;
  }
  if (m_onCursor) m_onCursor(m_view.toWorld(pos));
  update();
}

void DrawingCanvas::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (m_panning && (event->button() == Qt::MiddleButton || event->button() == Qt::LeftButton)) {
    m_panning = false;
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  if (m_pointPressed) {
    m_pointPressed = false;
    // A drag: the press answered one point, the release answers the next
    // one, from the base point the press gave.
    if (m_prompts != m_pressPrompt && m_waiting && picksPoints() && m_request.hasBase &&
        (pos - m_pressAt).manhattanLength() >= kClickSlop) {
      answer(pointText(pickedPoint(pos)));
    }
  }
  if (m_gripDragging) {
    finishGripDrag(pos);
  } else if (m_selecting) {
    if (atCommandPrompt()) {
      finishIdleSelection(pos);
    } else {
      finishSelection(pos);
    }
  }
}

std::optional<Grip> DrawingCanvas::gripAt(QPoint p) const {
  for (const Grip& g : m_selection.grips()) {
    const QPoint at = m_view.toScreen(g.at).toPoint();
    if (std::abs(at.x() - p.x()) <= kGripHalf + 1 && std::abs(at.y() - p.y()) <= kGripHalf + 1)
      return g;
  }
  return std::nullopt;
}

void DrawingCanvas::finishGripDrag(QPoint end) {
  m_gripDragging = false;
  update();
  if ((end - m_pressAt).manhattanLength() < kClickSlop || !atCommandPrompt()) return;
  // The move is MOVE with the gripped entity as its selection, as typed:
  // one command, one step to undo; the selection comes back after it.
  m_restore = m_selection.entities();
  m_restorePending = true;
  cadrt::setImpliedSelection({m_grip.entity});
  answer(QStringLiteral("MOVE"));
  answer(pointText(m_grip.at));
  answer(pointText(m_view.toWorld(end)));
}

bool DrawingCanvas::isClick(QPoint end) const {
  return (end - m_selectStart).manhattanLength() < kClickSlop;
}

AcDbObjectId DrawingCanvas::pickAt(QPoint end) const {
  return pickEntity(acdbHostApplicationServices()->workingDatabase(), QPointF(end), kPickBox,
                    m_view.toScreenTransform());
}

void DrawingCanvas::finishIdleSelection(QPoint end) {
  m_selecting = false;
  if (isClick(end)) {
    m_selection.pick(QPointF(end), kPickBox, m_view.toScreenTransform());
  } else {
    m_selection.add(QRectF(m_view.toWorld(m_selectStart), m_view.toWorld(end)).normalized(),
                    end.x() < m_selectStart.x());
  }
  if (m_onSelection) m_onSelection();
  update();
}

void DrawingCanvas::finishSelection(QPoint end) {
  m_selecting = false;
  update();
  if (isClick(end)) {
    // The picked entity by its handle, as typed; a click on nothing answers nothing.
    const AcDbObjectId id = pickAt(end);
    if (id.isNull()) return;
    ACHAR handle[20] = {};
    id.handle().getIntoAsciiBuffer(handle, 20);
    answer(QStringLiteral("h ") + QString::fromWCharArray(handle));
    return;
  }
  const bool crossing = end.x() < m_selectStart.x();
  answer(QString(crossing ? "c " : "w ") + pointText(m_view.toWorld(m_selectStart)) + u' ' +
         pointText(m_view.toWorld(end)));
}

void DrawingCanvas::leaveEvent(QEvent*) {
  m_hasCursor = false;
  update();
}

}  // namespace zrgui
