// The scene's curves and texts: every curve becomes a polyline in world
// coordinates, every text an anchored SceneText.
#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "gui/scene_builder.h"

namespace zrgui::detail {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
// Line spacing of multiline text, in text heights (the host's default).
constexpr double kMTextLineSpacing = 5.0 / 3.0;

// The arbitrary-axis rule: the x and y axes of an entity's own plane.
void planeAxes(const AcGeVector3d& normal, AcGeVector3d& ax, AcGeVector3d& ay) {
  AcGeVector3d n = normal.normal();
  if (n.isZeroLength()) n = AcGeVector3d::kZAxis;
  constexpr double kLimit = 1.0 / 64;
  ax = (std::abs(n.x) < kLimit && std::abs(n.y) < kLimit ? AcGeVector3d::kYAxis
                                                         : AcGeVector3d::kZAxis)
           .crossProduct(n)
           .normal();
  ay = n.crossProduct(ax).normal();
}

int chords(double sweep) {
  return std::clamp(static_cast<int>(std::ceil(std::abs(sweep) / kTwoPi * kChordsPerTurn)), 2,
                    kChordsPerTurn);
}

double positiveSweep(double start, double end) {
  double sweep = std::fmod(end - start, kTwoPi);
  if (sweep <= 0) sweep += kTwoPi;
  return sweep;
}

// Points of the arc from a to b whose bulge (tangent of a quarter of the
// included angle; positive counter-clockwise) is given; a itself excluded.
void bulgePoints(const AcGePoint3d& a, const AcGePoint3d& b, double bulge,
                 std::vector<AcGePoint3d>& out) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double chord = std::hypot(dx, dy);
  if (std::abs(bulge) < 1e-9 || chord < 1e-12) {
    out.push_back(b);
    return;
  }
  const double angle = 4 * std::atan(bulge);
  // Signed distance from the chord's midpoint to the centre, to the left.
  const double offset = chord / 2 / std::tan(angle / 2);
  const double cx = (a.x + b.x) / 2 - dy / chord * offset;
  const double cy = (a.y + b.y) / 2 + dx / chord * offset;
  const double radius = std::hypot(a.x - cx, a.y - cy);
  const double start = std::atan2(a.y - cy, a.x - cx);
  const int n = chords(angle);
  for (int i = 1; i < n; ++i) {
    const double t = start + angle * i / n;
    out.emplace_back(cx + radius * std::cos(t), cy + radius * std::sin(t), a.z);
  }
  out.push_back(b);
}

// A clamped uniform B-spline of the given degree over the control points.
std::vector<AcGePoint3d> bspline(const std::vector<AcGePoint3d>& ctrl, int degree) {
  const int n = static_cast<int>(ctrl.size());
  const int p = std::clamp(degree, 1, n - 1);
  std::vector<double> knots(static_cast<std::size_t>(n + p + 1));
  for (int i = 0; i < n + p + 1; ++i) {
    knots[static_cast<std::size_t>(i)] =
        i <= p ? 0.0 : (i >= n ? 1.0 : static_cast<double>(i - p) / (n - p));
  }
  std::vector<AcGePoint3d> out;
  const int samples = std::max(16, 8 * n);
  for (int s = 0; s <= samples; ++s) {
    const double u = std::min(static_cast<double>(s) / samples, 1.0 - 1e-12);
    int k = p;
    while (k < n - 1 && u >= knots[static_cast<std::size_t>(k + 1)]) ++k;
    std::vector<AcGePoint3d> d(ctrl.begin() + (k - p), ctrl.begin() + (k + 1));
    for (int r = 1; r <= p; ++r) {
      for (int j = p; j >= r; --j) {
        const double lo = knots[static_cast<std::size_t>(j + k - p)];
        const double hi = knots[static_cast<std::size_t>(j + 1 + k - r)];
        const double a = hi > lo ? (u - lo) / (hi - lo) : 0;
        const auto& q = d[static_cast<std::size_t>(j - 1)];
        auto& t = d[static_cast<std::size_t>(j)];
        t = AcGePoint3d((1 - a) * q.x + a * t.x, (1 - a) * q.y + a * t.y, (1 - a) * q.z + a * t.z);
      }
    }
    out.push_back(d[static_cast<std::size_t>(p)]);
  }
  return out;
}

