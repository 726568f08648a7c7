// Narrow pattern engine: pattern text, subject and flags all from the input
// (layout in PatternExercise.h).
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/PatternExercise.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RegisterFuzzNames<char>();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzPatternInput<char>(data, size, [](const uint8_t* bytes, size_t length) {
    return std::string(reinterpret_cast<const char*>(bytes), length);
  });
}
