// A model's accessory rows read by column name.
#include "duty/duty_accessories.h"

#include "db/catalogue_statements.h"
#include "db/field_text.h"

namespace duty {

namespace {

// The field's text, or empty when the rows have no such column.
CString column(const FieldsPtr& fields, const wchar_t* name) {
  for (long i = 0; i < fields->GetCount(); ++i) {
    FieldPtr field = fields->GetItem(_variant_t(i));
    if (CString(static_cast<const wchar_t*>(field->GetName())).CompareNoCase(name) == 0) {
      return FieldText(field->GetValue());
    }
  }
  return CString();
}

}  // namespace

AccessoryList readAccessories(const _ConnectionPtr& connection, const CString& series,
                              const CString& driveMode, int modelId) {
  AccessoryList list;
  if (connection == nullptr) {
    list.problem = L"无法打开风机样本";
    return list;
  }
  try {
    const CString sql = SqlAccessoryRowsOfKey(series, driveMode, modelId);
    _RecordsetPtr rs = connection->Execute(_bstr_t(static_cast<LPCTSTR>(sql)), nullptr, adCmdText);
    for (; rs->GetadoEOF() == VARIANT_FALSE; rs->MoveNext()) {
      const FieldsPtr fields = rs->GetFields();
      Accessory a{column(fields, L"ItemName"), column(fields, L"Spec"), column(fields, L"Quantity"),
                  column(fields, L"Remark")};
      a.name.Trim();
      if (!a.name.IsEmpty()) list.items.push_back(std::move(a));
    }
    rs->Close();
  } catch (const _com_error&) {
    list.items.clear();
    list.problem = CString(L"样本中没有附件表 ") + series + L"_" + driveMode + L"_Accessory";
  }
  return list;
}

}  // namespace duty
