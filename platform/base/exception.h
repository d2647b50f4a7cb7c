// The framework's own exceptions, thrown by pointer as the framework does and
// released with Delete().
#pragma once

#include "base/cstring.h"
#include "base/windef.h"

class CException {
 public:
  virtual ~CException() = default;
  // Copies the message into buffer (at most maxChars including the terminator).
  virtual BOOL GetErrorMessage(LPTSTR buffer, UINT maxChars, UINT* helpContext = nullptr) const;
  void Delete() { delete this; }

 protected:
  virtual CString message() const { return L"发生未知错误。"; }
};

class CMemoryException : public CException {
 protected:
  CString message() const override { return L"内存不足。"; }
};

// A user-facing failure already reported (the data-exchange prompt throws it).
class CUserException : public CException {};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowUserException();
