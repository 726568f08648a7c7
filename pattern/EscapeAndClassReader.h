#pragma once
// The escape reader (what follows a '\') and the class reader (a bracketed
// class), both reading character sets from the parse state.
#include "pattern/CharSet.h"
#include "pattern/ParseState.h"

template <class Ch> struct Escape {
  CharSetT<Ch> set;
  bool inverted = false;  // stands for every character not in the set
  bool quote = false;     // it was \Q
};

// pos is just after the '\'; on return it is after the escape. After a
// syntax error the set is empty.
template <class Ch> Escape<Ch> readEscape(ParseState<Ch>& in);

// pos is just after the '['; on return it is after the closing ']'.
// Negation and, under IGNORE_CASE, the case pairs of a negated class are
// applied. After a syntax error the set is empty.
template <class Ch> CharSetT<Ch> readClass(ParseState<Ch>& in, int depth);

// The set with every member lower-cased, for the case-insensitive nodes.
template <class Ch> CharSetT<Ch> lowered(const CharSetT<Ch>& set);
