// Tokenizer and rewriter of the catalogue's SQL dialect.
#include "sql_dialect.h"

#include <vector>

#include "base/utf8.h"
#include "pg_schema.h"
#include "sql_like.h"
#include "text_fold.h"

namespace adoimpl {

namespace {

enum class Tok { Space, Word, Number, String, Quoted, TableName, Punct };

struct Token {
  Tok kind;
  std::string_view text;
};

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}
bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Non-ASCII characters count as letters, except blanks and punctuation.
bool isLetterCodePoint(char32_t c) {
  if (c < 0x80) return isAsciiLetter(static_cast<char>(c));
  if (c <= 0xBF) return false;                   // Latin-1 blanks and signs
  if (c == 0xD7 || c == 0xF7) return false;      // × ÷
  if (c >= 0x2000 && c <= 0x206F) return false;  // general punctuation
  if (c >= 0x3000 && c <= 0x303F) return false;  // CJK blanks and punctuation
  if (c >= 0xFF00 && c <= 0xFF0F) return false;  // full-width signs
  if (c >= 0xFF1A && c <= 0xFF20) return false;
  if (c >= 0xFF3B && c <= 0xFF40) return false;
  if (c >= 0xFF5B && c <= 0xFF65) return false;
  return c != 0xFFFD && c != 0xFEFF;
}

bool equalsKeyword(std::string_view word, std::string_view keyword) {
  if (word.size() != keyword.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    char c = word[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (c != keyword[i]) return false;
  }
  return true;
}

class Tokenizer {
 public:
  explicit Tokenizer(std::string_view sql) : m_sql(sql) {}

  std::vector<Token> run() {
    while (m_pos < m_sql.size()) {
      const Token t = next();
      m_tokens.push_back(t);
      if (t.kind == Tok::Word) afterWord(t.text);
    }
    return std::move(m_tokens);
  }

 private:
  Token make(Tok kind, std::size_t begin) { return {kind, m_sql.substr(begin, m_pos - begin)}; }

  Token next() {
    const std::size_t begin = m_pos;
    const char c = m_sql[m_pos];
    if (isSpace(c)) {
      while (m_pos < m_sql.size() && isSpace(m_sql[m_pos])) ++m_pos;
      return make(Tok::Space, begin);
    }
    if (c == '-' && m_sql.substr(m_pos, 2) == "--") {
      while (m_pos < m_sql.size() && m_sql[m_pos] != '\n') ++m_pos;
      return make(Tok::Space, begin);
    }
    if (c == '/' && m_sql.substr(m_pos, 2) == "/*") {
      const std::size_t end = m_sql.find("*/", m_pos + 2);
      if (end == std::string_view::npos) throw DialectError("unterminated comment");
      m_pos = end + 2;
      return make(Tok::Space, begin);
    }
    if (c == '\'') return quoted('\'', '\'', Tok::String, "unterminated string");
    if (c == '"') return quoted('"', '"', Tok::Quoted, "unterminated quoted name");
    if (c == '`') return quoted('`', '`', Tok::Quoted, "unterminated quoted name");
    if (c == '[') return quoted('[', ']', Tok::Quoted, "unterminated bracketed name");
    if (isDigit(c) || (c == '.' && m_pos + 1 < m_sql.size() && isDigit(m_sql[m_pos + 1]))) {
      while (m_pos < m_sql.size() && (isDigit(m_sql[m_pos]) || m_sql[m_pos] == '.')) ++m_pos;
      if (m_pos < m_sql.size() && (m_sql[m_pos] == 'e' || m_sql[m_pos] == 'E')) {
        std::size_t p = m_pos + 1;
        if (p < m_sql.size() && (m_sql[p] == '+' || m_sql[p] == '-')) ++p;
        if (p < m_sql.size() && isDigit(m_sql[p])) {
          m_pos = p;
          while (m_pos < m_sql.size() && isDigit(m_sql[m_pos])) ++m_pos;
        }
      }
      return make(Tok::Number, begin);
    }
    if (isWordStart()) {
      while (m_pos < m_sql.size() && isWordChar()) advanceChar();
      return make(Tok::Word, begin);
    }
    advanceChar();
    return make(Tok::Punct, begin);
  }

  Token quoted(char open, char close, Tok kind, const char* unterminated) {
    const std::size_t begin = m_pos;
    (void)open;
    ++m_pos;
    for (;;) {
      const std::size_t end = m_sql.find(close, m_pos);
      if (end == std::string_view::npos) throw DialectError(unterminated);
      m_pos = end + 1;
      // A doubled closing quote is one quote character inside the text.
      if (close != ']' && m_pos < m_sql.size() && m_sql[m_pos] == close) {
        ++m_pos;
        continue;
      }
      return make(kind, begin);
    }
  }

  char32_t peekChar() const {
    std::size_t i = m_pos;
    return zrbase::decodeUtf8(m_sql, i);
  }
  void advanceChar() { zrbase::decodeUtf8(m_sql, m_pos); }
  bool isWordStart() const {
    const char32_t c = peekChar();
    return c == '_' || isLetterCodePoint(c);
  }
  bool isWordChar() const {
    const char32_t c = peekChar();
    return c == '_' || c == '$' || isDigit(static_cast<char>(c < 0x80 ? c : 0)) ||
           isLetterCodePoint(c);
  }
  bool isNameChar() const {
    const char32_t c = peekChar();
    return c == '_' || c == '-' || c == '.' || (c < 0x80 && isDigit(static_cast<char>(c))) ||
           isLetterCodePoint(c);
  }

  // After FROM, INTO, UPDATE (as the statement's first word), JOIN and TABLE
  // comes a bare table name.
  void afterWord(std::string_view word) {
    const bool first =
        m_tokens.size() == 1 || (m_tokens.size() == 2 && m_tokens[0].kind == Tok::Space);
    if (!(equalsKeyword(word, "FROM") || equalsKeyword(word, "INTO") ||
          equalsKeyword(word, "JOIN") || equalsKeyword(word, "TABLE") ||
          (first && equalsKeyword(word, "UPDATE")))) {
      return;
    }
    for (;;) {
      const std::size_t spaceBegin = m_pos;
      while (m_pos < m_sql.size() && isSpace(m_sql[m_pos])) ++m_pos;
      if (m_pos > spaceBegin) m_tokens.push_back(make(Tok::Space, spaceBegin));
      if (m_pos >= m_sql.size() || m_sql[m_pos] == '(') return;
      if (!isNameChar()) {
        throw DialectError("a table name is expected after " + std::string(word));
      }
      const std::size_t begin = m_pos;
      while (m_pos < m_sql.size() && isNameChar()) advanceChar();
      const Token name = make(Tok::TableName, begin);
      if (m_pos < m_sql.size()) {
        const char c = m_sql[m_pos];
        if (!isSpace(c) && c != '(' && c != ')' && c != ',' && c != ';') {
          throw DialectError("invalid table name '" + std::string(name.text) +
                             std::string(m_sql.substr(m_pos, 1)) + "...'");
        }
      }
      // CREATE TABLE IF NOT EXISTS name: the words before the name stay words.
      if (equalsKeyword(word, "TABLE") &&
          (equalsKeyword(name.text, "IF") || equalsKeyword(name.text, "NOT") ||
           equalsKeyword(name.text, "EXISTS"))) {
        m_tokens.push_back({Tok::Word, name.text});
        continue;
      }
      m_tokens.push_back(name);
      return;
    }
  }

  std::string_view m_sql;
  std::size_t m_pos = 0;
  std::vector<Token> m_tokens;
};

bool significant(const Token& t) { return t.kind != Tok::Space; }

bool isWord(const Token& t, std::string_view keyword) {
  return t.kind == Tok::Word && equalsKeyword(t.text, keyword);
}

bool isPunct(const Token& t, std::string_view text) {
  return t.kind == Tok::Punct && t.text == text;
}

// Drops the ';' that ends the statement; anything but blanks after it is a
// second statement, which the driver refuses.
void cutAtSemicolon(std::vector<Token>& tokens) {
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].kind == Tok::Punct && tokens[i].text == ";") {
      for (std::size_t j = i + 1; j < tokens.size(); ++j) {
        if (significant(tokens[j])) {
          throw DialectError("characters found after end of SQL statement");
        }
      }
      tokens.resize(i);
      return;
    }
  }
}

