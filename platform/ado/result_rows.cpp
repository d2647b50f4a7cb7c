// Reading a SELECT's rows whole, past the recordset.
#include "result_rows.h"

#include "ado_errors.h"
#include "ado_statistics.h"
#include "row_set.h"
#include "session.h"
#include "test_seams.h"

namespace adoimpl {

ResultRows::ResultRows(const _Connection& connection, std::wstring_view sql) {
  countStatement();
  runFaultHook("Connection.Execute");
  const std::shared_ptr<Session> session = connection.session();
  // Translated as a recordset's statement is, so that both find the same
  // cached result.
  const auto statement = session->translate(sql, true);
  if (!statement->isSelect) throwAdoError(adErrFeatureNotAvailable);
  m_rows = RowSet::loadCached(*session, *statement);
}

ResultRows::~ResultRows() = default;

std::size_t ResultRows::rowCount() const { return m_rows->rowCount(); }

std::size_t ResultRows::fieldCount() const { return m_rows->fieldCount(); }

const std::wstring& ResultRows::fieldName(std::size_t field) const {
  return m_rows->field(field).name;
}

void ResultRows::read(std::size_t row, std::size_t field, VARIANT& out) const {
  m_rows->read(row, field, out);
}

bool ResultRows::utf8(std::size_t row, std::size_t field, std::string_view& text) const {
  return m_rows->utf8(row, field, text);
}

bool ResultRows::sameFields(const ResultRows& other) const {
  return m_rows->sameFields(*other.m_rows);
}

bool ResultRows::sameRow(std::size_t row, const ResultRows& other, std::size_t otherRow) const {
  return m_rows->sameRow(row, *other.m_rows, otherRow);
}

}  // namespace adoimpl
