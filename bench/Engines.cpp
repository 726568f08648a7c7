// The engines the benchmark compares (fwpack, std::regex, PCRE2 with and without
// JIT, RE2, Boost.Regex), each behind the same Engine interface.
#include "bench/Engines.h"

#include <boost/regex.hpp>
#include <re2/re2.h>

#include <regex>

#define PCRE2_CODE_UNIT_WIDTH 0
#include <pcre2.h>

#include "pattern/Pattern.h"
#include "pattern/Utf8.h"

namespace bench {

static_assert(sizeof(wchar_t) == 4, "the 32-bit PCRE2 library is used on wchar_t text");

template <class Ch>
static std::basic_string<Ch> DotAllAsClassT(const std::basic_string<Ch>& pattern) {
  static const Ch kAny[] = {'[', '\\', 's', '\\', 'S', ']', 0};
  std::basic_string<Ch> out;
  bool in_class = false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    Ch c = pattern[i];
    if (c == '\\' && i + 1 < pattern.size()) {
      out += c;
      out += pattern[++i];
      continue;
    }
    if (in_class) {
      if (c == ']') in_class = false;
      out += c;
    } else if (c == '[') {
      in_class = true;
      out += c;
    } else if (c == '.') {
      out += kAny;
    } else {
      out += c;
    }
  }
  return out;
}

std::string DotAllAsClass(const std::string& pattern) { return DotAllAsClassT(pattern); }
std::wstring DotAllAsClass(const std::wstring& pattern) { return DotAllAsClassT(pattern); }

namespace {

// ---- fwpack ---------------------------------------------------------------

class FwpackEngine : public Engine {
 public:
  const char* Name() const override { return "fwpack"; }

  bool WholeGroups(const std::string& p, unsigned long f, const std::string& s,
                   std::vector<std::string>& g) override {
    return Whole<char>(p, f, s, g);
  }
  bool WholeGroups(const std::wstring& p, unsigned long f, const std::wstring& s,
                   std::vector<std::wstring>& g) override {
    return Whole<wchar_t>(p, f, s, g);
  }
  bool Matches(const std::string& p, const std::string& s, unsigned long f) override {
    return Pattern::matches(p, s, f);
  }
  bool Matches(const std::wstring& p, const std::wstring& s, unsigned long f) override {
    return WidePattern::matches(p, s, f);
  }
  std::unique_ptr<CompiledPattern> Compile(const std::string& p, unsigned long f) override;

 private:
  // compile, makeMatcher, matchesWhole, groupTexts(false): the component's
  // sequence for one line.
  template <class Ch>
  static bool Whole(const std::basic_string<Ch>& p, unsigned long f, const std::basic_string<Ch>& s,
                    std::vector<std::basic_string<Ch>>& g) {
    BasicPattern<Ch>* pattern = BasicPattern<Ch>::compile(p, f);
    if (pattern == nullptr) return false;
    BasicTextMatcher<Ch>* matcher = pattern->makeMatcher(s);
    bool ok = matcher != nullptr && matcher->matchesWhole();
    if (ok) g = matcher->groupTexts(false);
    delete matcher;
    delete pattern;
    return ok;
  }
};

// setText, matchesWhole, groupTexts(false) per line.
class FwpackLineMatcher : public LineMatcher {
 public:
  explicit FwpackLineMatcher(Pattern* p) : matcher_(p->makeMatcher(std::string())) {}
  bool WholeGroups(const std::string& s, std::vector<std::string>& g) override {
    matcher_->setText(s);
    bool ok = matcher_->matchesWhole();
    if (ok) g = matcher_->groupTexts(false);
    return ok;
  }

 private:
  std::unique_ptr<TextMatcher> matcher_;
};

class FwpackCompiled : public CompiledPattern {
 public:
  explicit FwpackCompiled(Pattern* p) : pattern_(p) {}
  bool WholeGroups(const std::string& s, std::vector<std::string>& g) override {
    TextMatcher* matcher = pattern_->makeMatcher(s);
    bool ok = matcher != nullptr && matcher->matchesWhole();
    if (ok) g = matcher->groupTexts(false);
    delete matcher;
    return ok;
  }
  std::unique_ptr<LineMatcher> MakeLineMatcher() override {
    return std::make_unique<FwpackLineMatcher>(pattern_.get());
  }

