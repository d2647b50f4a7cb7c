// What a catalogue on a PostgreSQL server consists of beyond its tables.
//
// A catalogue lives in one schema (the first of the address's search_path)
// and carries there what the module's statements need of it:
// - the column types written values convert to: text, zr_int (a bigint
//   domain: SQLite's INTEGER holds 64 bits, and values read as the 32-bit
//   INTEGER type of the data layer), bigint, double precision, zr_bool (a
//   smallint domain, so that flags compare with 0 and 1 as the module writes
//   them) and zr_any (text, for a column declared without a type);
// - ILIKE operators between numbers and patterns, which match a number
//   through the text it is displayed as (4.0 as "4"; the connection sets
//   extra_float_digits so that a double shows 15 significant digits);
// - on every table a statement trigger that notifies the channels
//   zr_catalogue_tables (naming the table) and zr_catalogue when the table
//   changes, so that every client's result cache learns of another client's
//   committed change and of what it changed; and on a table with
//   an INTEGER PRIMARY KEY column, a row trigger that numbers a row inserted
//   without one as max + 1, as SQLite does.
// Every table's first column is rowid, the row identity that orders rows in
// insertion order and through which rows are written back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace adoimpl {

// The statements that add the schema's types, functions and operators;
// each is safe to run again.
std::vector<std::string> pgSchemaSetupStatements();

// A column type as written in SQLite's CREATE TABLE mapped to the schema's.
std::string pgColumnType(std::string_view declared);
// The schema's type name (as format_type gives it) mapped back to SQLite's.
std::string sqliteColumnType(std::string_view pgType);

// The rowid column definition, for a table with that INTEGER PRIMARY KEY
// column (quoted) or without (empty).
std::string pgRowidColumn(const std::string& integerKey);
// The triggers of a new table (name and key unquoted).
std::vector<std::string> pgTableTriggers(const std::string& table, const std::string& integerKey);

// The channel every change is notified on, the schema as the payload: once per
// transaction that changed the catalogue's tables.
constexpr const char* kPgChangeChannel = "zr_catalogue";
// The channel that names what changed: "schema<TAB>transaction<TAB>table" for
// each table a transaction changed, sent before the schema's note (which a
// client of an earlier version listens for alone).
constexpr const char* kPgTableChannel = "zr_catalogue_tables";
// The statement that (re)defines the change trigger's function.
std::string pgChangeFunction();

// True for a "postgresql://" or "postgres://" address.
bool isPostgresAddress(std::string_view text);
// The address as messages show it: any password (in the user part or as a parameter)
// left out.
std::string addressForMessages(const std::string& address);
// The address a ZRFan.Mdb holds when it is a small text file holding one,
// else empty.
std::string addressInFile(const std::string& nativePath);

}  // namespace adoimpl
