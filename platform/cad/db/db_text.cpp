// Text, attribute definitions, attributes and multiline text.
#include "cad/db/db_text.h"

#include <algorithm>
#include <cmath>

#include "base/cstring.h"
#include "cad/db/database_impl.h"
#include "cad/db/dxf/contexts.h"
#include "cad/db/dxf/dxf_fields.h"
#include "cad/db/geom_util.h"
#include "cad/db/resbuf_util.h"

using zrcad::dxf::ClassTable;
using zrcad::dxf::SectionDef;

ZRCAD_DEFINE_MEMBERS(AcDbText, AcDbEntity, "TEXT")
ZRCAD_DEFINE_MEMBERS(AcDbAttributeDefinition, AcDbText, "ATTDEF")
ZRCAD_DEFINE_MEMBERS(AcDbAttribute, AcDbText, "ATTRIB")
ZRCAD_DEFINE_MEMBERS(AcDbMText, AcDbEntity, "MTEXT")

namespace {

bool finite(const AcGePoint3d& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Adds the rectangle [x0, x1] x [y0, y1] of a text's own axes, rotated about origin.
void addRotatedBox(AcDbExtents& ext, const AcGePoint3d& origin, double rotation, double x0,
                   double x1, double y0, double y1) {
  double c = std::cos(rotation), s = std::sin(rotation);
  for (double x : {x0, x1})
    for (double y : {y0, y1})
      ext.addPoint(AcGePoint3d(origin.x + x * c - y * s, origin.y + x * s + y * c, origin.z));
}

}  // namespace

// ---- AcDbText

AcDbText::AcDbText(const AcGePoint3d& position, const ACHAR* text, AcDbObjectId, double height,
                   double rotation)
    : m_position(position), m_height(height), m_rotation(rotation), m_text(text ? text : L"") {}

Acad::ErrorStatus AcDbText::setPosition(const AcGePoint3d& p) {
  if (!finite(p)) return Acad::eInvalidInput;
  m_position = p;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbText::setAlignmentPoint(const AcGePoint3d& p) {
  if (!finite(p)) return Acad::eInvalidInput;
  m_alignment = p;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbText::setHeight(double h) {
  if (!(h >= 0) || !std::isfinite(h)) return Acad::eInvalidInput;
  m_height = h;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbText::setRotation(double r) {
  if (!std::isfinite(r)) return Acad::eInvalidInput;
  m_rotation = r;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbText::setWidthFactor(double w) {
  if (!(w > 0) || !std::isfinite(w)) return Acad::eInvalidInput;
  m_widthFactor = w;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbText::setHorizontalMode(AcDbTextHorzMode mode) {
  if (mode < kTextLeft || mode > kTextFit) return Acad::eInvalidInput;
  m_hmode = static_cast<short>(mode);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbText::setVerticalMode(AcDbTextVertMode mode) {
  if (mode < kTextBase || mode > kTextTop) return Acad::eInvalidInput;
  m_vmode = static_cast<short>(mode);
  return Acad::eOk;
}

ACHAR* AcDbText::textString() const { return acutNewString(m_text.c_str()); }

Acad::ErrorStatus AcDbText::setTextString(const ACHAR* text) {
  m_text = text ? text : L"";
  return Acad::eOk;
}

const ACHAR* AcDbText::textStyleName() const {
  return m_style.empty() ? L"Standard" : m_style.c_str();
}

Acad::ErrorStatus AcDbText::setTextStyleName(const ACHAR* name) {
  m_style = name ? name : L"";
  return Acad::eOk;
}

Acad::ErrorStatus AcDbText::adjustAlignment(const AcDbDatabase*) {
  if (isDefaultAlignment() || m_hmode == kTextAlign || m_hmode == kTextFit) return Acad::eOk;
  double length = m_height * m_widthFactor * static_cast<double>(m_text.size());
  double dx = m_hmode == kTextCenter || m_hmode == kTextMid ? -length / 2
              : m_hmode == kTextRight                       ? -length
                                                            : 0;
  double dy = m_hmode == kTextMid || m_vmode == kTextVertMid ? -m_height / 2
              : m_vmode == kTextTop                          ? -m_height
                                                             : 0;
  double c = std::cos(m_rotation), s = std::sin(m_rotation);
  m_position = m_alignment + AcGeVector3d(dx * c - dy * s, dx * s + dy * c, 0);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbText::getGeomExtents(AcDbExtents& extents) const {
  extents = AcDbExtents();
  double length = m_height * m_widthFactor * static_cast<double>(m_text.size());
  addRotatedBox(extents, m_position, m_rotation, 0, length, 0, m_height);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbText::transformBy(const AcGeMatrix3d& xform) {
  m_position.transformBy(xform);
  m_alignment.transformBy(xform);
  m_height *= xform.scale();
  m_rotation = zrcad::normalizeAngle(m_rotation + zrcad::rotationOf(xform));
  return Acad::eOk;
}

SectionDef AcDbText::textSection() {
  return {"AcDbText",
          {ZR_FIELD(AcDbText, 39, kReal, m_thickness, ZR_OPTIONAL(0)),
           ZR_FIELD(AcDbText, 10, kPoint, m_position, ZR_REQUIRED),
           ZR_FIELD(AcDbText, 40, kReal, m_height, ZR_REQUIRED),
           ZR_FIELD(AcDbText, 1, kString, m_text, ZR_REQUIRED),
           ZR_FIELD(AcDbText, 50, kAngle, m_rotation, ZR_OPTIONAL(0)),
           ZR_FIELD(AcDbText, 41, kReal, m_widthFactor, ZR_OPTIONAL(1)),
           ZR_FIELD(AcDbText, 51, kAngle, m_oblique, ZR_OPTIONAL(0)),
           ZR_FIELD(AcDbText, 7, kString, m_style, ZR_OPTIONAL(0)),
           ZR_FIELD(AcDbText, 71, kShort, m_generation, ZR_OPTIONAL(0)),
           ZR_FIELD(AcDbText, 72, kShort, m_hmode, ZR_OPTIONAL(0)),
           ZR_FIELD(AcDbText, 210, kVector, m_normal, ZR_OPTIONAL(1))}};
}

const ClassTable& AcDbText::dxfTable() const {
  static const ClassTable table([] {
    auto s = zrcad::dxf::entitySections();
    s.push_back(textSection());
    s.push_back({"AcDbText", {ZR_FIELD(AcDbText, 73, kShort, m_vmode, ZR_OPTIONAL(0))}});
    return s;
  }());
  return table;
}

// The alignment point (11) means something only with a non-default alignment.
bool AcDbText::readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag,
                             int section) {
  if (tag.code == 11 || tag.code == 21 || tag.code == 31) {
    m_alignment[(tag.code - 11) / 10] = ctx.real(tag);
    return true;
  }
  return AcDbEntity::readDxfCustom(ctx, tag, section);
}

void AcDbText::writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const {
  AcDbEntity::writeDxfCustom(ctx, section);
  if (section == kTextSection && (!isDefaultAlignment() || m_alignment != AcGePoint3d()))
    ctx.out.point(11, m_alignment);
}

// ---- AcDbAttributeDefinition

AcDbAttributeDefinition::AcDbAttributeDefinition(const AcGePoint3d& position, const ACHAR* text,
                                                 const ACHAR* tag, const ACHAR* prompt,
                                                 AcDbObjectId style)
    : AcDbText(position, text, style), m_tag(tag ? tag : L""), m_prompt(prompt ? prompt : L"") {}

ACHAR* AcDbAttributeDefinition::tag() const { return acutNewString(m_tag.c_str()); }
ACHAR* AcDbAttributeDefinition::prompt() const { return acutNewString(m_prompt.c_str()); }

Acad::ErrorStatus AcDbAttributeDefinition::setTag(const ACHAR* tag) {
  if (tag == nullptr || *tag == 0) return Acad::eInvalidInput;
  m_tag = tag;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbAttributeDefinition::setPrompt(const ACHAR* prompt) {
  m_prompt = prompt ? prompt : L"";
  return Acad::eOk;
}

const ClassTable& AcDbAttributeDefinition::dxfTable() const {
  static const ClassTable table([] {
    auto s = zrcad::dxf::entitySections();
    s.push_back(textSection());
    s.push_back({"AcDbAttributeDefinition",
                 {ZR_FIELD(AcDbAttributeDefinition, 3, kString, m_prompt, ZR_REQUIRED),
                  ZR_FIELD(AcDbAttributeDefinition, 2, kString, m_tag, ZR_REQUIRED),
                  ZR_FIELD(AcDbAttributeDefinition, 70, kShort, m_flags, ZR_REQUIRED),
                  ZR_FIELD(AcDbAttributeDefinition, 73, kShort, m_fieldLength, ZR_OPTIONAL(0)),
                  ZR_FIELD(AcDbAttributeDefinition, 74, kShort, m_vmode, ZR_OPTIONAL(0))}});
    return s;
  }());
  return table;
}

// ---- AcDbAttribute

AcDbAttribute::AcDbAttribute(const AcGePoint3d& position, const ACHAR* text, const ACHAR* tag,
                             AcDbObjectId style)
    : AcDbText(position, text, style), m_tag(tag ? tag : L"") {}

ACHAR* AcDbAttribute::tag() const { return acutNewString(m_tag.c_str()); }

Acad::ErrorStatus AcDbAttribute::setTag(const ACHAR* tag) {
  if (tag == nullptr || *tag == 0) return Acad::eInvalidInput;
  m_tag = tag;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbAttribute::setInvisible(bool invisible) {
  m_flags = static_cast<short>(invisible ? (m_flags | 1) : (m_flags & ~1));
  return Acad::eOk;
}

const ClassTable& AcDbAttribute::dxfTable() const {
  static const ClassTable table([] {
    auto s = zrcad::dxf::entitySections();
    s.push_back(textSection());
    s.push_back({"AcDbAttribute",
                 {ZR_FIELD(AcDbAttribute, 2, kString, m_tag, ZR_REQUIRED),
                  ZR_FIELD(AcDbAttribute, 70, kShort, m_flags, ZR_REQUIRED),
                  ZR_FIELD(AcDbAttribute, 73, kShort, m_fieldLength, ZR_OPTIONAL(0)),
                  ZR_FIELD(AcDbAttribute, 74, kShort, m_vmode, ZR_OPTIONAL(0))}});
    return s;
  }());
  return table;
}

// ---- AcDbMText

Acad::ErrorStatus AcDbMText::setLocation(const AcGePoint3d& p) {
  if (!finite(p)) return Acad::eInvalidInput;
  m_location = p;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::setTextHeight(double h) {
  if (!(h > 0) || !std::isfinite(h)) return Acad::eInvalidInput;
  m_height = h;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::setWidth(double w) {
  if (!(w >= 0) || !std::isfinite(w)) return Acad::eInvalidInput;
  m_width = w;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::setRotation(double r) {
  if (!std::isfinite(r)) return Acad::eInvalidInput;
  m_rotation = r;
  // A direction vector kept from the file would override the angle.
  auto& extras = zrcad::DbAccess::data(this).extras;
  std::erase_if(extras, [](const auto& t) { return t.code == 11 || t.code == 21 || t.code == 31; });
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::setAttachment(AttachmentPoint a) {
  if (a < kTopLeft || a > kBottomRight) return Acad::eInvalidInput;
  m_attachment = static_cast<short>(a);
  return Acad::eOk;
}

ACHAR* AcDbMText::contents() const { return acutNewString(m_contents.c_str()); }

int AcDbMText::setContents(const ACHAR* text) {
  m_contents = text ? text : L"";
  return static_cast<int>(m_contents.size());
}

Acad::ErrorStatus AcDbMText::getGeomExtents(AcDbExtents& extents) const {
  size_t lines = 1, longest = 0, current = 0;
  for (size_t i = 0; i < m_contents.size(); ++i) {
    if (m_contents[i] == L'\\' && i + 1 < m_contents.size() && m_contents[i + 1] == L'P') {
      ++lines;
      longest = std::max(longest, current);
      current = 0;
      ++i;
    } else {
      ++current;
    }
  }
  longest = std::max(longest, current);
  double w = m_width > 0 ? m_width : m_height * static_cast<double>(longest);
  double h = m_height * static_cast<double>(lines);
  int col = (m_attachment - 1) % 3, row = (m_attachment - 1) / 3;
  double x0 = col == 0 ? 0 : (col == 1 ? -w / 2 : -w);
  double y1 = row == 0 ? 0 : (row == 1 ? h / 2 : h);
  extents = AcDbExtents();
  addRotatedBox(extents, m_location, m_rotation, x0, x0 + w, y1 - h, y1);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::transformBy(const AcGeMatrix3d& xform) {
  m_location.transformBy(xform);
  m_height *= xform.scale();
  m_width *= xform.scale();
  return setRotation(zrcad::normalizeAngle(m_rotation + zrcad::rotationOf(xform)));
}

const ClassTable& AcDbMText::dxfTable() const {
  static const ClassTable table([] {
    auto s = zrcad::dxf::entitySections();
    s.push_back({"AcDbMText",
                 {ZR_FIELD(AcDbMText, 10, kPoint, m_location, ZR_REQUIRED),
                  ZR_FIELD(AcDbMText, 40, kReal, m_height, ZR_REQUIRED),
                  ZR_FIELD(AcDbMText, 41, kReal, m_width, ZR_OPTIONAL(0)),
                  ZR_FIELD(AcDbMText, 71, kShort, m_attachment, ZR_REQUIRED),
                  ZR_FIELD(AcDbMText, 7, kString, m_style, ZR_OPTIONAL(0)),
                  ZR_FIELD(AcDbMText, 50, kReal, m_rotation, ZR_OPTIONAL(0)),
                  ZR_FIELD(AcDbMText, 210, kVector, m_normal, ZR_OPTIONAL(1))}});
    return s;
  }());
  return table;
}

// The text comes in pieces of at most 250 bytes: 3 groups, then the last in a 1 group.
bool AcDbMText::readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag,
                              int section) {
  if (tag.code == 1 || tag.code == 3) {
    m_contents += ctx.wide(tag);
    return true;
  }
  return AcDbEntity::readDxfCustom(ctx, tag, section);
}

void AcDbMText::writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const {
  AcDbEntity::writeDxfCustom(ctx, section);
  if (section != kEntitySection + 1) return;
  std::string text = zrbase::wideToUtf8(m_contents);
  constexpr size_t kPiece = 250;
  size_t pos = 0;
  while (text.size() - pos > kPiece) {
    size_t end = pos + kPiece;
    while (end > pos && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    ctx.out.str(3, std::string_view(text).substr(pos, end - pos));
    pos = end;
  }
  ctx.out.str(1, std::string_view(text).substr(pos));
}
