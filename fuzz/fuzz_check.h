#pragma once
// What a fuzz target does when a property fails: say which, and abort, so
// that libFuzzer keeps the input and a corpus replay fails.
#include <cstdio>
#include <cstdlib>

#define FUZZ_REQUIRE(condition)                                                          \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)
