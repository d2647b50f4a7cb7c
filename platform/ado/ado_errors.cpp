// Texts of the data-access objects' errors.
#include "ado_errors.h"

namespace adoimpl {

const wchar_t* adoErrorText(ErrorValueEnum error) {
  switch (error) {
    case adErrInvalidArgument:
      return L"参数类型不正确，或不在可以接受的范围之内，或与其他参数冲突。";
    case adErrNoCurrentRecord:
      return L"BOF 或 EOF 中有一个是“真”，或者当前的记录已被删除，所需的操作要求一个当前的记录。";
    case adErrIllegalOperation:
      return L"在此上下文中不允许的操作。";
    case adErrFeatureNotAvailable:
      return L"对象或提供者不能执行所需的操作。";
    case adErrItemNotFound:
      return L"在对应所需名称或序数的集合中，未找到项目。";
    case adErrObjectClosed:
      return L"对象关闭时，不允许操作。";
    case adErrObjectOpen:
      return L"对象打开时，不允许操作。";
    case adErrProviderNotFound:
      return L"未找到提供者。该程序可能未正确安装。";
    case adErrInvalidConnection:
      return L"连接无法用于执行此操作。在此上下文中它可能已被关闭或无效。";
  }
  return L"";
}

void throwAdoError(ErrorValueEnum error) {
  throw _com_error(adoError(error), adoErrorText(error), L"ADODB");
}

void throwAdoError(ErrorValueEnum error, const std::wstring& about) {
  throw _com_error(adoError(error), adoErrorText(error), L"ADODB", about);
}

}  // namespace adoimpl
