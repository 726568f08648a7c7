// Narrow pattern engine: pattern text, subject and flags all from the input.
// Layout: flags byte (low five bits the engine's flags, bit 5 split's
// keepEmpty), pattern length byte, pattern, then the subject.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/PatternExercise.h"

// Named patterns the inputs can reference as {n}, {w}, {a} and {b}; a
// and b name each other, so expanding either never ends by itself.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Pattern::registerName("n", "\\d+");
  Pattern::registerName("w", "[a-z]+(?:\\.[a-z]+)*");
  Pattern::registerName("a", "x");
  Pattern::registerName("b", "{a}|y");
  Pattern::registerName("a", "({b})z");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const unsigned long flags = data[0] & 31u;
  const bool keep_empty = (data[0] & 32u) != 0;
  size_t pattern_length = data[1];
  if (pattern_length > size - 2) pattern_length = size - 2;
  const char* bytes = reinterpret_cast<const char*>(data + 2);
  const std::string pattern(bytes, pattern_length);
  const std::string text(bytes + pattern_length, size - 2 - pattern_length);
  ExercisePattern<char>(pattern, text, flags, keep_empty);
  return 0;
}
