// Painting scenes. Segments are transformed here in one pass: onto a 32-bit
// image without a painter transform or clip they go straight into its pixels
// (pixel_lines.h), elsewhere they are culled and drawn with one QPainter call
// per colour (the raster engine's own transform of each segment costs more
// than this loop; measured in bench/gui). A view of part of the drawing looks
// only at the segments of the grid cells it shows (SegmentGrid).
#include "gui/scene_painter.h"

#include <QFontMetricsF>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <system_error>
#include <thread>
#include <vector>

#include "gui/gui_fonts.h"
#include "gui/pixel_lines.h"

namespace zrgui {

namespace {

// Texts smaller than this many pixels are drawn as their baseline.
constexpr double kGreekBelow = 4.0;
// A colour with fewer segments than this goes through all of them always.
constexpr std::size_t kGridFrom = 256;

// A colour with this many segments to draw into an image at once (a view of
// the whole drawing) is drawn on every core, at most four: the first picture
// of the benchmark drawing is 2.5 million segments of one colour.
constexpr std::size_t kThreadsFrom = 100000;
constexpr unsigned kMaxThreads = 4;

// Draws n segments through the affine transform t with lines. Many are
// shared among threads, each taking runs of them in turn: they are of one
// colour, and a pixel lit by several gets that colour whichever lights it
// last, so the pixels are the same as one thread's.
void drawSegments(const PixelLines& lines, const QLineF* s, std::size_t n, const QTransform& t,
                  QRgb pixel) {
  const double m11 = t.m11(), m12 = t.m12(), m21 = t.m21(), m22 = t.m22();
  const double dx = t.dx(), dy = t.dy();
  auto draw = [&](PixelLines out, std::size_t from, std::size_t to) {
    for (const QLineF *l = s + from, *end = s + to; l != end; ++l) {
      out.draw(m11 * l->x1() + m21 * l->y1() + dx, m12 * l->x1() + m22 * l->y1() + dy,
               m11 * l->x2() + m21 * l->y2() + dx, m12 * l->x2() + m22 * l->y2() + dy, pixel);
    }
  };
  const unsigned threads =
      n < kThreadsFrom ? 1 : std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
  if (threads == 1) return draw(lines, 0, n);
  constexpr std::size_t kRun = 16384;
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i; (i = next.fetch_add(kRun)) < n;) draw(lines, i, std::min(n, i + kRun));
  };
  std::vector<std::jthread> helpers;
  try {
    for (unsigned h = 1; h < threads; ++h) helpers.emplace_back(work);
  } catch (const std::system_error&) {
    // Fewer threads take the runs.
  }
  work();
}

// Whether a segment may touch the rectangle (false only when both ends lie
// beyond the same edge).
bool mayMeet(const QLineF& l, double x0, double y0, double x1, double y1) {
  if (l.x1() < x0 && l.x2() < x0) return false;
  if (l.y1() < y0 && l.y2() < y0) return false;
  if (l.x1() > x1 && l.x2() > x1) return false;
  if (l.y1() > y1 && l.y2() > y1) return false;
  return true;
}

}  // namespace

ScenePainter::ScenePainter() : m_font(textFont()) {
  m_font.setPixelSize(100);
  const QFontMetricsF fm(m_font);
  m_capRatio = fm.capHeight() > 0 ? fm.capHeight() / 100.0 : 0.7;
}

QFont ScenePainter::textFont() { return cjkFont(); }

void ScenePainter::prepare(const Scene& scene) {
  for (std::size_t i = 0; i < scene.batches.size(); ++i) {
    if (scene.batches[i].segments.size() >= kGridFrom) scene.gridOf(i);
  }
}

template <class Fn>
void ScenePainter::forSegmentsMeeting(const Scene& scene, std::size_t batch, const QRectF& world,
                                      bool whole, Fn fn) {
  const SegmentList& all = scene.batches[batch].segments;
  // A view of the whole drawing goes through every segment (the first
  // picture of a drawing need not wait for its grid); in the grid's order
  // once it is there: the segments of one place after another leave the
  // pixels they light in the processor's cache for the next.
  if (whole || all.size() < kGridFrom) {
    const SegmentList& ordered = scene.hasGrid(batch) ? scene.gridOf(batch).segments : all;
    fn(ordered.data(), ordered.size());
    return;
  }
  scene.gridOf(batch).forEachRunMeeting(world, fn);
}

