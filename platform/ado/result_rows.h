// All rows of one SELECT at once, for a caller that walks every row of a large
// result (FANDUTY reads ten thousand models and a hundred thousand performance
// rows) and has no use for a recordset's current row, edits or variants per
// value: the rows are those a recordset of the statement would hold, shared
// with the connection's result cache (no copy), read by position.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "ado_connection.h"
#include "variant.h"

namespace adoimpl {

class RowSet;

class ResultRows {
 public:
  // Runs sql, which must return rows, on the connection, or takes its rows
  // from the result cache. Counted and failing as Connection.Execute does:
  // throws _com_error.
  ResultRows(const _Connection& connection, std::wstring_view sql);
  ~ResultRows();
  // Copies share the rows.
  ResultRows(const ResultRows&) = default;
  ResultRows& operator=(const ResultRows&) = default;

  std::size_t rowCount() const;
  std::size_t fieldCount() const;
  const std::wstring& fieldName(std::size_t field) const;
  // The value as a recordset's GetCollect hands it out.
  void read(std::size_t row, std::size_t field, VARIANT& out) const;
  // A text value's UTF-8 bytes as stored, without widening them into a
  // variant; false for any other value (a number, NULL).
  bool utf8(std::size_t row, std::size_t field, std::string_view& text) const;
  // Whether other has the same fields (names and types, in order).
  bool sameFields(const ResultRows& other) const;
  // Whether the row holds the same values, to the bit and byte, as otherRow
  // of other, which has the same fields: a caller that made something of
  // otherRow before has it still.
  bool sameRow(std::size_t row, const ResultRows& other, std::size_t otherRow) const;

 private:
  std::shared_ptr<const RowSet> m_rows;
};

}  // namespace adoimpl
