// LIKE matching and its SQLite function.
#include "sql_like.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "base/utf8.h"
#include "number_text.h"
#include "text_fold.h"

namespace adoimpl {

namespace {

enum class PatternChar { AnyRun, AnyOne, Literal, Class };

// A character class "[...]" at p (just after its '['): a list of characters and ranges
// ("a-z"), all but them after a leading '!' or '^'; letter case does not count, as
// elsewhere in the pattern. False when the class has no closing ']' (the '[' is then a
// character of its own). On success p is after the ']' and matches tells about c.
bool classAt(std::string_view pattern, std::size_t& p, char32_t c, bool& matches) {
  std::size_t at = p;
  bool negated = false;
  if (at < pattern.size() && (pattern[at] == '!' || pattern[at] == '^')) {
    negated = true;
    ++at;
  }
  const char32_t fc = foldCase(c);
  bool found = false;
  bool first = true;
  while (at < pattern.size()) {
    // A ']' right after the '[' (or its '!') is a member, not the end.
    if (pattern[at] == ']' && !first) {
      p = at + 1;
      matches = found != negated;
      return true;
    }
    first = false;
    const char32_t low = zrbase::decodeUtf8(pattern, at);
    char32_t high = low;
    if (at + 1 < pattern.size() && pattern[at] == '-' && pattern[at + 1] != ']') {
      ++at;
      high = zrbase::decodeUtf8(pattern, at);
    }
    found = found || (c >= low && c <= high) || (fc >= foldCase(low) && fc <= foldCase(high));
  }
  return false;
}

// Reads one pattern character at p (advancing p), resolving the escape. A class is
// matched against tc here: matches tells whether it took it.
PatternChar nextPatternChar(std::string_view pattern, std::size_t& p, char32_t escape,
                            char32_t& literal, char32_t tc = 0, bool* matches = nullptr) {
  char32_t c = zrbase::decodeUtf8(pattern, p);
  if (escape != 0 && c == escape && p < pattern.size()) {
    literal = zrbase::decodeUtf8(pattern, p);
    return PatternChar::Literal;
  }
  if (c == '%') return PatternChar::AnyRun;
  if (c == '_') return PatternChar::AnyOne;
  if (c == '[') {
    bool took = false;
    if (std::size_t after = p; classAt(pattern, after, tc, took)) {
      p = after;
      if (matches) *matches = took;
      return PatternChar::Class;
    }
  }
  literal = c;
  return PatternChar::Literal;
}

}  // namespace

std::optional<std::string> likeClassRegex(std::string_view pattern) {
  std::string out = "^";
  bool hasClass = false;
  auto literal = [&out](std::string_view c) {
    if (c.size() == 1 && std::string_view(".^$*+?()[]{}|\\").find(c[0]) != std::string_view::npos)
      out += '\\';
    out += c;
  };
  for (std::size_t p = 0; p < pattern.size();) {
    const std::size_t start = p;
    const char32_t c = zrbase::decodeUtf8(pattern, p);
    bool unused = false;
    std::size_t after = p;
    if (c == '%') {
      out += ".*";
    } else if (c == '_') {
      out += '.';
    } else if (c == '[' && classAt(pattern, after, 0, unused)) {
      hasClass = true;
      // The members as they stand, '!' for "not" written as '^', and a backslash (which
      // a POSIX bracket takes as an escape) doubled.
      std::string_view members = pattern.substr(p, after - 1 - p);
      out += '[';
      if (!members.empty() && (members[0] == '!' || members[0] == '^')) {
        out += '^';
        members.remove_prefix(1);
      }
      for (char m : members) out += m == '\\' ? std::string("\\\\") : std::string(1, m);
      out += ']';
      p = after;
    } else {
      literal(pattern.substr(start, p - start));
    }
  }
  if (!hasClass) return std::nullopt;
  return out + "$";
}

bool likeMatch(std::string_view pattern, std::string_view text, char32_t escape) {
  std::size_t p = 0, t = 0;
  // Where to resume after the last '%': the pattern after it, and the text
  // position it has swallowed up to.
  std::size_t starP = std::string_view::npos, starT = 0;
  while (t < text.size()) {
    if (p < pattern.size()) {
      std::size_t next = p;
      char32_t literal = 0;
      std::size_t afterT = t;
      const char32_t tc = zrbase::decodeUtf8(text, afterT);
      bool inClass = false;
      const PatternChar kind = nextPatternChar(pattern, next, escape, literal, tc, &inClass);
      if (kind == PatternChar::AnyRun) {
        p = next;
        starP = next;
        starT = t;
        continue;
      }
      if (kind == PatternChar::AnyOne || (kind == PatternChar::Class && inClass) ||
          (kind == PatternChar::Literal && (tc == literal || foldCase(tc) == foldCase(literal)))) {
        p = next;
        t = afterT;
        continue;
      }
    }
    if (starP == std::string_view::npos) return false;
    zrbase::decodeUtf8(text, starT);
    t = starT;
    p = starP;
  }
  while (p < pattern.size()) {
    char32_t literal = 0;
    if (nextPatternChar(pattern, p, escape, literal) != PatternChar::AnyRun) return false;
  }
  return true;
}

namespace {

// The text a value is compared through; false for NULL.
bool valueText(sqlite3_value* v, std::string& buffer, std::string_view& out) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
      return false;
    case SQLITE_INTEGER:
      buffer = std::to_string(sqlite3_value_int64(v));
      out = buffer;
      return true;
    case SQLITE_FLOAT:
      buffer = formatDouble(sqlite3_value_double(v));
      out = buffer;
      return true;
    default: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
      out = std::string_view(text ? text : "", static_cast<std::size_t>(sqlite3_value_bytes(v)));
      return true;
    }
  }
}

