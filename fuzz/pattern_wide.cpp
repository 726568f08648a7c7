// Wide pattern engine: like the narrow target, with pattern and subject
// decoded into wide characters of any value (see WideDecode.h).
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/PatternExercise.h"
#include "fuzz/WideDecode.h"

// Named patterns the inputs can reference as {n}, {w}, {a} and {b}; a
// and b name each other, so expanding either never ends by itself.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  WidePattern::registerName(L"n", L"\\d+");
  WidePattern::registerName(L"w", L"[a-z]+(?:\\.[a-z]+)*");
  WidePattern::registerName(L"a", L"x");
  WidePattern::registerName(L"b", L"{a}|y");
  WidePattern::registerName(L"a", L"({b})z");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const unsigned long flags = data[0] & 31u;
  const bool keep_empty = (data[0] & 32u) != 0;
  size_t pattern_length = data[1];
  if (pattern_length > size - 2) pattern_length = size - 2;
  const std::wstring pattern = DecodeWide(data + 2, pattern_length);
  const std::wstring text = DecodeWide(data + 2 + pattern_length, size - 2 - pattern_length);
  ExercisePattern<wchar_t>(pattern, text, flags, keep_empty);
  return 0;
}
