// Command capture (RunCommand, RunShell, ShellQuote) and the text
// conversions Widen, WidenBytes and NarrowBytes.
#include <sys/resource.h>

#include <string>

#include "framework/Text.h"
#include "TestSupport.h"

namespace {

TEST(RunCommand, ReturnsWholeOutputAcrossLongLines) {
  std::string long_line(300, 'x');
  std::string output = RunCommand("printf '%s\\nsecond\\nlast' " + long_line);
  EXPECT_EQ(output, long_line + "\nsecond\nlast");
}

// A NUL byte in tool output must not swallow the rest of its line and its
// line end, which would run the next line into it.
TEST(RunCommand, KeepsNulBytesAndTheLineEndAfterThem) {
  const char expected[] = "Flash Image : 2.10\0\377 x\nPort Name : 21\n";
  EXPECT_EQ(RunCommand("printf 'Flash Image : 2.10\\000\\377 x\\nPort Name : 21\\n'"),
            std::string(expected, sizeof expected - 1));
}

TEST(RunCommand, EmptyOutputAndNoStandardError) {
  EXPECT_EQ(RunCommand("true"), "");
  EXPECT_EQ(RunCommand("echo hidden 1>&2"), "");
  // A missing program still starts a shell: its output is empty, not "ERROR".
  EXPECT_EQ(RunCommand("./no-such-program-here 2>/dev/null"), "");
}

TEST(RunCommand, PipeThatCannotBeStartedGivesError) {
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  struct rlimit tight = saved;
  tight.rlim_cur = 3;  // no descriptor left for the pipe
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
  std::string output = RunCommand("echo unreachable");
  setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(output, "ERROR");
}

TEST(RunShell, MapsTheStatusWord) {
  EXPECT_EQ(RunShell("true"), 0);
  EXPECT_EQ(RunShell("exit 5"), 5);
  EXPECT_EQ(RunShell("exit 255"), 255);
  // The shell itself killed by a signal must never read as success.
  EXPECT_EQ(RunShell("kill -TERM $$"), 128 + 15);
  EXPECT_EQ(RunShell("kill -KILL $$"), 128 + 9);
}

TEST(ShellQuote, PlainTextUnchangedOtherTextSurvivesTheShell) {
  EXPECT_EQ(ShellQuote("/var/qmx/Component.log"), "/var/qmx/Component.log");
  for (const std::string text : {"a b", "it's", "$(echo no)", "semi;colon", "", "back\\slash"}) {
    EXPECT_EQ(RunCommand("printf %s " + ShellQuote(text)), text) << text;
  }
}

TEST(Widen, DecodesInTheCLocaleAndStopsAtAnUnconvertibleByte) {
  EXPECT_EQ(Widen(""), L"");
  EXPECT_EQ(Widen(static_cast<const char*>(nullptr)), L"");
  EXPECT_EQ(Widen("QLE2562 4.02.01\n"), L"QLE2562 4.02.01\n");
  EXPECT_EQ(Widen("ab\xC3\xA9" "cd"), L"ab");
  EXPECT_EQ(Widen(std::string("ab\0cd", 5)), L"ab");
}

TEST(WidenBytes, OneSignedCharacterPerByte) {
  EXPECT_EQ(WidenBytes(std::string("upgrade")), L"upgrade");
  std::wstring wide = WidenBytes(std::string("\xC3\xA9\0z", 4));
  ASSERT_EQ(wide.size(), 4u);
  EXPECT_EQ(wide[0], static_cast<wchar_t>(-61));
  EXPECT_EQ(wide[1], static_cast<wchar_t>(-87));
  EXPECT_EQ(wide[2], L'\0');
  EXPECT_EQ(wide[3], L'z');
}

TEST(NarrowBytes, KeepsTheLowEightBitsAndInvertsWidenBytes) {
  EXPECT_EQ(NarrowBytes(std::wstring(1, static_cast<wchar_t>(0x141))), "A");
  EXPECT_EQ(NarrowBytes(std::wstring(1, static_cast<wchar_t>(-1))), "\xFF");
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(NarrowBytes(WidenBytes(all)), all);
}

}  // namespace