// The points of each kind of curve, in world coordinates of its block.
std::vector<AcGePoint3d> circlePoints(const AcDbCircle* circle) {
  AcGeVector3d ax, ay;
  planeAxes(circle->normal(), ax, ay);
  double start = 0, sweep = kTwoPi;
  if (const auto* arc = AcDbArc::cast(circle)) {
    start = arc->startAngle();
    sweep = positiveSweep(arc->startAngle(), arc->endAngle());
  }
  const int n = chords(sweep);
  const double r = circle->radius();
  std::vector<AcGePoint3d> pts;
  pts.reserve(static_cast<std::size_t>(n) + 1);
  if (start == 0 && sweep == kTwoPi) {
    // Whole circles (most of a drawing's curves) take their angles' cosines
    // and sines from a table, computed as below.
    static const auto turn = [] {
      std::array<std::pair<double, double>, kChordsPerTurn + 1> table{};
      for (int i = 0; i <= kChordsPerTurn; ++i) {
        const double t = 0 + kTwoPi * i / kChordsPerTurn;
        table[static_cast<std::size_t>(i)] = {std::cos(t), std::sin(t)};
      }
      return table;
    }();
    for (const auto& [c, s] : turn) pts.push_back(circle->center() + ax * (r * c) + ay * (r * s));
    return pts;
  }
  for (int i = 0; i <= n; ++i) {
    const double t = start + sweep * i / n;
    pts.push_back(circle->center() + ax * (r * std::cos(t)) + ay * (r * std::sin(t)));
  }
  return pts;
}

std::vector<AcGePoint3d> ellipsePoints(const AcDbEllipse* ellipse) {
  const AcGeVector3d major = ellipse->majorAxis();
  const AcGeVector3d minor =
      ellipse->normal().normal().crossProduct(major) * ellipse->radiusRatio();
  const double sweep = positiveSweep(ellipse->startAngle(), ellipse->endAngle());
  const int n = chords(sweep);
  std::vector<AcGePoint3d> pts;
  for (int i = 0; i <= n; ++i) {
    const double t = ellipse->startAngle() + sweep * i / n;
    pts.push_back(ellipse->center() + major * std::cos(t) + minor * std::sin(t));
  }
  return pts;
}

std::vector<AcGePoint3d> splinePoints(const AcDbSpline* spline) {
  std::vector<AcGePoint3d> ctrl(static_cast<std::size_t>(spline->numControlPoints()));
  for (int i = 0; i < spline->numControlPoints(); ++i) {
    spline->getControlPointAt(i, ctrl[static_cast<std::size_t>(i)]);
  }
  if (ctrl.size() >= 2) return bspline(ctrl, spline->degree());
  std::vector<AcGePoint3d> pts;
  for (int i = 0; i < spline->numFitPoints(); ++i) {
    AcGePoint3d p;
    if (spline->getFitPointAt(i, p) == Acad::eOk) pts.push_back(p);
  }
  return pts;
}

// A polyline's vertices with the arcs of their bulges, closed by repeating the start.
std::vector<AcGePoint3d> polylinePoints(const AcDbPolyline* pl) {
  std::vector<AcGePoint3d> pts;
  const bool closed = pl->isClosed();
  const unsigned n = pl->numVerts();
  for (unsigned i = 0; i < n; ++i) {
    AcGePoint2d p;
    pl->getPointAt(i, p);
    const AcGePoint3d here(p.x, p.y, pl->elevation());
    if (i == 0) pts.push_back(here);
    if (i + 1 < n || closed) {
      AcGePoint2d q;
      pl->getPointAt((i + 1) % n, q);
      double bulge = 0;
      pl->getBulgeAt(i, bulge);
      bulgePoints(here, AcGePoint3d(q.x, q.y, pl->elevation()), bulge, pts);
    }
  }
  return pts;
}

std::vector<AcGePoint3d> heavyPolylinePoints(const AcDbHeavyPolyline* heavy) {
  // Meshes and polyface meshes are not outlines; spline frame points (vertex
  // flag 16) are not on the curve.
  if (heavy->polylineFlags() & (16 | 64)) return {};
  std::vector<const zrcad::PolylineVertex*> verts;
  for (const auto& v : heavy->vertices()) {
    if (!(v.flags & 16)) verts.push_back(&v);
  }
  const bool is3d = (heavy->polylineFlags() & 8) != 0;
  const bool closed = heavy->isClosed();
  const std::size_t n = verts.size();
  std::vector<AcGePoint3d> pts;
  for (std::size_t i = 0; i < n; ++i) {
    if (i == 0) pts.push_back(verts[0]->point);
    if (i + 1 < n || (closed && n > 2)) {
      const AcGePoint3d& next = verts[(i + 1) % n]->point;
      bulgePoints(verts[i]->point, next, is3d ? 0.0 : verts[i]->bulge, pts);
    }
  }
  return pts;
}

}  // namespace

