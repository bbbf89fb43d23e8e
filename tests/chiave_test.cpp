// The key of a match line against the comparison it stands for: ten characters
// compared level after level as signed bytes, where a position just past the
// line's last byte holds its newline and any later one the byte 0. Lines are cut
// at every length, so that each position falls inside, on and past the end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calendar/calendario.h"

namespace unisci {
namespace {

struct Line {
  std::string riga;
  std::ptrdiff_t o;  // number offset
  int a;             // year offset
};

// The character compared at `level` (0 to 9), read the long way.
signed char compared(const Line& line, int level) {
  static const int kIndex[10] = {10, 11, 7, 8, 4, 5, 13, 14, 16, 17};
  static const bool kAfterYear[10] = {true,  true, false, false, false,
                                      false, true, true,  true,  true};
  std::string padded = line.riga + '\n' + std::string(40, '\0');
  return static_cast<signed char>(
      padded[kIndex[level] - line.o + (kAfterYear[level] ? line.a : 0)]);
}

Ordine expected(const Line& l1, const Line& l2) {
  for (int level = 0; level < 10; ++level) {
    signed char c1 = compared(l1, level);
    signed char c2 = compared(l2, level);
    if (c1 < c2) return level < 6 ? Ordine::PrimaPerData : Ordine::PrimaPerOra;
    if (c1 > c2) return level < 6 ? Ordine::DopoPerData : Ordine::DopoPerOra;
  }
  return Ordine::Pari;
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

TEST(Chiave, IsTheKeyOfTheLineFollowedByItsNewlineAndZeros) {
  for (const Line& whole : sample_lines()) {
    for (std::size_t n = 0; n <= whole.riga.size(); ++n) {
      std::string riga = whole.riga.substr(0, n);
      std::string padded = riga + '\n' + std::string(40, '\0');
      Chiave k = chiave(riga, whole.o, whole.a);
      Chiave expected = chiave(padded, whole.o, whole.a);
      EXPECT_EQ(k.data, expected.data) << '"' << riga << '"';
      EXPECT_EQ(k.ora, expected.ora) << '"' << riga << '"';
    }
  }
}

TEST(Chiave, OrdersLinesCutAtEveryLengthAsTheirCharacters) {
  for (const Line& whole1 : sample_lines()) {
    for (const Line& whole2 : sample_lines()) {
      for (std::size_t n1 = 0; n1 <= whole1.riga.size(); ++n1) {
        for (std::size_t n2 = 0; n2 <= whole2.riga.size(); n2 += 3) {
          Line l1{whole1.riga.substr(0, n1), whole1.o, whole1.a};
          Line l2{whole2.riga.substr(0, n2), whole2.o, whole2.a};
          EXPECT_EQ(confronta(chiave(l1.riga, l1.o, l1.a), chiave(l2.riga, l2.o, l2.a)),
                    expected(l1, l2))
              << '"' << l1.riga << "\" against \"" << l2.riga << '"';
        }
      }
    }
  }
}

}  // namespace
}  // namespace unisci
