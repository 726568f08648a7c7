#pragma once
// The state of one parse: the text being read, the position of the next
// character, the flags in force there, and whether a syntax error has been
// reported. The parser and the escape and class readers share it; a {name}
// reference gets a state of its own over the registered text.
#include <string>

#include "pattern/SyntaxErrorReport.h"

template <class Ch> struct ParseState {
  using String = std::basic_string<Ch>;

  ParseState(const String& t, unsigned long f) : text(t), flags(f) {}

  bool atEnd() const { return pos >= length(); }
  int length() const { return static_cast<int>(text.size()); }
  // The character at pos + ahead; pos + ahead must be inside the text.
  Ch peek(int ahead = 0) const { return text[static_cast<size_t>(pos + ahead)]; }
  bool at(Ch c, int ahead = 0) const { return pos + ahead < length() && peek(ahead) == c; }

  // Reports against this text, with the caret under the last character read.
  void report() {
    error = true;
    reportSyntaxError(text, pos);
  }

  const String& text;
  int pos = 0;
  unsigned long flags;
  bool error = false;
};