 private:
  std::unique_ptr<Pattern> pattern_;
};

std::unique_ptr<CompiledPattern> FwpackEngine::Compile(const std::string& p, unsigned long f) {
  Pattern* pattern = Pattern::compile(p, f);
  if (pattern == nullptr) return nullptr;
  return std::make_unique<FwpackCompiled>(pattern);
}

// ---- std::regex and Boost.Regex -------------------------------------------

// The two share one interface (a regex object, match_results, regex_match),
// so one engine template serves both; Lib says how each builds its regex.
struct StdLib {
  static constexpr const char* kName = "std::regex";
  template <class Ch> using Regex = std::basic_regex<Ch>;
  template <class Ch> using Results = std::match_results<typename std::basic_string<Ch>::const_iterator>;

  // ECMAScript has no dot-all switch, so the dots are rewritten. The
  // workload patterns have no anchors, so LINE_ANCHORS needs no mapping.
  template <class Ch> static Regex<Ch> Build(const std::basic_string<Ch>& p, unsigned long f) {
    auto syntax = std::regex_constants::ECMAScript;
    if (f & IGNORE_CASE) syntax |= std::regex_constants::icase;
    return Regex<Ch>((f & DOT_ALL) ? DotAllAsClassT(p) : p, syntax);
  }
  template <class Ch> static bool Whole(const std::basic_string<Ch>& s, Results<Ch>& m, const Regex<Ch>& re) {
    return std::regex_match(s, m, re);
  }
};

struct BoostLib {
  static constexpr const char* kName = "Boost.Regex";
  template <class Ch> using Regex = boost::basic_regex<Ch>;
  template <class Ch> using Results = boost::match_results<typename std::basic_string<Ch>::const_iterator>;

