// Field tables of the DXF classes.
#include "cad/db/dxf/dxf_fields.h"

#include <cstring>

namespace zrcad::dxf {

ClassTable::ClassTable(std::vector<SectionDef> sections) : m_sections(std::move(sections)) {
  for (const SectionDef& section : m_sections)
    m_markers.push_back(section.marker ? std::string_view(section.marker) : std::string_view());
  for (size_t s = 0; s < m_sections.size(); ++s) {
    const auto& fields = m_sections[s].fields;
    for (size_t f = 0; f < fields.size(); ++f) {
      bool isPoint = fields[f].kind == FieldKind::kPoint || fields[f].kind == FieldKind::kVector;
      for (int comp = 0; comp < (isPoint ? 3 : 1); ++comp) {
        int code = fields[f].code + comp * 10;
        if (code < 0 || code >= static_cast<int>(m_byCode.size())) continue;
        m_byCode[static_cast<size_t>(code)] = {static_cast<std::int8_t>(s),
                                               static_cast<std::uint8_t>(f),
                                               static_cast<std::uint8_t>(comp)};
      }
    }
  }
}

bool ClassTable::find(int code, int& section, int& field, int& component) const {
  if (code < 0 || code >= static_cast<int>(m_byCode.size())) return false;
  const Slot& slot = m_byCode[static_cast<size_t>(code)];
  if (slot.section < 0) return false;
  section = slot.section;
  field = slot.field;
  component = slot.component;
  return true;
}

int ClassTable::findSection(std::string_view marker, int after) const {
  int n = static_cast<int>(m_sections.size());
  for (int pass = 0; pass < 2; ++pass)
    for (int s = pass == 0 ? after + 1 : 0; s < n; ++s)
      if (const std::string_view m = m_markers[static_cast<size_t>(s)];
          m_sections[static_cast<size_t>(s)].marker && (marker == m || (m == "*" && pass == 0)))
        return s;
  return -1;
}

std::vector<SectionDef> entitySections() { return {{nullptr, {}}, {"AcDbEntity", {}}}; }

}  // namespace zrcad::dxf