std::vector<std::size_t> significantIndexes(const std::vector<Token>& tokens) {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (significant(tokens[i])) out.push_back(i);
  }
  return out;
}

// Where a plain single-table SELECT names its table: the index of the
// TableName token, or npos when the SELECT is anything else (DISTINCT,
// grouping, joins, several tables, an alias, a compound select, LIMIT).
std::size_t singleTableOf(const std::vector<Token>& tokens, const std::vector<std::size_t>& sig,
                          bool& hasOrderBy) {
  hasOrderBy = false;
  if (sig.size() < 2 || isWord(tokens[sig[1]], "DISTINCT") || isWord(tokens[sig[1]], "ALL")) {
    return std::string_view::npos;
  }
  int depth = 0;
  std::size_t table = std::string_view::npos;
  bool afterTable = false;
  for (std::size_t k = 1; k < sig.size(); ++k) {
    const Token& t = tokens[sig[k]];
    if (t.kind == Tok::Punct && t.text == "(") ++depth;
    if (t.kind == Tok::Punct && t.text == ")") --depth;
    if (depth != 0) continue;
    if (t.kind == Tok::TableName) {
      if (table != std::string_view::npos) return std::string_view::npos;
      table = sig[k];
      if (!isWord(tokens[sig[k - 1]], "FROM")) return std::string_view::npos;
      afterTable = true;
      if (k + 1 < sig.size() && !isWord(tokens[sig[k + 1]], "WHERE") &&
          !isWord(tokens[sig[k + 1]], "ORDER")) {
        return std::string_view::npos;
      }
      continue;
    }
    if (!afterTable) continue;
    for (const char* kw :
         {"GROUP", "HAVING", "UNION", "EXCEPT", "INTERSECT", "LIMIT", "JOIN", "WINDOW"}) {
      if (isWord(t, kw)) return std::string_view::npos;
    }
    if (t.kind == Tok::Punct && t.text == ",") return std::string_view::npos;
    if (isWord(t, "ORDER")) hasOrderBy = true;
  }
  return table;
}

