#pragma once
// Drives one compiled pattern through the operations the components and the
// probe use, checking what every caller relies on: offsets inside the text,
// group 0 framing the match, searches that always move forward. Shared by
// the narrow and the wide pattern targets, with their input layout.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "pattern/Pattern.h"

template <class Ch>
void CheckGroups(const BasicTextMatcher<Ch>& m, int groups, const std::basic_string<Ch>& text) {
  const int length = static_cast<int>(text.size());
  FUZZ_CHECK(m.groupStart(0) >= 0 && m.groupStart(0) <= m.groupEnd(0) && m.groupEnd(0) <= length);
  FUZZ_CHECK(m.groupText(0) == text.substr(m.groupStart(0), m.groupEnd(0) - m.groupStart(0)));
  for (int i = 1; i < groups; ++i) {
    const int s = m.groupStart(i), e = m.groupEnd(i);
    FUZZ_CHECK(s >= -1 && s <= length && e >= -1 && e <= length);
    const std::basic_string<Ch> piece = m.groupText(i);
    if (s >= 0 && e >= s) FUZZ_CHECK(piece == text.substr(s, e - s));
  }
  FUZZ_CHECK(m.groupStart(-1) == -1 && m.groupStart(groups) == -1 && m.groupText(groups).empty());
  const std::vector<std::basic_string<Ch>> all = m.groupTexts(true);
  const std::vector<std::basic_string<Ch>> captures = m.groupTexts(false);
  FUZZ_CHECK(all.size() == static_cast<size_t>(groups));
  FUZZ_CHECK(captures.size() + 1 == all.size());
}

template <class Ch>
void ExercisePattern(const std::basic_string<Ch>& pattern_text, const std::basic_string<Ch>& text,
                     unsigned long flags, bool keep_empty) {
  std::unique_ptr<BasicPattern<Ch>> pattern(BasicPattern<Ch>::compile(pattern_text, flags));
  if (!pattern) return;
  const int groups = pattern->getGroupCount();
  FUZZ_CHECK(groups >= 1);
  std::unique_ptr<BasicTextMatcher<Ch>> m(pattern->makeMatcher(text));
  FUZZ_CHECK(m != nullptr);

  if (m->matchesWhole()) {
    FUZZ_CHECK(m->groupStart(0) == 0 && m->groupEnd(0) == static_cast<int>(text.size()));
    CheckGroups(*m, groups, text);
  }
  // A run stopped by the step budget costs the whole budget; once is enough
  // to show it ends cleanly.
  if (m->limitHit()) return;

  // Each match starts where the previous one ended, one further after an
  // empty one, so the loop ends within length + 1 matches.
  m->reset();
  int previous_end = 0;
  bool previous_empty = false;
  size_t count = 0;
  for (bool found = m->findFirst(); found; found = m->findNext()) {
    CheckGroups(*m, groups, text);
    FUZZ_CHECK(m->groupStart(0) >= previous_end + (previous_empty ? 1 : 0));
    previous_end = m->groupEnd(0);
    previous_empty = m->groupStart(0) == m->groupEnd(0);
    ++count;
    FUZZ_CHECK(count <= text.size() + 1);
    (void)m->expandGroups(std::basic_string<Ch>(1, Ch('$')) + Ch('1') + Ch('\\') + Ch('$') + Ch('$'));
  }

  if (m->limitHit()) return;

  // The whole-pattern helpers share the pattern's own matcher.
  std::vector<std::basic_string<Ch>> pieces = pattern->split(text, keep_empty, 0);
  FUZZ_CHECK(pieces.size() <= text.size() + 3);
  (void)pattern->findAll(text);
}

// Named patterns the inputs can reference as {n}, {w}, {a} and {b}; a and b
// name each other, so expanding either never ends by itself.
template <class Ch>
void RegisterFuzzNames() {
  static const char* const kNames[][2] = {
      {"n", "\\d+"}, {"w", "[a-z]+(?:\\.[a-z]+)*"}, {"a", "x"}, {"b", "{a}|y"}, {"a", "({b})z"}};
  const auto as_text = [](const char* ascii) { return std::basic_string<Ch>(ascii, ascii + std::strlen(ascii)); };
  for (const auto& name : kNames) BasicPattern<Ch>::registerName(as_text(name[0]), as_text(name[1]));
}

// Input layout: flags byte (low five bits the engine's flags, bit 5 split's
// keepEmpty), pattern length byte, pattern, then the subject; DECODE turns
// the bytes of either into text.
template <class Ch, class Decode>
int FuzzPatternInput(const uint8_t* data, size_t size, Decode decode) {
  if (size < 2) return 0;
  const unsigned long flags = data[0] & 31u;
  const bool keep_empty = (data[0] & 32u) != 0;
  size_t pattern_length = data[1];
  if (pattern_length > size - 2) pattern_length = size - 2;
  const std::basic_string<Ch> pattern = decode(data + 2, pattern_length);
  const std::basic_string<Ch> text = decode(data + 2 + pattern_length, size - 2 - pattern_length);
  ExercisePattern<Ch>(pattern, text, flags, keep_empty);
  return 0;
}