  template <class Ch> static Regex<Ch> Build(const std::basic_string<Ch>& p, unsigned long f) {
    boost::regex_constants::syntax_option_type syntax = boost::regex_constants::perl;
    if (f & IGNORE_CASE) syntax |= boost::regex_constants::icase;
    syntax |= (f & DOT_ALL) ? boost::regex_constants::mod_s : boost::regex_constants::no_mod_s;
    if (!(f & LINE_ANCHORS)) syntax |= boost::regex_constants::no_mod_m;
    return Regex<Ch>(p, syntax);
  }
  template <class Ch> static bool Whole(const std::basic_string<Ch>& s, Results<Ch>& m, const Regex<Ch>& re) {
    return boost::regex_match(s, m, re);
  }
};

// A whole-text match with the match results m; a bad pattern or a too
// complex match (both thrown) is no match.
template <class Lib, class Ch>
bool LibWhole(const typename Lib::template Regex<Ch>& re, const std::basic_string<Ch>& s,
              std::vector<std::basic_string<Ch>>* g, typename Lib::template Results<Ch>& m) {
  try {
    if (!Lib::Whole(s, m, re)) return false;
  } catch (const std::exception&) {
    return false;
  }
  if (g != nullptr) {
    g->clear();
    for (size_t i = 1; i < m.size(); ++i) g->push_back(m[i].matched ? m[i].str() : std::basic_string<Ch>());
  }
  return true;
}

template <class Lib, class Ch>
bool LibWhole(const typename Lib::template Regex<Ch>& re, const std::basic_string<Ch>& s,
              std::vector<std::basic_string<Ch>>* g) {
  typename Lib::template Results<Ch> m;
  return LibWhole<Lib>(re, s, g, m);
}

// One match_results for every line.
template <class Lib> class LibLineMatcher : public LineMatcher {
 public:
  explicit LibLineMatcher(const typename Lib::template Regex<char>& re) : re_(re) {}
  bool WholeGroups(const std::string& s, std::vector<std::string>& g) override {
    return LibWhole<Lib>(re_, s, &g, m_);
  }

 private:
  const typename Lib::template Regex<char>& re_;
  typename Lib::template Results<char> m_;
};

template <class Lib> class LibCompiled : public CompiledPattern {
 public:
  explicit LibCompiled(typename Lib::template Regex<char> re) : re_(std::move(re)) {}
  bool WholeGroups(const std::string& s, std::vector<std::string>& g) override { return LibWhole<Lib>(re_, s, &g); }
  std::unique_ptr<LineMatcher> MakeLineMatcher() override { return std::make_unique<LibLineMatcher<Lib>>(re_); }

 private:
  typename Lib::template Regex<char> re_;
};

template <class Lib> class LibEngine : public Engine {
 public:
  const char* Name() const override { return Lib::kName; }

  bool WholeGroups(const std::string& p, unsigned long f, const std::string& s,
                   std::vector<std::string>& g) override {
    return Whole<char>(p, f, s, &g);
  }
  bool WholeGroups(const std::wstring& p, unsigned long f, const std::wstring& s,
                   std::vector<std::wstring>& g) override {
    return Whole<wchar_t>(p, f, s, &g);
  }
  bool Matches(const std::string& p, const std::string& s, unsigned long f) override {
    return Whole<char>(p, f, s, nullptr);
  }
  bool Matches(const std::wstring& p, const std::wstring& s, unsigned long f) override {
    return Whole<wchar_t>(p, f, s, nullptr);
  }
  std::unique_ptr<CompiledPattern> Compile(const std::string& p, unsigned long f) override {
    try {
      return std::make_unique<LibCompiled<Lib>>(Lib::Build(p, f));
    } catch (const std::exception&) {
      return nullptr;
    }
  }

 private:
  template <class Ch>
  static bool Whole(const std::basic_string<Ch>& p, unsigned long f, const std::basic_string<Ch>& s,
                    std::vector<std::basic_string<Ch>>* g) {
    try {
      return LibWhole<Lib>(Lib::Build(p, f), s, g);
    } catch (const std::exception&) {
      return false;  // a bad pattern
    }
  }
};

// ---- PCRE2 ----------------------------------------------------------------

uint32_t Pcre2Options(unsigned long f) {
  uint32_t o = PCRE2_ANCHORED | PCRE2_ENDANCHORED;
  if (f & IGNORE_CASE) o |= PCRE2_CASELESS;
  if (f & DOT_ALL) o |= PCRE2_DOTALL;
  if (f & LINE_ANCHORS) o |= PCRE2_MULTILINE;
  return o;
}

// One match of a compiled 8-bit pattern with the match data md.
bool Pcre2Match8(pcre2_code_8* code, pcre2_match_data_8* md, const std::string& s, std::vector<std::string>* g) {
  bool ok = md != nullptr &&
            pcre2_match_8(code, reinterpret_cast<PCRE2_SPTR8>(s.data()), s.size(), 0, 0, md, nullptr) > 0;
  if (ok && g != nullptr) {
    uint32_t pairs = pcre2_get_ovector_count_8(md);
    uint32_t groups = 0;
    pcre2_pattern_info_8(code, PCRE2_INFO_CAPTURECOUNT, &groups);
    PCRE2_SIZE* ov = pcre2_get_ovector_pointer_8(md);
    g->clear();
    for (uint32_t i = 1; i <= groups; ++i) {
      if (i < pairs && ov[2 * i] != PCRE2_UNSET)
        g->emplace_back(s, ov[2 * i], ov[2 * i + 1] - ov[2 * i]);
      else
        g->emplace_back();
    }
  }
  return ok;
}

// The same with match data of its own.
bool Pcre2Match8(pcre2_code_8* code, const std::string& s, std::vector<std::string>* g) {
  pcre2_match_data_8* md = pcre2_match_data_create_from_pattern_8(code, nullptr);
  bool ok = Pcre2Match8(code, md, s, g);
  pcre2_match_data_free_8(md);
  return ok;
}

pcre2_code_8* Pcre2Compile8(const std::string& p, unsigned long f, bool jit) {
  int err = 0;
  PCRE2_SIZE off = 0;
  pcre2_code_8* code =
      pcre2_compile_8(reinterpret_cast<PCRE2_SPTR8>(p.data()), p.size(), Pcre2Options(f), &err, &off, nullptr);
  if (code != nullptr && jit) pcre2_jit_compile_8(code, PCRE2_JIT_COMPLETE);
  return code;
}

// One match data for every line.
class Pcre2LineMatcher : public LineMatcher {
 public:
  explicit Pcre2LineMatcher(pcre2_code_8* code)
      : code_(code), md_(pcre2_match_data_create_from_pattern_8(code, nullptr)) {}
  ~Pcre2LineMatcher() override { pcre2_match_data_free_8(md_); }
  Pcre2LineMatcher(const Pcre2LineMatcher&) = delete;
  Pcre2LineMatcher& operator=(const Pcre2LineMatcher&) = delete;
  bool WholeGroups(const std::string& s, std::vector<std::string>& g) override {
    return Pcre2Match8(code_, md_, s, &g);
  }

 private:
  pcre2_code_8* code_;
  pcre2_match_data_8* md_;
};

class Pcre2Compiled : public CompiledPattern {
 public:
  explicit Pcre2Compiled(pcre2_code_8* code) : code_(code) {}
  ~Pcre2Compiled() override { pcre2_code_free_8(code_); }
  Pcre2Compiled(const Pcre2Compiled&) = delete;
  Pcre2Compiled& operator=(const Pcre2Compiled&) = delete;
  bool WholeGroups(const std::string& s, std::vector<std::string>& g) override { return Pcre2Match8(code_, s, &g); }
  std::unique_ptr<LineMatcher> MakeLineMatcher() override { return std::make_unique<Pcre2LineMatcher>(code_); }

