// The one way a fuzz target reports a broken property: the property's name on
// standard error, then abort(), which libFuzzer records as a crash and keeps
// the input for.
#pragma once
#include <cstdio>
#include <cstdlib>

inline void require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property failed: %s\n", property);
  std::abort();
}
