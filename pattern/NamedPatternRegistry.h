#pragma once
// NamedPatternRegistry: the process-wide table, one per variant, of the
// sub-patterns a {name} reference stands for (registerName, clearNames).
#include <string>
#include <utility>

template <class Ch> using NamedPattern = std::pair<std::basic_string<Ch>, unsigned long>;  // text, flags

// The entry registered under name, or null.
template <class Ch> const NamedPattern<Ch>* findNamedPattern(const std::basic_string<Ch>& name);
