// Wide pattern engine: like the narrow target, with pattern and subject
// decoded into wide characters of any value (see WideDecode.h).
#include <cstddef>
#include <cstdint>

#include "fuzz/PatternExercise.h"
#include "fuzz/WideDecode.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RegisterFuzzNames<wchar_t>();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzPatternInput<wchar_t>(data, size, DecodeWide);
}
