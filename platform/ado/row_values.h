// The values a result holds and a write sends, shared by both back ends.
#pragma once

#include <cstdint>
#include <string>

namespace adoimpl {

// The declared column types a write converts to.
enum class ColumnType { Any, Text, Integer, BigInteger, Double, Boolean };

ColumnType columnTypeOf(const char* declaredType);

struct FieldInfo {
  std::wstring name;
  std::string origin;  // the table column it reads, empty for an expression
  ColumnType type = ColumnType::Any;
};

struct Cell {
  enum class Kind : std::uint8_t { Null, Integer, Real, Text };
  Kind kind = Kind::Null;
  std::uint32_t length = 0;  // of a text, in UTF-8 bytes
  union {
    long long integer = 0;
    double real;
    std::uint64_t offset;  // of a text in the arena
  };
};

// A value converted to its column's type, waiting for Update.
struct PendingValue {
  std::size_t field = 0;
  Cell::Kind kind = Cell::Kind::Null;
  long long integer = 0;
  double real = 0;
  std::wstring text;
};

}  // namespace adoimpl
