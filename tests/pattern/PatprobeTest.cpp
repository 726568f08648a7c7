// patprobe as a program: its output lines, exit codes and options.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "components/qlogic/QLogicPatterns.h"
#include "tests/common/RunProgram.h"

#ifndef PATPROBE_PATH
#error "PATPROBE_PATH must name the patprobe executable"
#endif

namespace {

using Result = fwtest::ProgramRun;

// args are read by the shell as written, so they are quoted there.
Result probe(const std::string& args) {
  return fwtest::RunProgram("/bin/sh", {"-c", std::string(PATPROBE_PATH) + " " + args});
}

}  // namespace

TEST(Patprobe, WholeMatchPrintsGroupOffsets) {
  Result r = probe("--flags 4 whole '" + std::string(QLogicComp::kPortNameLinePattern) + "' 'Port Name : 21-00-00'");
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.out, "groups 2\nwhole true\ngroup 0 0 20\ngroup 1 12 20\n");
  EXPECT_EQ(r.err, "");

  r = probe("whole '(a)|b' b");
  EXPECT_EQ(r.out, "groups 2\nwhole true\ngroup 0 0 1\ngroup 1 -1 -1\n");
  r = probe("whole 'a' b");
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.out, "groups 1\nwhole false\n");
  r = probe("whole ''");  // TEXT may be left out: the empty text
  EXPECT_EQ(r.out, "groups 1\nwhole true\ngroup 0 0 0\n");
}

TEST(Patprobe, FindListsEveryMatch) {
  Result r = probe("find 'x*' ab");
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.out, "groups 1\nmatch 0\ngroup 0 0 0\nmatch 1\ngroup 0 1 1\nmatches 2\n");
  r = probe("find '(\\d)' a1b2");
  EXPECT_EQ(r.out, "groups 2\nmatch 0\ngroup 0 1 2\ngroup 1 1 2\nmatch 1\ngroup 0 3 4\ngroup 1 3 4\nmatches 2\n");
  r = probe("find z abc");
  EXPECT_EQ(r.out, "groups 1\nmatches 0\n");
}

TEST(Patprobe, SyntaxErrorAndUsage) {
  Result r = probe("whole 'a**' a");
  EXPECT_EQ(r.rc, 2);
  EXPECT_EQ(r.out, "error\n");
  EXPECT_EQ(r.err, "a**\n  ^\nSyntax Error near here. Possible unescaped meta character.\n");

  for (const char* bad : {"", "whole", "match a a", "--flags whole a a", "--flags x whole a a",
                          "--repeat 0 whole a a", "--bogus whole a a", "whole a a extra",
                          "--text-file /nonexistent/file whole a"}) {
    SCOPED_TRACE(bad);
    r = probe(bad);
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.out, "");
  }
}

// Options are read before MODE only: from MODE on, an argument that begins
// with "--" is a PATTERN or TEXT like any other.
TEST(Patprobe, OperandsMayBeginWithDashes) {
  struct Case {
    const char* args;
    int rc;
    const char* out;
  };
  const Case cases[] = {
      {"find - ---a", 0, "groups 1\nmatch 0\ngroup 0 0 1\nmatch 1\ngroup 0 1 2\nmatch 2\ngroup 0 2 3\nmatches 3\n"},
      {"whole --wide --wide", 0, "groups 1\nwhole true\ngroup 0 0 6\n"},  // narrow: the pattern and the text
      {"--flags 1 whole -- --X", 0, "groups 1\nwhole false\n"},
      {"--flags 1 whole '--x' --X", 0, "groups 1\nwhole true\ngroup 0 0 3\n"},
      {"-- whole a a", 0, "groups 1\nwhole true\ngroup 0 0 1\n"},  // "--" before MODE still ends the options
      {"whole a a --flags", 1, ""},                                 // one operand too many, not an option
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    Result r = probe(c.args);
    EXPECT_EQ(r.rc, c.rc);
    EXPECT_EQ(r.out, c.out);
    if (c.rc == 0) {
      EXPECT_EQ(r.err, "");
    }
  }
}

TEST(Patprobe, WideCountsCharacters) {
  Result r = probe("--wide whole '(\\w+)\\W(.)' 'ab\xc3\xa9\xe4\xb8\x80'");
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.out, "groups 3\nwhole true\ngroup 0 0 4\ngroup 1 0 2\ngroup 2 3 4\n");
  r = probe("--wide whole '\\d' '\xd9\xa3'");  // U+0663 is not \d
  EXPECT_EQ(r.out, "groups 1\nwhole false\n");
  r = probe("--wide whole a '\xff'");  // not UTF-8
  EXPECT_EQ(r.rc, 1);
}

TEST(Patprobe, TextFileAndRepeat) {
  std::string file = testing::TempDir() + "patprobe_text_" + std::to_string(getpid());
  {
    std::ofstream out(file, std::ios::binary);
    out << "HBA Instance : 3\nsecond line";
  }
  const std::string instanceLine = "'" + std::string(QLogicComp::kInstanceLinePattern) + "'";
  Result r = probe("--flags 4 --text-file " + file + " whole " + instanceLine);
  EXPECT_EQ(r.out, "groups 2\nwhole true\ngroup 0 0 28\ngroup 1 15 28\n");
  r = probe("--repeat 50 --flags 4 --text-file " + file + " whole " + instanceLine);
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.out, "groups 2\nwhole true\ngroup 0 0 28\ngroup 1 15 28\n");  // printed once
  EXPECT_EQ(r.err.rfind("ns_per_iter ", 0), 0u) << r.err;
  r = probe("--repeat 1 whole a a");
  EXPECT_EQ(r.out, "groups 1\nwhole true\ngroup 0 0 1\n");
  EXPECT_EQ(r.err.rfind("ns_per_iter ", 0), 0u) << r.err;
  std::remove(file.c_str());
}

TEST(Patprobe, LimitIsNamedOnStderr) {
  Result r = probe("whole '(a+)+b' aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa");
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.out, "groups 2\nwhole false\n");
  EXPECT_EQ(r.err, "limit hit\n");
}
