// Letter case of the ASCII letters only, for the catalogue's column and table
// names: other bytes (UTF-8 Chinese included) stay as they are, whatever the
// process locale.
#pragma once

#include <string>

namespace fangen {

inline std::string upperAscii(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

inline std::string lowerAscii(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

}  // namespace fangen
