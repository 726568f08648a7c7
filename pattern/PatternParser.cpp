// The parser: sequences, groups, alternation, quantifiers, named references
// and the escapes outside classes, each turned into nodes as it is read.
#include "pattern/PatternParser.h"

#include <climits>

#include "pattern/EscapeAndClassReader.h"
#include "pattern/NamedPatternRegistry.h"
#include "pattern/Nodes.h"
#include "pattern/PatternLimits.h"

namespace {

template <class Ch> bool isDigit(Ch c) { return c >= '0' && c <= '9'; }
template <class Ch> bool isNameStart(Ch c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
template <class Ch> bool isNameChar(Ch c) { return isNameStart(c) || isDigit(c); }

// Decimal digits of text[from, to) as an int; false on overflow.
template <class Ch> bool readNumber(const std::basic_string<Ch>& t, size_t from, size_t to, int* out) {
  long long v = 0;
  for (size_t k = from; k < to; ++k) {
    v = v * 10 + (t[k] - '0');
    if (v > INT_MAX) return false;
  }
  *out = static_cast<int>(v);
  return true;
}

}  // namespace

template <class Ch> bool PatternParser<Ch>::parseTop(Node*& first, Node*& last, int depth) {
  Run top{RunKind::Top, 0, INT_MIN, false, in_.flags};
  Node* sub = make<NFASubStartNodeT<Ch>>();
  return parseRun(top, sub, first, last, depth) && !in_.error;
}

// Reads a run (the top level, a group body or an alternative's right-hand
// side) from firstNode on; first and last are what the caller links.
template <class Ch>
bool PatternParser<Ch>::parseRun(Run run, Node* firstNode, Node*& first, Node*& last, int depth) {
  first = firstNode;
  Node* cur = firstNode;
  if (depth > patternlimits::kMaxNesting) {
    in_.report();
    return false;
  }
  for (;;) {
    if (in_.error) return false;
    if (target_.nodes.size() > patternlimits::kMaxNodes) {
      in_.report();
      return false;
    }
    if (in_.atEnd()) {
      if (run.kind != RunKind::Top && run.kind != RunKind::Alternative) {  // a group without ')'
        in_.report();
        return false;
      }
      if (run.kind == RunKind::Alternative) {
        Node* a = make<NFAAcceptNodeT<Ch>>();
        cur->next = a;
        cur = a;
      }
      last = cur;
      in_.flags = run.savedFlags;
      return !in_.error;
    }
    const unsigned long flags = in_.flags;
    Ch c = in_.text[in_.pos++];
    Node* atom = nullptr;
    switch (c) {
      case '^':
        if (flags & LINE_ANCHORS) atom = make<NFAStartOfLineNodeT<Ch>>();
        else atom = make<NFAStartOfInputNodeT<Ch>>();
        break;
      case '$':
        if (flags & LINE_ANCHORS) atom = make<NFAEndOfLineNodeT<Ch>>();
        else atom = make<NFAEndOfInputNodeT<Ch>>(false);
        break;
      case '.': {
        CharSetT<Ch> members;
        if (!(flags & DOT_ALL)) {
          members.add(static_cast<Ch>('\n'));
          if (!(flags & LF_ONLY)) members.add(static_cast<Ch>('\r'));
        }
        atom = make<NFAClassNodeT<Ch>>(members, true);
        break;
      }
      case '[': {
        CharSetT<Ch> members = readClass(in_, depth + 1);
        if (in_.error) return false;
        if (flags & IGNORE_CASE) atom = make<NFACIClassNodeT<Ch>>(lowered(members), false);
        else atom = make<NFAClassNodeT<Ch>>(members, false);
        break;
      }
      case '\\':
        atom = parseEscapeAtom();
        if (!atom) return false;
        break;
      case '(':
      case '{': {  // a group, or a named reference (a '{' that is not a bound)
        Node* f = nullptr;
        Node* l = nullptr;
        if (!(c == '(' ? parseGroup(f, l, depth + 1) : parseReference(f, l, depth + 1))) return false;
        cur->next = f;
        cur = l;
        continue;
      }
      case ')':
        if (!run.inGroup) {
          in_.report();
          return false;
        }
        return closeRun(run, cur, first, last);
      case '|': {
        Node* leftEnd = make<NFAAcceptNodeT<Ch>>();
        cur->next = leftEnd;
        // The right-hand side records the enclosing group's start too, so
        // the start is set whichever alternative matches.
        int hi = INT_MIN;
        if (run.kind == RunKind::Capture || run.kind == RunKind::NonCapture) hi = run.index;
        else if (run.kind == RunKind::Alternative) hi = run.headIndex;
        Node* rhsHead = hi != INT_MIN ? static_cast<Node*>(make<NFAGroupHeadNodeT<Ch>>(hi))
                                      : static_cast<Node*>(make<NFASubStartNodeT<Ch>>());
        Run rhs{RunKind::Alternative, 0, hi, run.inGroup, flags};
        Node* rf = nullptr;
        Node* rl = nullptr;
        if (!parseRun(rhs, rhsHead, rf, rl, depth + 1)) return false;
        first = make<NFAOrNodeT<Ch>>(first, rf);
        Node* shared = make<NFAAcceptNodeT<Ch>>();
        leftEnd->next = shared;
        rl->next = shared;
        cur = shared;
        continue;
      }
      case '*': case '+': case '?': case ']': case '}':
        in_.report();
        return false;
      default:
        if (flags & IGNORE_CASE) atom = make<NFACICharNodeT<Ch>>(patternchars::lower(c));
        else atom = make<NFACharNodeT<Ch>>(c);
        break;
    }
    atom = quantify(atom);
    if (!atom) return false;
    cur->next = atom;
    cur = atom;
  }
}

// At the ')' that ends run, after cur: what the run becomes.
template <class Ch> bool PatternParser<Ch>::closeRun(const Run& run, Node* cur, Node*& first, Node*& last) {
  switch (run.kind) {
    case RunKind::Alternative: {  // the enclosing run reads the ')' again
      --in_.pos;
      Node* a = make<NFAAcceptNodeT<Ch>>();
      cur->next = a;
      last = a;
      in_.flags = run.savedFlags;
      return true;
    }
    case RunKind::LookAhead:
    case RunKind::NegLookAhead: {
      cur->next = make<NFAAcceptNodeT<Ch>>();
      in_.flags = run.savedFlags;
      Node* la = make<NFALookAheadNodeT<Ch>>(first, run.kind == RunKind::LookAhead);
      first = last = la;
      return true;
    }
    case RunKind::Independent: {
      // The body already ends in its own accept node and stays linked.
      cur->next = make<NFAAcceptNodeT<Ch>>();
      in_.flags = run.savedFlags;
      Node* q = make<NFAPossessiveQuantifierNodeT<Ch>>(1, 1, first);
      first = last = q;
      return true;
    }
    default:
      break;
  }
  Node* tail = make<NFAGroupTailNodeT<Ch>>(run.index);
  cur->next = tail;
  last = tail;
  in_.flags = run.savedFlags;
  Repeat rep;
  int got = readRepeat(&rep);
  if (got < 0) return false;
  if (got > 0) {
    Node* prologue = make<NFAGroupLoopPrologueNodeT<Ch>>(run.index);
    Node* loop = make<NFAGroupLoopNodeT<Ch>>(run.index, rep.min, rep.max, rep.kind, first);
    prologue->next = loop;
    tail->next = loop;
    first = prologue;
    last = loop;
  }
  return !in_.error;
}

// After '(': what follows decides the kind of group.
template <class Ch> bool PatternParser<Ch>::parseGroup(Node*& first, Node*& last, int depth) {
  int& pos = in_.pos;
  const int len = in_.length();
  Run run{RunKind::Capture, 0, INT_MIN, true, in_.flags};
  Node* head = nullptr;
  if (in_.at('?')) {
    if (pos + 1 >= len) {
      ++pos;
      in_.report();
      return false;
    }
    Ch c = in_.peek(1);
    if (c == ':') {
      pos += 2;
      run.kind = RunKind::NonCapture;
      run.index = -(++target_.nonCaptureCount);
      head = make<NFAGroupHeadNodeT<Ch>>(run.index);
    } else if (c == '=' || c == '!') {
      pos += 2;
      run.kind = c == '=' ? RunKind::LookAhead : RunKind::NegLookAhead;
      head = make<NFASubStartNodeT<Ch>>();
    } else if (c == '<' && (in_.at('=', 2) || in_.at('!', 2))) {
      bool positive = in_.peek(2) == '=';
      pos += 3;
      Node* n = nullptr;
      if (!parseLookBehind(positive, n)) return false;
      first = last = n;
      return true;
    } else if (c == '>') {
      pos += 2;
      run.kind = RunKind::Independent;
      head = make<NFASubStartNodeT<Ch>>();
    } else {
      ++pos;
      bool done = false;
      if (!parseInlineFlags(run, head, first, last, &done)) return false;
      if (done) return true;
    }
  } else {
    run.index = target_.groupCount++;
    head = make<NFAGroupHeadNodeT<Ch>>(run.index);
  }
  return parseRun(run, head, first, last, depth);
}

// After "(?": letters that set flags, '-' and letters that clear them, then
// ')' (the flags hold to the end of the enclosing run; *done, with an
// always-passing node as the result) or ':' (a non-capturing group with the
// changed flags, whose body the caller parses).
template <class Ch>
bool PatternParser<Ch>::parseInlineFlags(Run& run, Node*& head, Node*& first, Node*& last, bool* done) {
  bool clearing = false;
  for (;;) {
    if (in_.atEnd()) {
      in_.report();
      return false;
    }
    Ch f = in_.text[in_.pos++];
    unsigned long bit = 0;
    switch (f) {
      case 'i': bit = IGNORE_CASE; break;
      case 'm': bit = LINE_ANCHORS; break;
      case 's': bit = DOT_ALL; break;
      case 'd': bit = LF_ONLY; break;
      default: break;
    }
    if (bit) {
      if (clearing) in_.flags &= ~bit;
      else in_.flags |= bit;
      continue;
    }
    if (f == '-' && !clearing) {
      clearing = true;
      continue;
    }
    if (f == ')') {
      Node* n = make<NFALookBehindNodeT<Ch>>(String(), true);
      first = last = n;
      *done = true;
      return true;
    }
    if (f == ':') {
      run.kind = RunKind::NonCapture;
      run.index = -(++target_.nonCaptureCount);
      head = make<NFAGroupHeadNodeT<Ch>>(run.index);
      return true;
    }
    in_.report();
    return false;
  }
}

// A literal text up to the next ')'; '\' takes the next character as it is.
template <class Ch> bool PatternParser<Ch>::parseLookBehind(bool positive, Node*& node) {
  String literal;
  for (;;) {
    if (in_.atEnd()) {
      in_.report();
      return false;
    }
    Ch c = in_.text[in_.pos++];
    if (c == ')') break;
    if (c == '\\') {
      if (in_.atEnd()) {
        in_.report();
        return false;
      }
      literal += in_.text[in_.pos++];
      continue;
    }
    literal += c;
  }
  node = make<NFALookBehindNodeT<Ch>>(literal, positive);
  return true;
}

// After '{' that is not a bound: a registered sub-pattern, parsed in place
// with its own flags; its capturing groups number on from ours.
template <class Ch> bool PatternParser<Ch>::parseReference(Node*& first, Node*& last, int depth) {
  const String& text = in_.text;
  size_t close = text.find(static_cast<Ch>('}'), static_cast<size_t>(in_.pos));
  if (close == String::npos) {
    in_.pos = in_.length();
    in_.report();
    return false;
  }
  const size_t from = static_cast<size_t>(in_.pos);
  bool valid = close > from && isNameStart(text[from]);
  for (size_t k = from + 1; valid && k < close; ++k) valid = isNameChar(text[k]);
  in_.pos = static_cast<int>(close) + 1;
  if (!valid) {
    in_.report();
    return false;
  }
  const NamedPattern<Ch>* named = findNamedPattern(text.substr(from, close - from));
  if (!named || depth > patternlimits::kMaxNesting) {
    in_.report();
    return false;
  }
  PatternParser sub(target_, named->first, named->second);
  if (!sub.parseTop(first, last, depth)) {  // reported against the registered text
    in_.error = true;
    return false;
  }
  return true;
}

// After '\' outside a class.
template <class Ch> typename PatternParser<Ch>::Node* PatternParser<Ch>::parseEscapeAtom() {
  int& pos = in_.pos;
  if (in_.atEnd()) {
    in_.report();
    return nullptr;
  }
  Ch c = in_.peek();
  if (c >= '1' && c <= '9') {  // a back-reference
    ++pos;
    long long number = c - '0';
    while (!in_.atEnd() && isDigit(in_.peek()) && (number <= 9 || number < target_.groupCount)) {
      number = number * 10 + (in_.peek() - '0');
      ++pos;
      if (number > INT_MAX) {
        in_.report();
        return nullptr;
      }
    }
    return make<NFAReferenceNodeT<Ch>>(static_cast<int>(number));
  }
  switch (c) {
    case 'A': ++pos; return make<NFAStartOfInputNodeT<Ch>>();
    case 'b': ++pos; return make<NFAWordBoundaryNodeT<Ch>>(true);
    case 'B': ++pos; return make<NFAWordBoundaryNodeT<Ch>>(false);
    case 'G': ++pos; return make<NFAEndOfMatchNodeT<Ch>>();
    case 'Z': ++pos; return make<NFAEndOfInputNodeT<Ch>>(true);
    case 'z': ++pos; return make<NFAEndOfInputNodeT<Ch>>(false);
    case 'd': case 'D': case 's': case 'S': case 'w': case 'W': case 'p': case 'P': case 't': case 'n':
    case 'r': case 'f': case 'a': case 'e': case '0': case 'x': case 'Q':
      break;
    default:  // any other escaped character stands for itself (\. \\ \( ...)
      ++pos;
      return make<NFACharNodeT<Ch>>(c);
  }
  Escape<Ch> e = readEscape(in_);
  if (in_.error) return nullptr;
  if (e.quote) return parseQuoted();
  Ch only{};
  // A single escaped character stays case-sensitive under IGNORE_CASE.
  if (!e.inverted && e.set.single(&only)) return make<NFACharNodeT<Ch>>(only);
  if (in_.flags & IGNORE_CASE) return make<NFACIClassNodeT<Ch>>(lowered(e.set), e.inverted);
  return make<NFAClassNodeT<Ch>>(e.set, e.inverted);
}

// After \Q: literal text to the next \E; '\' takes the next character.
template <class Ch> typename PatternParser<Ch>::Node* PatternParser<Ch>::parseQuoted() {
  String literal;
  for (;;) {
    if (in_.atEnd()) {  // no \E
      in_.report();
      return nullptr;
    }
    Ch c = in_.text[in_.pos++];
    if (c == '\\') {
      if (in_.atEnd()) {
        in_.report();
        return nullptr;
      }
      Ch d = in_.text[in_.pos++];
      if (d == 'E') break;
      literal += d;
      continue;
    }
    literal += c;
  }
  if (in_.flags & IGNORE_CASE) return make<NFACIQuoteNodeT<Ch>>(literal);
  return make<NFAQuoteNodeT<Ch>>(literal);
}

// The atom itself, or a quantifier over it: the atom's chain then ends in
// an accept node without successor.
template <class Ch> typename PatternParser<Ch>::Node* PatternParser<Ch>::quantify(Node* atom) {
  Repeat rep;
  int got = readRepeat(&rep);
  if (got < 0) return nullptr;
  if (got == 0) return atom;
  atom->next = make<NFAAcceptNodeT<Ch>>();
  switch (rep.kind) {
    case Repetition::Possessive: return make<NFAPossessiveQuantifierNodeT<Ch>>(rep.min, rep.max, atom);
    case Repetition::Lazy: return make<NFALazyQuantifierNodeT<Ch>>(rep.min, rep.max, atom);
    case Repetition::Greedy: break;
  }
  return make<NFAGreedyQuantifierNodeT<Ch>>(rep.min, rep.max, atom);
}

// 1 with a repetition read, 0 when none follows, -1 after a syntax error.
template <class Ch> int PatternParser<Ch>::readRepeat(Repeat* r) {
  if (in_.atEnd()) return 0;
  constexpr int kMax = BasicPattern<Ch>::kMaxRepeat;
  switch (in_.peek()) {
    case '*': *r = Repeat{0, kMax}; ++in_.pos; break;
    case '+': *r = Repeat{1, kMax}; ++in_.pos; break;
    case '?': *r = Repeat{0, 1}; ++in_.pos; break;
    case '{': {
      int b = readBound(r);
      if (b <= 0) return b;
      break;
    }
    default: return 0;
  }
  r->kind = Repetition::Greedy;
  if (in_.at('+')) {
    r->kind = Repetition::Possessive;
    ++in_.pos;
  } else if (in_.at('?')) {
    r->kind = Repetition::Lazy;
    ++in_.pos;
  }
  return 1;
}

// With pos at '{': 1 for a bound, 0 when the braces are not one (they are
// then a named reference), -1 after a syntax error.
template <class Ch> int PatternParser<Ch>::readBound(Repeat* r) {
  const String& text = in_.text;
  size_t open = static_cast<size_t>(in_.pos);
  size_t close = text.find(static_cast<Ch>('}'), open + 1);
  if (close == String::npos) {
    in_.pos = in_.length();
    in_.report();
    return -1;
  }
  size_t comma = String::npos;
  for (size_t k = open + 1; k < close; ++k)
    if (text[k] == ',') {
      comma = k;
      break;
    }
  for (size_t k = open + 1; k < close; ++k) {
    if (k == comma || isDigit(text[k])) continue;
    if (comma == String::npos) return 0;
    in_.pos = static_cast<int>(k) + 1;
    in_.report();
    return -1;
  }
  size_t minEnd = comma == String::npos ? close : comma;
  int mn = 0, mx = 0;
  bool ok = readNumber(text, open + 1, minEnd, &mn);
  if (ok) {
    if (comma == String::npos) mx = mn;
    else if (comma + 1 == close) mx = BasicPattern<Ch>::kMaxRepeat;
    else ok = readNumber(text, comma + 1, close, &mx);
  }
  in_.pos = static_cast<int>(close) + 1;
  if (!ok) {  // a bound that does not fit an int
    in_.report();
    return -1;
  }
  r->min = mn;
  r->max = mx;
  return 1;
}

template class PatternParser<char>;
template class PatternParser<wchar_t>;
