#include "platform/drives/collation.h"

#include <gtest/gtest.h>

namespace gliffo::drives {
namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

TEST(NameCollation, IgnoresLetterCaseAndPutsLowerBeforeUpperOnlyByLetter) {
  EXPECT_LT(CompareNamesIgnoreCase("b.bmp", "C.bmp"), 0);
  EXPECT_GT(CompareNamesIgnoreCase("C.bmp", "b.bmp"), 0);
  EXPECT_EQ(CompareNamesIgnoreCase("Arrow.BMP", "arrow.bmp"), 0);
  EXPECT_LT(CompareNamesIgnoreCase("a", "ab"), 0);
  EXPECT_EQ(CompareNamesIgnoreCase("", ""), 0);
}

TEST(NameCollation, KeysOrderLikeTheComparison) {
  const char* names[] = {"b.bmp", "C.bmp", "a", "A", "zeta", "_x", "10", "9", "\xc3\xa9t\xc3\xa9", "e", "\xff"};
  for (const char* a : names) {
    for (const char* b : names) {
      int byKey = NameSortKey(a) < NameSortKey(b) ? -1 : (NameSortKey(b) < NameSortKey(a) ? 1 : 0);
      EXPECT_EQ(byKey, Sign(CompareNamesIgnoreCase(a, b))) << a << " vs " << b;
    }
  }
}

TEST(NameCollation, InvalidBytesStayDistinctAndOrdered) {
  EXPECT_NE(CompareNamesIgnoreCase("a\xfe", "a\xff"), 0);
  EXPECT_EQ(Sign(CompareNamesIgnoreCase("a\xfe", "a\xff")), -Sign(CompareNamesIgnoreCase("a\xff", "a\xfe")));
  // A truncated multi-byte sequence must not swallow the bytes after it.
  EXPECT_NE(CompareNamesIgnoreCase("\xc3" "a", "\xc3" "b"), 0);
}

TEST(NameCollation, SortKeepsTheFirstOfEqualNamesFirst) {
  std::vector<std::string> names{"Zeta", "b.bmp", "C.bmp", "B.BMP", "a"};
  SortNamesIgnoreCase(names);
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b.bmp", "B.BMP", "C.bmp", "Zeta"}));
}

}  // namespace
}  // namespace gliffo::drives
