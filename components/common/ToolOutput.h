#pragma once
// Reading a vendor tool's query output: one compiled line pattern with one
// matcher that is re-targeted at each line, so a long output costs no
// matcher per line.
#include <memory>
#include <string>
#include <vector>

#include "pattern/Pattern.h"

namespace ComponentText {

class WholeLineMatcher {
 public:
  WholeLineMatcher(const char* pattern, unsigned long flags)
      : pattern_(Pattern::compile(pattern, flags)),
        matcher_(pattern_ ? pattern_->makeMatcher(std::string()) : nullptr) {}

  // True when the whole line matches; false also when the pattern did not
  // compile, so such a pattern reads every line as a non-match.
  bool Matches(const std::string& line) {
    if (!matcher_) return false;
    matcher_->setText(line);
    return matcher_->matchesWhole();
  }

  // Capture group i (1 for the first) of the line that last matched.
  std::string Group(int i) const { return matcher_ ? matcher_->groupText(i) : std::string(); }
  // The capture groups of that line, without the whole match.
  std::vector<std::string> Groups() const {
    return matcher_ ? matcher_->groupTexts(false) : std::vector<std::string>();
  }

 private:
  // Declared in this order so the matcher goes before its pattern.
  std::unique_ptr<Pattern> pattern_;
  std::unique_ptr<TextMatcher> matcher_;
};

}  // namespace ComponentText
