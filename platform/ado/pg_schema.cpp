// The schema objects of a catalogue on a PostgreSQL server.
#include "pg_schema.h"

#include <fstream>

#include "sql_dialect.h"

namespace adoimpl {

namespace {

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return out;
}

bool has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

}  // namespace

std::string pgChangeFunction() {
  // The table's note comes first: a transaction's first note is always one, and
  // the schema's note, sent once per transaction, follows it (pg_backend.cpp).
  return "CREATE OR REPLACE FUNCTION zr_changed() RETURNS trigger LANGUAGE plpgsql AS "
         "$$ BEGIN PERFORM pg_notify(" +
         quoteLiteral(kPgTableChannel) +
         ", TG_TABLE_SCHEMA || E'\\t' || pg_current_xact_id()::text || E'\\t' || "
         "TG_TABLE_NAME); PERFORM pg_notify(" +
         quoteLiteral(kPgChangeChannel) + ", TG_TABLE_SCHEMA); RETURN NULL; END $$";
}

std::vector<std::string> pgSchemaSetupStatements() {
  std::vector<std::string> out = {
      "DO $$ BEGIN "
      "IF to_regtype('zr_bool') IS NULL THEN CREATE DOMAIN zr_bool AS smallint; END IF; "
      "IF to_regtype('zr_any') IS NULL THEN CREATE DOMAIN zr_any AS text; END IF; "
      "IF to_regtype('zr_int') IS NULL THEN CREATE DOMAIN zr_int AS bigint; END IF; "
      "END $$",
      pgChangeFunction(),
      "CREATE OR REPLACE FUNCTION zr_next_key() RETURNS trigger LANGUAGE plpgsql AS $$ "
      "DECLARE next bigint; BEGIN "
      "IF to_jsonb(NEW) ->> TG_ARGV[0] IS NULL THEN "
      "EXECUTE format('SELECT coalesce(max(%I), 0) + 1 FROM %I.%I', TG_ARGV[0], "
      "TG_TABLE_SCHEMA, TG_TABLE_NAME) INTO next; "
      "NEW := jsonb_populate_record(NEW, jsonb_build_object(TG_ARGV[0], next)); "
      "END IF; RETURN NEW; END $$",
  };
  // Numbers matched by LIKE through their text. The statement layer writes
  // a number after LIKE as a string, so one pattern type serves.
  for (const char* type :
       {"smallint", "integer", "bigint", "real", "double precision", "numeric"}) {
    const std::string t = type;
    out.push_back("CREATE OR REPLACE FUNCTION zr_like(" + t +
                  ", text) RETURNS boolean LANGUAGE sql STABLE AS $$ SELECT $1::text ILIKE $2 $$");
    out.push_back("DO $$ BEGIN IF to_regoperator('~~*(" + t +
                  ",text)') IS NULL THEN CREATE OPERATOR ~~* (LEFTARG = " + t +
                  ", RIGHTARG = text, FUNCTION = zr_like); END IF; END $$");
    // A text matched against a number's text as the pattern.
    out.push_back("CREATE OR REPLACE FUNCTION zr_like(text, " + t +
                  ") RETURNS boolean LANGUAGE sql STABLE AS $$ SELECT $1 ILIKE $2::text $$");
    // A number matched against a pattern with a character class (a regular expression).
    out.push_back("CREATE OR REPLACE FUNCTION zr_like_regex(" + t +
                  ", text) RETURNS boolean LANGUAGE sql STABLE AS $$ SELECT $1::text ~* $2 $$");
    out.push_back("DO $$ BEGIN IF to_regoperator('~*(" + t +
                  ",text)') IS NULL THEN CREATE OPERATOR ~* (LEFTARG = " + t +
                  ", RIGHTARG = text, FUNCTION = zr_like_regex); END IF; END $$");
    out.push_back("DO $$ BEGIN IF to_regoperator('~~*(text," + t +
                  ")') IS NULL THEN CREATE OPERATOR ~~* (LEFTARG = text, RIGHTARG = " + t +
                  ", FUNCTION = zr_like); END IF; END $$");
  }
  return out;
}

