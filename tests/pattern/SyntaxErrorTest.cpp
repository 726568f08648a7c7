// Syntax errors: compile gives null and stderr shows the pattern, a caret
// under the last character read and one of the two messages.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pattern/Pattern.h"
#include "tests/pattern/PatternTestUtil.h"

namespace {

const char kMeta[] = "Syntax Error near here. Possible unescaped meta character.\n";
const char kPlain[] = "Syntax Error near here. \n";

std::string expected(const std::string& pattern, int caretColumn, const char* message) {
  // The caret line is "%*c^" with width pos-1: at least one space is printed.
  std::string spaces(caretColumn < 1 ? 1 : static_cast<size_t>(caretColumn), ' ');
  return pattern + "\n" + spaces + "^\n" + message;
}

}  // namespace

TEST(PatternSyntaxErrors, ReportLayoutAndMessage) {
  struct {
    const char* pattern;
    int caret;  // column of the caret
    bool meta;
  } cases[] = {
      {"a**", 2, true},          // a second quantifier
      {"a*+*", 3, true},
      {"a???", 3, true},
      {"*a", 1, true},           // nothing to repeat (caret at least one column in)
      {"a|*", 2, true},
      {"]", 1, true},
      {"a}", 1, true},
      {"ab)", 2, true},          // ')' outside any group
      {"(ab", 2, false},         // missing ')': caret under the last character
      {"(a|b", 3, false},
      {"a\\", 1, false},         // '\' at the end
      {"[abc", 3, false},        // class not closed
      {"[a-]", 3, true},
      {"[a-[b]]", 3, false},
      {"[\\Q]", 2, false},
      {"[a&&b]", 3, false},
      {"[z-\\d]", 4, false},
      {"x{2", 2, false},         // '{' without '}'
      {"x{1,a}", 4, false},      // a non-digit in a bound with a comma
      {"x{99999999999}", 13, true},  // a bound beyond int
      {"x{1,2147483648}", 14, true},
      {"(?x)", 2, false},        // unknown inline flag
      {"(?i-m-s)", 5, false},    // a second '-'
      {"(?i", 2, false},
      {"(?", 1, true},
      {"(?<=ab", 5, false},      // look-behind without ')'
      {"(?<=a\\", 5, false},
      {"\\p{lower}", 1, false},  // POSIX names are case-sensitive
      {"\\0", 1, false},
      {"\\07", 1, false},
      {"\\Qabc", 4, false},      // no \E
      {"a{n}", 3, true},         // an unregistered name
      {"a{1x}", 4, true},        // not a name
      {"(?=a)*", 5, true},       // look-ahead takes no repetition
      {"(?i)+", 4, true},
      {"(?>a){2}", 7, true},     // no repetition: "{2}" is read as a reference, and "2" is no name
      {"x{abc", 4, false},       // '{' without '}', even where no bound was meant
      {"[]]", 2, true},          // "[]" is the empty class, so the ']' is stray
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    std::string report;
    std::unique_ptr<Pattern> p(pt::quietCompile<char>(c.pattern, 0, &report));
    EXPECT_FALSE(p);
    EXPECT_EQ(report, expected(c.pattern, c.caret, c.meta ? kMeta : kPlain));
  }
}

TEST(PatternSyntaxErrors, GoodPatternsPrintNothing) {
  for (const char* ok : {"a*?", "a{2}?", "a*+", "(a)*+", "\\x", "(?i-ms)a", "[\\]]", "a{,}+"}) {
    SCOPED_TRACE(ok);
    std::string report;
    std::unique_ptr<Pattern> p(pt::quietCompile<char>(ok, 0, &report));
    EXPECT_TRUE(p);
    EXPECT_EQ(report, "");
  }
}
