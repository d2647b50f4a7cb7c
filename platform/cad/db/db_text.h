// Text entities: single-line text, multiline text, attribute definitions and attributes.
#pragma once

#include <string>

#include "cad/db/db_entity.h"

namespace zrcad::dxf {
struct SectionDef;
}

enum AcDbTextHorzMode {
  kTextLeft = 0,
  kTextCenter = 1,
  kTextRight = 2,
  kTextAlign = 3,
  kTextMid = 4,
  kTextFit = 5
};
enum AcDbTextVertMode { kTextBase = 0, kTextBottom = 1, kTextVertMid = 2, kTextTop = 3 };

namespace AcDb {
using TextHorzMode = ::AcDbTextHorzMode;
using TextVertMode = ::AcDbTextVertMode;
}  // namespace AcDb

// Extents of text are estimated: height x width factor x character count along the baseline
// (rotated), from the position to one height above it; there are no font metrics here.
class AcDbText : public AcDbEntity {
  ZRCAD_DECLARE_MEMBERS(AcDbText)
 public:
  AcDbText() = default;
  AcDbText(const AcGePoint3d& position, const ACHAR* text, AcDbObjectId style = AcDbObjectId(),
           double height = 0, double rotation = 0);

  AcGePoint3d position() const { return m_position; }
  Acad::ErrorStatus setPosition(const AcGePoint3d& p);
  AcGePoint3d alignmentPoint() const { return m_alignment; }
  Acad::ErrorStatus setAlignmentPoint(const AcGePoint3d& p);
  bool isDefaultAlignment() const { return m_hmode == kTextLeft && m_vmode == kTextBase; }
  double height() const { return m_height; }
  Acad::ErrorStatus setHeight(double h);
  double rotation() const { return m_rotation; }
  Acad::ErrorStatus setRotation(double r);
  double widthFactor() const { return m_widthFactor; }
  Acad::ErrorStatus setWidthFactor(double w);
  double oblique() const { return m_oblique; }
  AcDbTextHorzMode horizontalMode() const { return static_cast<AcDbTextHorzMode>(m_hmode); }
  Acad::ErrorStatus setHorizontalMode(AcDbTextHorzMode mode);
  AcDbTextVertMode verticalMode() const { return static_cast<AcDbTextVertMode>(m_vmode); }
  Acad::ErrorStatus setVerticalMode(AcDbTextVertMode mode);
  // A copy for the caller (free with acutDelString), as the host returns it.
  ACHAR* textString() const;
  const ACHAR* textStringConst() const { return m_text.c_str(); }
  Acad::ErrorStatus setTextString(const ACHAR* text);
  // The text style by name ("Standard" when none was set).
  const ACHAR* textStyleName() const;
  Acad::ErrorStatus setTextStyleName(const ACHAR* name);
  // With a non-default alignment, moves the position to match the alignment point (the
  // estimate of getGeomExtents is used for the text's length).
  Acad::ErrorStatus adjustAlignment(const AcDbDatabase* db = nullptr);

  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 protected:
  AcDbText(const AcDbText&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbText(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;
  bool readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag,
                     int section) override;
  void writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const override;
  // The AcDbText section shared by text, attribute definitions and attributes.
  static zrcad::dxf::SectionDef textSection();
  static constexpr int kTextSection = kEntitySection + 1;

  AcGePoint3d m_position;
  AcGePoint3d m_alignment;
  double m_height = 0;
  double m_rotation = 0;
  double m_widthFactor = 1;
  double m_oblique = 0;
  double m_thickness = 0;
  short m_generation = 0;
  short m_hmode = 0;
  short m_vmode = 0;
  std::wstring m_text;
  std::wstring m_style;
  AcGeVector3d m_normal{0, 0, 1};
};

class AcDbAttributeDefinition : public AcDbText {
  ZRCAD_DECLARE_MEMBERS(AcDbAttributeDefinition)
 public:
  AcDbAttributeDefinition() = default;
  AcDbAttributeDefinition(const AcGePoint3d& position, const ACHAR* text, const ACHAR* tag,
                          const ACHAR* prompt, AcDbObjectId style = AcDbObjectId());

  // Copies for the caller (free with acutDelString).
  ACHAR* tag() const;
  ACHAR* prompt() const;
  const ACHAR* tagConst() const { return m_tag.c_str(); }
  const ACHAR* promptConst() const { return m_prompt.c_str(); }
  Acad::ErrorStatus setTag(const ACHAR* tag);
  Acad::ErrorStatus setPrompt(const ACHAR* prompt);
  bool isInvisible() const { return (m_flags & 1) != 0; }
  bool isConstant() const { return (m_flags & 2) != 0; }

 protected:
  AcDbAttributeDefinition(const AcDbAttributeDefinition&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbAttributeDefinition(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;

 private:
  std::wstring m_tag;
  std::wstring m_prompt;
  short m_flags = 0;
  short m_fieldLength = 0;
};

// An attribute belongs to a block reference (its owner) and is written after it.
class AcDbAttribute : public AcDbText {
  ZRCAD_DECLARE_MEMBERS(AcDbAttribute)
 public:
  AcDbAttribute() = default;
  AcDbAttribute(const AcGePoint3d& position, const ACHAR* text, const ACHAR* tag,
                AcDbObjectId style = AcDbObjectId());

  ACHAR* tag() const;  // a copy (free with acutDelString)
  const ACHAR* tagConst() const { return m_tag.c_str(); }
  Acad::ErrorStatus setTag(const ACHAR* tag);
  bool isInvisible() const { return (m_flags & 1) != 0; }
  Acad::ErrorStatus setInvisible(bool invisible);

 protected:
  AcDbAttribute(const AcDbAttribute&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbAttribute(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;

 private:
  std::wstring m_tag;
  short m_flags = 0;
  short m_fieldLength = 0;
};

class AcDbMText : public AcDbEntity {
  ZRCAD_DECLARE_MEMBERS(AcDbMText)
 public:
  enum AttachmentPoint {
    kTopLeft = 1,
    kTopCenter,
    kTopRight,
    kMiddleLeft,
    kMiddleCenter,
    kMiddleRight,
    kBottomLeft,
    kBottomCenter,
    kBottomRight
  };
  AcDbMText() = default;

  AcGePoint3d location() const { return m_location; }
  Acad::ErrorStatus setLocation(const AcGePoint3d& p);
  double textHeight() const { return m_height; }
  Acad::ErrorStatus setTextHeight(double h);
  double width() const { return m_width; }
  Acad::ErrorStatus setWidth(double w);
  double rotation() const { return m_rotation; }
  Acad::ErrorStatus setRotation(double r);
  AttachmentPoint attachment() const { return static_cast<AttachmentPoint>(m_attachment); }
  Acad::ErrorStatus setAttachment(AttachmentPoint a);
  ACHAR* contents() const;  // a copy (free with acutDelString), format codes included
  int setContents(const ACHAR* text);

  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 protected:
  AcDbMText(const AcDbMText&) = default;
  AcDbObject* cloneRaw() const override { return new AcDbMText(*this); }
  const zrcad::dxf::ClassTable& dxfTable() const override;
  bool readDxfCustom(zrcad::dxf::ReadContext& ctx, const zrcad::dxf::Tag& tag,
                     int section) override;
  void writeDxfCustom(zrcad::dxf::WriteContext& ctx, int section) const override;

 private:
  AcGePoint3d m_location;
  double m_height = 0;
  double m_width = 0;
  double m_rotation = 0;
  short m_attachment = 1;
  std::wstring m_contents;
  std::wstring m_style;
  AcGeVector3d m_normal{0, 0, 1};
};
