// The iCalendar form: the date and time of each line, the text of its
// properties, its UID, and the file's lines as RFC 5545 wants them.
#include "export/icalendar.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "calendar/match_line.h"
#include "export/sha1.h"
#include "io/utf8_validator.h"
#include "io/windows1252.h"
#include "testing/memory_files.h"

namespace unisci::testing {
namespace {

using namespace std::string_view_literals;

struct Line {
  Line(std::string line, int from = 0, int digits = 2)
      : text(std::move(line)), calendar(from), year_digits(digits) {}
  std::string text;
  int calendar;
  int year_digits;
};

ICalendarSettings two_calendars() {
  ICalendarSettings settings;
  settings.files = {"calendario1.txt", "dir/calendario2.txt"};
  settings.encodings = {TextEncoding::Utf8, TextEncoding::Windows1252};
  settings.stamp_time = 1700000000;
  return settings;
}

// The file made of `lines`, and the line numbers that were warned of.
std::string ics_of(const std::vector<Line>& lines, ICalendarSettings settings = two_calendars(),
                   std::vector<std::int64_t>* warned = nullptr) {
  settings.bad_date = [&](const LineOrigin& origin) {
    if (warned != nullptr) warned->push_back(origin.line_number);
  };
  std::string text;
  StringSink sink(text);
  TextWriter out(sink, 64);
  ICalendarExport ics(out, std::move(settings));
  std::int64_t number = 0;
  for (const Line& line : lines) {
    MergedLine merged{line.text, {}, {}};
    merged.origin = {line.calendar, ++number, line.text, number_offset(line.text, 0),
                     line.year_digits};
    ics.match_line(merged);
    ics.empty_line();
  }
  ics.close();
  return text;
}

using Event = std::map<std::string, std::string>;

// Each event's properties, unfolded, by name with parameters.
std::vector<Event> events_of(std::string ics) {
  for (std::size_t at; (at = ics.find("\r\n ")) != ics.npos;) ics.erase(at, 3);
  std::vector<Event> events;
  for (std::size_t at = 0, end; (end = ics.find("\r\n", at)) != ics.npos; at = end + 2) {
    std::string line = ics.substr(at, end - at);
    std::size_t colon = line.find(':');
    if (line == "BEGIN:VEVENT") events.emplace_back();
    if (!events.empty() && line != "END:VEVENT")
      events.back()[line.substr(0, colon)] = line.substr(colon + 1);
  }
  return events;
}

std::string summary_of(const std::string& match, TextEncoding encoding) {
  ICalendarSettings settings = two_calendars();
  settings.encodings[0] = encoding;
  std::vector<Event> events = events_of(ics_of({{"1 07/09/08 15:00 Roma " + match}}, settings));
  return events.empty() ? "no event" : events[0]["SUMMARY"];
}

TEST(ICalendar, StartOfEachLineOrAWarning) {
  struct Case {
    std::string line;
    int year_digits;
    std::string start;  // empty: no such date or time
  };
  const std::vector<Case> cases{
      {"1 07/09/08 15:00 Roma A - B", 2, "20080907T150000"},
      {"1 07/09/69 15:00 R A", 2, "19690907T150000"},
      {"1 07/09/68 15:00 R A", 2, "20680907T150000"},
      {"1 07/09/99 00:00 R A", 2, "19990907T000000"},
      {"1 07/09/00 23:59 R A", 2, "20000907T235900"},
      {"123 07/09/08 15:00 R A", 2, "20080907T150000"},
      {"12345 07/09/08 15:00 R A", 2, "20080907T150000"},
      {"1 07/09/08 15:00", 2, "20080907T150000"},
      {"10 07/09/2008 18:00 Lecce E - Z", 4, "20080907T180000"},
      {"10 07/09/1968 18:00 Lecce E - Z", 4, "19680907T180000"},
      {"1 29/02/08 15:00 R A", 2, "20080229T150000"},
      {"1 29/02/00 15:00 R A", 2, "20000229T150000"},
      {"1 29/02/2000 15:00 R A", 4, "20000229T150000"},
      {"1 29/02/1900 15:00 R A", 4, ""},
      {"1 29/02/09 15:00 R A", 2, ""},
      {"1 31/02/08 15:00 R A", 2, ""},
      {"1 31/04/08 15:00 R A", 2, ""},
      {"1 00/09/08 15:00 R A", 2, ""},
      {"1 07/13/08 15:00 R A", 2, ""},
      {"1 07/00/08 15:00 R A", 2, ""},
      {"1 07/09/08 24:00 R A", 2, ""},
      {"1 07/09/08 23:60 R A", 2, ""},
      {"1 07/09/08 1x:00 R A", 2, ""},
      {"1 07/09/08 15:0", 2, ""},
      {"10 settembre", 2, ""},
      {"Giornata 1", 2, ""},
      {"1 07/09/0000 15:00 R A", 4, ""},
      {"10 07/09/08 18:00 Lecce E - Z", 4, ""},  // two digits where four belong
  };
  for (const Case& c : cases) {
    std::vector<std::int64_t> warned;
    std::vector<Event> events = events_of(
        ics_of({{"1 01/01/09 12:00 R A"}, {c.line, 1, c.year_digits}}, two_calendars(), &warned));
    SCOPED_TRACE(c.line);
    if (c.start.empty()) {
      EXPECT_EQ(events.size(), 1U);
      EXPECT_EQ(warned, std::vector<std::int64_t>{2});
    } else {
      ASSERT_EQ(events.size(), 2U);
      EXPECT_EQ(events[1]["DTSTART;TZID=Europe/Rome"], c.start);
      EXPECT_TRUE(warned.empty());
    }
  }
}

TEST(ICalendar, TextEscapedControlsLeftOutCharactersConverted) {
  struct Case {
    std::string match;
    TextEncoding encoding;
    std::string summary;
  };
  const std::vector<Case> cases{
      {"A, B; C\\D", TextEncoding::Utf8, "A\\, B\\; C\\\\D"},
      {"A\tB\x01"
       "C\x7F\x1F",
       TextEncoding::Utf8, "ABC"},
      {"A\xC2\x85"
       "B \xC2\xA0",
       TextEncoding::Utf8, "AB \xC2\xA0"},
      {"Forl\xC3\xAC", TextEncoding::Utf8, "Forl\xC3\xAC"},
      {"Forl\xC3\xAC", TextEncoding::Unknown, "Forl\xC3\xAC"},
      {"Forl\xEC", TextEncoding::Unknown, "Forl\xC3\xAC"},
      {"Forl\xEC \x80 \x81\x8D\x8F\x90\x9D!", TextEncoding::Windows1252,
       "Forl\xC3\xAC \xE2\x82\xAC !"},
      {"", TextEncoding::Utf8, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(summary_of(c.match, c.encoding), c.summary) << c.match;

  std::vector<Event> events = events_of(ics_of({{"12 07/09/08 15:00 Forl\xEC,Sud A", 1}}));
  EXPECT_EQ(events.at(0)["LOCATION"], "Forl\xC3\xAC\\,Sud");
  EXPECT_EQ(events.at(0)["DESCRIPTION"], "Gara 12 - dir/calendario2.txt");
  EXPECT_EQ(events.at(0)["CATEGORIES"], "calendario2");
  ICalendarSettings named = two_calendars();
  named.name = "Serie A; 2008\n";
  named.files[0] = "-";
  std::string ics = ics_of({{"1 07/09/08 15:00"}}, named);
  EXPECT_NE(ics.find("\r\nNAME:Serie A\\; 2008\\n\r\nX-WR-CALNAME:Serie A\\; 2008\\n\r\n"),
            ics.npos);
  EXPECT_EQ(events_of(ics).at(0).count("LOCATION"), 0U);
  EXPECT_EQ(events_of(ics).at(0)["CATEGORIES"], "standard input");
}

// Every physical line at most 75 octets and valid UTF-8 by itself, whatever
// character the 75th octet falls in.
TEST(ICalendar, FoldedAt75OctetsBetweenCharacters) {
  for (std::size_t shift = 0; shift < 12; ++shift) {
    std::string match = std::string(shift, 'x');
    for (int i = 0; i < 12; ++i) match += " citt\xC3\xA0 \xE2\x82\xAC\xF0\x9F\x98\x80";
    std::string ics = ics_of({{"1 07/09/08 15:00 Roma " + match}});
    for (std::size_t at = 0, end; (end = ics.find("\r\n", at)) != ics.npos; at = end + 2) {
      std::string line = ics.substr(at, end - at);
      Utf8Validator validator;
      EXPECT_TRUE(validator.add(line) && validator.complete()) << line;
      EXPECT_LE(line.size(), 75U) << line;
    }
    EXPECT_EQ(events_of(ics).at(0)["SUMMARY"], match);
  }
}

TEST(ICalendar, UidTheSameWhenTheMatchMovesUniqueInTheFile) {
  auto uids = [](const std::vector<Line>& lines) {
    std::vector<std::string> uids;
    for (Event& event : events_of(ics_of(lines))) uids.push_back(event["UID"]);
    return uids;
  };
  const std::string a = "1 07/09/08 15:00 Roma Alfa - Beta";
  std::vector<std::string> moved = uids({{"1 21/12/09 20:45 Roma Alfa - Beta"}, {a}, {a}, {a}});
  EXPECT_EQ(moved[0], uids({{a}})[0]);
  EXPECT_EQ(moved[1], uids({{a}, {a}})[1]);
  std::vector<std::string> all = moved;
  for (const char* other :
       {"1 07/09/08 15:00 Roma Alfa - Beta ", "2 07/09/08 15:00 Roma Alfa - Beta",
        "1 07/09/08 15:00 Bari Alfa - Beta", "12 07/09/08 15:00 3 A", "1 07/09/08 15:00 23 A"})
    all.push_back(uids({{other}})[0]);
  all.push_back(uids({{a, 1}})[0]);
  EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), all.size());
  // More repeats than the counter's table holds in a slot.
  std::string many = ics_of(std::vector<Line>(70000, Line(a)));
  std::set<std::string> many_uids;
  for (std::size_t at = 0; (at = many.find("\nUID:", at)) != many.npos; ++at)
    many_uids.insert(many.substr(at, 42));
  EXPECT_EQ(many_uids.size(), 70000U);
  for (const std::string& uid : all)
    EXPECT_TRUE(uid.size() == 36 && uid[14] == '5' && uid[19] >= '8' && uid[19] <= 'b') << uid;
}

TEST(ICalendar, DurationAndStamp) {
  struct Case {
    int minutes;
    std::int64_t stamp;
    std::string duration;
    std::string dtstamp;
  };
  const std::vector<Case> cases{
      {90, 0, "PT1H30M", "19700101T000000Z"},         {45, 1700000000, "PT45M", "20231114T221320Z"},
      {120, 951782400, "PT2H", "20000229T000000Z"},   {0, -1, "PT0M", "19700101T000000Z"},
      {60, 253402300800, "PT1H", "99991231T235959Z"},
  };
  for (const Case& c : cases) {
    ICalendarSettings settings = two_calendars();
    settings.duration_minutes = c.minutes;
    settings.stamp_time = c.stamp;
    Event event = events_of(ics_of({{"1 07/09/08 15:00"}}, settings)).at(0);
    EXPECT_EQ(event["DURATION"], c.duration);
    EXPECT_EQ(event["DTSTAMP"], c.dtstamp);
  }
  auto now = std::chrono::duration_cast<std::chrono::seconds>(
                 std::chrono::system_clock::now().time_since_epoch())
                 .count();
  EXPECT_EQ(stamp_time("1700000000"), 1700000000);
  EXPECT_EQ(stamp_time("0"), 0);
  for (const char* wrong :
       {static_cast<const char*>(nullptr), "", "-1", "17e8", " 1", "253402300800"})
    EXPECT_NEAR(static_cast<double>(stamp_time(wrong)), static_cast<double>(now), 5) << wrong;
}

TEST(Windows1252, ToUtf8) {
  struct Case {
    std::string in;
    std::string out;
  };
  const std::vector<Case> cases{
      {"", ""},
      {"Forl\xEC \xE8", "Forl\xC3\xAC \xC3\xA8"},
      {"\x80\x8A\x9F", "\xE2\x82\xAC\xC5\xA0\xC5\xB8"},
      {"\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
      {"\x92\x96\x99", "\xE2\x80\x99\xE2\x80\x93\xE2\x84\xA2"},
      {"\xA0\xFF", "\xC2\xA0\xC3\xBF"},
  };
  for (const Case& c : cases) {
    // Among ASCII runs of every length around a machine word.
    for (std::size_t run = 0; run < 18; ++run) {
      std::string out = "kept";
      append_windows1252_as_utf8(out, std::string(run, 'a') + c.in + std::string(run, 'b'));
      EXPECT_EQ(out, "kept" + std::string(run, 'a') + c.out + std::string(run, 'b')) << c.in;
    }
  }
}

TEST(Sha1, KnownDigestsInPiecesOfEverySize) {
  struct Case {
    std::string message;
    std::string digest;
  };
  const std::vector<Case> cases{
      {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
      {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
  };
  for (const Case& c : cases) {
    for (std::size_t piece : {1U, 55U, 63U, 64U, 65U, 1000000U}) {
      Sha1 sha1;
      for (std::size_t at = 0; at < c.message.size(); at += piece)
        sha1.update(std::string_view(c.message).substr(at, piece));
      std::string hex;
      for (std::uint8_t byte : sha1.finish()) {
        hex += "0123456789abcdef"[byte >> 4];
        hex += "0123456789abcdef"[byte & 15];
      }
      EXPECT_EQ(hex, c.digest) << c.message.size() << " bytes in pieces of " << piece;
    }
  }
  // RFC 9562, A.4: the DNS namespace and "www.example.com".
  Sha1 sha1;
  sha1.update("\x6b\xa7\xb8\x10\x9d\xad\x11\xd1\x80\xb4\x00\xc0\x4f\xd4\x30\xc8"sv);
  sha1.update("www.example.com");
  std::string uuid;
  append_uuid(uuid, name_based_uuid(sha1.finish()));
  EXPECT_EQ(uuid, "2ed6657d-e927-568b-95e1-2665a8aea6a2");
}

}  // namespace
}  // namespace unisci::testing
