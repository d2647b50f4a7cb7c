// Field tables: one table per class lists, per subclass section, the group codes it models;
// the same table drives reading and writing.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

class AcDbObject;

namespace zrcad::dxf {

enum class FieldKind : std::uint8_t {
  kReal,    // double
  kAngle,   // double in radians, degrees in the file
  kShort,   // short
  kInt,     // int
  kString,  // std::wstring
  kPoint,   // AcGePoint3d: code, code+10, code+20
  kVector,  // AcGeVector3d: code, code+10, code+20
};

struct FieldDef {
  short code;
  FieldKind kind;
  // Optional fields are not written when they hold their default (def; for points
  // (0, 0, def), which is how the extrusion direction defaults to the Z axis).
  bool optional;
  double def;
  void* (*ref)(AcDbObject*);              // the field to assign, made if held apart
  const void* (*get)(const AcDbObject*);  // its value
};

struct SectionDef {
  const char* marker;  // the subclass marker (group 100); null for the leading section
  std::vector<FieldDef> fields;
};

class ClassTable {
 public:
  explicit ClassTable(std::vector<SectionDef> sections);
  const std::vector<SectionDef>& sections() const { return m_sections; }
  // The field of a group code: false when the code is not modeled.
  bool find(int code, int& section, int& field, int& component) const;
  // The section with this marker after `after` (or else the first one), -1 if none.
  int findSection(std::string_view marker, int after) const;

 private:
  struct Slot {
    std::int8_t section = -1;
    std::uint8_t field = 0;
    std::uint8_t component = 0;
  };
  std::vector<SectionDef> m_sections;
  std::vector<std::string_view> m_markers;  // of m_sections, measured once
  std::array<Slot, 1000> m_byCode;
};

// Sections every entity table starts with: the leading one and AcDbEntity.
std::vector<SectionDef> entitySections();

}  // namespace zrcad::dxf

// Table entries: ZR_FIELD(Class, code, kind, member[, optional, default]).
#define ZR_FIELD(CLASS, CODE, KIND, MEMBER, ...) \
  ZR_FIELD_APART(CLASS, CODE, KIND, o->MEMBER, o->MEMBER, __VA_ARGS__)
// A field the object holds apart: TO_SET and TO_GET name it for assignment (making it) and for
// reading, in terms of o, the object as a CLASS*.
#define ZR_FIELD_APART(CLASS, CODE, KIND, TO_SET, TO_GET, ...) \
  zrcad::dxf::FieldDef {                                       \
    CODE, zrcad::dxf::FieldKind::KIND, __VA_ARGS__,            \
        [](AcDbObject* object) -> void* {                      \
          auto* o = static_cast<CLASS*>(object);               \
          return &(TO_SET);                                    \
        },                                                     \
        [](const AcDbObject* object) -> const void* {          \
          const auto* o = static_cast<const CLASS*>(object);   \
          return &(TO_GET);                                    \
        }                                                      \
  }
#define ZR_REQUIRED false, 0.0
#define ZR_OPTIONAL(DEF) true, DEF
