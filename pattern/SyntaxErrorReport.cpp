// The syntax error report on stderr, for narrow and wide pattern texts.
#include "pattern/SyntaxErrorReport.h"

#include <cstdio>
#include <cwchar>

#include "pattern/Utf8.h"

namespace {

const char kMetaMessage[] = "Syntax Error near here. Possible unescaped meta character.\n";
const char kPlainMessage[] = "Syntax Error near here. \n";

// Chosen by the last character read.
template <class Ch> const char* messageFor(const std::basic_string<Ch>& text, int pos) {
  if (pos <= 0 || static_cast<size_t>(pos) > text.size()) return kPlainMessage;
  switch (text[static_cast<size_t>(pos) - 1]) {
    case ')': case '*': case '+': case '?': case ']': case '}': return kMetaMessage;
    default: return kPlainMessage;
  }
}

// The text as a narrow stream prints it: bytes as they are, wide characters
// as UTF-8 whatever the locale, so every character of it is shown.
const std::string& printable(const std::string& text) { return text; }
std::string printable(const std::wstring& text) { return toUtf8(text); }

const wchar_t* wideLayout(const std::string&) { return L"%s\n%*lc^\n"; }
const wchar_t* wideLayout(const std::wstring&) { return L"%ls\n%*lc^\n"; }

// Written narrow unless stderr is already wide-oriented: switching the
// stream to wide would silence every later narrow write.
template <class Ch> void report(const std::basic_string<Ch>& text, int pos) {
  const char* msg = messageFor(text, pos);
  if (fwide(stderr, 0) > 0) {
    fwprintf(stderr, wideLayout(text), text.c_str(), pos - 1, L' ');
    fwprintf(stderr, L"%s", msg);
    return;
  }
  fprintf(stderr, "%s\n%*c^\n", printable(text).c_str(), pos - 1, ' ');
  fputs(msg, stderr);
}

}  // namespace

void reportSyntaxError(const std::string& text, int pos) { report(text, pos); }
void reportSyntaxError(const std::wstring& text, int pos) { report(text, pos); }
