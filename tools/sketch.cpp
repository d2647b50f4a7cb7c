// Plane drawings in memory: building, turning, mirroring, extents.
#include "sketch.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <type_traits>
#include <utility>

namespace fangen {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

Pt rotated(Pt p, double c, double s) { return {p.x * c - p.y * s, p.x * s + p.y * c}; }

double normalised(double a) {
  a = std::fmod(a, kTwoPi);
  return a < 0 ? a + kTwoPi : a;
}

// The arc that a bulged polyline segment from a to b describes.
Arc bulgeArc(Pt a, Pt b, double bulge) {
  const double included = 4 * std::atan(bulge);
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double chord = std::hypot(dx, dy);
  const double radius = chord / (2 * std::sin(std::fabs(included) / 2));
  // The centre lies on the chord's perpendicular bisector, to the left of a->b for a
  // counter-clockwise arc smaller than a half circle.
  const double offset = (chord / 2) / std::tan(included / 2);
  const Pt mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
  const Pt centre{mid.x - dy / chord * offset, mid.y + dx / chord * offset};
  double start = std::atan2(a.y - centre.y, a.x - centre.x);
  double end = std::atan2(b.y - centre.y, b.x - centre.x);
  if (bulge < 0) std::swap(start, end);
  return {centre, radius, start, end};
}

}  // namespace

const char* layerName(Layer layer) {
  switch (layer) {
    case Layer::Casing:
      return "FAN-CASING";
    case Layer::Impeller:
      return "FAN-IMPELLER";
    case Layer::Motor:
      return "FAN-MOTOR";
    case Layer::Base:
      return "FAN-BASE";
    case Layer::Centre:
      return "FAN-CENTER";
    case Layer::Text:
      return "FAN-TEXT";
  }
  return "0";
}

short layerColour(Layer layer) {
  // Outline white, moving parts green, drive cyan, steel base orange, centre lines red,
  // text yellow: the usual split of a services drawing, readable on black and on white.
  switch (layer) {
    case Layer::Casing:
      return 7;
    case Layer::Impeller:
      return 3;
    case Layer::Motor:
      return 4;
    case Layer::Base:
      return 30;
    case Layer::Centre:
      return 1;
    case Layer::Text:
      return 2;
  }
  return 7;
}

void Box::add(Pt p) {
  minX = std::min(minX, p.x);
  minY = std::min(minY, p.y);
  maxX = std::max(maxX, p.x);
  maxY = std::max(maxY, p.y);
}

void Box::add(const Box& b) {
  if (b.empty()) return;
  add(Pt{b.minX, b.minY});
  add(Pt{b.maxX, b.maxY});
}

Box arcExtents(Pt centre, double radius, double start, double end) {
  Box box;
  box.add(Pt{centre.x + radius * std::cos(start), centre.y + radius * std::sin(start)});
  box.add(Pt{centre.x + radius * std::cos(end), centre.y + radius * std::sin(end)});
  const double sweep = normalised(end - start);
  for (int quadrant = 0; quadrant < 4; ++quadrant) {
    const double a = quadrant * std::numbers::pi / 2;
    if (normalised(a - start) <= sweep) {
      box.add(Pt{centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)});
    }
  }
  return box;
}

void Sketch::line(Layer layer, Pt a, Pt b) { m_items.push_back({layer, Segment{a, b}}); }

void Sketch::polyline(Layer layer, std::vector<Pt> points, bool closed,
                      std::vector<double> bulges) {
  bulges.resize(points.size(), 0.0);
  m_items.push_back({layer, Polyline{std::move(points), std::move(bulges), closed}});
}

void Sketch::rect(Layer layer, Pt corner, Pt opposite) {
  polyline(layer, {corner, {opposite.x, corner.y}, opposite, {corner.x, opposite.y}}, true);
}

void Sketch::circle(Layer layer, Pt centre, double radius) {
  m_items.push_back({layer, Circle{centre, radius}});
}

void Sketch::arc(Layer layer, Pt centre, double radius, double start, double end) {
  m_items.push_back({layer, Arc{centre, radius, start, end}});
}

void Sketch::add(const Sketch& other) {
  m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
  m_labels.insert(m_labels.end(), other.m_labels.begin(), other.m_labels.end());
}

void Sketch::rotate(double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  for (Item& item : m_items) {
    std::visit(
        [&](auto& shape) {
          using T = std::decay_t<decltype(shape)>;
          if constexpr (std::is_same_v<T, Segment>) {
            shape.a = rotated(shape.a, c, s);
            shape.b = rotated(shape.b, c, s);
          } else if constexpr (std::is_same_v<T, Polyline>) {
            for (Pt& p : shape.points) p = rotated(p, c, s);
          } else if constexpr (std::is_same_v<T, Circle>) {
            shape.centre = rotated(shape.centre, c, s);
          } else {
            shape.centre = rotated(shape.centre, c, s);
            shape.start = normalised(shape.start + angle);
            shape.end = normalised(shape.end + angle);
          }
        },
        item.shape);
  }
  for (Label& l : m_labels) l.at = rotated(l.at, c, s);
}

void Sketch::mirrorX() {
  const auto flip = [](Pt& p) { p.x = -p.x; };
  for (Item& item : m_items) {
    std::visit(
        [&](auto& shape) {
          using T = std::decay_t<decltype(shape)>;
          if constexpr (std::is_same_v<T, Segment>) {
            flip(shape.a);
            flip(shape.b);
          } else if constexpr (std::is_same_v<T, Polyline>) {
            for (Pt& p : shape.points) flip(p);
            // A mirror turns every arc the other way round.
            for (double& b : shape.bulges) b = -b;
          } else if constexpr (std::is_same_v<T, Circle>) {
            flip(shape.centre);
          } else {
            flip(shape.centre);
            const double start = shape.start;
            shape.start = normalised(std::numbers::pi - shape.end);
            shape.end = normalised(std::numbers::pi - start);
          }
        },
        item.shape);
  }
  for (Label& l : m_labels) flip(l.at);
}

Box Sketch::extents() const {
  Box box;
  for (const Item& item : m_items) {
    std::visit(
        [&](const auto& shape) {
          using T = std::decay_t<decltype(shape)>;
          if constexpr (std::is_same_v<T, Segment>) {
            box.add(shape.a);
            box.add(shape.b);
          } else if constexpr (std::is_same_v<T, Polyline>) {
            const std::size_t n = shape.points.size();
            for (std::size_t i = 0; i < n; ++i) {
              box.add(shape.points[i]);
              const bool last = i + 1 == n;
              if (shape.bulges[i] == 0 || (last && !shape.closed)) continue;
              const Arc a =
                  bulgeArc(shape.points[i], shape.points[last ? 0 : i + 1], shape.bulges[i]);
              box.add(arcExtents(a.centre, a.radius, a.start, a.end));
            }
          } else if constexpr (std::is_same_v<T, Circle>) {
            box.add(Pt{shape.centre.x - shape.radius, shape.centre.y - shape.radius});
            box.add(Pt{shape.centre.x + shape.radius, shape.centre.y + shape.radius});
          } else {
            box.add(arcExtents(shape.centre, shape.radius, shape.start, shape.end));
          }
        },
        item.shape);
  }
  return box;
}

}  // namespace fangen
