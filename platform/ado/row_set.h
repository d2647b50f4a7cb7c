// The rows of an open recordset, read at once, and their write-back through rowid.
//
// A RowSet holds the result of one SELECT: its fields (name, declared type,
// the table column each comes from) and every row's values with the row's
// rowid. Reading all rows when the recordset opens keeps no statement, and
// so no lock, open between calls, which lets two hosts share one file.
// Values live in one cell array (row-major) and texts, as UTF-8, in one
// arena, widened only when read (most are read once, many never); a row
// written back gets fresh cells and its old texts are left in the arena.
// Rows are never removed, only marked deleted, so positions stay valid.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ado_enums.h"
#include "row_values.h"
#include "session.h"
#include "variant.h"

namespace adoimpl {

class RowSet {
 public:
  RowSet() = default;
  ~RowSet();
  RowSet(const RowSet&) = delete;
  RowSet& operator=(const RowSet&) = delete;

  // Runs the statement and reads all its rows. Throws _com_error.
  void load(Session& session, const TranslatedStatement& statement);
  // The rows of a SELECT from the session's result cache, read (and kept
  // there when they fit) if the cache has no valid copy. Throws _com_error.
  static std::shared_ptr<const RowSet> loadCached(Session& session,
                                                  const TranslatedStatement& statement);
  // Reads the rows of these SELECT statements into the result cache where the back end can
  // read several at once for less than one by one (loadMany), so that the statements,
  // run next, find them there. Nothing more: a statement that cannot be read so is run,
  // and reports any error, when it is run. Throws _com_error.
  static void prefetch(Session& session, const std::vector<std::wstring>& sqls);
  // Drops the rows; the buffers go back to a per-thread spare set that the
  // next load starts from, so reading a large result does not fault in fresh
  // memory every time (measured: a third of a 10,000-row walk).
  void clear();
  // Makes this a view of a cached result's rows; they are copied only when
  // this row set writes (copy on write), so the cached rows never change.
  void shareFrom(std::shared_ptr<const RowSet> source);
  std::size_t cellCount() const { return cells().size(); }

  std::size_t rowCount() const { return rows().size(); }
  std::size_t fieldCount() const { return m_fields.size(); }
  const FieldInfo& field(std::size_t i) const { return m_fields[i]; }
  // The field of that name (compared without regard to case), or -1.
  long findField(std::wstring_view name) const;
  bool deleted(std::size_t row) const { return rows()[row].deleted; }
  // True when rows can be written back: one table, with its rowid, every
  // field a column of it.
  bool writable() const { return m_writable; }
  DataTypeEnum adoType(std::size_t field) const;

  // The stored value as the driver hands it out: VT_NULL, VT_I4 (VT_I8
  // beyond 32 bits), VT_R8, VT_BOOL for BOOLEAN columns, VT_BSTR.
  void read(std::size_t row, std::size_t field, VARIANT& out) const;
  static void readPending(const PendingValue& value, const FieldInfo& field, VARIANT& out);
  // Whether other has the same fields (names and types, in order).
  bool sameFields(const RowSet& other) const;
  // Whether the row holds the same values as otherRow of other, which has
  // the same fields: the same kind of value in each field, numbers to the bit
  // and texts to the byte.
  bool sameRow(std::size_t row, const RowSet& other, std::size_t otherRow) const;
  // A text value's UTF-8 bytes as stored; false for any other value.
  bool utf8(std::size_t row, std::size_t field, std::string_view& text) const {
    const Cell& cell = cells()[row * m_fields.size() + field];
    if (cell.kind != Cell::Kind::Text) return false;
    text = std::string_view(texts().data() + cell.offset, cell.length);
    return true;
  }

  // value converted to the field's declared type; throws _com_error
  // (DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW) when it cannot be.
  PendingValue convert(std::size_t field, const VARIANT& value) const;

  void updateRow(Session& session, std::size_t row, const std::vector<PendingValue>& values);
  // Returns the index of the new row.
  std::size_t insertRow(Session& session, const std::vector<PendingValue>& values);
  void deleteRow(Session& session, std::size_t row);

  // Filling, for a back end's load(): the table read (when the statement
  // carries the row identity), each field (a field without an origin makes
  // the rows read-only), then each row, whose cells the back end sets.
  const std::string& table() const { return m_table; }
  void addField(FieldInfo field);
  Cell* addRow(long long rowid);
  Cell* rowCells(std::size_t row) { return m_cells.data() + row * m_fields.size(); }
  void setText(Cell& cell, const char* bytes, std::size_t n);
  // The tables the statement read, when the back end can tell; a result
  // without them depends on every table.
  void setReads(std::vector<std::string> tables) {
    m_reads = std::move(tables);
    m_readsKnown = true;
  }
  // Whether a write to table may change this result.
  bool dependsOn(const std::string& table) const;

 private:
  struct Row {
    long long rowid;
    bool deleted;
  };
  // The rows read: this row set's own, or those of the result it shares.
  const std::vector<Cell>& cells() const { return m_source ? m_source->m_cells : m_cells; }
  const std::vector<Row>& rows() const { return m_source ? m_source->m_rows : m_rows; }
  const std::string& texts() const { return m_source ? m_source->m_texts : m_texts; }
  // Takes an own copy of shared rows before a write.
  void detach();
  // load() without the result cache.
  void loadRows(Session& session, const TranslatedStatement& statement);
  // What a back end's load() finds set: the table and whether rows may be written back.
  void startLoad(const TranslatedStatement& statement) {
    m_table = statement.table;
    m_writable = statement.rowidColumn;
  }
  Cell storeValue(const PendingValue& value);
  std::vector<std::string> originsOf(const std::vector<PendingValue>& values) const;

  std::vector<FieldInfo> m_fields;
  std::vector<Cell> m_cells;
  std::vector<Row> m_rows;
  std::string m_texts;  // UTF-8
  std::string m_table;
  bool m_writable = false;
  std::vector<std::string> m_reads;
  bool m_readsKnown = false;
  std::shared_ptr<const RowSet> m_source;
};

}  // namespace adoimpl
