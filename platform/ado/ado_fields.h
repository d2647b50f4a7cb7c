// Fields and Field: the columns of a recordset, by position or name.
#pragma once

#include "ado_connection.h"

// The field collection of one recordset; it keeps the recordset alive.
class Fields : public adoimpl::RefCounted<IDispatch> {
 public:
  static Fields* createInstance(std::wstring_view) { return nullptr; }
  static Fields* create(_Recordset* recordset);

  long GetCount();
  // index: a position from 0 or a name; adErrItemNotFound otherwise.
  FieldPtr GetItem(const _variant_t& index);

 private:
  explicit Fields(_Recordset* recordset);
  ~Fields() override = default;
  _RecordsetPtr m_recordset;
};

// One field of a recordset; its value is the current row's.
class Field : public adoimpl::RefCounted<IDispatch> {
 public:
  static Field* createInstance(std::wstring_view) { return nullptr; }

  _bstr_t GetName();
  _variant_t GetValue();
  void PutValue(const _variant_t& value);
  DataTypeEnum GetType();

 private:
  friend class Fields;
  Field(_Recordset* recordset, long index);
  ~Field() override = default;
  _RecordsetPtr m_recordset;
  long m_index;
};