// Text between quotes, a quote inside doubled.
std::string enclosed(std::string_view text, char quote) {
  std::string out(1, quote);
  for (char c : text) {
    out += c;
    if (c == quote) out += quote;
  }
  return out + quote;
}

}  // namespace

std::string quoteIdentifier(std::string_view name) { return enclosed(name, '"'); }

std::string quoteLiteral(std::string_view text) { return enclosed(text, '\''); }

namespace {

std::size_t nextSignificant(const std::vector<Token>& tokens, std::size_t i) {
  for (++i; i < tokens.size(); ++i) {
    if (significant(tokens[i])) return i;
  }
  return tokens.size();
}

std::size_t previousSignificant(const std::vector<Token>& tokens, std::size_t i) {
  while (i-- > 0) {
    if (significant(tokens[i])) return i;
  }
  return tokens.size();
}

std::string unquote(std::string_view quoted) {
  const char close = quoted.back();
  std::string out;
  for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
    out += quoted[i];
    if (close != ']' && quoted[i] == close && i + 2 < quoted.size()) ++i;
  }
  return out;
}

// The words that end a column's type in CREATE TABLE.
bool isConstraintWord(const Token& t) {
  for (const char* kw : {"PRIMARY", "NOT", "NULL", "DEFAULT", "UNIQUE", "CHECK", "REFERENCES",
                         "COLLATE", "CONSTRAINT", "AUTOINCREMENT", "GENERATED", "AS"}) {
    if (isWord(t, kw)) return true;
  }
  return false;
}