 private:
  pcre2_code_8* code_;
};

class Pcre2Engine : public Engine {
 public:
  explicit Pcre2Engine(bool jit) : jit_(jit) {}
  const char* Name() const override { return jit_ ? "PCRE2-JIT" : "PCRE2"; }

  bool WholeGroups(const std::string& p, unsigned long f, const std::string& s,
                   std::vector<std::string>& g) override {
    return Whole8(p, f, s, &g);
  }
  bool WholeGroups(const std::wstring& p, unsigned long f, const std::wstring& s,
                   std::vector<std::wstring>& g) override {
    return Whole32(p, f, s, &g);
  }
  bool Matches(const std::string& p, const std::string& s, unsigned long f) override {
    return Whole8(p, f, s, nullptr);
  }
  bool Matches(const std::wstring& p, const std::wstring& s, unsigned long f) override {
    return Whole32(p, f, s, nullptr);
  }
  std::unique_ptr<CompiledPattern> Compile(const std::string& p, unsigned long f) override {
    pcre2_code_8* code = Pcre2Compile8(p, f, jit_);
    if (code == nullptr) return nullptr;
    return std::make_unique<Pcre2Compiled>(code);
  }

 private:
  bool Whole8(const std::string& p, unsigned long f, const std::string& s, std::vector<std::string>* g) {
    pcre2_code_8* code = Pcre2Compile8(p, f, jit_);
    if (code == nullptr) return false;
    bool ok = Pcre2Match8(code, s, g);
    pcre2_code_free_8(code);
    return ok;
  }

  bool Whole32(const std::wstring& p, unsigned long f, const std::wstring& s, std::vector<std::wstring>* g) {
    int err = 0;
    PCRE2_SIZE off = 0;
    pcre2_code_32* code = pcre2_compile_32(reinterpret_cast<PCRE2_SPTR32>(p.data()), p.size(),
                                           Pcre2Options(f), &err, &off, nullptr);
    if (code == nullptr) return false;
    if (jit_) pcre2_jit_compile_32(code, PCRE2_JIT_COMPLETE);
    pcre2_match_data_32* md = pcre2_match_data_create_from_pattern_32(code, nullptr);
    bool ok = md != nullptr &&
              pcre2_match_32(code, reinterpret_cast<PCRE2_SPTR32>(s.data()), s.size(), 0, 0, md, nullptr) > 0;
    if (ok && g != nullptr) {
      uint32_t pairs = pcre2_get_ovector_count_32(md);
      uint32_t groups = 0;
      pcre2_pattern_info_32(code, PCRE2_INFO_CAPTURECOUNT, &groups);
      PCRE2_SIZE* ov = pcre2_get_ovector_pointer_32(md);
      g->clear();
      for (uint32_t i = 1; i <= groups; ++i) {
        if (i < pairs && ov[2 * i] != PCRE2_UNSET)
          g->emplace_back(s, ov[2 * i], ov[2 * i + 1] - ov[2 * i]);
        else
          g->emplace_back();
      }
    }
    pcre2_match_data_free_32(md);
    pcre2_code_free_32(code);
    return ok;
  }

