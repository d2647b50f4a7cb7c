// The component runtime's error object and the system texts of its codes.
#include "com_error.h"

#include <cstdio>

#include "base/utf8.h"
#include "bstr.h"

namespace {

// The texts a Chinese system gives for the codes the data-access layer raises.
const wchar_t* systemText(HRESULT hr) {
  switch (static_cast<unsigned>(hr)) {
    case 0x00000000u:
      return L"操作成功完成。";
    case 0x80004001u:
      return L"未实现";
    case 0x80004002u:
      return L"不支持此接口";
    case 0x80004003u:
      return L"无效指针";
    case 0x80004005u:
      return L"未指定的错误";
    case 0x8007000Eu:
      return L"内存不足，无法完成此操作。";
    case 0x80070057u:
      return L"参数错误。";
    case 0x80040154u:
      return L"没有注册类";
    case 0x80020004u:
      return L"找不到参数。";
    case 0x80020005u:
      return L"类型不匹配。";
    case 0x80020008u:
      return L"变量类型错误。";
    case 0x8002000Au:
      return L"超出当前范围。";
    default:
      return nullptr;
  }
}

}  // namespace

_com_error::_com_error(HRESULT hr, std::wstring description, std::wstring source,
                       const std::wstring& detail)
    : m_hr(hr), m_description(std::move(description)), m_source(std::move(source)) {
  std::wstring what = m_description.empty() ? ErrorMessage() : m_description;
  if (!detail.empty()) what += L" (" + detail + L")";
  m_what = zrbase::wideToUtf8(what);
}

WORD _com_error::WCode() const {
  const auto code = static_cast<unsigned>(m_hr);
  // Dispatch exception codes 0x80040200..0x8004FFFF carry a WORD code.
  if (code >= 0x80040200u && code <= 0x8004FFFFu) return static_cast<WORD>(code - 0x80040200u);
  return 0;
}

const TCHAR* _com_error::ErrorMessage() const {
  if (m_message.empty()) {
    if (const wchar_t* text = systemText(m_hr)) {
      m_message = text;
    } else if (!m_description.empty()) {
      m_message = m_description;
    } else {
      wchar_t buf[40];
      std::swprintf(buf, 40, L"未知错误 0x%08X", static_cast<unsigned>(m_hr));
      m_message = buf;
    }
  }
  return m_message.c_str();
}

_bstr_t _com_error::Description() const { return _bstr_t(m_description.c_str()); }
_bstr_t _com_error::Source() const { return _bstr_t(m_source.c_str()); }

void _com_issue_error(HRESULT hr) { throw _com_error(hr); }

void _com_issue_errorex(HRESULT hr, const wchar_t* description) {
  throw _com_error(hr, description ? description : L"");
}
