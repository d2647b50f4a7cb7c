// _com_error: the exception the data-access layer raises, with the HRESULT codes it uses.
#pragma once

#include <exception>
#include <string>

#include "base/windef.h"

class _bstr_t;

using SCODE = std::int32_t;

// HRESULTs of the component runtime and the data-access layer (the ones
// platform/win does not define yet).
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT DISP_E_BADVARTYPE = static_cast<HRESULT>(0x80020008u);
constexpr HRESULT DB_E_ERRORSINCOMMAND = static_cast<HRESULT>(0x80040E14u);
constexpr HRESULT DB_E_ERRORSOCCURRED = static_cast<HRESULT>(0x80040E21u);
constexpr HRESULT DB_E_INTEGRITYVIOLATION = static_cast<HRESULT>(0x80040E2Fu);
constexpr HRESULT DB_E_NOTABLE = static_cast<HRESULT>(0x80040E37u);
constexpr HRESULT DB_SEC_E_PERMISSIONDENIED = static_cast<HRESULT>(0x80040E09u);

// The facility of the data-access objects' own errors (0x800A0000 | number).
constexpr HRESULT adoError(int number) {
  return static_cast<HRESULT>(0x800A0000u | static_cast<unsigned>(number));
}

// Thrown by value, caught by reference (or by `catch (...)`), as the
// component runtime's wrapper classes do. Error() is the HRESULT;
// Description() the cause as the failing layer worded it; ErrorMessage() the
// system's text for the code (what a user is shown), falling back to the
// description for codes the system has no text for. It is also a
// std::exception whose what() is the description (UTF-8), so that a host that
// knows nothing of this layer reports why a module's call failed, not an
// "unknown exception". A detail (what the error was about, "field 'FanNo'")
// goes into what() only: Description() stays the text the system gives, which
// the modules show their users as it is.
class _com_error : public std::exception {
 public:
  explicit _com_error(HRESULT hr, std::wstring description = {}, std::wstring source = {},
                      const std::wstring& detail = {});
  _com_error(const _com_error&) = default;
  _com_error& operator=(const _com_error&) = default;
  virtual ~_com_error() = default;

  HRESULT Error() const { return m_hr; }
  WORD WCode() const;
  const TCHAR* ErrorMessage() const;
  _bstr_t Description() const;
  _bstr_t Source() const;
  const char* what() const noexcept override { return m_what.c_str(); }

 private:
  HRESULT m_hr;
  std::wstring m_description;
  std::wstring m_source;
  mutable std::wstring m_message;
  std::string m_what;
};

// Throws _com_error(hr); the wrappers call it for every failed HRESULT.
[[noreturn]] void _com_issue_error(HRESULT hr);
[[noreturn]] void _com_issue_errorex(HRESULT hr, const wchar_t* description);