// The integer whose decimal text the pattern is, if it is one: an INTEGER
// value, or a text of digits with an optional '-', without a leading zero.
bool integerPattern(sqlite3_value* v, long long& out) {
  if (sqlite3_value_type(v) == SQLITE_INTEGER) {
    out = sqlite3_value_int64(v);
    return true;
  }
  if (sqlite3_value_type(v) != SQLITE_TEXT) return false;
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
  const int bytes = sqlite3_value_bytes(v);
  if (!text || bytes == 0) return false;
  const bool negative = text[0] == '-';
  const int first = negative ? 1 : 0;
  // Up to 18 digits always fit; longer texts take the general path.
  if (first == bytes || bytes - first > 18) return false;
  if (text[first] == '0' && bytes - first > 1) return false;
  long long value = 0;
  for (int i = first; i < bytes; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  if (negative && value == 0) return false;  // "-0" is no integer's text
  out = negative ? -value : value;
  return true;
}

// What the scans need to know of a pattern without wildcards, worked out once
// and kept with the statement for every row (SQLite's auxiliary data of a
// constant argument): whether it reads as a finite number (value), and,
// when it is ASCII, its small letters.
struct PlainPattern {
  bool plain = false;  // no '%', '_' or '['
  bool isNumber = false;
  double value = 0;
  bool ascii = false;
  std::string lower;
};

PlainPattern* examine(sqlite3_value* pattern) {
  auto* p = new PlainPattern;
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(pattern));
  const int bytes = sqlite3_value_bytes(pattern);
  const std::string_view view(text ? text : "", static_cast<std::size_t>(bytes));
  p->plain = !view.empty() && view.find_first_of("%_[") == std::string_view::npos;
  if (!p->plain) return p;
  const char* end = view.data() + view.size();
  const auto [stop, error] = std::from_chars(view.data(), end, p->value);
  p->isNumber = error == std::errc() && stop == end && std::isfinite(p->value);
  p->ascii = true;
  p->lower.reserve(view.size());
  for (char c : view) {
    p->ascii = p->ascii && static_cast<unsigned char>(c) < 0x80;
    p->lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  }
  return p;
}

const PlainPattern& plainPattern(sqlite3_context* ctx, sqlite3_value* pattern) {
  if (const auto* kept = static_cast<const PlainPattern*>(sqlite3_get_auxdata(ctx, 0))) {
    return *kept;
  }
  sqlite3_set_auxdata(ctx, 0, examine(pattern),
                      [](void* p) { delete static_cast<PlainPattern*>(p); });
  if (const auto* kept = static_cast<const PlainPattern*>(sqlite3_get_auxdata(ctx, 0))) {
    return *kept;
  }
  // SQLite may drop the data at once (a pattern that is not a constant): it
  // then says nothing, and the general path decides.
  static const PlainPattern nothing;
  return nothing;
}