  bool jit_;
};

// ---- RE2 ------------------------------------------------------------------

// RE2 reads UTF-8 only, so wide text is encoded on the way in and the groups
// decoded on the way out; that is part of what using it would cost.
std::wstring FromUtf8(const char* p, size_t n) {
  std::wstring out;
  fromUtf8(std::string(p, n), &out);
  return out;
}

std::unique_ptr<RE2> Re2Compile(const std::string& p, unsigned long f) {
  RE2::Options opts;
  opts.set_log_errors(false);
  opts.set_dot_nl((f & DOT_ALL) != 0);
  opts.set_case_sensitive((f & IGNORE_CASE) == 0);
  auto re = std::make_unique<RE2>((f & LINE_ANCHORS) ? "(?m)" + p : p, opts);
  if (!re->ok()) return nullptr;
  return re;
}

bool Re2Whole(const RE2& re, const std::string& s, std::vector<re2::StringPiece>* sub) {
  if (sub == nullptr) return re.Match(s, 0, s.size(), RE2::ANCHOR_BOTH, nullptr, 0);
  sub->resize(static_cast<size_t>(re.NumberOfCapturingGroups()) + 1);
  return re.Match(s, 0, s.size(), RE2::ANCHOR_BOTH, sub->data(), static_cast<int>(sub->size()));
}

bool Re2Groups(const RE2& re, const std::string& s, std::vector<std::string>& g,
               std::vector<re2::StringPiece>& sub) {
  if (!Re2Whole(re, s, &sub)) return false;
  g.clear();
  for (size_t i = 1; i < sub.size(); ++i)
    g.emplace_back(sub[i].data() != nullptr ? std::string(sub[i].data(), sub[i].size()) : std::string());
  return true;
}

bool Re2Groups(const RE2& re, const std::string& s, std::vector<std::string>& g) {
  std::vector<re2::StringPiece> sub;
  return Re2Groups(re, s, g, sub);
}

// One group array for every line.
class Re2LineMatcher : public LineMatcher {
 public:
  explicit Re2LineMatcher(const RE2& re) : re_(re) {}
  bool WholeGroups(const std::string& s, std::vector<std::string>& g) override { return Re2Groups(re_, s, g, sub_); }

 private:
  const RE2& re_;
  std::vector<re2::StringPiece> sub_;
};

class Re2Compiled : public CompiledPattern {
 public:
  explicit Re2Compiled(std::unique_ptr<RE2> re) : re_(std::move(re)) {}
  bool WholeGroups(const std::string& s, std::vector<std::string>& g) override { return Re2Groups(*re_, s, g); }
  std::unique_ptr<LineMatcher> MakeLineMatcher() override { return std::make_unique<Re2LineMatcher>(*re_); }

 private:
  std::unique_ptr<RE2> re_;
};

class Re2Engine : public Engine {
 public:
  const char* Name() const override { return "RE2"; }

  bool WholeGroups(const std::string& p, unsigned long f, const std::string& s,
                   std::vector<std::string>& g) override {
    std::unique_ptr<RE2> re = Re2Compile(p, f);
    return re != nullptr && Re2Groups(*re, s, g);
  }
  bool WholeGroups(const std::wstring& p, unsigned long f, const std::wstring& s,
                   std::vector<std::wstring>& g) override {
    std::string s8 = toUtf8(s);
    std::vector<re2::StringPiece> sub;
    if (!Whole(toUtf8(p), f, s8, &sub)) return false;
    g.clear();
    for (size_t i = 1; i < sub.size(); ++i)
      g.push_back(sub[i].data() != nullptr ? FromUtf8(sub[i].data(), sub[i].size()) : std::wstring());
    return true;
  }
  bool Matches(const std::string& p, const std::string& s, unsigned long f) override {
    return Whole(p, f, s, nullptr);
  }
  bool Matches(const std::wstring& p, const std::wstring& s, unsigned long f) override {
    return Whole(toUtf8(p), f, toUtf8(s), nullptr);
  }
  std::unique_ptr<CompiledPattern> Compile(const std::string& p, unsigned long f) override {
    std::unique_ptr<RE2> re = Re2Compile(p, f);
    if (re == nullptr) return nullptr;
    return std::make_unique<Re2Compiled>(std::move(re));
  }

 private:
  static bool Whole(const std::string& p, unsigned long f, const std::string& s,
                    std::vector<re2::StringPiece>* sub) {
    std::unique_ptr<RE2> re = Re2Compile(p, f);
    return re != nullptr && Re2Whole(*re, s, sub);
  }
};

}  // namespace

std::unique_ptr<Engine> MakeFwpackEngine() { return std::make_unique<FwpackEngine>(); }
std::unique_ptr<Engine> MakeStdRegexEngine() { return std::make_unique<LibEngine<StdLib>>(); }
std::unique_ptr<Engine> MakePcre2Engine(bool jit) { return std::make_unique<Pcre2Engine>(jit); }
std::unique_ptr<Engine> MakeRe2Engine() { return std::make_unique<Re2Engine>(); }
std::unique_ptr<Engine> MakeBoostEngine() { return std::make_unique<LibEngine<BoostLib>>(); }

std::vector<std::unique_ptr<Engine>> AllEngines() {
  std::vector<std::unique_ptr<Engine>> all;
  all.push_back(MakeFwpackEngine());
  all.push_back(MakeStdRegexEngine());
  all.push_back(MakePcre2Engine(false));
  all.push_back(MakePcre2Engine(true));
  all.push_back(MakeRe2Engine());
  all.push_back(MakeBoostEngine());
  return all;
}

}  // namespace bench
