// Plane drawings in memory: building and mirroring.
#include "sketch.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <type_traits>

namespace fangen {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

double normalised(double a) {
  a = std::fmod(a, kTwoPi);
  return a < 0 ? a + kTwoPi : a;
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

}  // namespace fangen
