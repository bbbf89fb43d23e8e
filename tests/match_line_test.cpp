// The rules of a single match line: recognising it, its number offset, the
// characters it is compared on, and how it is written with a two-digit year.
#include "calendar/match_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calendar/places.h"

namespace unisci::testing {
namespace {

TEST(MatchLine, BeginsWithADigitThenADigitOrASpace) {
  struct Case {
    std::string line;
    bool match;
  };
  const std::vector<Case> cases{
      {"3 07/09/08 15:00 Roma Alfa - Beta", true},
      {"35", true},
      {"0 ", true},
      {"99 Giornata", true},
      {"2a giornata", false},
      {"2", false},  // the second character is the newline
      {" 3 07/09/08", false},
      {"", false},
      {"Giornata 1", false},
      {"/1", false},  // the characters on either side of the digits
      {":1", false},
      {"1/", false},
      {"1:", false},
      {"1\t", false},
      {"1\r", false},
      {"\xB9 ", false},
  };
  for (const Case& c : cases) EXPECT_EQ(is_match_line(c.line), c.match) << '"' << c.line << '"';
}

TEST(MatchLine, NumberOffset) {
  struct Case {
    std::string line;
    std::ptrdiff_t expected;
  };
  constexpr std::ptrdiff_t kPrevious = 5;
  const std::vector<Case> cases{
      {"1 07/09/08 15:00", 2},
      {"12 07/09/08 15:00", 1},
      {"123 07/09/08 15:00", 0},
      {"1234 07/09/08 15:00", -1},
      {"12345 07/09/08 15:00", -2},
      {"1 ", 2},
      {"12 ", 1},
      // A space at index 3 is looked for first, then at 2, then at 1.
      {"1 2 3", 0},
      {"1  x", 1},
      // No space where a match number of any width would end: keep the previous.
      {"07/09/08 15:00", kPrevious},
      {"12ab 07/09/08", kPrevious},
      {"1234x 07/09/08", kPrevious},
      {"1234", kPrevious},
      {"12345678", kPrevious},
      {"12", kPrevious},
      {"", kPrevious},
  };
  for (const Case& c : cases)
    EXPECT_EQ(number_offset(c.line, kPrevious), c.expected) << '"' << c.line << '"';
}

TEST(MatchLine, KeyCharIsTheOwnByteThenNewlineThenZero) {
  const std::string line = "ab\xE8";
  EXPECT_EQ(key_char(line, 0), 'a');
  EXPECT_EQ(key_char(line, 2), static_cast<signed char>(-24));
  EXPECT_EQ(key_char(line, 3), '\n');
  EXPECT_EQ(key_char(line, 4), '\0');
  EXPECT_EQ(key_char(line, 1000), '\0');
  EXPECT_EQ(key_char("", 0), '\n');
  EXPECT_EQ(key_char("", 1), '\0');
}

// Compares two lines as the merge does: each with its own number offset and
// its calendar's year offset.
Order compare_lines(const std::string& line1, int year_offset1, const std::string& line2,
                    int year_offset2) {
  return compare(sort_key(line1, number_offset(line1, 0), year_offset1),
                 sort_key(line2, number_offset(line2, 0), year_offset2));
}

TEST(MatchLine, OrderByDateThenTime) {
  struct Case {
    const char* name;
    std::string line1;
    int year_offset1;
    std::string line2;
    int year_offset2;
    Order expected;
  };
  const std::string base = "1 15/06/08 15:30 Roma Alfa - Beta";
  const std::vector<Case> cases{
      {"same date and time", base, 0, "22 15/06/08 15:30 Bari Gamma - Delta", 0, Order::Tie},
      {"year tens", "1 15/06/08 15:30 R", 0, "1 15/06/18 15:30 R", 0, Order::EarlierDate},
      {"year units", "1 15/06/09 15:30 R", 0, base, 0, Order::LaterDate},
      {"month tens", "1 15/06/08 15:30 R", 0, "1 15/10/08 15:30 R", 0, Order::EarlierDate},
      {"month units", "1 15/07/08 15:30 R", 0, base, 0, Order::LaterDate},
      {"day tens", "1 05/06/08 15:30 R", 0, base, 0, Order::EarlierDate},
      {"day units", "1 16/06/08 15:30 R", 0, base, 0, Order::LaterDate},
      {"hour tens", "1 15/06/08 05:30 R", 0, base, 0, Order::EarlierTime},
      {"hour units", "1 15/06/08 16:30 R", 0, base, 0, Order::LaterTime},
      {"minute tens", "1 15/06/08 15:00 R", 0, base, 0, Order::EarlierTime},
      {"minute units", "1 15/06/08 15:31 R", 0, base, 0, Order::LaterTime},
      {"year before month", "1 01/12/08 15:30 R", 0, "1 31/01/09 00:00 R", 0, Order::EarlierDate},
      {"month before day", "1 31/05/08 23:59 R", 0, "1 01/06/08 00:00 R", 0, Order::EarlierDate},
      {"day before time", "1 14/06/08 23:59 R", 0, base, 0, Order::EarlierDate},
      {"00 before 99", "1 01/01/99 10:00 R", 0, "1 01/01/00 10:00 R", 0, Order::LaterDate},
      {"only the last two year digits", "1 01/01/1999 10:00 R", 2, "1 01/01/2000 10:00 R", 2,
       Order::LaterDate},
      {"width 4 against width 2", "1 01/02/2009 12:00 R", 2, "1 31/12/08 12:00 R", 0,
       Order::LaterDate},
      {"width 4 tie with width 2", "7 14/09/2008 15:00 Roma", 2, "7 14/09/08 15:00 Bari", 0,
       Order::Tie},
      {"number widths 3 and 1", "123 05/03/08 20:30 R", 0, "1 05/03/08 15:00 R", 0,
       Order::LaterTime},
      {"number widths 4 and 2", "1000 05/03/2008 14:00 R", 2, "12 05/03/08 15:00 R", 0,
       Order::EarlierTime},
      {"separators are not compared", "1 15-06-08.15h30 R", 0, base, 0, Order::Tie},
      // Compared as signed bytes: 0x80 and above come before every digit.
      {"byte 0xE8 before a digit",
       "1 \xE8"
       "5/06/08 15:30 R",
       0, base, 0, Order::EarlierDate},
      {"byte 0x80 before 0x7F",
       "1 15/06/08 \x80"
       "5:30 R",
       0,
       "1 15/06/08 \x7F"
       "5:30 R",
       0, Order::EarlierTime},
      {"byte 0xFF before a newline", "1 15/06/08 15:3\xFF", 0, "1 15/06/08 15:3", 0,
       Order::EarlierTime},
      // A short line compares its newline, then zero bytes, past its end.
      {"line without a time", "1 15/06/08", 0, base, 0, Order::EarlierTime},
      {"zero past the newline", "1 15/06/08", 0, "1 15/06/08 ", 0, Order::EarlierTime},
      {"newline before a digit", "1 15/06/0", 0, base, 0, Order::EarlierDate},
      {"two short lines tie", "1 15/06/08", 0, "2 15/06/08", 0, Order::Tie},
      {"heading with two digits", "10 Giornata", 0, base, 0, Order::LaterDate},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(compare_lines(c.line1, c.year_offset1, c.line2, c.year_offset2), c.expected);
  }
}

// A line is written without its century only for width 4, and tells the
// width its date shows whatever the width given.
TEST(MatchLine, YearWidth) {
  struct Case {
    std::string line;
    int year_digits;
    std::string written;
    int shown;
  };
  const std::vector<Case> cases{
      {"7 14/09/2008 15:00 Roma Alfa - Beta", 4, "7 14/09/08 15:00 Roma Alfa - Beta\n", 4},
      {"12 14/09/2008 15:00 Roma", 4, "12 14/09/08 15:00 Roma\n", 4},
      {"123 14/09/2008 15:00 Roma", 4, "123 14/09/08 15:00 Roma\n", 4},
      {"1234 14/09/2008 15:00 Roma", 4, "1234 14/09/08 15:00 Roma\n", 4},
      {"12345 14/09/2008 15:00 Roma", 4, "12345 14/09/08 15:00 Roma\n", 4},
      {"7 14/09/2008 15:00 Roma", 2, "7 14/09/2008 15:00 Roma\n", 4},
      {"1234 14/09/2008 15:00 Roma", 2, "1234 14/09/2008 15:00 Roma\n", 4},
      {"7 14/09/08 15:00 Roma", 2, "7 14/09/08 15:00 Roma\n", 2},
      {"7 14/09/08 15:00 Roma", 4, "7 14/09/ 15:00 Roma\n", 2},
      {"7 14/09/081", 2, "7 14/09/081\n", 2},
      // Short lines: only the century digits that stand in the line go.
      {"7 14/09/2008", 4, "7 14/09/08\n", 4},
      {"7 14/09/20", 4, "7 14/09/\n", 4},
      {"7 14/09/2", 4, "7 14/09/\n", 4},
      {"7 14/09/", 4, "7 14/09/\n", 4},
      {"7 ", 4, "7 \n", 4},
      {"10 Giornata", 4, "10 Giorna\n", 4},
      {"10 Giornata di campionato", 4, "10 Giorna di campionato\n", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << '"' << c.line << "\" width " << c.year_digits);
    MatchLine line(c.line, {number_offset(c.line, 0), c.year_digits});
    WrittenPieces written = line.written();
    EXPECT_EQ(std::string(written.head).append(written.tail) + '\n', c.written);
    EXPECT_EQ(line.year_digits_shown(), c.shown);
  }
}

// The place and the match of a line, by the away teams of the calendars.
TEST(MatchLine, PlaceAndMatchFoundByTheTeams) {
  KnownTeams teams;
  for (const char* line :
       {"1 05/10/24 18:00 Imola Imola Basket - Virtus San Lazzaro",
        "2 12/10/24 18:00 Cant\xF9 Cant\xF9 - San Lazzaro  ", "3 19/10/24 Forl\xEC",
        "4 19/10/24 18:00 Forl\xEC Forl\xEC - Citt\xE0 di Castello Basket",
        "5 26/10/24 18:00 Rimini Rimini - Imola Basket",
        "6 02/11/24 18:00 Imola Basket - Citt\xC3\xA0 di Castello Basket"})
    teams.add(line);
  EXPECT_EQ(teams.size(), 4U);  // one team in Windows-1252 and in UTF-8
  const std::vector<std::vector<std::string>> cases{
      // line, place, match
      {"7 09/11/24 15:30 San Lazzaro Virtus San Lazzaro - Imola", "San Lazzaro",
       "Virtus San Lazzaro - Imola"},
      {"8 09/11/24 15:30 Citt\xC3\xA0 di Castello Citt\xC3\xA0 di Castello Basket - Forl\xC3\xAC",
       "Citt\xC3\xA0 di Castello", "Citt\xC3\xA0 di Castello Basket - Forl\xC3\xAC"},
      {"9 09/11/24 15:30 Imola PalaRuggi Imola Basket - Cant\xC3\xB9", "Imola PalaRuggi",
       "Imola Basket - Cant\xC3\xB9"},
      {"4 26/10/24 15:30 Imola Basket - Citt\xC3\xA0 di Castello", "",
       "Imola Basket - Citt\xC3\xA0 di Castello"},
      {"4 26/10/24 15:30 Imola  PalaRuggi  Imola Basket  - Forl\xC3\xAC", "Imola  PalaRuggi",
       "Imola Basket  - Forl\xC3\xAC"},
      {"12 26/10/24 15:30  Imola Basket - Forl\xC3\xAC", "", "Imola Basket - Forl\xC3\xAC"},
      // No known team: the first word, as the column rule cuts it.
      {"1 07/09/08 15:00 Roma Alfa - Beta", "Roma", "Alfa - Beta"},
      {"1 07/09/08 15:00 Imola imola basket - Beta", "Imola", "imola basket - Beta"},
      {"1 07/09/08 15:00 San Lazzaro Virtus San Lazzaro", "San", "Lazzaro Virtus San Lazzaro"},
      {"1 07/09/08 15:00 Roma", "Roma", ""},
      {"1 07/09/08 15:00", "", ""},
      {"1 07/09/08 15:00  - Imola Basket", "", "- Imola Basket"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    PlaceAndMatch found = place_and_match(text_after_time(c[0]), &teams);
    EXPECT_EQ(found.place, c[1]);
    EXPECT_EQ(found.match, c[2]);
  }
  PlaceAndMatch first_word = place_and_match(text_after_time(cases[0][0]), nullptr);
  EXPECT_EQ(first_word.place, "San");
  EXPECT_EQ(first_word.match, "Lazzaro Virtus San Lazzaro - Imola");
}

}  // namespace
}  // namespace unisci::testing
