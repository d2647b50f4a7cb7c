// VectorPicture: a picture as plain drawing items on a page in pixels (y
// down): lines, polylines, circles, rectangles and texts, in nested groups.
//
// The module lays out what it wants drawn (a chart, say) once as items, and
// every front end draws the same items: a file writer turns them into SVG,
// the desktop paints them on screen or into a PNG. Groups carry names
// (kind, role, axis) so that a written file says what each part is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace winplat {

struct PicturePoint {
  double x = 0;
  double y = 0;
};

enum class PictureKind { Group, Line, Polyline, Circle, Rect, Text };
enum class TextAnchor { Start, Middle, End };

// 0xRRGGBB.
using PictureColour = std::uint32_t;

struct PictureItem {
  PictureKind kind = PictureKind::Group;
  // What the item or group is: e.g. kind "curve", role "pressure", axis
  // "flow". Empty names are not written.
  std::string name;
  std::string role;
  std::string axis;

  // Line: two points; polyline: its points; circle: its centre; rect: its
  // top-left and bottom-right corners; text: its baseline point.
  std::vector<PicturePoint> points;
  double radius = 0;

  bool stroked = true;
  PictureColour stroke = 0x000000;
  double strokeWidth = 1;
  std::vector<double> dash;  // on, off, ... in pixels; empty: solid
  bool filled = false;
  PictureColour fill = 0x000000;
  double fillOpacity = 1;

  std::wstring text;
  double fontSize = 12;  // pixels
  TextAnchor anchor = TextAnchor::Start;

  std::vector<PictureItem> children;  // groups only

  static PictureItem group(std::string name, std::string role = {}, std::string axis = {}) {
    PictureItem g;
    g.name = std::move(name);
    g.role = std::move(role);
    g.axis = std::move(axis);
    return g;
  }
};

struct VectorPicture {
  double width = 0;
  double height = 0;
  PictureColour background = 0xFFFFFF;
  std::wstring title;
  std::vector<PictureItem> items;
};

}  // namespace winplat