bool SceneBuilder::curvePoints(const AcDbEntity* e, std::vector<AcGePoint3d>& out) {
  std::vector<AcGePoint3d> pts;
  if (const auto* line = AcDbLine::cast(e)) {
    out.push_back(line->startPoint());
    out.push_back(line->endPoint());
    return true;
  } else if (const auto* circle = AcDbCircle::cast(e)) {
    pts = circlePoints(circle);
  } else if (const auto* ellipse = AcDbEllipse::cast(e)) {
    pts = ellipsePoints(ellipse);
  } else if (const auto* spline = AcDbSpline::cast(e)) {
    pts = splinePoints(spline);
  } else if (const auto* pl = AcDbPolyline::cast(e)) {
    pts = polylinePoints(pl);
  } else if (const auto* heavy = AcDbHeavyPolyline::cast(e)) {
    pts = heavyPolylinePoints(heavy);
  } else {
    return false;
  }
  out.insert(out.end(), pts.begin(), pts.end());
  return true;
}

bool SceneBuilder::addCurve(const AcDbEntity* e, const Context& ctx) {
  m_points.clear();
  if (!curvePoints(e, m_points)) return false;
  m_mapped.clear();
  for (const auto& p : m_points) m_mapped.push_back(map(p, ctx));
  polyline(m_mapped, false);
  return true;
}

void SceneBuilder::addText(const AcDbText* t, const Context& ctx) {
  SceneText st;
  st.text = plainText(t->textStringConst());
  if (st.text.isEmpty() || t->height() <= 0) return;
  st.height = t->height();
  st.rotation = t->rotation();
  st.widthFactor = t->widthFactor() > 0 ? t->widthFactor() : 1;
  const int h = t->horizontalMode();
  const int v = t->verticalMode();
  const AcGePoint3d pos = t->position();
  const AcGePoint3d align = t->alignmentPoint();
  if (h == kTextAlign || h == kTextFit) {
    st.anchor = {pos.x, pos.y};
    st.fitted = true;
    st.fitEnd = {align.x, align.y};
  } else if (h == kTextMid) {
    st.anchor = {align.x, align.y};
    st.hAlign = SceneText::Center;
    st.vAlign = SceneText::Middle;
  } else if (h == kTextLeft && v == kTextBase) {
    st.anchor = {pos.x, pos.y};
  } else {
    st.anchor = {align.x, align.y};
    st.hAlign = h == kTextCenter ? SceneText::Center
                                 : (h == kTextRight ? SceneText::Right : SceneText::Left);
    st.vAlign = v == kTextBottom
                    ? SceneText::Bottom
                    : (v == kTextVertMid ? SceneText::Middle
                                         : (v == kTextTop ? SceneText::Top : SceneText::Baseline));
  }
  addSceneText(std::move(st), ctx);
}

void SceneBuilder::addMText(const AcDbMText* t, const Context& ctx) {
  const double h = t->textHeight();
  if (h <= 0) return;
  ACHAR* raw = t->contents();
  const std::vector<QString> lines = mtextLines(raw ? raw : L"");
  acutDelString(raw);
  if (lines.empty()) return;
  const int a = std::clamp(static_cast<int>(t->attachment()), 1, 9) - 1;
  const int column = a % 3;
  const int row = a / 3;
  const double spacing = h * kMTextLineSpacing;
  const double n = static_cast<double>(lines.size());
  const double total = h + (n - 1) * spacing;
  const double r = t->rotation();
  const AcGePoint3d at = t->location();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    double up = 0;  // the line's baseline above the location
    if (row == 0) up = -(h + static_cast<double>(i) * spacing);
    if (row == 1) up = total / 2 - h - static_cast<double>(i) * spacing;
    if (row == 2) up = (n - 1 - static_cast<double>(i)) * spacing;
    SceneText st;
    st.text = lines[i];
    if (st.text.isEmpty()) continue;
    st.anchor = {at.x - std::sin(r) * up, at.y + std::cos(r) * up};
    st.height = h;
    st.rotation = r;
    st.hAlign =
        column == 0 ? SceneText::Left : (column == 1 ? SceneText::Center : SceneText::Right);
    addSceneText(std::move(st), ctx);
  }
}

