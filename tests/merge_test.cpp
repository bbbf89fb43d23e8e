// The merge of two calendars and the drain of the one left over, in memory.
#include "calendar/merge.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "calendar/clashes.h"
#include "export/merged_text.h"
#include "testing/memory_files.h"
#include "testing/sample_calendars.h"

namespace unisci::testing {
namespace {

struct Merged {
  std::string text;
  std::int64_t count = 0;
};

// Merges two calendar texts. `size` is the block of every reader and writer
// and the chunk of every read, so that small sizes cut lines everywhere.
// `offset1` and `offset2` are the number offsets the calendars start with and
// end with.
Merged merge_texts(const std::string& text1, int year_digits1, const std::string& text2,
                   int year_digits2, std::ptrdiff_t& offset1, std::ptrdiff_t& offset2,
                   std::size_t size = LineReader::kBlock) {
  StringSource source1(text1, size);
  StringSource source2(text2, size);
  Merged merged;
  StringSink sink(merged.text);
  TextWriter out(sink, size);
  MergedTextFile merged_text(out);
  InputCalendar calendar1(source1, {0, year_digits1, offset1, {}, {}}, size);
  InputCalendar calendar2(source2, {1, year_digits2, offset2, {}, {}}, size);
  merged.count = merge(calendar1, calendar2, merged_text);
  offset1 = calendar1.number_offset();
  offset2 = calendar2.number_offset();
  merged_text.close();
  return merged;
}

Merged merge_texts(const std::string& text1, int year_digits1, const std::string& text2,
                   int year_digits2, std::size_t size = LineReader::kBlock) {
  std::ptrdiff_t offset1 = 0;
  std::ptrdiff_t offset2 = 0;
  return merge_texts(text1, year_digits1, text2, year_digits2, offset1, offset2, size);
}

TEST(Merge, WorkedExample) {
  for (std::size_t size : {1U, 2U, 3U, 5U, 256U * 1024U}) {
    Merged merged = merge_texts(kExample1, 2, kExample2, 4, size);
    EXPECT_EQ(merged.text, kExampleMerged) << "size " << size;
    EXPECT_EQ(merged.count, 4) << "size " << size;
  }
}

// Each line handed out, in order, with where it came from: calendar, line
// number and the line as read; "-" for an empty line.
class OriginsSink : public LineSink {
 public:
  std::vector<std::string> origins;
  void match_line(const MergedLine& line) override {
    origins.push_back(std::to_string(line.origin.calendar) + ":" +
                      std::to_string(line.origin.line_number) + ":" +
                      std::string(line.origin.as_read));
  }
  void empty_line() override { origins.emplace_back("-"); }
  void close() override { origins.emplace_back("closed"); }
};

// The worked example, then the same with a third calendar merged in one pass
// after it: each line once, with its own origin, the last one drained.
TEST(Merge, EachLineHandedOnceWithItsOrigin) {
  const std::string kThird = "Giornata 9\n7 08/09/08 10:00 Lodi X\n";
  for (bool third : {false, true}) {
    StringSource source1(kExample1);
    StringSource source2(kExample2);
    StringSource source3(kThird);
    OriginsSink sink;
    InputCalendar calendar1(source1, {0, 2, 0, {}, {}});
    InputCalendar calendar2(source2, {1, 4, 0, {}, {}});
    InputCalendar calendar3(source3, {2, 2, 0, {}, {}});
    std::vector<InputCalendar*> calendars{&calendar1, &calendar2};
    if (third) calendars.push_back(&calendar3);
    std::int64_t count = merge(calendars, {}, sink);
    sink.close();
    const std::string roma = "0:2:1 07/09/08 15:00 Roma Alfa - Beta";
    const std::string lecce = "1:1:10 07/09/2008 18:00 Lecce Epsilon - Zeta";
    const std::string siena = "1:2:11 10/09/2008 15:00 Siena Eta - Theta";
    const std::string bari = "0:3:2 14/09/08 20:45 Bari Gamma - Delta";
    // The merged text's empty lines are no match lines for the third merge.
    const std::vector<std::string> expected =
        third ? std::vector<std::string>{roma, "-",   lecce, "-",     "2:2:7 08/09/08 10:00 Lodi X",
                                         "-",  siena, bari,  "closed"}
              : std::vector<std::string>{roma, lecce, "-", siena, "-", bari, "closed"};
    EXPECT_EQ(sink.origins, expected) << (third ? "three calendars" : "two");
    EXPECT_EQ(count, third ? 5 : 4);
  }
}

struct Case {
  const char* name;
  std::string text1;
  int year_digits1;
  std::string text2;
  int year_digits2;
  std::string merged;
  std::int64_t count;
};

const std::vector<Case> kCases{
    {"tie: calendar 1 first, then one empty line", "1 05/03/08 15:00 Roma A - B\n", 2,
     "9 05/03/08 15:00 Bari C - D\n", 2,
     "1 05/03/08 15:00 Roma A - B\n9 05/03/08 15:00 Bari C - D\n\n", 2},
    {"identical lines", "1 05/03/08 15:00 Roma A - B\n", 2, "1 05/03/08 15:00 Roma A - B\n", 2,
     "1 05/03/08 15:00 Roma A - B\n1 05/03/08 15:00 Roma A - B\n\n", 2},
    {"tie across year widths", "1 05/03/2008 15:00 Roma A\n", 4, "2 05/03/08 15:00 Bari C\n", 2,
     "1 05/03/08 15:00 Roma A\n2 05/03/08 15:00 Bari C\n\n", 2},
    {"earlier time: no empty line", "1 05/03/08 20:30 Roma A\n", 2, "2 05/03/08 15:00 Bari C\n", 2,
     "2 05/03/08 15:00 Bari C\n1 05/03/08 20:30 Roma A\n", 2},
    {"earlier date: an empty line", "1 04/03/08 20:30 Roma A\n", 2, "2 05/03/08 15:00 Bari C\n", 2,
     "1 04/03/08 20:30 Roma A\n\n2 05/03/08 15:00 Bari C\n", 2},
    {"width 4 against width 2", "1 01/02/2009 12:00 Roma A\n", 4, "2 31/12/08 12:00 Bari C\n", 2,
     "2 31/12/08 12:00 Bari C\n\n1 01/02/09 12:00 Roma A\n", 2},
    {"width 2 against width 4", "1 31/12/08 12:00 Roma A\n", 2, "2 01/02/2009 12:00 Bari C\n", 4,
     "1 31/12/08 12:00 Roma A\n\n2 01/02/09 12:00 Bari C\n", 2},
    {"00 before 99", "1 01/01/99 10:00 Roma A\n", 2, "2 01/01/00 10:00 Bari C\n", 2,
     "2 01/01/00 10:00 Bari C\n\n1 01/01/99 10:00 Roma A\n", 2},
    {"number widths 3 and 1", "123 05/03/08 20:30 Roma A\n", 2, "1 05/03/08 15:00 Bari C\n", 2,
     "1 05/03/08 15:00 Bari C\n123 05/03/08 20:30 Roma A\n", 2},
    {"four-digit numbers, width 4", "1000 05/03/2008 14:00 Roma A\n1001 06/03/2008 14:00 Roma B\n",
     4, "12 05/03/08 15:00 Bari C\n", 2,
     "1000 05/03/08 14:00 Roma A\n12 05/03/08 15:00 Bari C\n\n1001 06/03/08 14:00 Roma B\n", 3},
    {"headings, notes and empty lines skipped",
     "Giornata 1\n\n 3 spazio\n2a giornata\nnota\n1 05/03/08 20:30 Roma A\n\nFine\n", 2,
     "\n\nGiornata 1\n2 05/03/08 15:00 Bari C\n\n", 2,
     "2 05/03/08 15:00 Bari C\n1 05/03/08 20:30 Roma A\n", 2},
    {"heading with two digits is a match line", "10 Giornata\n", 2, "1 05/03/08 15:00 Bari C\n", 2,
     "1 05/03/08 15:00 Bari C\n\n10 Giornata\n", 2},
    {"each calendar keeps its own order", "1 09/03/08 10:00 A\n2 01/03/08 10:00 B\n", 2,
     "3 05/03/08 10:00 C\n", 2, "3 05/03/08 10:00 C\n\n1 09/03/08 10:00 A\n2 01/03/08 10:00 B\n",
     3},
    {"both end in the same tying step: nothing drained", "1 05/03/08 15:00 A\n", 2,
     "2 05/03/08 15:00 B\nGiornata 2\n\n", 2, "1 05/03/08 15:00 A\n2 05/03/08 15:00 B\n\n", 2},
    // The drain: what is left of one calendar, with no empty lines.
    {"calendar 1 drained after calendar 2's three lines",
     "1 10/03/08 10:00 A\n2 11/03/08 10:00 A\n3 12/03/08 10:00 A\n4 13/03/08 10:00 A\n"
     "5 14/03/08 10:00 A\n6 15/03/08 10:00 A\n7 16/03/08 10:00 A\n8 17/03/08 10:00 A\n"
     "9 18/03/08 10:00 A\n10 19/03/08 10:00 A\n",
     2, "1 01/03/2008 10:00 B\n2 02/03/2008 10:00 B\n3 03/03/2008 10:00 B\n", 4,
     "1 01/03/08 10:00 B\n\n2 02/03/08 10:00 B\n\n3 03/03/08 10:00 B\n\n"
     "1 10/03/08 10:00 A\n2 11/03/08 10:00 A\n3 12/03/08 10:00 A\n4 13/03/08 10:00 A\n"
     "5 14/03/08 10:00 A\n6 15/03/08 10:00 A\n7 16/03/08 10:00 A\n8 17/03/08 10:00 A\n"
     "9 18/03/08 10:00 A\n10 19/03/08 10:00 A\n",
     13},
    {"calendar 2 drained, its heading skipped", "1 01/01/08 10:00 A\n", 2,
     "1 02/01/2008 10:00 B\nGiornata 2\n3a giornata\n\n2 03/01/2008 10:00 C\nFine\n", 4,
     "1 01/01/08 10:00 A\n\n1 02/01/08 10:00 B\n2 03/01/08 10:00 C\n", 3},
    {"calendar 1 empty", "", 2, "Giornata 1\n1 02/01/2008 10:00 B\n\n2 01/01/2008 10:00 C\n", 4,
     "1 02/01/08 10:00 B\n2 01/01/08 10:00 C\n", 2},
    {"calendar 2 empty", "1 02/01/08 10:00 B\n2 01/01/08 10:00 C\n", 2, "", 2,
     "1 02/01/08 10:00 B\n2 01/01/08 10:00 C\n", 2},
    {"calendar 1 only headings", "Giornata 1\n\nGiornata 2\n", 2, "1 02/01/08 10:00 B\n", 2,
     "1 02/01/08 10:00 B\n", 1},
    {"calendar 2 only headings", "1 02/01/08 10:00 B\n", 2, "Giornata 1\n\n", 4,
     "1 02/01/08 10:00 B\n", 1},
    {"both empty", "", 2, "", 4, "", 0},
    // Line ends.
    {"CR LF read as one newline", "1 04/03/08 20:30 Roma A\r\n\r\nGiornata\r\n", 2,
     "2 05/03/2008 15:00 Bari C\r\n", 4, "1 04/03/08 20:30 Roma A\n\n2 05/03/08 15:00 Bari C\n", 2},
    {"lone CR inside a line kept", "1 04/03/08 20:30 Roma A\rB\n", 2, "", 2,
     "1 04/03/08 20:30 Roma A\rB\n", 1},
    {"last line without newline, merged", "1 01/01/08 10:00 Roma Alfa - Beta\n1 03/01/08 10:00 X",
     2, "2 02/01/08 10:00 B\n2 04/01/08 10:00 C\n", 2,
     "1 01/01/08 10:00 Roma Alfa - Beta\n\n2 02/01/08 10:00 B\n\n1 03/01/08 10:00 X\n\n"
     "2 04/01/08 10:00 C\n",
     4},
    {"last line without newline, drained", "1 01/01/08 10:00 A\n", 2,
     "2 02/01/2008 10:00 Roma B\n3 03/01/2008 10:00 C", 4,
     "1 01/01/08 10:00 A\n\n2 02/01/08 10:00 Roma B\n3 03/01/08 10:00 C\n", 3},
    {"short last line of width 4 keeps its newline", "1 01/01/08 10:00 A\n", 2,
     "2 02/01/2008 10:00 B\n3 03/01/2", 4, "1 01/01/08 10:00 A\n\n2 02/01/08 10:00 B\n3 03/01/\n",
     3},
    // A short line is compared on its own characters, never on an earlier line's.
    {"short line after a long one", "1 04/03/08 15:00 Roma A\n2 05/03/08\n", 2,
     "3 05/03/08 00:00 Bari C\n", 2,
     "1 04/03/08 15:00 Roma A\n\n2 05/03/08\n3 05/03/08 00:00 Bari C\n", 3},
    {"very long line kept whole", "1 04/03/08 15:00 Roma " + std::string(5000, 'x') + "\n", 2,
     "2 04/03/08 16:00 Bari C\n", 2,
     "1 04/03/08 15:00 Roma " + std::string(5000, 'x') + "\n2 04/03/08 16:00 Bari C\n", 2},
};

TEST(Merge, Cases) {
  for (const Case& c : kCases) {
    for (std::size_t size : {1U, 2U, 3U, 256U * 1024U}) {
      SCOPED_TRACE(::testing::Message() << c.name << ", size " << size);
      Merged merged = merge_texts(c.text1, c.year_digits1, c.text2, c.year_digits2, size);
      EXPECT_EQ(merged.text, c.merged);
      EXPECT_EQ(merged.count, c.count);
    }
  }
}

// The number offsets belong to the caller and carry over from one merge to
// the next: a line with no space where a match number ends is read with the
// offset of the last line that had one.
TEST(Merge, NumberOffsetsKeptAcrossMerges) {
  const std::string text1 = "10ab 07/09/08 15:00 Roma A - B\n1000 01/01/09 10:00 Bari C - D\n";
  const std::string text2 = "1 01/09/08 12:00 Lecce E - F\n";
  std::ptrdiff_t offset1 = 0;
  std::ptrdiff_t offset2 = 0;
  // First merge: "10ab" is read with the starting offset 0, and its year
  // characters "/0" come before "08".
  Merged first = merge_texts(text1, 2, text2, 2, offset1, offset2);
  EXPECT_EQ(first.text,
            "10ab 07/09/08 15:00 Roma A - B\n\n1 01/09/08 12:00 Lecce E - F\n\n"
            "1000 01/01/09 10:00 Bari C - D\n");
  EXPECT_EQ(offset1, -1);
  EXPECT_EQ(offset2, 2);
  // Second merge: "10ab" now has the offset -1 of "1000", which finds its date.
  Merged second = merge_texts(text1, 2, text2, 2, offset1, offset2);
  EXPECT_EQ(second.text,
            "1 01/09/08 12:00 Lecce E - F\n\n10ab 07/09/08 15:00 Roma A - B\n"
            "1000 01/01/09 10:00 Bari C - D\n");
  EXPECT_EQ(second.count, 3);
}

// Big calendars, each in date order, with headings, empty lines, numbers of
// one to five digits and both year widths: the merged text holds every match
// line once, each calendar's lines in their order, as a simple model says.
TEST(Merge, BigCalendarsEveryLineOnce) {
  struct Match {
    int yy, mm, dd, hh, mi;
    std::string text1;  // as the calendar has it
    std::string text2;  // as the merge writes it
    auto key() const { return std::tie(yy, mm, dd, hh, mi); }
  };
  auto two = [](int n) {
    char buf[3] = {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10), 0};
    return std::string(buf);
  };
  std::mt19937 random(20080907);
  auto calendar = [&](char tag, int year_digits, std::string& text) {
    std::vector<Match> matches;
    int day = 0;
    for (int i = 1; i <= 10000; ++i) {
      day += static_cast<int>(random() % 2);
      Match m{(day / 336) % 100,
              day / 28 % 12 + 1,
              day % 28 + 1,
              static_cast<int>(random() % 3) * 5 + 10,
              static_cast<int>(random() % 2) * 30,
              {},
              {}};
      std::string front = std::to_string(i) + " " + two(m.dd) + "/" + two(m.mm) + "/";
      std::string back =
          two(m.yy) + " " + two(m.hh) + ":" + two(m.mi) + " Campo " + tag + "-" + std::to_string(i);
      m.text1 = front + (year_digits == 4 ? "20" : "") + back;
      m.text2 = front + back;
      if (i % 50 == 1) text += "Giornata " + std::to_string(i / 50 + 1) + "\n\n";
      text += m.text1 + (i % 7 == 0 ? "\r\n" : "\n");
      matches.push_back(m);
    }
    return matches;
  };
  std::string text1, text2;
  std::vector<Match> matches1 = calendar('a', 2, text1);
  std::vector<Match> matches2 = calendar('b', 4, text2);

