#include "present/table_copy.h"

#include <gtest/gtest.h>

using present::copyText;
using present::splitPasteText;

namespace {
const std::vector<std::vector<std::string>> kTwoByThree = {{"a", "b", "c"}, {"d", "e", "f"}};

std::vector<std::pair<int, int>> allCells(int rows, int cols) {
  std::vector<std::pair<int, int>> v;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) v.push_back({r, c});
  return v;
}
}  // namespace

TEST(TableCopy, TwoRowsByThreeColumnsGiveTabsAndCrLfOnlyBetween) {
  EXPECT_EQ(copyText(kTwoByThree, allCells(2, 3)), "a\tb\tc\r\nd\te\tf");
}

TEST(TableCopy, SingleCellIsJustItsText) {
  EXPECT_EQ(copyText(kTwoByThree, {{1, 1}}), "e");
  EXPECT_EQ(copyText({{"距离m"}}, {{0, 0}}), "距离m");
}

TEST(TableCopy, NothingSelectedGivesNothing) { EXPECT_EQ(copyText(kTwoByThree, {}), ""); }

TEST(TableCopy, UnselectedCellsInsideTheBoundingRectangleAreEmptyFields) {
  // a . c
  // . e .
  EXPECT_EQ(copyText(kTwoByThree, {{0, 0}, {0, 2}, {1, 1}}), "a\t\tc\r\n\te\t");
  // Only the two corners: the rectangle still spans all three columns.
  EXPECT_EQ(copyText(kTwoByThree, {{0, 0}, {1, 2}}), "a\t\t\r\n\t\tf");
}

TEST(TableCopy, HiddenColumnGivesOneFieldFewerAndNoExtraTab) {
  EXPECT_EQ(copyText(kTwoByThree, allCells(2, 3), {}, {1}), "a\tc\r\nd\tf");
  EXPECT_EQ(copyText(kTwoByThree, allCells(2, 3), {}, {0}), "b\tc\r\ne\tf");
}

// A hidden last column or row used to leave a TAB or CR LF dangling at the end.
TEST(TableCopy, HiddenLastColumnOrRowLeavesNoTrailingSeparator) {
  EXPECT_EQ(copyText(kTwoByThree, allCells(2, 3), {}, {2}), "a\tb\r\nd\te");
  EXPECT_EQ(copyText(kTwoByThree, allCells(2, 3), {1}, {}), "a\tb\tc");
  EXPECT_EQ(copyText(kTwoByThree, allCells(2, 3), {0}, {}), "d\te\tf");
}

TEST(TableCopy, EveryRowAndColumnHiddenGivesNothing) {
  EXPECT_EQ(copyText(kTwoByThree, allCells(2, 3), {0, 1}, {}), "");
}

TEST(PasteText, SplitsLinesAtLfAndFieldsAtTabOrCommaAndTrims) {
  const auto rows = splitPasteText(" 1\t2 ,3\r\n4,5\t 6 \r\n");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"4", "5", "6"}));
}

TEST(PasteText, KeepsEmptyFieldsAndEmptyLinesInPlace) {
  const auto rows = splitPasteText("a\t\tc\n\nx");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"a", "", "c"}));
  EXPECT_TRUE(rows[1].empty());
  EXPECT_EQ(rows[2], (std::vector<std::string>{"x"}));
}

TEST(PasteText, CopyTextPastesBackToTheSameCells) {
  std::vector<std::vector<std::string>> back;
  for (const auto& row : splitPasteText(copyText(kTwoByThree, allCells(2, 3)))) back.push_back(row);
  EXPECT_EQ(back, kTwoByThree);
}