std::string pgColumnType(std::string_view declared) {
  const std::string u = upper(declared);
  if (u.find_first_not_of(" \t") == std::string::npos) return "zr_any";
  if (has(u, "BOOL") || has(u, "BIT") || has(u, "YESNO")) return "zr_bool";
  if (has(u, "CHAR") || has(u, "TEXT") || has(u, "CLOB") || has(u, "MEMO") || has(u, "STRING")) {
    return "text";
  }
  if (has(u, "BIGINT") || has(u, "INT64") || has(u, "INT8")) return "bigint";
  if (has(u, "INT") || has(u, "COUNTER") || has(u, "LONG") || has(u, "SHORT") || has(u, "BYTE")) {
    return "zr_int";
  }
  if (has(u, "REAL") || has(u, "FLOA") || has(u, "DOUB") || has(u, "NUMERIC") ||
      has(u, "DECIMAL") || has(u, "CURRENCY") || has(u, "MONEY") || has(u, "SINGLE")) {
    return "double precision";
  }
  return "zr_any";
}

std::string sqliteColumnType(std::string_view pgType) {
  if (pgType == "zr_bool") return "BOOLEAN";
  if (pgType == "zr_int" || pgType == "integer" || pgType == "smallint") return "INTEGER";
  if (pgType == "bigint") return "BIGINT";
  if (pgType == "double precision" || pgType == "real" || pgType == "numeric") return "DOUBLE";
  if (pgType == "zr_any") return "";
  return "TEXT";
}

std::string pgRowidColumn(const std::string& integerKey) {
  if (integerKey.empty()) return "rowid bigserial";
  return "rowid bigint GENERATED ALWAYS AS (" + quoteIdentifier(integerKey) + ") STORED";
}

std::vector<std::string> pgTableTriggers(const std::string& table, const std::string& integerKey) {
  const std::string t = quoteIdentifier(table);
  std::vector<std::string> out = {
      "CREATE TRIGGER zr_changed AFTER INSERT OR UPDATE OR DELETE OR "
      "TRUNCATE ON " +
      t + " FOR EACH STATEMENT EXECUTE FUNCTION zr_changed()"};
  if (!integerKey.empty()) {
    out.push_back("CREATE TRIGGER zr_next_key BEFORE INSERT ON " + t +
                  " FOR EACH ROW EXECUTE FUNCTION zr_next_key(" + quoteLiteral(integerKey) + ")");
  }
  return out;
}

bool isPostgresAddress(std::string_view text) {
  return text.rfind("postgresql://", 0) == 0 || text.rfind("postgres://", 0) == 0;
}

std::string addressForMessages(const std::string& address) {
  std::string out = address;
  const std::size_t scheme = out.find("://");
  const std::size_t at = out.find('@');
  const std::size_t path = out.find_first_of("/?", scheme == std::string::npos ? 0 : scheme + 3);
  if (scheme != std::string::npos && at != std::string::npos && at > scheme && at < path) {
    const std::size_t colon = out.find(':', scheme + 3);
    if (colon != std::string::npos && colon < at) out.erase(colon, at - colon);
  }
  for (std::size_t p = out.find('?'); p != std::string::npos; p = out.find('&', p + 1)) {
    if (out.compare(p + 1, 9, "password=") != 0) continue;
    const std::size_t end = out.find('&', p + 1);
    out.replace(p + 10, (end == std::string::npos ? out.size() : end) - (p + 10), "***");
  }
  return out;
}

std::string addressInFile(const std::string& nativePath) {
  std::ifstream in(nativePath, std::ios::binary);
  if (!in) return {};
  // An address file is one short line; a database file is neither.
  std::string text(4097, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (text.size() > 4096) return {};
  // Editors on some systems begin a UTF-8 text with a byte order mark.
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  const std::size_t b = text.find_first_not_of(" \t\r\n");
  const std::size_t e = text.find_last_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  text = text.substr(b, e - b + 1);
  if (!isPostgresAddress(text) || text.find_first_of("\r\n") != std::string::npos) return {};
  return text;
}

}  // namespace adoimpl
