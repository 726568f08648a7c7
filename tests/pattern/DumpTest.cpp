// The debug print of a compiled graph, line for line.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pattern/Pattern.h"

namespace {

std::string dumpOf(const char* text, unsigned long flags = 0) {
  std::unique_ptr<Pattern> p(Pattern::compile(text, flags));
  if (!p) return "error";
  testing::internal::CaptureStdout();
  p->dump();
  return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(PatternDump, SequenceLoopAndQuantifier) {
  EXPECT_EQ(dumpOf("a(b|c)*[xy]\\d+?"),
            "Pattern(a(b|c)*[xy]\\d+?):\n"
            "  12NFAStartNode\n"
            "  15NFASubStartNode\n"
            "  11NFACharNode(0x61)\n"
            "  24NFAGroupLoopPrologueNode(gi=1)\n"
            "  16NFAGroupLoopNode(gi=1, min=0, max=2147483647, type=greedy)\n"
            "  12NFAClassNode(2 vals, inv=false)\n"
            "  21NFALazyQuantifierNode(min=1, max=2147483647)\n"
            "    inner\n"
            "      12NFAClassNode(10 vals, inv=false)\n"
            "      13NFAAcceptNode\n"
            "  10NFAEndNode\n");
}

TEST(PatternDump, AlternationFollowsBothBranches) {
  EXPECT_EQ(dumpOf("x|y"),
            "Pattern(x|y):\n"
            "  12NFAStartNode\n"
            "  9NFAOrNode\n"
            "    one\n"
            "      15NFASubStartNode\n"
            "      11NFACharNode(0x78)\n"
            "      13NFAAcceptNode\n"
            "      13NFAAcceptNode\n"
            "      10NFAEndNode\n"
            "    two\n"
            "      15NFASubStartNode\n"
            "      11NFACharNode(0x79)\n"
            "      13NFAAcceptNode\n"
            "      13NFAAcceptNode\n"
            "      10NFAEndNode\n");
}

TEST(PatternDump, AnchorsLookAroundAndCaseInsensitiveClass) {
  EXPECT_EQ(dumpOf("(?i)[a]\\b(?<=q)(?=z)\\Z(?:\\1){2,3}+\\QaB\\E"),
            "Pattern((?i)[a]\\b(?<=q)(?=z)\\Z(?:\\1){2,3}+\\QaB\\E):\n"
            "  12NFAStartNode\n"
            "  15NFASubStartNode\n"
            "  17NFALookBehindNode(str=, pos=true)\n"
            "  19NFAWordBoundaryNode(pos=true)\n"  // the CI class prints no line
            "  17NFALookBehindNode(str=q, pos=true)\n"
            "  16NFALookAheadNode(pos=true)\n"
            "    15NFASubStartNode\n"
            "    13NFACICharNode(0x7A)\n"
            "    13NFAAcceptNode\n"
            "  17NFAEndOfInputNode(term=true)\n"
            "  24NFAGroupLoopPrologueNode(gi=-1)\n"
            "  16NFAGroupLoopNode(gi=-1, min=2, max=3, type=possessive)\n"
            "  14NFACIQuoteNode(aB)\n"
            "  10NFAEndNode\n");
}
