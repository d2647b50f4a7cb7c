// Reporting of exceptions that escape application code.
#include "cad/runtime/guarded_call.h"

#include <stdexcept>

#include "base/cstring.h"
#include "base/exception.h"
#include "cad/runtime/command_processor.h"
#include "cad/runtime/editor_output.h"

namespace cadrt {

void reportCurrentException(const std::wstring& what) {
  std::wstring message;
  try {
    throw;
  } catch (CException* e) {
    wchar_t buffer[512] = {};
    if (e) {
      e->GetErrorMessage(buffer, 512);
      e->Delete();
    }
    message = buffer;
  } catch (const std::exception& e) {
    message = zrbase::utf8ToWide(e.what());
  } catch (...) {
    message = L"unknown exception";
  }
  printLine(L"Error in " + what + L": " + message);
  noteCommandFailure(L"Error in " + what + L": " + message);
}

}  // namespace cadrt