// CREATE TABLE name (definitions) for PostgreSQL: column names quoted as
// written, types mapped onto the schema's, the rowid column first.
void translateCreateTable(const std::vector<Token>& tokens, std::size_t nameAt,
                          const std::string& name, TranslatedStatement& out) {
  const std::size_t open = nextSignificant(tokens, nameAt);
  if (open >= tokens.size() || !isPunct(tokens[open], "(")) {
    throw DialectError("CREATE TABLE without columns");
  }
  // The definitions between the parentheses, split at top-level commas.
  std::vector<std::vector<std::size_t>> defs(1);
  int depth = 0;
  std::size_t close = tokens.size();
  for (std::size_t i = open + 1; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    if (isPunct(t, "(")) ++depth;
    if (isPunct(t, ")") && depth-- == 0) {
      close = i;
      break;
    }
    if (depth == 0 && isPunct(t, ",")) {
      defs.emplace_back();
    } else if (significant(t)) {
      defs.back().push_back(i);
    }
  }
  if (close == tokens.size()) throw DialectError("unbalanced parentheses in CREATE TABLE");
  std::vector<std::string> columns;
  for (const auto& def : defs) {
    if (def.empty()) throw DialectError("empty column definition");
    const Token& first = tokens[def[0]];
    columns.push_back(first.kind == Tok::Quoted ? unquote(first.text) : std::string(first.text));
  }
  auto columnNamed = [&](std::string_view word) -> const std::string* {
    for (const std::string& c : columns) {
      if (equalsFolded(std::string_view(c), word)) return &c;
    }
    return nullptr;
  };
  std::string body;
  for (std::size_t d = 0; d < defs.size(); ++d) {
    const auto& def = defs[d];
    const Token& first = tokens[def[0]];
    body += ", ";
    bool tableConstraint = false;
    for (const char* kw : {"PRIMARY", "UNIQUE", "CHECK", "FOREIGN", "CONSTRAINT"}) {
      tableConstraint = tableConstraint || isWord(first, kw);
    }
    std::size_t k = 0;
    if (!tableConstraint) {
      body += quoteIdentifier(columns[d]);
      std::string type;
      for (k = 1; k < def.size() && !isConstraintWord(tokens[def[k]]); ++k) {
        type += std::string(tokens[def[k]].text) + " ";
      }
      std::string rest;
      for (std::size_t r = k; r < def.size(); ++r) rest += std::string(tokens[def[r]].text) + " ";
      std::string u = type + rest;
      for (char& c : u) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
      if (u.rfind("INTEGER ", 0) == 0 && u.find("PRIMARY KEY") != std::string::npos) {
        out.integerKey = columns[d];
      }
      body += " " + pgColumnType(type);
    }
    for (; k < def.size(); ++k) {
      const Token& t = tokens[def[k]];
      if (isWord(t, "AUTOINCREMENT")) continue;
      const std::string* column = t.kind == Tok::Word ? columnNamed(t.text) : nullptr;
      body += " " + (column ? quoteIdentifier(*column) : std::string(t.text));
    }
  }
  for (std::size_t i = 0; i < nameAt; ++i) out.sql += tokens[i].text;
  out.sql += quoteIdentifier(name) + " (" + pgRowidColumn(out.integerKey) + body + ")";
  for (std::size_t i = close + 1; i < tokens.size(); ++i) out.sql += tokens[i].text;
  out.createdTable = name;
}

// One token as PostgreSQL is given it (translateStatement's comment).
std::string pgToken(const std::vector<Token>& tokens, std::size_t i,
                    const std::vector<std::string>& tables, const ColumnResolver& resolveColumn) {
  const Token& t = tokens[i];
  auto column = [&](std::string_view name) -> std::optional<std::string> {
    return resolveColumn ? resolveColumn(tables, name) : std::nullopt;
  };
  if (t.kind == Tok::Word) {
    if (isWord(t, "LIKE")) {
      // A pattern with a character class is matched as a regular expression.
      const std::size_t next = nextSignificant(tokens, i);
      const bool classes = next < tokens.size() && tokens[next].kind == Tok::String &&
                           likeClassRegex(unquote(tokens[next].text));
      return classes ? "~*" : "ILIKE";
    }
    const std::size_t next = nextSignificant(tokens, i);
    if (next < tokens.size() && isPunct(tokens[next], "(")) return std::string(t.text);
    const std::size_t prev = previousSignificant(tokens, i);
    if (prev < tokens.size() && isWord(tokens[prev], "AS")) return quoteIdentifier(t.text);
    if (std::optional<std::string> c = column(t.text)) return quoteIdentifier(*c);
    return std::string(t.text);
  }
  // A number beside LIKE is matched as its text: written as a string, a
  // minus sign before it included.
  auto besideLike = [&](std::size_t at, bool before) {
    const std::size_t k = before ? nextSignificant(tokens, at) : previousSignificant(tokens, at);
    return k < tokens.size() && isWord(tokens[k], "LIKE");
  };
  if (t.kind == Tok::Number) {
    const std::size_t prev = previousSignificant(tokens, i);
    if (prev < tokens.size() && isPunct(tokens[prev], "-") && besideLike(prev, false)) {
      return quoteLiteral("-" + std::string(t.text));
    }
    if (besideLike(i, false) || besideLike(i, true)) return quoteLiteral(t.text);
    return std::string(t.text);
  }
  if (isPunct(t, "-") && besideLike(i, false)) {
    const std::size_t next = nextSignificant(tokens, i);
    if (next < tokens.size() && tokens[next].kind == Tok::Number) return "";
  }
  if (t.kind == Tok::String && besideLike(i, false)) {
    if (std::optional<std::string> regex = likeClassRegex(unquote(t.text))) {
      return quoteLiteral(*regex);
    }
  }
  if (t.kind == Tok::Quoted) {
    const std::string inner = unquote(t.text);
    if (std::optional<std::string> c = column(inner)) return quoteIdentifier(*c);
    if (t.text[0] != '"') return quoteIdentifier(inner);
    for (const std::string& table : tables) {
      if (equalsFolded(std::string_view(table), std::string_view(inner))) {
        return quoteIdentifier(table);
      }
    }
    return quoteLiteral(inner);
  }
  return std::string(t.text);
}