void ScenePainter::paint(QPainter& painter, const Scene& scene, const ViewTransform& view,
                         QColor background, QRect area) {
  const QSize size = view.viewport();
  const QRect full(QPoint(0, 0), size);
  if (area.isEmpty()) area = full;
  area &= full;
  auto* image = dynamic_cast<QImage*>(painter.device());
  const bool direct = image && PixelLines::usable(*image) && !painter.hasClipping() &&
                      painter.transform().isIdentity() && image->size() == size;
  const bool part = area != full;
  painter.fillRect(area, background);
  if (!view.isSet() || area.isEmpty()) return;
  if (part) {
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
  }
  const QTransform t = view.toScreenTransform();
  const double m11 = t.m11(), m12 = t.m12(), m21 = t.m21(), m22 = t.m22();
  const double dx = t.dx(), dy = t.dy();
  // What the area shows of the world, a pixel more all round: a segment
  // that ends just outside may light a pixel inside.
  bool invertible = false;
  const QTransform toWorld = t.inverted(&invertible);
  const QRectF world =
      invertible ? toWorld.mapRect(QRectF(area).adjusted(-1.5, -1.5, 1.5, 1.5)) : QRectF();
  const bool whole = !invertible || !scene.hasBounds || world.contains(scene.bounds);
  const double x0 = area.left() - 0.5, y0 = area.top() - 0.5;
  const double x1 = area.right() + 1.5, y1 = area.bottom() + 1.5;
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (std::size_t bi = 0; bi < scene.batches.size(); ++bi) {
    const SceneBatch& batch = scene.batches[bi];
    const QColor color = QColor::fromRgb(batch.color);
    painter.setPen(QPen(color, 0));
    if (direct) {
      const QRgb pixel = 0xFF000000u | batch.color;
      const PixelLines lines(*image, area);
      forSegmentsMeeting(scene, bi, world, whole, [&](const QLineF* s, std::size_t n) {
        drawSegments(lines, s, n, t, pixel);
      });
    } else {
      m_buffer.clear();
      forSegmentsMeeting(scene, bi, world, whole, [&](const QLineF* s, std::size_t n) {
        for (const QLineF* end = s + n; s != end; ++s) {
          const QLineF l(m11 * s->x1() + m21 * s->y1() + dx, m12 * s->x1() + m22 * s->y1() + dy,
                         m11 * s->x2() + m21 * s->y2() + dx, m12 * s->x2() + m22 * s->y2() + dy);
          if (mayMeet(l, x0, y0, x1, y1)) m_buffer.push_back(l);
        }
      });
      if (!m_buffer.empty()) painter.drawLines(m_buffer.data(), static_cast<int>(m_buffer.size()));
    }
    if (!batch.points.empty()) {
      for (const QPointF& p : batch.points)
        painter.fillRect(QRectF(t.map(p) - QPointF(1, 1), QSizeF(2, 2)), color);
    }
    if (!batch.fills.empty()) {
      painter.setBrush(color);
      for (const QPolygonF& poly : batch.fills) painter.drawPolygon(t.map(poly));
      painter.setBrush(Qt::NoBrush);
    }
    if (!batch.texts.empty()) paintTexts(painter, batch, view, t);
  }
  if (part) painter.restore();
}

void ScenePainter::paintTexts(QPainter& painter, const SceneBatch& batch, const ViewTransform& view,
                              const QTransform& toScreen) {
  const QRectF visible(QPointF(0, 0), QSizeF(view.viewport()));
  painter.setFont(m_font);
  const QFontMetricsF fm(m_font);
  for (const SceneText& text : batch.texts) {
    const double capPixels = text.height * view.scale();
    if (capPixels < 0.5) continue;
    // The font is laid out at 100 pixels and scaled to the text's height.
    const double k = capPixels / (m_capRatio * 100.0);
    const double advance = fm.horizontalAdvance(text.text);
    double stretch = text.widthFactor;
    double angle = text.rotation - view.twist();
    const QPointF anchor = toScreen.map(text.anchor);
    if (text.fitted) {
      const QPointF end = toScreen.map(text.fitEnd);
      const double length = std::hypot(end.x() - anchor.x(), end.y() - anchor.y());
      if (length > 0 && advance > 0) {
        stretch = length / (advance * k);
        angle = -std::atan2(end.y() - anchor.y(), end.x() - anchor.x());
      }
    }
    const double width = advance * k * stretch;
    const double reach = std::max(width, capPixels) * 1.5;
    if (!visible.adjusted(-reach, -reach, reach, reach).contains(anchor)) continue;
    double x = 0;
    if (text.hAlign == SceneText::Center) x = -advance / 2;
    if (text.hAlign == SceneText::Right) x = -advance;
    double y = 0;  // baseline
    if (text.vAlign == SceneText::Bottom) y = -fm.descent();
    if (text.vAlign == SceneText::Middle) y = m_capRatio * 100.0 / 2;
    if (text.vAlign == SceneText::Top) y = m_capRatio * 100.0;
    painter.save();
    painter.translate(anchor);
    painter.rotate(-angle * 180.0 / M_PI);
    painter.scale(k * stretch, k);
    if (capPixels < kGreekBelow) {
      painter.drawLine(QPointF(x, y), QPointF(x + advance, y));
    } else {
      painter.drawText(QPointF(x, y), text.text);
    }
    painter.restore();
  }
}

}  // namespace zrgui
