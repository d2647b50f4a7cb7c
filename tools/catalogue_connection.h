// A catalogue opened through the data layer, and read whole into memory.
//
// fancat's load, check and dump reach a catalogue the way the module does:
// through platform/ado, so that a file (SQLite, or a one-line file holding a
// server's address) and a postgresql:// address are one case. Every table is
// read with one statement and kept as plain values (CatalogueTable): check
// and dump look at every row, and the large catalogue's 100,000 rows read
// this way in well under a second.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ado/ado.h"
#include "catalogue_writer.h"

namespace fangen {

// Opens the catalogue at where: a file path or a postgresql:// address. The
// argument wins over the environment's ZR_CATALOGUE, which is cleared or set to
// it. Throws CatalogueError with the data layer's reason.
_ConnectionPtr openCatalogue(const std::string& where);

// The data layer's reason for a failed call, as UTF-8.
std::string reasonOf(const _com_error& e);

struct CatalogueTable {
  std::string name;  // as the statements name it
  std::vector<std::string> columns;
  std::vector<std::vector<Value>> rows;  // in table order

  // The position of a column (any ASCII letter case), or -1.
  int column(const std::string& name) const;
};

// Every row of `SELECT * FROM table`; nothing when the table cannot be read
// (why says the data layer's reason).
std::optional<CatalogueTable> readTable(const _ConnectionPtr& connection, const std::string& table,
                                        std::string* why = nullptr);

// What fancat reads of a catalogue: the fixed tables, and the parameter and
// accessory tables that Model and Model_Table_Parameter_Style name.
struct CatalogueSnapshot {
  CatalogueTable models, styles, headings;
  std::map<std::string, CatalogueTable> parameters;   // by series
  std::map<std::string, CatalogueTable> accessories;  // by table name
  // The series and accessory tables named but not readable, with the reason.
  std::map<std::string, std::string> unreadable;
  // Series in order of first appearance in Model, then the styled ones Model lacks.
  std::vector<std::string> series;
  // (series, drive mode) in order of first appearance in Model.
  std::vector<std::pair<std::string, std::string>> drives;
};

// Throws CatalogueError when Model cannot be read; onlySeries, when given,
// limits the parameter and accessory tables read to those series.
CatalogueSnapshot readSnapshot(const _ConnectionPtr& connection,
                               const std::set<std::string>* onlySeries = nullptr);

// A value as a number: integers and doubles, and texts that hold one.
std::optional<double> numberOf(const Value& v);
// A value as text: numbers as the data layer shows them (4.0 as "4"), NULL as "".
std::string textOf(const Value& v);

// The Model table's columns, by position (-1 where missing).
struct ModelColumns {
  int id, series, drive, fanNo, speed, label;
  explicit ModelColumns(const CatalogueTable& models);
};

}  // namespace fangen