// `col like 5 or col like 7 ...` as a whole WHERE clause after one table (the
// candidate query names a model per series: on the large catalogue 40 like()
// calls for each of its 10,000 rows, about a fifth of the selection by parameters
// after another connection's write). like() takes an integer as matching an
// integer pattern exactly when the two are equal, which one IN lookup tells;
// every other value (real, text, NULL) still goes through the chain:
//   CASE WHEN typeof(col) = 'integer' THEN +col IN (5, 7) ELSE (chain) END
// ('+' keeps the column's affinity off the list). Returns the index of the
// chain's last token, or npos when the clause after `where` is no such chain of
// two or more integers of up to 18 digits.
std::size_t integerLikeChain(const std::vector<Token>& tokens, std::size_t where,
                             std::string& replaced) {
  if (!isWord(tokens[where], "WHERE")) return std::string_view::npos;
  const std::size_t table = previousSignificant(tokens, where);
  if (table >= tokens.size() || tokens[table].kind != Tok::TableName) return std::string_view::npos;
  std::string_view column;
  std::string list;
  std::size_t last = where, terms = 0;
  for (std::size_t k = nextSignificant(tokens, where);; k = nextSignificant(tokens, k)) {
    const std::size_t like = nextSignificant(tokens, k);
    const std::size_t number = nextSignificant(tokens, like);
    if (number >= tokens.size() || tokens[k].kind != Tok::Word || !isWord(tokens[like], "LIKE") ||
        tokens[number].kind != Tok::Number || tokens[number].text.size() > 18 ||
        tokens[number].text.find_first_not_of("0123456789") != std::string_view::npos ||
        (terms > 0 && tokens[k].text != column)) {
      return std::string_view::npos;
    }
    column = tokens[k].text;
    list += (terms++ ? ", " : "") + std::string(tokens[number].text);
    last = number;
    k = nextSignificant(tokens, number);
    if (k == tokens.size() || isWord(tokens[k], "ORDER")) break;
    if (!isWord(tokens[k], "OR")) return std::string_view::npos;
  }
  if (terms < 2) return std::string_view::npos;
  const std::string name(column);
  replaced =
      " CASE WHEN typeof(" + name + ") = 'integer' THEN +" + name + " IN (" + list + ") ELSE (";
  for (std::size_t i = nextSignificant(tokens, where); i <= last; ++i) replaced += tokens[i].text;
  replaced += ") END";
  return last;
}

}  // namespace

TranslatedStatement translateStatement(std::string_view sql, const TableResolver& resolve,
                                       bool wantRowid) {
  return translateStatement(sql, SqlDialect::Sqlite, resolve, nullptr, wantRowid);
}

