// The scene's curves and texts: every curve becomes a polyline in world
// coordinates (flattened by cad/db/curve_points.h), every text an anchored
// SceneText.
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "cad/db/curve_points.h"
#include "gui/scene_builder.h"

namespace zrgui::detail {

namespace {

// Line spacing of multiline text, in text heights (the host's default).
constexpr double kMTextLineSpacing = 5.0 / 3.0;

}  // namespace

bool SceneBuilder::addCurve(const AcDbEntity* e, const Context& ctx) {
  m_points.clear();
  if (!zrcad::curvePoints(e, m_points)) return false;
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
  // Most texts have no control code: they are shown as they are, without
  // being copied character by character (a tenth of the benchmark drawing's
  // scene went to its 30,000 texts).
  if (text.find(L"%%") == std::wstring::npos) return QString::fromStdWString(text);
  QString out;
  const QString in = QString::fromStdWString(text);
  out.reserve(in.size());
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
