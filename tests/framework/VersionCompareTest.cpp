// SplitVersion and CompareVersions on tables of versions.
#include "TestSupport.h"

namespace {

TEST(SplitVersion, FieldsAndSeparators) {
  using V = std::vector<std::wstring>;
  EXPECT_EQ(SplitVersion(L"4.02.01", L'.'), (V{L"4", L"02", L"01"}));
  EXPECT_EQ(SplitVersion(L"1..2", L'.'), (V{L"1", L"", L"2"}));
  EXPECT_EQ(SplitVersion(L".1", L'.'), (V{L"", L"1"}));
  EXPECT_EQ(SplitVersion(L"1.2.", L'.'), (V{L"1", L"2"}));
  EXPECT_EQ(SplitVersion(L"..", L'.'), (V{L"", L""}));
  EXPECT_EQ(SplitVersion(L"", L'.'), V{});
  EXPECT_EQ(SplitVersion(L"2.10a6", L'.'), (V{L"2", L"10a6"}));
}

TEST(CompareVersions, Cases) {
  struct Case {
    std::wstring a, b;
    int expected;
  };
  const Case cases[] = {
      {L"1.10", L"1.9", 1},
      {L"1.9", L"1.10", -1},
      {L"1.02", L"1.2", 0},
      {L"4.02.01", L"4.02.01", 0},
      {L"1.2", L"1.2.0", -1},
      {L"1.2.0", L"1.2", 1},
      {L"1.2.", L"1.2", 0},
      {L"1..2", L"1.0.2", -1},
      {L"2.10a6", L"2.10a5", 1},
      {L"10", L"9a", -1},  // not both numeric: '1' against '9'
      {L"1.A", L"1.a", -1},
      {L"1.b", L"1.B", 1},
      {L"", L"", 0},
      {L"", L"1", -1},
      {L"1", L"", 1},
      {L"1.x", L"1.x2", -1},
      {L"1.+5", L"1.5", -1},   // a sign makes the field text
      {L"1. 5", L"1.5", -1},
      // Fields of any length compare by value.
      {L"1.99999999999", L"1.4294967296", 1},
      {L"1.4294967296", L"1.4294967297", -1},
      {L"1.2147483648", L"1.2147483647", 1},
      {L"1.000000000000000000007", L"1.7", 0},
      {L"1.00000000000000000000", L"1.0", 0},
      {L"123456789012345678901234567890", L"123456789012345678901234567891", -1},
  };
  fwtest::TempDir dir;
  fwtest::ScriptedComponent component(dir / "Component.log");
  for (const Case& c : cases) {
    EXPECT_EQ(component.CompareVersions(c.a, c.b), c.expected)
        << std::string(c.a.begin(), c.a.end()) << " vs " << std::string(c.b.begin(), c.b.end());
  }
}

}  // namespace
