// NamedPatternRegistry: registerName, clearNames and the look-up the parser
// makes for a {name} reference.
#include "pattern/NamedPatternRegistry.h"

#include <map>
#include <memory>

#include "pattern/Pattern.h"

namespace {

// Never destroyed, so a reference still resolves in code that runs during
// exit.
template <class Ch> std::map<std::basic_string<Ch>, NamedPattern<Ch>>& registry() {
  static auto* table = new std::map<std::basic_string<Ch>, NamedPattern<Ch>>();
  return *table;
}

}  // namespace

template <class Ch> const NamedPattern<Ch>* findNamedPattern(const std::basic_string<Ch>& name) {
  auto& names = registry<Ch>();
  auto it = names.find(name);
  return it == names.end() ? nullptr : &it->second;
}

// Compiled only to check it; the text is what a reference parses.
template <class Ch>
bool BasicPattern<Ch>::registerName(const String& name, const String& source, unsigned long f) {
  std::unique_ptr<BasicPattern> p(compile(source, f));
  if (!p) return false;
  registry<Ch>()[name] = NamedPattern<Ch>(source, f);
  return true;
}

template <class Ch> void BasicPattern<Ch>::clearNames() { registry<Ch>().clear(); }

template const NamedPattern<char>* findNamedPattern(const std::string&);
template const NamedPattern<wchar_t>* findNamedPattern(const std::wstring&);
template bool BasicPattern<char>::registerName(const std::string&, const std::string&, unsigned long);
template bool BasicPattern<wchar_t>::registerName(const std::wstring&, const std::wstring&, unsigned long);
template void BasicPattern<char>::clearNames();
template void BasicPattern<wchar_t>::clearNames();
