#pragma once
// The two process-wide tables of each variant: compiled patterns by text,
// and registered sub-patterns by name. Never destroyed, so a cached pattern
// stays valid for code that runs during exit.
#include <map>
#include <string>
#include <utility>

#include "pattern/PatternImpl.h"

namespace patterntables {

template <class Ch> std::map<std::basic_string<Ch>, BasicPattern<Ch>*>& cache() {
  static auto* table = new std::map<std::basic_string<Ch>, BasicPattern<Ch>*>();
  return *table;
}

template <class Ch>
std::map<std::basic_string<Ch>, std::pair<std::basic_string<Ch>, unsigned long>>& names() {
  static auto* table = new std::map<std::basic_string<Ch>, std::pair<std::basic_string<Ch>, unsigned long>>();
  return *table;
}

}  // namespace patterntables
