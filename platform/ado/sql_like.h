// The LIKE operator of the catalogue's SQL dialect.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct sqlite3;

namespace adoimpl {

// text LIKE pattern: '%' matches any run of characters, '_' exactly one, and,
// as in the Access driver's SQL, "[...]" one of a list of characters and
// ranges ("[a-c5]"; "[!...]" or "[^...]" one that is not; "[%]" a literal
// '%'; a '[' without its ']' is itself); letters compare without regard to
// case (foldCase). escape (0 for none) makes the next pattern character
// literal. Both are UTF-8.
// A pattern with a character class, which a server's own LIKE lacks, as an anchored
// POSIX regular expression that matches the same texts when letter case is ignored
// (PostgreSQL's ~*); nullopt for a pattern without a class.
std::optional<std::string> likeClassRegex(std::string_view pattern);

bool likeMatch(std::string_view pattern, std::string_view text, char32_t escape = 0);

// Replaces SQLite's like(): numbers are compared through the text they are
// read as (a double 4.0 as "4", an integer 3 as "3"). Returns an SQLite code.
int registerLikeFunction(sqlite3* db);

}  // namespace adoimpl
