// One left-to-right recursive-descent pass: every construct becomes nodes
// the moment it is read, linked through their next pointers.
#include <climits>
#include <cstdio>
#include <cwchar>
#include <map>
#include <new>

#include "pattern/ClassReader.h"
#include "pattern/Nodes.h"
#include "pattern/Pattern.h"
#include "pattern/PatternTables.h"

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

void appendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x110000) {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += '?';
  }
}

const char kMetaMessage[] = "Syntax Error near here. Possible unescaped meta character.\n";
const char kPlainMessage[] = "Syntax Error near here. \n";

template <class Ch> const char* messageFor(const std::basic_string<Ch>& text, int pos) {
  if (pos <= 0 || static_cast<size_t>(pos) > text.size()) return kPlainMessage;
  Ch c = text[static_cast<size_t>(pos) - 1];
  switch (c) {
    case ')': case '*': case '+': case '?': case ']': case '}': return kMetaMessage;
    default: return kPlainMessage;
  }
}

// The report is written narrow unless stderr is already wide-oriented:
// switching the stream to wide would silence every later narrow write.
void reportNarrow(const std::string& text, int pos) {
  const char* msg = messageFor(text, pos);
  if (fwide(stderr, 0) > 0) {
    fwprintf(stderr, L"%s\n%*lc^\n", text.c_str(), pos - 1, L' ');
    fwprintf(stderr, L"%s", msg);
    return;
  }
  fprintf(stderr, "%s\n%*c^\n", text.c_str(), pos - 1, ' ');
  fputs(msg, stderr);
}

void reportWide(const std::wstring& text, int pos) {
  const char* msg = messageFor(text, pos);
  if (fwide(stderr, 0) > 0) {
    fwprintf(stderr, L"%ls\n%*lc^\n", text.c_str(), pos - 1, L' ');
    fwprintf(stderr, L"%s", msg);
    return;
  }
  // Every character is printed, as UTF-8, whatever the locale.
  std::string bytes;
  for (wchar_t c : text) appendUtf8(bytes, static_cast<uint32_t>(c));
  fprintf(stderr, "%s\n%*c^\n", bytes.c_str(), pos - 1, ' ');
  fputs(msg, stderr);
}

}  // namespace

// ---------------------------------------------------------------- lifecycle

template <class Ch>
BasicPattern<Ch>::BasicPattern(const String& t, unsigned long f) : text(t), flags(f) {}

template <class Ch> BasicPattern<Ch>::~BasicPattern() {
  delete ownMatcher;
  for (Node* n : nodes)
    if (n->ownsMemory()) n->~Node();
}

template <class Ch> void* BasicPattern<Ch>::allocate(size_t size) {
  const size_t align = kNodeAlign;
  size = (size + align - 1) & ~(align - 1);
  if (arenaUsed + size <= kInlineArena) {
    void* p = arena + arenaUsed;
    arenaUsed += size;
    return p;
  }
  if (blocks.empty() || blockUsed + size > blockSize) {
    // The first extra block is sized for the rest of the pattern text.
    size_t want = blockSize ? blockSize * 2 : std::max<size_t>(1024, 48 * text.size());
    if (want > (size_t(1) << 20)) want = size_t(1) << 20;
    if (want < size) want = size;
    blocks.emplace_back(new unsigned char[want]);
    blockSize = want;
    blockUsed = 0;
  }
  void* p = blocks.back().get() + blockUsed;
  blockUsed += size;
  return p;
}

template <class Ch>
template <class T, class... A>
T* BasicPattern<Ch>::make(A&&... args) {
  static_assert(alignof(T) <= kNodeAlign, "node blocks are aligned for pointers and 64-bit words");
  T* n = new (allocate(sizeof(T))) T(std::forward<A>(args)...);
  nodes.push_back(n);
  return n;
}

template <class Ch> bool BasicPattern<Ch>::containsNode(const Node* n) const {
  for (const Node* k : nodes)
    if (k == n) return true;
  return false;
}

template <class Ch> void BasicPattern<Ch>::enterNode(Node* n) {
  if (!containsNode(n)) nodes.push_back(n);
}

template <class Ch> void BasicPattern<Ch>::report() {
  error = true;
  if constexpr (std::is_same<Ch, char>::value) reportNarrow(text, pos);
  else reportWide(text, pos);
}

// ---------------------------------------------------------------- compile

