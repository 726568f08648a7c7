// PatternCache: the process-wide table, one per variant, of patterns
// compiled by compileCached, keyed by the pattern text alone.
#include <map>
#include <string>

#include "pattern/Pattern.h"

namespace {

// Never destroyed, so a cached pattern stays valid for code that runs
// during exit; clearCache() deletes what it holds.
template <class Ch> std::map<std::basic_string<Ch>, BasicPattern<Ch>*>& cache() {
  static auto* table = new std::map<std::basic_string<Ch>, BasicPattern<Ch>*>();
  return *table;
}

}  // namespace

// A text that does not compile is stored too (as null), so it is reported
// once only.
template <class Ch> BasicPattern<Ch>* BasicPattern<Ch>::compileCached(const String& source, unsigned long f) {
  auto& table = cache<Ch>();
  auto it = table.find(source);
  if (it != table.end()) return it->second;
  BasicPattern* p = compile(source, f);
  table.emplace(source, p);
  return p;
}

template <class Ch> void BasicPattern<Ch>::clearCache() {
  auto& table = cache<Ch>();
  for (auto& entry : table) delete entry.second;
  table.clear();
}

template BasicPattern<char>* BasicPattern<char>::compileCached(const std::string&, unsigned long);
template BasicPattern<wchar_t>* BasicPattern<wchar_t>::compileCached(const std::wstring&, unsigned long);
template void BasicPattern<char>::clearCache();
template void BasicPattern<wchar_t>::clearCache();
