// A plane drawing in memory: lines, polylines, circles, arcs and labels on named layers,
// built by the outline code and turned into block entities by the view drawing writer.
//
// Units are millimetres; angles of arcs are radians, counter-clockwise from +x; a bulge is
// the tangent of a quarter of the included angle of the arc from a vertex to the next,
// positive when the arc turns counter-clockwise. Keeping the drawing as plain data lets the
// two hands be made by one mirror of a finished view instead of two constructions.
#pragma once

#include <string>
#include <variant>
#include <vector>

namespace fangen {

// The layers of the view drawings, each with its colour (see layerName, layerColour).
enum class Layer { Casing, Impeller, Motor, Base, Centre, Text };
inline constexpr Layer kAllLayers[] = {Layer::Casing, Layer::Impeller, Layer::Motor,
                                       Layer::Base,   Layer::Centre,   Layer::Text};
const char* layerName(Layer layer);
short layerColour(Layer layer);  // AutoCAD colour index

struct Pt {
  double x = 0, y = 0;
};

struct Box {
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  bool empty() const { return minX > maxX; }
  void add(Pt p);
};

struct Segment {
  Pt a, b;
};
struct Polyline {
  std::vector<Pt> points;
  std::vector<double> bulges;  // one per point, the arc to the next point
  bool closed = false;
};
struct Circle {
  Pt centre;
  double radius = 0;
};
struct Arc {
  Pt centre;
  double radius = 0, start = 0, end = 0;
};
// An attribute definition: a tag with its prompt and default value, centred on `at`.
struct Label {
  Pt at;
  double height = 0;
  std::string tag, prompt, value;
};

using Shape = std::variant<Segment, Polyline, Circle, Arc>;

class Sketch {
 public:
  struct Item {
    Layer layer;
    Shape shape;
  };

  void line(Layer layer, Pt a, Pt b);
  void polyline(Layer layer, std::vector<Pt> points, bool closed, std::vector<double> bulges = {});
  void rect(Layer layer, Pt corner, Pt opposite);
  void circle(Layer layer, Pt centre, double radius);
  void arc(Layer layer, Pt centre, double radius, double start, double end);
  void label(Label l) { m_labels.push_back(std::move(l)); }

  // Mirrors everything in the y axis (x becomes -x). Labels keep their reading direction:
  // only their anchor moves.
  void mirrorX();

  const std::vector<Item>& items() const { return m_items; }
  const std::vector<Label>& labels() const { return m_labels; }

 private:
  std::vector<Item> m_items;
  std::vector<Label> m_labels;
};

}  // namespace fangen