template <class Ch> BasicPattern<Ch>* BasicPattern<Ch>::compile(const String& source, unsigned long f) {
  BasicPattern* p = new BasicPattern(source, f);
  if (source.size() > static_cast<size_t>(INT_MAX / 4)) {
    p->report();
    delete p;
    return nullptr;
  }
  p->nodes.reserve(std::min<size_t>(2 * source.size() + 8, 4096));
  if (f & LITERAL_TEXT) {
    Node* start = p->make<NFAStartNodeT<Ch>>();
    Node* quote = (f & IGNORE_CASE) ? static_cast<Node*>(p->make<NFACIQuoteNodeT<Ch>>(source))
                                    : static_cast<Node*>(p->make<NFAQuoteNodeT<Ch>>(source));
    Node* end = p->make<NFAEndNodeT<Ch>>();
    start->next = quote;
    quote->next = end;
    p->head = start;
    p->groupCount = 1;
  } else {
    p->groupCount = 1;  // index 0 is the whole match
    Run top{RunTop, 0, INT_MIN, false, f};
    Node* first = nullptr;
    Node* last = nullptr;
    Node* sub = p->make<NFASubStartNodeT<Ch>>();
    if (!p->parseRun(top, sub, first, last, 0) || p->error) {
      delete p;
      return nullptr;
    }
    Node* start = p->make<NFAStartNodeT<Ch>>();
    Node* end = p->make<NFAEndNodeT<Ch>>();
    start->next = first;
    last->next = end;
    p->head = start;
  }
  p->flags = f;
  for (Node* n : p->nodes)
    if (n->needsPrepare()) n->prepare();
  for (size_t i = 0; i < p->nodes.size(); ++i) p->nodes[i]->id = static_cast<int>(i);
  if (p->stateless()) p->memoNodes = static_cast<int>(p->nodes.size());
  return p;
}

// True when every node's result depends on the position alone: nothing
// reads groups or loop counts, \G (whose anchor moves between the attempts
// of one search) is absent, and no capturing group sits where its values
// outlive a failed path (inside a look-ahead or an independent group).
template <class Ch> bool BasicPattern<Ch>::stateless() const {
  std::vector<const Node*> inners;
  for (const Node* n : nodes) {
    switch (n->kind) {
      case NodeKind::Reference: case NodeKind::GroupLoop: case NodeKind::GroupLoopPrologue:
      case NodeKind::EndOfMatch:
        return false;
      case NodeKind::LookAhead:
        inners.push_back(static_cast<const NFALookAheadNodeT<Ch>*>(n)->inner);
        break;
      case NodeKind::PossessiveQuantifier:
        inners.push_back(static_cast<const NFAQuantifierNodeT<Ch>*>(n)->inner);
        break;
      default:
        break;
    }
  }
  std::vector<char> seen(nodes.size(), 0);
  std::vector<const Node*> todo;
  for (const Node* start : inners) {
    todo.push_back(start);
    while (!todo.empty()) {
      const Node* n = todo.back();
      todo.pop_back();
      if (!n || n->id < 0 || static_cast<size_t>(n->id) >= seen.size() || seen[n->id]) continue;
      seen[n->id] = 1;
      switch (n->kind) {
        case NodeKind::GroupHead:
          if (static_cast<const NFAGroupHeadNodeT<Ch>*>(n)->groupIndex > 0) return false;
          break;
        case NodeKind::GroupTail:
          if (static_cast<const NFAGroupTailNodeT<Ch>*>(n)->groupIndex > 0) return false;
          break;
        case NodeKind::Or:
          todo.push_back(static_cast<const NFAOrNodeT<Ch>*>(n)->left);
          todo.push_back(static_cast<const NFAOrNodeT<Ch>*>(n)->right);
          break;
        case NodeKind::LookAhead:
          todo.push_back(static_cast<const NFALookAheadNodeT<Ch>*>(n)->inner);
          break;
        case NodeKind::GreedyQuantifier: case NodeKind::LazyQuantifier: case NodeKind::PossessiveQuantifier:
          todo.push_back(static_cast<const NFAQuantifierNodeT<Ch>*>(n)->inner);
          break;
        default:
          break;
      }
      todo.push_back(n->next);
    }
  }
  return true;
}

