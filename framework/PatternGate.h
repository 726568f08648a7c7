#pragma once
// TEMPORARY: lets the framework build while the pattern engine is still a
// placeholder. Removed as soon as the engine lands.
#include <string>
#include <type_traits>

#include "pattern/Pattern.h"

namespace pattern_gate {

template <class T, class = void>
struct Complete : std::false_type {};
template <class T>
struct Complete<T, std::void_t<decltype(sizeof(T))>> : std::true_type {};

template <class P, class S>
bool Matches(const S& pattern, const S& text, unsigned long flags) {
  if constexpr (Complete<P>::value)
    return P::matches(pattern, text, flags);
  else
    return false;
}

}  // namespace pattern_gate
