#pragma once
// A broken invariant is a finding: report it and stop, so libFuzzer keeps
// the input that caused it. The summary goes through the sanitizer's report
// stream, which stays open when fuzz/run closes the target's stderr.
#include <cstdio>
#include <cstdlib>

extern "C" void __sanitizer_report_error_summary(const char* error_summary);

#define FUZZ_CHECK(condition)                                                                  \
  do {                                                                                         \
    if (!(condition)) {                                                                        \
      char fuzz_check_text[512];                                                               \
      std::snprintf(fuzz_check_text, sizeof fuzz_check_text, "invariant broken at %s:%d: %s", \
                    __FILE__, __LINE__, #condition);                                           \
      __sanitizer_report_error_summary(fuzz_check_text);                                      \
      std::abort();                                                                            \
    }                                                                                          \
  } while (0)
