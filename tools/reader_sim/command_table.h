// The reader's command prefixes: two or three decimal digits at the start of
// every command line. The third character of a line is its parameter (track
// character, mode digit or '0') and comes back as the reply's echo character.
#pragma once
#include <string>

namespace readersim {

// The table prefix the line starts with, or "" when it starts with none.
// No two-digit prefix begins a three-digit one, so the match is unique.
std::string TablePrefixOf(const std::string& line);

// The echo character of a reply to `line`: its third character, '0' when the
// line is shorter.
char EchoOf(const std::string& line);

}  // namespace readersim