// Answers `value LIKE pattern` for the common cases of the module's lookups
// without decoding and folding the texts: 1 or 0, or -1 to take the general path.
// - A real against a plain pattern ("FanNo LIKE '4.5'"): its text (formatDouble,
//   15 significant digits) can equal the pattern only when the pattern reads as
//   a number within that precision of it; the others are refused without being
//   formatted.
// - An ASCII text against a plain ASCII pattern ("BigModel LIKE '4-72'"): equal
//   when equal in length and in small letters. A text with other characters
//   takes the general path, as some of them fold to ASCII letters (U+0130 is i).
// On the large catalogue these made a series change's scans of Model half as long.
int quickLike(sqlite3_context* ctx, sqlite3_value* pattern, sqlite3_value* value) {
  const int type = sqlite3_value_type(value);
  if ((type != SQLITE_FLOAT && type != SQLITE_TEXT) || sqlite3_value_type(pattern) != SQLITE_TEXT) {
    return -1;
  }
  const PlainPattern& p = plainPattern(ctx, pattern);
  if (!p.plain) return -1;
  if (type == SQLITE_FLOAT) {
    const double v = sqlite3_value_double(value);
    if (!p.isNumber || !std::isfinite(v)) return -1;
    const double scale = std::max(std::fabs(v), std::fabs(p.value));
    return std::fabs(v - p.value) > 1e-9 * scale ? 0 : -1;
  }
  if (!p.ascii) return -1;
  const auto* text = reinterpret_cast<const unsigned char*>(sqlite3_value_text(value));
  const std::size_t n = static_cast<std::size_t>(sqlite3_value_bytes(value));
  if (!text) return -1;
  const bool sameLength = n == p.lower.size();
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char c = text[i];
    if (c >= 0x80) return -1;
    if (!sameLength) continue;
    const char small = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : static_cast<char>(c);
    if (small != p.lower[i]) return 0;
  }
  return sameLength ? 1 : 0;
}

// like(pattern, text [, escape]), as SQLite calls it for `text LIKE pattern`.
void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  // An integer against the text of an integer (ID like 5, ModelID LIKE '5'):
  // neither text can hold a wildcard or a letter, so they match exactly when
  // the numbers are equal. The module's row lookups are of this kind; the
  // text path cost the selection by parameters on the large catalogue a sixth
  // of its time (a number formatted for every row of every scan).
  long long patternValue = 0;
  if (argc == 2 && sqlite3_value_type(argv[1]) == SQLITE_INTEGER &&
      integerPattern(argv[0], patternValue)) {
    sqlite3_result_int(ctx, sqlite3_value_int64(argv[1]) == patternValue ? 1 : 0);
    return;
  }
  if (argc == 2) {
    const int quick = quickLike(ctx, argv[0], argv[1]);
    if (quick >= 0) return sqlite3_result_int(ctx, quick);
  }
  std::string patternBuffer, textBuffer, escapeBuffer;
  std::string_view pattern, text, escapeText;
  const bool havePattern = valueText(argv[0], patternBuffer, pattern);
  const bool haveText = valueText(argv[1], textBuffer, text);
  char32_t escape = 0;
  if (argc == 3) {
    if (!valueText(argv[2], escapeBuffer, escapeText)) return sqlite3_result_null(ctx);
    std::size_t i = 0;
    if (!escapeText.empty()) escape = zrbase::decodeUtf8(escapeText, i);
    if (escapeText.empty() || i != escapeText.size()) {
      sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
      return;
    }
  }
  if (!havePattern || !haveText) return sqlite3_result_null(ctx);
  sqlite3_result_int(ctx, likeMatch(pattern, text, escape) ? 1 : 0);
}

}  // namespace

int registerLikeFunction(sqlite3* db) {
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  int rc = sqlite3_create_function(db, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_create_function(db, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr);
  }
  return rc;
}

}  // namespace adoimpl