TranslatedStatement translateStatement(std::string_view sql, SqlDialect dialect,
                                       const TableResolver& resolve,
                                       const ColumnResolver& resolveColumn, bool wantRowid) {
  std::vector<Token> tokens = Tokenizer(sql).run();
  cutAtSemicolon(tokens);
  std::vector<std::size_t> sig = significantIndexes(tokens);
  if (sig.empty()) throw DialectError("empty statement");

  // delete * from T
  if (sig.size() >= 3 && isWord(tokens[sig[0]], "DELETE") && tokens[sig[1]].kind == Tok::Punct &&
      tokens[sig[1]].text == "*" && isWord(tokens[sig[2]], "FROM")) {
    tokens[sig[1]].kind = Tok::Space;
    tokens[sig[1]].text = "";
    sig = significantIndexes(tokens);
  }

  TranslatedStatement out;
  out.isSelect = isWord(tokens[sig[0]], "SELECT");
  std::size_t table = std::string_view::npos;
  bool hasOrderBy = false;
  if (out.isSelect && wantRowid) table = singleTableOf(tokens, sig, hasOrderBy);
  // PostgreSQL refuses a plain column beside an aggregate; such a result is
  // read-only anyway.
  if (dialect == SqlDialect::Postgres && table != std::string_view::npos) {
    for (std::size_t k = 1; k + 1 < sig.size() && !isWord(tokens[sig[k]], "FROM"); ++k) {
      for (const char* fn : {"COUNT", "SUM", "AVG", "MIN", "MAX", "TOTAL", "GROUP_CONCAT"}) {
        if (isWord(tokens[sig[k]], fn) && isPunct(tokens[sig[k + 1]], "(")) {
          table = std::string_view::npos;
        }
      }
    }
  }

  std::vector<std::string> names(tokens.size());
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].kind != Tok::TableName) continue;
    const std::string written(tokens[i].text);
    names[i] = resolve ? resolve(written) : written;
  }
  const std::string resolvedTable = table != std::string_view::npos ? names[table] : "";
  // The table an INSERT, UPDATE or DELETE writes is the first it names.
  for (const char* kw : {"INSERT", "UPDATE", "DELETE", "REPLACE"}) {
    if (!isWord(tokens[sig[0]], kw)) continue;
    for (const std::size_t k : sig) {
      if (tokens[k].kind == Tok::TableName) {
        out.writtenTable = names[k];
        break;
      }
    }
  }
  // A single-table SELECT without a subquery reads that table alone.
  if (table != std::string_view::npos) {
    out.readsOnlyTable = true;
    for (std::size_t k = 1; k < sig.size(); ++k) {
      if (isWord(tokens[sig[k]], "SELECT")) out.readsOnlyTable = false;
    }
  }
  for (const char* kw : {"CREATE", "DROP", "ALTER"}) {
    out.changesSchema = out.changesSchema || isWord(tokens[sig[0]], kw);
  }
  const bool pg = dialect == SqlDialect::Postgres;
  if (pg && isWord(tokens[sig[0]], "CREATE")) {
    for (std::size_t k = 1; k < sig.size(); ++k) {
      if (tokens[sig[k]].kind == Tok::TableName && isWord(tokens[sig[k - 1]], "TABLE")) {
        translateCreateTable(tokens, sig[k], names[sig[k]], out);
        return out;
      }
    }
  }
  std::vector<std::string> tables;
  if (pg) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      if (tokens[i].kind == Tok::TableName) tables.push_back(names[i]);
    }
  }

  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    if (t.kind == Tok::TableName) {
      out.sql += quoteIdentifier(names[i]);
      continue;
    }
    // The rowid goes last in the result columns, just before FROM.
    if (table != std::string_view::npos && isWord(t, "FROM") &&
        (i + 1 == table || i + 2 == table)) {
      out.sql += ", " + quoteIdentifier(resolvedTable) + ".rowid ";
    }
    if (pg) {
      out.sql += pgToken(tokens, i, tables, resolveColumn);
      continue;
    }
    out.sql += t.text;
    std::string chain;
    if (const std::size_t last = integerLikeChain(tokens, i, chain); last < tokens.size()) {
      out.sql += chain;
      i = last;
    }
  }
  if (table != std::string_view::npos) {
    if (!hasOrderBy) out.sql += " ORDER BY " + quoteIdentifier(resolvedTable) + ".rowid";
    out.table = resolvedTable;
    out.rowidColumn = true;
  }
  return out;
}

}  // namespace adoimpl
