#pragma once
// The one test of a single character. The character nodes match with it, a
// repetition of one character runs it as a loop over the text, and the look
// at what follows a repetition (or starts a search) uses it to skip
// positions where the rest cannot match.
#include <cctype>
#include <cwctype>

#include "pattern/CharSet.h"

namespace patternchars {
// Case folding is the C library's, in the "C" locale the program keeps.
inline char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
inline wchar_t lower(wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))); }
// Word boundaries look at ASCII letters only.
inline bool isLetter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
template <class Ch> inline bool isLineEnd(Ch c) { return c == '\n' || c == '\r'; }
}  // namespace patternchars

enum class CharKind : unsigned char {
  Any,      // every character
  Char,     // ch
  CIChar,   // ch after lower-casing the character (ch is lower-case)
  Class,    // membership in set differs from inverse
  CIClass,  // the same for the lower-cased character (set is lower-case)
};

template <class Ch> struct CharTest {
  CharKind kind = CharKind::Any;
  bool inverse = false;
  Ch ch{};
  const CharSetT<Ch>* set = nullptr;  // owned by the class node the test came from

  static CharTest character(CharKind k, Ch c) {
    CharTest t;
    t.kind = k;
    t.ch = c;
    return t;
  }
  static CharTest members(CharKind k, const CharSetT<Ch>* s, bool inv) {
    CharTest t;
    t.kind = k;
    t.set = s;
    t.inverse = inv;
    return t;
  }

  // An inverted empty class (the "." of DOT_ALL) takes every character.
  CharTest simplified() const {
    if ((kind == CharKind::Class || kind == CharKind::CIClass) && inverse && set->empty()) return CharTest();
    return *this;
  }

  // With the kind known where the test is compiled (the nodes).
  template <CharKind K> bool acceptsAs(Ch c) const {
    if constexpr (K == CharKind::Any) return true;
    else if constexpr (K == CharKind::Char) return c == ch;
    else if constexpr (K == CharKind::CIChar) return patternchars::lower(c) == ch;
    else if constexpr (K == CharKind::Class) return set->contains(c) != inverse;
    else return set->contains(patternchars::lower(c)) != inverse;
  }

  bool accepts(Ch c) const {
    switch (kind) {
      case CharKind::Any: return true;
      case CharKind::Char: return acceptsAs<CharKind::Char>(c);
      case CharKind::CIChar: return acceptsAs<CharKind::CIChar>(c);
      case CharKind::Class: return acceptsAs<CharKind::Class>(c);
      case CharKind::CIClass: return acceptsAs<CharKind::CIClass>(c);
    }
    return false;
  }

  // How many characters from s on pass, at most cap (cap >= 0).
  int span(const Ch* s, int cap) const {
    switch (kind) {
      case CharKind::Any: return cap;
      case CharKind::Char: return spanAs<CharKind::Char>(s, cap);
      case CharKind::CIChar: return spanAs<CharKind::CIChar>(s, cap);
      case CharKind::Class: return spanAs<CharKind::Class>(s, cap);
      case CharKind::CIClass: return spanAs<CharKind::CIClass>(s, cap);
    }
    return 0;
  }

 private:
  template <CharKind K> int spanAs(const Ch* s, int cap) const {
    int n = 0;
    while (n < cap && acceptsAs<K>(s[n])) ++n;
    return n;
  }
};
