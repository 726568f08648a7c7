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

// The report is written narrow unless stderr is already wide-oriented:
// switching the stream to wide would silence every later narrow write.
bool stderrIsWide() { return fwide(stderr, 0) > 0; }

}  // namespace

void reportSyntaxError(const std::string& text, int pos) {
  const char* msg = messageFor(text, pos);
  if (stderrIsWide()) {
    fwprintf(stderr, L"%s\n%*lc^\n", text.c_str(), pos - 1, L' ');
    fwprintf(stderr, L"%s", msg);
    return;
  }
  fprintf(stderr, "%s\n%*c^\n", text.c_str(), pos - 1, ' ');
  fputs(msg, stderr);
}

void reportSyntaxError(const std::wstring& text, int pos) {
  const char* msg = messageFor(text, pos);
  if (stderrIsWide()) {
    fwprintf(stderr, L"%ls\n%*lc^\n", text.c_str(), pos - 1, L' ');
    fwprintf(stderr, L"%s", msg);
    return;
  }
  // Every character is printed, as UTF-8, whatever the locale.
  fprintf(stderr, "%s\n%*c^\n", toUtf8(text).c_str(), pos - 1, ' ');
  fputs(msg, stderr);
}
