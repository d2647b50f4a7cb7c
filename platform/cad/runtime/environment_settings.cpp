// The host's environment settings, kept in memory for the process.
#include "cad/runtime/environment_settings.h"
#include "base/text_case.h"

#include <algorithm>
#include <cwchar>
#include <map>
#include <string>

namespace {

std::map<std::wstring, std::wstring>& settings() {
  static std::map<std::wstring, std::wstring> s;
  return s;
}

std::wstring key(const ACHAR* sym) { return zrbase::toUpper(sym); }

}  // namespace

int acedGetEnv(const ACHAR* sym, ACHAR* var, size_t nBufLen) {
  if (!sym || !*sym || !var || nBufLen == 0) return RTERROR;
  const auto it = settings().find(key(sym));
  if (it == settings().end()) {
    var[0] = 0;
    return RTERROR;
  }
  const std::wstring& value = it->second;
  const size_t n = std::min(value.size(), nBufLen - 1);
  std::wmemcpy(var, value.data(), n);
  var[n] = 0;
  return n == value.size() ? RTNORM : RTERROR;
}

int acedSetEnv(const ACHAR* sym, const ACHAR* val) {
  if (!sym || !*sym || !val) return RTERROR;
  if (*val) {
    settings()[key(sym)] = val;
  } else {
    settings().erase(key(sym));
  }
  return RTNORM;
}
