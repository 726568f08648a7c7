#pragma once
// A broken invariant is a finding: report it and stop, so libFuzzer keeps
// the input that caused it.
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                         \
  do {                                                                                \
    if (!(condition)) {                                                               \
      std::fprintf(stderr, "invariant broken at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                   \
    }                                                                                 \
  } while (0)
