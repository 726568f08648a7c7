// patprobe: runs one pattern operation from the command line and prints the
// group offsets, so the engine can be tried and timed without a program.
//
//   patprobe [--wide] [--flags N] [--text-file FILE] [--repeat N] MODE PATTERN [TEXT]
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pattern/Pattern.h"
#include "pattern/Utf8.h"

namespace {

const char kUsage[] =
    "usage: patprobe [--wide] [--flags N] [--text-file FILE] [--repeat N] MODE PATTERN [TEXT]\n"
    "  MODE: whole | find\n";

int usage(const char* why) {
  if (why) fprintf(stderr, "patprobe: %s\n", why);
  fputs(kUsage, stderr);
  return 1;
}

bool parseNumber(const char* s, unsigned long long max, unsigned long long* out) {
  if (!s || !*s || *s == '-') return false;
  char* end = nullptr;
  errno = 0;
  unsigned long long v = strtoull(s, &end, 0);
  if (errno || *end || v > max) return false;
  *out = v;
  return true;
}

template <class Ch> void printGroups(const BasicTextMatcher<Ch>& m, int groups, std::string& out) {
  char line[64];
  for (int i = 0; i < groups; ++i) {
    snprintf(line, sizeof line, "group %d %d %d\n", i, m.groupStart(i), m.groupEnd(i));
    out += line;
  }
}

// One whole run as the component makes it: compile, matcher, operation.
// Returns false when the pattern does not compile.
template <class Ch>
bool runOnce(const std::basic_string<Ch>& pattern, const std::basic_string<Ch>& text, unsigned long flags,
             bool whole, std::string& out, bool& limit) {
  out.clear();
  BasicPattern<Ch>* p = BasicPattern<Ch>::compile(pattern, flags);
  if (!p) return false;
  BasicTextMatcher<Ch>* m = p->makeMatcher(text);
  const int groups = p->getGroupCount();
  char line[64];
  snprintf(line, sizeof line, "groups %d\n", groups);
  out += line;
  limit = false;
  if (whole) {
    bool ok = m->matchesWhole();
    limit = m->limitHit();
    out += ok ? "whole true\n" : "whole false\n";
    if (ok) printGroups(*m, groups, out);
  } else {
    int count = 0;
    for (bool ok = m->findFirst(); ok; ok = m->findNext()) {
      snprintf(line, sizeof line, "match %d\n", count);
      out += line;
      printGroups(*m, groups, out);
      ++count;
    }
    limit = m->limitHit();
    snprintf(line, sizeof line, "matches %d\n", count);
    out += line;
  }
  delete m;
  delete p;
  return true;
}

template <class Ch>
int probe(const std::basic_string<Ch>& pattern, const std::basic_string<Ch>& text, unsigned long flags, bool whole,
          unsigned long long repeat, bool timed) {
  std::string out;
  bool limit = false;
  auto t0 = std::chrono::steady_clock::now();
  for (unsigned long long k = 0; k < repeat; ++k) {
    if (!runOnce(pattern, text, flags, whole, out, limit)) {
      fputs("error\n", stdout);
      return 2;
    }
  }
  auto t1 = std::chrono::steady_clock::now();
  fputs(out.c_str(), stdout);
  fflush(stdout);
  if (limit) fputs("limit hit\n", stderr);
  if (timed) {
    double ns = std::chrono::duration<double, std::nano>(t1 - t0).count() / static_cast<double>(repeat);
    fprintf(stderr, "ns_per_iter %.0f\n", ns);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool wide = false;
  unsigned long flags = 0;
  unsigned long long repeat = 1;
  bool timed = false;
  const char* textFile = nullptr;
  // Options come before MODE (or end at "--"); from MODE on every argument
  // is an operand, so a PATTERN or TEXT may itself begin with "--".
  int i = 1;
  for (; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--") {
      ++i;
      break;
    }
    if (a.compare(0, 2, "--") != 0) break;
    if (a == "--wide") {
      wide = true;
    } else if (a == "--flags" || a == "--repeat" || a == "--text-file") {
      if (i + 1 >= argc) return usage("missing value");
      const char* v = argv[++i];
      unsigned long long n = 0;
      if (a == "--text-file") textFile = v;
      else if (!parseNumber(v, a == "--flags" ? 0xFFFFFFFFull : 1000000000ull, &n)) return usage("bad number");
      else if (a == "--flags") flags = static_cast<unsigned long>(n);
      else if (n == 0) return usage("--repeat needs at least 1");
      else {
        repeat = n;
        timed = true;
      }
    } else {
      return usage("unknown option");
    }
  }
  const std::vector<std::string> args(argv + i, argv + argc);
  if (args.size() < 2 || args.size() > 3) return usage(nullptr);
  bool whole;
  if (args[0] == "whole") whole = true;
  else if (args[0] == "find") whole = false;
  else return usage("MODE must be whole or find");
  std::string text;
  if (textFile) {
    if (args.size() == 3) return usage("TEXT and --text-file both given");
    std::ifstream in(textFile, std::ios::binary);
    if (!in) return usage("cannot read the text file");
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) return usage("cannot read the text file");
  } else if (args.size() == 3) {
    text = args[2];
  }
  if (!wide) return probe<char>(args[1], text, flags, whole, repeat, timed);
  std::wstring wpattern, wtext;
  if (!fromUtf8(args[1], &wpattern) || !fromUtf8(text, &wtext)) return usage("invalid UTF-8");
  return probe<wchar_t>(wpattern, wtext, flags, whole, repeat, timed);
}