  std::string expected;
  std::size_t i = 0, j = 0;
  while (i < matches1.size() && j < matches2.size()) {
    const Match& m1 = matches1[i];
    const Match& m2 = matches2[j];
    bool same_day = std::tie(m1.yy, m1.mm, m1.dd) == std::tie(m2.yy, m2.mm, m2.dd);
    if (m1.key() == m2.key()) {
      expected += m1.text2 + "\n" + m2.text2 + "\n\n";
      ++i, ++j;
    } else if (m1.key() < m2.key()) {
      expected += m1.text2 + (same_day ? "\n" : "\n\n");
      ++i;
    } else {
      expected += m2.text2 + (same_day ? "\n" : "\n\n");
      ++j;
    }
  }
  for (; i < matches1.size(); ++i) expected += matches1[i].text2 + "\n";
  for (; j < matches2.size(); ++j) expected += matches2[j].text2 + "\n";

  for (std::size_t size : {7U, 4096U, 256U * 1024U}) {
    Merged merged = merge_texts(text1, 2, text2, 4, size);
    EXPECT_EQ(merged.count, 20000) << "size " << size;
    EXPECT_TRUE(merged.text == expected) << "size " << size;
  }
}

// The warnings of the clash check over merged lines: calendar, line number and
// line as read. u14.txt is in UTF-8, u16.txt in Windows-1252, u18.txt has
// four-digit years; "Imola Basket" and "Virtus San Lazzaro" are known teams.
TEST(Merge, ClashesAtOnePlace) {
  struct Line {
    int calendar;
    std::int64_t number;
    std::string text;
  };
  struct Case {
    const char* name;
    std::vector<Line> lines;
    std::vector<std::string> warnings;
  };
  const std::string a = "attenzione: sovrapposizione a ";
  const std::vector<Case> cases{
      {"across calendars",
       {{0, 7, "7 09/11/24 15:30 Forl\xC3\xAC Forl\xC3\xAC - Cant\xC3\xB9"},
        {1, 2, "2 09/11/24 16:30 Forl\xEC Forl\xEC - Rimini"}},
       {a + "Forl\xC3\xAC il 09/11/24: 15:30 Forl\xC3\xAC - Cant\xC3\xB9 (u14.txt, riga 7) e "
            "16:30 Forl\xC3\xAC - Rimini (u16.txt, riga 2)"}},
      {"within one calendar, a place in other case, four-digit years",
       {{2, 3, "3 09/11/2024 16:00 SAN LAZZARO Virtus San Lazzaro - Imola"},
        {2, 4, "4 09/11/2024 17:59 san lazzaro Virtus San Lazzaro - Cesena"}},
       {a + "SAN LAZZARO il 09/11/24: 16:00 Virtus San Lazzaro - Imola (u18.txt, riga 3) e 17:59 "
            "Virtus San Lazzaro - Cesena (u18.txt, riga 4)"}},
      {"case of accented capitals",
       {{0, 1, "1 09/11/24 15:00 \xC3\x80\xC3\x8C\xC5\xB8 A"},
        {1, 1, "1 09/11/24 15:00 \xE0\xEC\xFF B"},
        {1, 2, "2 09/11/24 15:00 \xE0\xCC\xFF C"}},
       {a + "\xC3\x80\xC3\x8C\xC5\xB8 il 09/11/24: 15:00 A (u14.txt, riga 1) e 15:00 B (u16.txt, "
            "riga 1)",
        a + "\xC3\x80\xC3\x8C\xC5\xB8 il 09/11/24: 15:00 A (u14.txt, riga 1) e 15:00 C (u16.txt, "
            "riga 2)",
        a + "\xC3\xA0\xC3\xAC\xC3\xBF il 09/11/24: 15:00 B (u16.txt, riga 1) e 15:00 C (u16.txt, "
            "riga 2)"}},
      {"exactly the duration apart, other places, other dates",
       {{0, 1, "1 09/11/24 15:30 Forli A"},
        {0, 2, "2 09/11/24 16:00 Cesena B"},
        {1, 1, "1 09/11/24 17:30 Forli C"},
        {1, 2, "2 10/11/24 16:00 Cesena D"}},
       {}},
      {"no place: a known home team, or nothing after the time",
       {{0, 1, "1 09/11/24 15:30 Imola Basket - A"},
        {0, 2, "2 09/11/24 16:00 Imola Basket - B"},
        {1, 1, "1 09/11/24 16:00"},
        {1, 2, "2 09/11/24 16:00"}},
       {}},
      {"out of time order within a date",
       {{0, 1, "1 09/11/24 18:00 Forli A"},
        {1, 1, "1 09/11/24 10:00 Forli B"},
        {1, 2, "2 09/11/24 17:00 Forli C"}},
       {a + "Forli il 09/11/24: 18:00 A (u14.txt, riga 1) e 17:00 C (u16.txt, riga 2)"}},
      {"a date left and met again: its matches were dropped",
       {{0, 1, "1 09/11/24 15:00 Forli A"},
        {0, 2, "2 10/11/24 15:00 Forli B"},
        {1, 1, "1 09/11/24 15:00 Forli C"}},
       {}},
      {"a date met again after one with other places",
       {{0, 1, "1 09/11/24 15:00 Forli A"},
        {0, 2, "2 10/11/24 15:00 Cesena B"},
        {1, 1, "1 09/11/24 15:00 Forli C"},
        {1, 2, "2 09/11/24 16:00 Forli D"}},
       {a + "Forli il 09/11/24: 15:00 C (u16.txt, riga 1) e 16:00 D (u16.txt, riga 2)"}},
  };
  auto teams = std::make_shared<KnownTeams>();
  teams->add("1 01/10/24 18:00 Faenza Faenza - Imola Basket");
  teams->add("2 01/10/24 18:00 Faenza Faenza - Virtus San Lazzaro");
  for (const Case& c : cases) {
    std::vector<std::string> warnings;
    ClashCheck check({{Encoding::Utf8, Encoding::Windows1252, Encoding::Ascii},
                      teams,
                      120,
                      [&](const Clash& clash) {
                        warnings.push_back(clash_warning(clash, {"u14.txt", "u16.txt", "u18.txt"}));
                      }});
    for (const Line& line : c.lines) {
      Layout layout{number_offset(line.text, 0), line.calendar == 2 ? 4 : 2};
      WrittenPieces written = MatchLine(line.text, layout).written();
      check.match_line(
          {written.head, written.tail, {line.calendar, line.number, line.text, layout}});
    }
    EXPECT_EQ(warnings, c.warnings) << c.name;
  }
  // Matches a minute apart at one place: each clashes with the 119 before it,
  // also once the check has dropped those too early to clash, whose texts
  // move. Then, on the next date, more places than the check keeps, and one
  // clash after it has forgotten them.
  int count = 0;
  std::string last;
  ClashCheck check({{Encoding::Ascii}, nullptr, 120, [&](const Clash& clash) {
                      ++count;
                      last = clash_warning(clash, {"u14.txt"});
                    }});
  auto check_line = [&check](int number, const char* format, int hour, int minute,
                             const std::string& place) {
    char text[40];
    std::snprintf(text, sizeof text, format, number, hour, minute, place.c_str());
    check.match_line({text, {}, {0, number, text, {number_offset(text, 0), 2}}});
  };
  for (int minute = 0; minute < 600; ++minute)
    check_line(minute + 1, "%d 09/11/24 %02d:%02d %s X", minute / 60 + 8, minute % 60,
               minute % 2 == 0 ? "Forli" : "FORLI");
  EXPECT_EQ(count, 119 * 120 / 2 + 480 * 119);
  EXPECT_EQ(last,
            "attenzione: sovrapposizione a Forli il 09/11/24: 17:58 X (u14.txt, riga 599) e "
            "17:59 X (u14.txt, riga 600)");
  for (int place = 0; place < 5000; ++place)
    check_line(place + 1, "%d 10/11/24 %02d:%02d P%s X", 8, 0, std::to_string(place));
  check_line(5001, "%d 11/11/24 %02d:%02d %s Y", 9, 0, "Forli");
  check_line(5002, "%d 11/11/24 %02d:%02d %s Z", 10, 0, "Forli");
  EXPECT_EQ(last,
            "attenzione: sovrapposizione a Forli il 11/11/24: 09:00 Y (u14.txt, riga 5001) "
            "e 10:00 Z (u14.txt, riga 5002)");
}

}  // namespace
}  // namespace unisci::testing
