// Escapes after a backslash and bracketed classes, read into character sets.
#include "pattern/EscapeAndClassReader.h"

#include <cstring>
#include <type_traits>

#include "pattern/CharTest.h"
#include "pattern/Pattern.h"
#include "pattern/PatternLimits.h"

namespace {

template <class Ch> void addRange(CharSetT<Ch>& set, int lo, int hi) {
  for (int v = lo; v <= hi; ++v) set.add(static_cast<Ch>(v));
}

// The predefined sets are built once; escapes copy them.
template <class Ch> const CharSetT<Ch>& digits() {
  static const CharSetT<Ch> set = [] {
    CharSetT<Ch> s;
    addRange(s, '0', '9');
    return s;
  }();
  return set;
}

template <class Ch> const CharSetT<Ch>& whiteSpace() {
  static const CharSetT<Ch> set = [] {
    CharSetT<Ch> s;
    for (int c : {' ', '\t', '\r', '\n', '\f'}) s.add(static_cast<Ch>(c));
    return s;
  }();
  return set;
}

template <class Ch> const CharSetT<Ch>& wordChars() {
  static const CharSetT<Ch> set = [] {
    CharSetT<Ch> s;
    addRange(s, 'a', 'z');
    addRange(s, 'A', 'Z');
    addRange(s, '0', '9');
    s.add(static_cast<Ch>('_'));
    return s;
  }();
  return set;
}

template <class Ch> void addPunct(CharSetT<Ch>& s) {
  addRange(s, 33, 47);
  addRange(s, 58, 64);
  addRange(s, 91, 96);
  addRange(s, 123, 126);
}

// The POSIX set named at text[pos] (braces included); size of the name or 0.
template <class Ch> size_t posixSet(const std::basic_string<Ch>& text, size_t pos, CharSetT<Ch>& s) {
  static const char* const kNames[] = {"{Lower}", "{Upper}", "{Alpha}", "{Digit}", "{Alnum}",
                                       "{Punct}", "{Graph}", "{Print}", "{Blank}", "{Space}",
                                       "{Cntrl}", "{ASCII}", "{XDigit}"};
  for (int which = 0; which < 13; ++which) {
    const char* name = kNames[which];
    size_t n = std::strlen(name);
    if (pos + n > text.size()) continue;
    bool same = true;
    for (size_t k = 0; same && k < n; ++k) same = text[pos + k] == static_cast<Ch>(name[k]);
    if (!same) continue;
    switch (which) {
      case 0: addRange(s, 'a', 'z'); break;
      case 1: addRange(s, 'A', 'Z'); break;
      case 2: addRange(s, 'a', 'z'); addRange(s, 'A', 'Z'); break;
      case 3: addRange(s, '0', '9'); break;
      case 4: addRange(s, 'a', 'z'); addRange(s, 'A', 'Z'); addRange(s, '0', '9'); break;
      case 5: addPunct(s); break;
      case 6:
      case 7: addRange(s, 'a', 'z'); addRange(s, 'A', 'Z'); addRange(s, '0', '9'); addPunct(s); break;
      case 8: s.add(static_cast<Ch>(' ')); s.add(static_cast<Ch>('\t')); break;
      case 9: for (int c : {' ', '\t', '\n', '\v', '\f', '\r'}) s.add(static_cast<Ch>(c)); break;
      case 10: addRange(s, 0, 31); s.add(static_cast<Ch>(127)); break;
      case 11: addRange(s, 0, 127); break;
      default: addRange(s, 'a', 'f'); addRange(s, 'A', 'F'); addRange(s, '0', '9'); break;
    }
    return n;
  }
  return 0;
}

template <class Ch> int hexValue(const std::basic_string<Ch>& t, size_t i) {
  if (i >= t.size()) return -1;
  Ch c = t[i];
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

template <class Ch> int octValue(const std::basic_string<Ch>& t, size_t i) {
  if (i >= t.size()) return -1;
  Ch c = t[i];
  return (c >= '0' && c <= '7') ? c - '0' : -1;
}

template <class Ch> void addCasePairs(CharSetT<Ch>& set) {
  for (int c = 'a'; c <= 'z'; ++c) {
    Ch lo = static_cast<Ch>(c), up = static_cast<Ch>(c - 'a' + 'A');
    if (set.contains(lo) || set.contains(up)) {
      set.add(lo);
      set.add(up);
    }
  }
}

// The complement of a negated set, over 0-255; under IGNORE_CASE the other
// case of every letter is added first, so [^a] refuses both a and A.
template <class Ch> void complementOf(CharSetT<Ch>& set, unsigned long flags) {
  if (flags & IGNORE_CASE) addCasePairs(set);
  set.complement256();
}

}  // namespace

template <class Ch> Escape<Ch> readEscape(ParseState<Ch>& in) {
  using E = Escape<Ch>;
  E e;
  const auto& text = in.text;
  int& pos = in.pos;
  if (in.atEnd()) {  // '\' at the end
    in.report();
    return e;
  }
  Ch c = text[pos++];
  switch (c) {
    case 'd': e.set = digits<Ch>(); break;
    case 'D': e.set = digits<Ch>(); e.inverted = true; break;
    case 's': e.set = whiteSpace<Ch>(); break;
    case 'S': e.set = whiteSpace<Ch>(); e.inverted = true; break;
    case 'w': e.set = wordChars<Ch>(); break;
    case 'W': e.set = wordChars<Ch>(); e.inverted = true; break;
    case 'p':
    case 'P': {
      size_t n = posixSet(text, static_cast<size_t>(pos), e.set);
      if (n == 0) {
        in.report();
        return E();
      }
      pos += static_cast<int>(n);
      e.inverted = c == 'P';
      break;
    }
    case 't': e.set.add(static_cast<Ch>(9)); break;
    case 'n': e.set.add(static_cast<Ch>(10)); break;
    case 'r': e.set.add(static_cast<Ch>(13)); break;
    case 'f': e.set.add(static_cast<Ch>(12)); break;
    case 'a': e.set.add(static_cast<Ch>(7)); break;
    case 'e': e.set.add(static_cast<Ch>(13)); break;
    case '0': {
      size_t p = static_cast<size_t>(pos);
      int a = octValue(text, p), b = octValue(text, p + 1);
      int v;
      if (a >= 0 && a <= 3 && b >= 0) {
        v = a * 8 + b;
        pos += 2;
        int third = octValue(text, p + 2);
        if (third >= 0) {
          v = v * 8 + third;
          ++pos;
        }
      } else if (a >= 0 && b >= 0) {
        v = a * 8 + b;
        pos += 2;
      } else {
        in.report();
        return E();
      }
      e.set.add(static_cast<Ch>(v));
      break;
    }
    case 'x': {
      size_t p = static_cast<size_t>(pos);
      int h[4] = {hexValue(text, p), hexValue(text, p + 1), hexValue(text, p + 2), hexValue(text, p + 3)};
      if (!std::is_same<Ch, char>::value && h[0] >= 0 && h[1] >= 0 && h[2] >= 0 && h[3] >= 0) {
        e.set.add(static_cast<Ch>((h[0] << 12) | (h[1] << 8) | (h[2] << 4) | h[3]));
        pos += 4;
      } else if (h[0] >= 0 && h[1] >= 0) {
        e.set.add(static_cast<Ch>((h[0] << 4) | h[1]));
        pos += 2;
      } else {
        e.set.add(static_cast<Ch>(' '));  // not an error: a space, nothing more consumed
      }
      break;
    }
    case 'Q': e.quote = true; break;
    default: e.set.add(c); break;
  }
  return e;
}

template <class Ch> CharSetT<Ch> lowered(const CharSetT<Ch>& set) {
  CharSetT<Ch> out;
  set.forEach([&out](Ch c) { out.add(patternchars::lower(c)); });
  return out;
}

template <class Ch> CharSetT<Ch> readClass(ParseState<Ch>& in, int depth) {
  CharSetT<Ch> set;
  const auto& text = in.text;
  int& pos = in.pos;
  const int len = in.length();
  if (depth > patternlimits::kMaxNesting) {
    in.report();
    return CharSetT<Ch>();
  }
  bool negated = false;
  if (pos < len && text[pos] == '^') {
    negated = true;
    ++pos;
  }
  if (pos < len && text[pos] == ']') {  // [] and [^]
    ++pos;
    if (negated) complementOf(set, in.flags);
    return set;
  }
  for (;;) {
    if (in.error) return CharSetT<Ch>();
    if (pos >= len) {  // not closed
      in.report();
      return CharSetT<Ch>();
    }
    Ch c = text[pos];
    if (c == ']') {
      ++pos;
      break;
    }
    if (c == '[') {
      ++pos;
      CharSetT<Ch> inner = readClass(in, depth + 1);
      if (in.error) return CharSetT<Ch>();
      set.unite(inner);
      continue;
    }
    if (c == '&' && pos + 1 < len && text[pos + 1] == '&') {
      if (pos + 2 >= len || text[pos + 2] != '[') {
        pos += 2;
        in.report();
        return CharSetT<Ch>();
      }
      pos += 3;
      CharSetT<Ch> inner = readClass(in, depth + 1);
      if (in.error) return CharSetT<Ch>();
      set.intersect(inner);
      continue;
    }
    Ch lo{};
    if (c == '\\') {
      ++pos;
      Escape<Ch> e = readEscape(in);
      if (in.error) return CharSetT<Ch>();
      if (e.quote) {
        in.report();
        return CharSetT<Ch>();
      }
      if (e.inverted) {
        complementOf(e.set, in.flags);
        set.unite(e.set);
        continue;
      }
      if (!e.set.single(&lo)) {
        set.unite(e.set);
        continue;
      }
    } else {
      ++pos;
      lo = c;
    }
    if (pos >= len || text[pos] != '-') {
      set.add(lo);
      continue;
    }
    // a range
    if (pos + 1 >= len) {
      ++pos;
      in.report();
      return CharSetT<Ch>();
    }
    Ch d = text[pos + 1];
    Ch hi{};
    if (d == ']' || d == '[' || d == '-' || d == '&') {
      pos += 2;
      in.report();
      return CharSetT<Ch>();
    }
    if (d == '\\') {
      pos += 2;
      Escape<Ch> e = readEscape(in);
      if (in.error) return CharSetT<Ch>();
      if (e.quote || e.inverted || !e.set.single(&hi)) {
        in.report();
        return CharSetT<Ch>();
      }
    } else {
      hi = d;
      pos += 2;
    }
    if constexpr (std::is_same<Ch, char>::value) {
      // 8-bit arithmetic: a reversed range wraps through 255 and 0.
      unsigned v = static_cast<unsigned char>(lo), top = static_cast<unsigned char>(hi);
      for (;;) {
        set.add(static_cast<Ch>(v));
        if (v == top) break;
        v = (v + 1) & 255u;
      }
    } else {
      long long a = lo, b = hi;
      if (b < a || b - a + 1 > patternlimits::kMaxWideRange) {
        in.report();
        return CharSetT<Ch>();
      }
      for (long long v = a; v <= b; ++v) set.add(static_cast<Ch>(v));
    }
  }
  if (negated) complementOf(set, in.flags);
  return set;
}

template Escape<char> readEscape(ParseState<char>&);
template Escape<wchar_t> readEscape(ParseState<wchar_t>&);
template CharSetT<char> readClass(ParseState<char>&, int);
template CharSetT<wchar_t> readClass(ParseState<wchar_t>&, int);
template CharSetT<char> lowered(const CharSetT<char>&);
template CharSetT<wchar_t> lowered(const CharSetT<wchar_t>&);