void SceneBuilder::addSceneText(SceneText st, const Context& ctx) {
  if (!ctx.identity) {
    const AcGeVector3d dir =
        ctx.xform * AcGeVector3d(std::cos(st.rotation), std::sin(st.rotation), 0);
    const AcGeVector3d up =
        ctx.xform * AcGeVector3d(-std::sin(st.rotation), std::cos(st.rotation), 0);
    const double dirLen = std::hypot(dir.x, dir.y);
    const double upLen = std::hypot(up.x, up.y);
    if (dirLen <= 0 || upLen <= 0) return;
    st.rotation = std::atan2(dir.y, dir.x);
    st.height *= upLen;
    st.widthFactor *= dirLen / upLen;
    st.anchor = map(AcGePoint3d(st.anchor.x(), st.anchor.y(), 0), ctx);
    st.fitEnd = map(AcGePoint3d(st.fitEnd.x(), st.fitEnd.y(), 0), ctx);
  }
  // Bounds from an estimate of the text's box (a character about a height wide).
  const double len = st.height * st.widthFactor * static_cast<double>(st.text.size());
  const QPointF d(std::cos(st.rotation), std::sin(st.rotation));
  const QPointF u(-d.y(), d.x());
  const double left =
      st.hAlign == SceneText::Left ? 0 : (st.hAlign == SceneText::Center ? -len / 2 : -len);
  grow(st.anchor + d * left);
  grow(st.anchor + d * (left + len) + u * st.height);
  if (st.fitted) grow(st.fitEnd);
  batch().texts.push_back(std::move(st));
}

QString plainText(const std::wstring& text) {
  QString out;
  const QString in = QString::fromStdWString(text);
  for (qsizetype i = 0; i < in.size(); ++i) {
    if (in[i] == u'%' && i + 2 < in.size() && in[i + 1] == u'%') {
      const QChar code = in[i + 2].toLower();
      if (code == u'c')
        out += QChar(0x2300);
      else if (code == u'd')
        out += QChar(0x00B0);
      else if (code == u'p')
        out += QChar(0x00B1);
      else if (code == u'%')
        out += u'%';
      else if (code != u'o' && code != u'u')
        continue;
      i += 2;
      continue;
    }
    out += in[i];
  }
  return out;
}

std::vector<QString> mtextLines(const std::wstring& contents) {
  std::vector<QString> lines(1);
  const QString in = QString::fromStdWString(contents);
  for (qsizetype i = 0; i < in.size(); ++i) {
    const QChar c = in[i];
    if (c == u'{' || c == u'}') continue;
    if (c != u'\\' || i + 1 >= in.size()) {
      lines.back() += c;
      continue;
    }
    const QChar code = in[++i];
    switch (code.unicode()) {
      case u'P':
        lines.emplace_back();
        break;
      case u'~':
        lines.back() += u' ';
        break;
      case u'\\':
      case u'{':
      case u'}':
        lines.back() += code;
        break;
      case u'L':
      case u'l':
      case u'O':
      case u'o':
      case u'K':
      case u'k':
        break;
      case u'S': {  // stacked text "a^b;" shown as "a/b"
        const qsizetype end = in.indexOf(u';', i);
        QString stack = in.mid(i + 1, (end < 0 ? in.size() : end) - i - 1);
        stack.replace(u'^', u'/').replace(u'#', u'/');
        lines.back() += stack;
        i = end < 0 ? in.size() : end;
        break;
      }
      case u'U':  // \U+XXXX
        if (i + 5 < in.size() + 0 && in[i + 1] == u'+') {
          bool ok = false;
          const uint cp = in.mid(i + 2, 4).toUInt(&ok, 16);
          if (ok) {
            lines.back() += QString::fromUcs4(reinterpret_cast<const char32_t*>(&cp), 1);
            i += 5;
          }
        }
        break;
      default: {  // codes with a value up to ';': \A \C \c \F \f \H \Q \T \W \p
        const qsizetype end = in.indexOf(u';', i);
        i = end < 0 ? in.size() : end;
        break;
      }
    }
  }
  for (QString& line : lines) line = plainText(line.toStdWString());
  return lines;
}

}  // namespace zrgui::detail
