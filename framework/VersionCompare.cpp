// Version comparison: dotted fields, numeric where both are digits.
#include <cwchar>

#include "framework/CBaseCmp.h"
#include "framework/FrameworkPatterns.h"
#include "pattern/Pattern.h"

std::vector<std::wstring> SplitVersion(const std::wstring& text, wchar_t sep) {
  std::vector<std::wstring> fields;
  size_t start = 0;
  for (size_t p = text.find(sep, start); p != std::wstring::npos; p = text.find(sep, start)) {
    fields.push_back(text.substr(start, p - start));
    start = p + 1;
  }
  if (start < text.size()) fields.push_back(text.substr(start));
  return fields;
}

namespace {

bool IsNumeric(const std::wstring& field) {
  return WidePattern::matches(FwPatterns::kNumericFieldPattern, field, 0);
}

// Compares two digit strings by value, whatever their length: leading zeros
// are dropped, then the longer is the larger, then digit by digit.
int CompareNumbers(const std::wstring& a, const std::wstring& b) {
  size_t za = a.find_first_not_of(L'0');
  size_t zb = b.find_first_not_of(L'0');
  std::wstring da = za == std::wstring::npos ? std::wstring() : a.substr(za);
  std::wstring db = zb == std::wstring::npos ? std::wstring() : b.substr(zb);
  if (da.size() != db.size()) return da.size() < db.size() ? -1 : 1;
  int order = da.compare(db);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

}  // namespace

int CBaseCmp::CompareVersions(const std::wstring& a, const std::wstring& b) {
  std::vector<std::wstring> fa = SplitVersion(a, L'.');
  std::vector<std::wstring> fb = SplitVersion(b, L'.');
  for (size_t i = 0;; ++i) {
    if (i >= fa.size()) return fa.size() < fb.size() ? -1 : 0;
    if (i >= fb.size()) return 1;
    int order;
    if (IsNumeric(fa[i]) && IsNumeric(fb[i]))
      order = CompareNumbers(fa[i], fb[i]);
    else
      order = std::wcscmp(fa[i].c_str(), fb[i].c_str());
    if (order < 0) return -1;
    if (order > 0) return 1;
  }
}

const wchar_t* CBaseCmp::ActionWord(int order) {
  return order > 0 ? L"upgrade" : (order < 0 ? L"downgrade" : L"rewrite");
}
