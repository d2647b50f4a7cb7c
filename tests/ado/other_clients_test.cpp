// A catalogue on a server shared by several clients: another client's commit
// is seen by the next action, and only the tables it named are read again;
// a trigger of an earlier version, which names none, makes every table be
// read again. Lookups answered from a table read whole give the rows the
// server's own ILIKE gives.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <cmath>
#include <limits>

#include "ado/kept_connections.h"
#include "ado/pg_schema.h"
#include "ado_fixture.h"
#include "base/user_action.h"

namespace {

using adotest::backendQueries;
using Labels = std::vector<std::wstring>;

// Another client, through libpq alone.
class Client {
 public:
  explicit Client(const std::string& address) : m_conn(PQconnectdb(address.c_str())) {}
  ~Client() { PQfinish(m_conn); }
  void exec(const std::string& sql) {
    PGresult* r = PQexec(m_conn, sql.c_str());
    const ExecStatusType status = PQresultStatus(r);
    PQclear(r);
    ASSERT_TRUE(status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        << sql << ": " << PQerrorMessage(m_conn);
  }

 private:
  PGconn* m_conn;
};

class OtherClients : public adotest::CatalogueFixture {
 protected:
  void SetUp() override {
    if (!testsupport::testServer()) GTEST_SKIP() << "about catalogues on a server";
    adotest::CatalogueFixture::SetUp();
  }
  std::string address() const { return adoimpl::addressInFile(path); }
  Labels flagged() {
    return adotest::column(adotest::open(conn, L"select * from Flags where Name like 'A'"),
                           L"Count");
  }
};

TEST_F(OtherClients, OnlyTheTablesAnotherClientChangedAreReadAgain) {
  Client other(address());
  const auto readAll = [&](Labels& l, Labels& f, Labels& g) {
    const zrbase::UserActionScope action;
    return backendQueries([&] {
      l = labels();
      f = flux();
      g = flagged();
    });
  };
  Labels l, f, g;
  readAll(l, f, g);
  ASSERT_EQ(readAll(l, f, g), 0u);

  other.exec("UPDATE \"4-72_Parameter\" SET \"Flux\" = 77 WHERE \"ModelID\" = 1");
  EXPECT_EQ(readAll(l, f, g), 1u) << "the parameter rows alone are read again";
  EXPECT_EQ(f, (Labels{L"77", L"77"}));

  // The second table's note comes after the transaction's schema note.
  other.exec(
      "BEGIN; UPDATE \"Flags\" SET \"Count\" = 5 WHERE \"Name\" = 'a'; UPDATE \"Model\" SET "
      "\"LabelModel\" = 'both' WHERE \"ID\" = 1; COMMIT");
  EXPECT_EQ(readAll(l, f, g), 2u);
  EXPECT_EQ(l, Labels{L"both"});
  EXPECT_EQ(g, Labels{L"5"});

  // A trigger function of an earlier version notifies the schema alone.
  other.exec(
      "CREATE OR REPLACE FUNCTION zr_changed() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
      "PERFORM pg_notify('zr_catalogue', TG_TABLE_SCHEMA); RETURN NULL; END $$");
  other.exec("UPDATE \"4-72_Parameter\" SET \"Flux\" = 78 WHERE \"ModelID\" = 1");
  EXPECT_EQ(readAll(l, f, g), 3u) << "every table is read again";
  EXPECT_EQ(f, (Labels{L"78", L"78"}));

  // The next client to connect brings the function up to date.
  conn->Close();
  adoimpl::closeKeptConnections();
  conn = adotest::connect(path);
  readAll(l, f, g);
  other.exec("UPDATE \"Model\" SET \"LabelModel\" = 'again' WHERE \"ID\" = 1");
  EXPECT_EQ(readAll(l, f, g), 1u);
  EXPECT_EQ(l, Labels{L"again"});
}

// Lookups by text in numbers and texts of every kind: the rows answered from the table read
// whole are those the server's ILIKE finds (asked inside a transaction, where nothing is
// answered from memory).
TEST_F(OtherClients, LookupsFromMemoryFindWhatTheServerFinds) {
  Client other(address());
  other.exec(
      "CREATE TABLE \"Vals\" (rowid bigserial, \"ID\" zr_int, \"R\" double precision, "
      "\"F\" real, \"I\" zr_int, \"B\" zr_bool, \"T\" text, \"U\" zr_any)");
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double r;
    const char* t;
  } kValues[] = {{4.0, "4-72"},       {3.15, "直联"},   {0.1 + 0.2, "T4-72"},
                 {-0.5, "Ａ"},        {1e20, "ａ"},     {1.0000000000000002, "\u212a"},
                 {inf, "k"},          {-inf, "直联 A"}, {123456789012345.6, "é"},
                 {std::nan(""), "a"}, {-0.0, ""},       {2900, "4-72"}};
  int id = 0;
  for (const auto& row : kValues) {
    char r[40];
    std::snprintf(r, sizeof r, "%.17g", row.r);
    ++id;
    other.exec("INSERT INTO \"Vals\" (\"ID\", \"R\", \"F\", \"I\", \"B\", \"T\", \"U\") VALUES (" +
               std::to_string(id) + ", '" + r + "', '" + r + "', " + std::to_string(id * 1450) +
               ", " + std::to_string(id % 2) + ", '" + row.t + "', '" + r + "')");
  }
  other.exec("INSERT INTO \"Vals\" (\"ID\") VALUES (99)");
  const char* const kColumns[] = {"R", "F", "I", "B", "T", "U"};
  const char* const kPatterns[] = {
      "4",   "3.15", "0.3", "-0.5", "1e+20", "1",    "1e20",           "Infinity", "-infinity",
      "nan", "-0",   "0",   "1450", "2900",  "4-72", "t4-72",          "直联",     "直联 a",
      "Ａ",  "ａ",   "k",   "K",    "é",     "",     "123456789012346"};
  const auto ids = [&](const std::wstring& sql) {
    return adotest::column(adotest::open(conn, sql), L"ID");
  };
  // Rows whose text has a letter beyond ASCII with a case (é, the Kelvin sign) are left to
  // the server: the conditions that reach them are asked there.
  std::vector<std::wstring> conditions = {L"I like 1450 or I like 4350 or R like '4'",
                                          L"R like '4' and B like 0 or I like 2900 or ID like 99",
                                          L"U like '4' and B like 1 or F like '3.15'",
                                          L"T like '4-72' and I like '2900' or R like '4'"};
  for (const char* column : kColumns) {
    for (const char* pattern : kPatterns) {
      conditions.push_back(adotest::wide(column) + L" like '" + adotest::wide(pattern) + L"'");
    }
  }
  for (const std::wstring& condition : conditions) {
    const std::wstring sql = L"select * from Vals where " + condition;
    SCOPED_TRACE(zrbase::wideToUtf8(sql));
    conn->BeginTrans();
    const Labels server = ids(sql);
    conn->RollbackTrans();
    const zrbase::UserActionScope action;
    EXPECT_EQ(ids(sql), server);
  }
}

}  // namespace
