#pragma once
// The syntax error report: the pattern text on one line and a caret under
// the last character read on the next, then one of two messages.
#include <string>

// pos is the position after the last character read (0: none read yet).
void reportSyntaxError(const std::string& text, int pos);
void reportSyntaxError(const std::wstring& text, int pos);