template <class Ch>
bool BasicPattern<Ch>::parseRun(Run run, Node* firstNode, Node*& first, Node*& last, int depth) {
  first = firstNode;
  Node* cur = firstNode;
  if (depth > patternlimits::kMaxNesting) {
    report();
    return false;
  }
  for (;;) {
    if (error) return false;
    if (nodes.size() > patternlimits::kMaxNodes) {
      report();
      return false;
    }
    const int len = static_cast<int>(text.size());
    if (pos >= len) {
      if (run.kind != RunTop && run.kind != RunAlt) {  // a group without ')'
        report();
        return false;
      }
      if (run.kind == RunAlt) {
        Node* a = make<NFAAcceptNodeT<Ch>>();
        cur->next = a;
        cur = a;
      }
      last = cur;
      flags = run.savedFlags;
      return !error;
    }
    Ch c = text[pos++];
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
        CharSetT<Ch> members = readClass(depth + 1);
        if (error) return false;
        if (flags & IGNORE_CASE) atom = make<NFACIClassNodeT<Ch>>(lowered(members), false);
        else atom = make<NFAClassNodeT<Ch>>(members, false);
        break;
      }
      case '\\':
        atom = parseEscapeAtom();
        if (!atom) return false;
        break;
      case '(': {
        Node* gf = nullptr;
        Node* gl = nullptr;
        if (!parseGroup(gf, gl, depth + 1)) return false;
        cur->next = gf;
        cur = gl;
        continue;
      }
      case ')': {
        if (!run.inGroup) {
          report();
          return false;
        }
        if (run.kind == RunAlt) {  // the enclosing run reads the ')' again
          --pos;
          Node* a = make<NFAAcceptNodeT<Ch>>();
          cur->next = a;
          last = a;
          flags = run.savedFlags;
          return true;
        }
        if (run.kind == RunLookAhead || run.kind == RunNegLookAhead) {
          cur->next = make<NFAAcceptNodeT<Ch>>();
          flags = run.savedFlags;
          Node* la = make<NFALookAheadNodeT<Ch>>(first, run.kind == RunLookAhead);
          first = last = la;
          return true;
        }
        if (run.kind == RunIndependent) {
          cur->next = make<NFAAcceptNodeT<Ch>>();
          flags = run.savedFlags;
          Node* q = make<NFAPossessiveQuantifierNodeT<Ch>>(1, 1, first);
          first = last = q;
          return true;
        }
        Node* tail = make<NFAGroupTailNodeT<Ch>>(run.index);
        cur->next = tail;
        last = tail;
        flags = run.savedFlags;
        int mn = 0, mx = 0, type = 0;
        int got = readRepeat(&mn, &mx, &type);
        if (got < 0) return false;
        if (got > 0) {
          Node* prologue = make<NFAGroupLoopPrologueNodeT<Ch>>(run.index);
          Node* loop = make<NFAGroupLoopNodeT<Ch>>(run.index, mn, mx, type, first);
          prologue->next = loop;
          tail->next = loop;
          first = prologue;
          last = loop;
        }
        return !error;
      }
      case '{': {
        Node* rf = nullptr;
        Node* rl = nullptr;
        if (!parseReference(rf, rl, depth + 1)) return false;
        cur->next = rf;
        cur = rl;
        continue;
      }
      case '|': {
        Node* leftEnd = make<NFAAcceptNodeT<Ch>>();
        cur->next = leftEnd;
        int hi = INT_MIN;
        if (run.kind == RunCapture || run.kind == RunNonCapture) hi = run.index;
        else if (run.kind == RunAlt) hi = run.headIndex;
        Node* rhsHead = hi != INT_MIN ? static_cast<Node*>(make<NFAGroupHeadNodeT<Ch>>(hi))
                                      : static_cast<Node*>(make<NFASubStartNodeT<Ch>>());
        Run rhs{RunAlt, 0, hi, run.inGroup, flags};
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
        report();
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

template <class Ch> bool BasicPattern<Ch>::parseGroup(Node*& first, Node*& last, int depth) {
  const int len = static_cast<int>(text.size());
  Run run{RunCapture, 0, INT_MIN, true, flags};
  Node* head = nullptr;
  if (pos < len && text[pos] == '?') {
    if (pos + 1 >= len) {
      ++pos;
      report();
      return false;
    }
    Ch c = text[pos + 1];
    if (c == ':') {
      pos += 2;
      run.kind = RunNonCapture;
      run.index = --nonCaptureCount;
      head = make<NFAGroupHeadNodeT<Ch>>(run.index);
    } else if (c == '=' || c == '!') {
      pos += 2;
      run.kind = c == '=' ? RunLookAhead : RunNegLookAhead;
      head = make<NFASubStartNodeT<Ch>>();
    } else if (c == '<' && pos + 2 < len && (text[pos + 2] == '=' || text[pos + 2] == '!')) {
      bool positive = text[pos + 2] == '=';
      pos += 3;
      Node* n = nullptr;
      if (!parseLookBehind(positive, n)) return false;
      first = last = n;
      return true;
    } else if (c == '>') {
      pos += 2;
      run.kind = RunIndependent;
      head = make<NFASubStartNodeT<Ch>>();
    } else {
      ++pos;  // inline flags
      bool clearing = false;
      for (;;) {
        if (pos >= len) {
          report();
          return false;
        }
        Ch f = text[pos++];
        unsigned long bit = 0;
        switch (f) {
          case 'i': bit = IGNORE_CASE; break;
          case 'm': bit = LINE_ANCHORS; break;
          case 's': bit = DOT_ALL; break;
          case 'd': bit = LF_ONLY; break;
          default: break;
        }
        if (bit) {
          if (clearing) flags &= ~bit;
          else flags |= bit;
          continue;
        }
        if (f == '-' && !clearing) {
          clearing = true;
          continue;
        }
        if (f == ')') {  // the flags hold to the end of the enclosing run
          Node* n = make<NFALookBehindNodeT<Ch>>(String(), true);
          first = last = n;
          return true;
        }
        if (f == ':') {
          run.kind = RunNonCapture;
          run.index = --nonCaptureCount;
          head = make<NFAGroupHeadNodeT<Ch>>(run.index);
          break;
        }
        report();
        return false;
      }
    }
  } else {
    run.index = groupCount++;
    head = make<NFAGroupHeadNodeT<Ch>>(run.index);
  }
  return parseRun(run, head, first, last, depth);
}

template <class Ch> bool BasicPattern<Ch>::parseLookBehind(bool positive, Node*& node) {
  const int len = static_cast<int>(text.size());
  String literal;
  for (;;) {
    if (pos >= len) {
      report();
      return false;
    }
    Ch c = text[pos++];
    if (c == ')') break;
    if (c == '\\') {
      if (pos >= len) {
        report();
        return false;
      }
      literal += text[pos++];
      continue;
    }
    literal += c;
  }
  node = make<NFALookBehindNodeT<Ch>>(literal, positive);
  return true;
}

template <class Ch> bool BasicPattern<Ch>::parseReference(Node*& first, Node*& last, int depth) {
  const int len = static_cast<int>(text.size());
  size_t close = text.find(static_cast<Ch>('}'), static_cast<size_t>(pos));
  if (close == String::npos) {
    pos = len;
    report();
    return false;
  }
  const size_t from = static_cast<size_t>(pos);
  bool valid = close > from && isNameStart(text[from]);
  for (size_t k = from + 1; valid && k < close; ++k) valid = isNameChar(text[k]);
  pos = static_cast<int>(close) + 1;
  if (!valid) {
    report();
    return false;
  }
  auto& names = patterntables::names<Ch>();
  auto it = names.find(text.substr(from, close - from));
  if (it == names.end() || depth > patternlimits::kMaxNesting) {
    report();
    return false;
  }
  String savedText = text;
  unsigned long savedFlags = flags;
  int resume = pos;
  text = it->second.first;
  flags = it->second.second;
  pos = 0;
  Run top{RunTop, 0, INT_MIN, false, flags};
  Node* sub = make<NFASubStartNodeT<Ch>>();
  bool ok = parseRun(top, sub, first, last, depth);
  if (!ok) return false;  // reported against the registered text
  text = savedText;
  flags = savedFlags;
  pos = resume;
  return true;
}

template <class Ch> typename BasicPattern<Ch>::Node* BasicPattern<Ch>::parseEscapeAtom() {
  const int len = static_cast<int>(text.size());
  if (pos >= len) {
    report();
    return nullptr;
  }
  Ch c = text[pos];
  if (c >= '1' && c <= '9') {
    ++pos;
    long long number = c - '0';
    while (pos < len && isDigit(text[pos]) && (number <= 9 || number < groupCount)) {
      number = number * 10 + (text[pos] - '0');
      ++pos;
      if (number > INT_MAX) {
        report();
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
  Escape e = readEscape();
  if (error) return nullptr;
  if (e.quote) return parseQuoted();
  Ch only{};
  if (!e.inverted && e.set.single(&only)) return make<NFACharNodeT<Ch>>(only);
  if (flags & IGNORE_CASE) return make<NFACIClassNodeT<Ch>>(lowered(e.set), e.inverted);
  return make<NFAClassNodeT<Ch>>(e.set, e.inverted);
}

template <class Ch> typename BasicPattern<Ch>::Node* BasicPattern<Ch>::parseQuoted() {
  const int len = static_cast<int>(text.size());
  String literal;
  for (;;) {
    if (pos >= len) {  // no \E
      report();
      return nullptr;
    }
    Ch c = text[pos++];
    if (c == '\\') {
      if (pos >= len) {
        report();
        return nullptr;
      }
      Ch d = text[pos++];
      if (d == 'E') break;
      literal += d;
      continue;
    }
    literal += c;
  }
  if (flags & IGNORE_CASE) return make<NFACIQuoteNodeT<Ch>>(literal);
  return make<NFAQuoteNodeT<Ch>>(literal);
}

template <class Ch> typename BasicPattern<Ch>::Node* BasicPattern<Ch>::quantify(Node* atom) {
  int mn = 0, mx = 0, type = 0;
  int got = readRepeat(&mn, &mx, &type);
  if (got < 0) return nullptr;
  if (got == 0) return atom;
  atom->next = make<NFAAcceptNodeT<Ch>>();
  switch (type) {
    case 2: return make<NFAPossessiveQuantifierNodeT<Ch>>(mn, mx, atom);
    case 1: return make<NFALazyQuantifierNodeT<Ch>>(mn, mx, atom);
    default: return make<NFAGreedyQuantifierNodeT<Ch>>(mn, mx, atom);
  }
}

// 1 with a repetition read, 0 when none follows, -1 after a syntax error.
template <class Ch> int BasicPattern<Ch>::readRepeat(int* min, int* max, int* type) {
  const int len = static_cast<int>(text.size());
  if (pos >= len) return 0;
  switch (text[pos]) {
    case '*': *min = 0; *max = kMaxRepeat; ++pos; break;
    case '+': *min = 1; *max = kMaxRepeat; ++pos; break;
    case '?': *min = 0; *max = 1; ++pos; break;
    case '{': {
      int b = readBound(min, max);
      if (b <= 0) return b;
      break;
    }
    default: return 0;
  }
  *type = 0;
  if (pos < len && text[pos] == '+') {
    *type = 2;
    ++pos;
  } else if (pos < len && text[pos] == '?') {
    *type = 1;
    ++pos;
  }
  return 1;
}

// With pos at '{': 1 for a bound, 0 when the braces are not one (they are
// then a named reference), -1 after a syntax error.
template <class Ch> int BasicPattern<Ch>::readBound(int* min, int* max) {
  const int len = static_cast<int>(text.size());
  size_t open = static_cast<size_t>(pos);
  size_t close = text.find(static_cast<Ch>('}'), open + 1);
  if (close == String::npos) {
    pos = len;
    report();
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
    pos = static_cast<int>(k) + 1;
    report();
    return -1;
  }
  size_t minEnd = comma == String::npos ? close : comma;
  int mn = 0, mx = 0;
  bool ok = readNumber(text, open + 1, minEnd, &mn);
  if (ok) {
    if (comma == String::npos) mx = mn;
    else if (comma + 1 == close) mx = kMaxRepeat;
    else ok = readNumber(text, comma + 1, close, &mx);
  }
  pos = static_cast<int>(close) + 1;
  if (!ok) {  // a bound that does not fit an int
    report();
    return -1;
  }
  *min = mn;
  *max = mx;
  return 1;
}

// ---------------------------------------------------------------- tables

template <class Ch> BasicPattern<Ch>* BasicPattern<Ch>::compileCached(const String& source, unsigned long f) {
  auto& cache = patterntables::cache<Ch>();
  auto it = cache.find(source);
  if (it != cache.end()) return it->second;
  BasicPattern* p = compile(source, f);
  cache.emplace(source, p);
  return p;
}

template <class Ch> void BasicPattern<Ch>::clearCache() {
  auto& cache = patterntables::cache<Ch>();
  for (auto& entry : cache) delete entry.second;
  cache.clear();
}

template <class Ch>
bool BasicPattern<Ch>::registerName(const String& name, const String& source, unsigned long f) {
  BasicPattern* p = compile(source, f);
  if (!p) return false;
  delete p;
  patterntables::names<Ch>()[name] = std::make_pair(source, f);
  return true;
}

template <class Ch> void BasicPattern<Ch>::clearNames() { patterntables::names<Ch>().clear(); }

template class BasicPattern<char>;
template class BasicPattern<wchar_t>;
