// The field collection and its fields.
#include "ado_fields.h"

#include "ado_recordset.h"

Fields* Fields::create(_Recordset* recordset) { return new Fields(recordset); }

Fields::Fields(_Recordset* recordset) : m_recordset(recordset) {}

long Fields::GetCount() { return m_recordset->fieldCount(); }

FieldPtr Fields::GetItem(const _variant_t& index) {
  const long i = m_recordset->fieldIndex(index);
  return FieldPtr(new Field(m_recordset, i), false);
}

Field::Field(_Recordset* recordset, long index) : m_recordset(recordset), m_index(index) {}

_bstr_t Field::GetName() { return _bstr_t(m_recordset->fieldInfo(m_index).name.c_str()); }

_variant_t Field::GetValue() {
  m_recordset->fieldCount();  // raises when the recordset was closed
  return m_recordset->value(m_index);
}

void Field::PutValue(const _variant_t& value) {
  m_recordset->fieldCount();
  m_recordset->putValue(m_index, value);
}

DataTypeEnum Field::GetType() { return m_recordset->fieldType(m_index); }
