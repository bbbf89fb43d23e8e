// The sort key of a match line against the comparison it stands for: ten characters
// compared level after level as signed bytes, where a position just past the
// line's last byte holds its newline and any later one the byte 0. Lines are cut
// at every length, so that each position falls inside, on and past the end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calendar/match_line.h"

namespace unisci {
namespace {

struct Line {
  std::string text;
  std::ptrdiff_t number_offset;
  int year_offset;
};

// The character compared at `level` (0 to 9), read the long way.
signed char compared(const Line& line, int level) {
  static const int kIndex[10] = {10, 11, 7, 8, 4, 5, 13, 14, 16, 17};
  static const bool kAfterYear[10] = {true,  true, false, false, false,
                                      false, true, true,  true,  true};
  std::string padded = line.text + '\n' + std::string(40, '\0');
  return static_cast<signed char>(
      padded[kIndex[level] - line.number_offset + (kAfterYear[level] ? line.year_offset : 0)]);
}

Order expected(const Line& l1, const Line& l2) {
  for (int level = 0; level < 10; ++level) {
    signed char c1 = compared(l1, level);
    signed char c2 = compared(l2, level);
    if (c1 < c2) return level < 6 ? Order::EarlierDate : Order::EarlierTime;
    if (c1 > c2) return level < 6 ? Order::LaterDate : Order::LaterTime;
  }
  return Order::Tie;
}

const std::vector<Line>& sample_lines() {
  static const std::vector<Line> lines{
      {"7 14/09/2008 15:00 Roma Alfa - Beta", 2, 2},
      {"12 14/09/08 15:00 Bari Gamma - Delta", 1, 0},
      {"123 01/01/99 09:30 Siena Eta - Theta", 0, 0},
      {"1234 14/09/2008 15:00 Lecce Epsilon - Zeta", -1, 2},
      {"5 \xEC"
       "4/09/08 1\xF2:00 Forl\xEC Alfa - Beta",
       2, 0},  // bytes above 0x7F
  };
  return lines;
}

TEST(SortKey, IsTheKeyOfTheLineFollowedByItsNewlineAndZeros) {
  for (const Line& whole : sample_lines()) {
    for (std::size_t n = 0; n <= whole.text.size(); ++n) {
      std::string text = whole.text.substr(0, n);
      std::string padded = text + '\n' + std::string(40, '\0');
      SortKey key = sort_key(text, whole.number_offset, whole.year_offset);
      SortKey expected = sort_key(padded, whole.number_offset, whole.year_offset);
      EXPECT_EQ(key.date, expected.date) << '"' << text << '"';
      EXPECT_EQ(key.time, expected.time) << '"' << text << '"';
    }
  }
}

TEST(SortKey, OrdersLinesCutAtEveryLengthAsTheirCharacters) {
  for (const Line& whole1 : sample_lines()) {
    for (const Line& whole2 : sample_lines()) {
      for (std::size_t n1 = 0; n1 <= whole1.text.size(); ++n1) {
        for (std::size_t n2 = 0; n2 <= whole2.text.size(); n2 += 3) {
          Line l1{whole1.text.substr(0, n1), whole1.number_offset, whole1.year_offset};
          Line l2{whole2.text.substr(0, n2), whole2.number_offset, whole2.year_offset};
          EXPECT_EQ(compare(sort_key(l1.text, l1.number_offset, l1.year_offset),
                            sort_key(l2.text, l2.number_offset, l2.year_offset)),
                    expected(l1, l2))
              << '"' << l1.text << "\" against \"" << l2.text << '"';
        }
      }
    }
  }
}

}  // namespace
}  // namespace unisci
