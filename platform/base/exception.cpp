// The framework's exception classes.
#include "base/exception.h"

#include <cwchar>

BOOL CException::GetErrorMessage(LPTSTR buffer, UINT maxChars, UINT* helpContext) const {
  if (helpContext) *helpContext = 0;
  if (!buffer || maxChars == 0) return FALSE;
  const CString text = message();
  std::wcsncpy(buffer, text.GetString(), maxChars - 1);
  buffer[maxChars - 1] = 0;
  return TRUE;
}

void AfxThrowMemoryException() { throw new CMemoryException; }
void AfxThrowUserException() { throw new CUserException; }
