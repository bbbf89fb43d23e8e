// The iCalendar form: the date and time of each line, the text of its
// properties, its UID, the file's lines as RFC 5545 wants them, the file as
// two calendar libraries read it; and its helpers, Windows-1252 text
// converted to UTF-8 and SHA-1.
#include "export/icalendar.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "calendar/match_line.h"
#include "calendar/places.h"
#include "export/sha1.h"
#include "io/encoding.h"
#include "io/utf8_validator.h"
#include "testing/memory_files.h"

namespace unisci::testing {
namespace {

using namespace std::string_literals;

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
  settings.encodings = {Encoding::Utf8, Encoding::Windows1252};
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
    merged.origin = {
        line.calendar, ++number, line.text, {number_offset(line.text, 0), line.year_digits}};
    ics.match_line(merged);
    ics.empty_line();
  }
  ics.close();
  return text;
}

// The calendars with the teams of the club's lines as known teams.
ICalendarSettings with_teams() {
  auto teams = std::make_shared<KnownTeams>();
  for (const char* line : {"1 05/10/24 18:00 Imola Imola Basket - Virtus San Lazzaro",
                           "2 05/10/24 18:00 Forli Forli - Citt\xC3\xA0 di Castello Basket",
                           "3 05/10/24 18:00 Rimini Rimini - Imola Basket"})
    teams->add(line);
  ICalendarSettings settings = two_calendars();
  settings.known_teams = std::move(teams);
  return settings;
}

using Event = std::map<std::string, std::string>;

// Each event's properties, unfolded, by name with parameters.
std::vector<Event> events_of(std::string ics) {
  for (std::size_t at; (at = ics.find("\r\n ")) != ics.npos;) ics.erase(at, 3);
  std::vector<Event> events;
  bool in_event = false;
  for (std::size_t at = 0, end; (end = ics.find("\r\n", at)) != ics.npos; at = end + 2) {
    std::string line = ics.substr(at, end - at);
    in_event = in_event && line != "END:VEVENT";
    if (in_event) events.back()[line.substr(0, line.find(':'))] = line.substr(line.find(':') + 1);
    if (line == "BEGIN:VEVENT") {
      events.emplace_back();
      in_event = true;
    }
  }
  return events;
}

TEST(ICalendar, StartOfEachLineOrAWarning) {
  struct Case {
    std::string line;
    int year_digits;
    std::string start;  // empty: no such date or time
  };
  const std::vector<Case> cases{
      {"1 07/09/08 15:00 Roma A - B", 2, "20080907T150000"},
      {"1 07/09/69 00:00 R A", 2, "19690907T000000"},
      {"1 07/09/68 23:59 R A", 2, "20680907T235900"},
      {"123 07/09/08 15:00 R A", 2, "20080907T150000"},
      {"12345 07/09/08 15:00 R A", 2, "20080907T150000"},
      {"10 07/09/2008 18:00 Lecce E - Z", 4, "20080907T180000"},
      {"10 07/09/1968 18:00 Lecce E - Z", 4, "19680907T180000"},
      {"1 29/02/08 15:00 R A", 2, "20080229T150000"},
      {"1 29/02/2000 15:00 R A", 4, "20000229T150000"},
      {"1 29/02/1900 15:00 R A", 4, ""},
      {"1 29/02/09 15:00 R A", 2, ""},
      {"1 31/02/08 15:00 R A", 2, ""},
      {"1 31/04/08 15:00 R A", 2, ""},
      {"1 00/09/08 15:00 R A", 2, ""},
      {"1 07/13/08 15:00 R A", 2, ""},
      {"1 07/00/08 15:00 R A", 2, ""},
      {"1 31/12/08 15:00 R A", 2, "20081231T150000"},
      {"1 07/09/08 24:00 R A", 2, ""},
      {"1 07/09/08 23:60 R A", 2, ""},
      {"1 07/09/08 1x:00 R A", 2, ""},
      {"1 07/09/08 15:0", 2, ""},
      {"10 settembre", 2, ""},
      {"1 07/09/0000 15:00 R A", 4, ""},
      {"10 07/09/08 18:00 Lecce E - Z", 4, ""},  // two digits where four belong
  };
  for (const Case& c : cases) {
    std::vector<std::int64_t> warned;
    std::vector<Event> events = events_of(
        ics_of({{"1 01/01/09 12:00 R A"}, {c.line, 1, c.year_digits}}, two_calendars(), &warned));
    SCOPED_TRACE(c.line);
    EXPECT_EQ(warned, c.start.empty() ? std::vector<std::int64_t>{2} : std::vector<std::int64_t>{});
    ASSERT_EQ(events.size(), c.start.empty() ? 1U : 2U);
    EXPECT_EQ(events.back()["DTSTART;TZID=Europe/Rome"],
              c.start.empty() ? "20090101T120000" : c.start);
  }
}

TEST(ICalendar, TextEscapedControlsLeftOutCharactersConverted) {
  struct Case {
    std::string match;
    Encoding encoding;
    std::string summary;
  };
  const std::vector<Case> cases{
      {"A, B; C\\D", Encoding::Utf8, "A\\, B\\; C\\\\D"},
      {"A\tB\x01"
       "C\x7F\x1F",
       Encoding::Utf8, "ABC"},
      {"A\xC2\x85"
       "B \xC2\xA0",
       Encoding::Utf8, "AB \xC2\xA0"},
      {"Forl\xC3\xAC", Encoding::Unknown, "Forl\xC3\xAC"},
      {"Forl\xEC", Encoding::Unknown, "Forl\xC3\xAC"},
      {"Forl\xEC \x80 \x81\x8D\x8F\x90\x9D!", Encoding::Windows1252, "Forl\xC3\xAC \xE2\x82\xAC !"},
      {"", Encoding::Utf8, ""},
  };
  for (const Case& c : cases) {
    ICalendarSettings settings = two_calendars();
    settings.encodings[0] = c.encoding;
    EXPECT_EQ(events_of(ics_of({{"1 07/09/08 15:00 Roma " + c.match}}, settings)).at(0)["SUMMARY"],
              c.summary)
        << c.match;
  }
  Event event = events_of(ics_of({{"12 07/09/08 15:00 Forl\xEC,Sud A", 1}})).at(0);
  EXPECT_EQ(event["LOCATION"], "Forl\xC3\xAC\\,Sud");
  EXPECT_EQ(event["DESCRIPTION"], "Gara 12 - dir/calendario2.txt");
  EXPECT_EQ(event["CATEGORIES"], "calendario2");
  // The whole event of a line without place and match, from standard input.
  // Its UID must not change from one version to the next.
  ICalendarSettings named = two_calendars();
  named.name = "Serie A; 2008 Forl\xEC\n";
  named.files[0] = "-";
  std::string ics = ics_of({{"1 07/09/08 15:00"}}, named);
  EXPECT_EQ(ics.substr(ics.find("\r\nNAME:"), ics.find("X-WR-TIMEZONE") - ics.find("\r\nNAME:")),
            "\r\nNAME:Serie A\\; 2008 Forl\xC3\xAC\\n\r\nX-WR-CALNAME:Serie A\\; 2008 "
            "Forl\xC3\xAC\\n\r\n");
  EXPECT_EQ(ics.substr(ics.find("BEGIN:VEVENT")),
            "BEGIN:VEVENT\r\nUID:d494720a-91f4-5e7f-90f9-378977afd8b7\r\n"
            "DTSTAMP:20231114T221320Z\r\nDTSTART;TZID=Europe/Rome:20080907T150000\r\n"
            "DURATION:PT1H30M\r\nSUMMARY:\r\nDESCRIPTION:Gara 1 - standard input\r\n"
            "CATEGORIES:standard input\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
}

// Every physical line at most 75 octets and valid UTF-8 by itself, whatever
// character the 75th octet falls in.
TEST(ICalendar, FoldedAt75OctetsBetweenCharacters) {
  for (std::size_t shift = 0; shift < 12; ++shift) {
    std::string match = std::string(shift, 'x');
    for (int i = 0; i < 12; ++i) match += " citt\xC3\xA0 \xE2\x82\xAC\xF0\x9F\x98\x80";
    std::string ics = ics_of({{"1 07/09/08 15:00 Roma " + match}});
    for (std::size_t at = 0, end; (end = ics.find("\r\n", at)) != ics.npos; at = end + 2) {
      Utf8Validator line;
      EXPECT_TRUE(line.add(ics.substr(at, end - at)) && line.complete() && end - at <= 75)
          << ics.substr(at, end - at);
    }
    EXPECT_EQ(events_of(ics).at(0)["SUMMARY"], match);
  }
}

TEST(ICalendar, UidTheSameWhenTheMatchMovesInItsSeasonUniqueInTheFile) {
  auto uids = [](const std::vector<Line>& lines) {
    std::vector<std::string> uids;
    for (Event& event : events_of(ics_of(lines))) uids.push_back(event["UID"]);
    return uids;
  };
  const std::string a = "1 07/09/08 15:00 Roma Alfa - Beta";
  // Moved to the last day of its season, which runs from July to June.
  std::vector<std::string> all = uids({{"1 30/06/09 20:45 Roma Alfa - Beta"}, {a}, {a}});
  EXPECT_EQ(all[0], uids({{a}})[0]);
  EXPECT_EQ(all[1], uids({{a}, {a}})[1]);
  // Any change to how the name is made would give every event a new UID.
  EXPECT_EQ(uids({{"1 07/09/08 15:00 Roma " + std::string(200, 'x')}})[0],
            "73757fa2-801e-5c30-9a57-5c581d724e26");
  // Other season, calendar, number, place, match; parts that join into the
  // same bytes.
  for (const Line& other : std::vector<Line>{{"1 01/07/09 15:00 Roma Alfa - Beta"},
                                             {a, 1},
                                             {"2" + a.substr(1)},
                                             {"1 07/09/08 15:00 Bari Alfa - Beta"},
                                             {a + " "},
                                             {"12 07/09/08 15:00 3 A"},
                                             {"1 07/09/08 15:00 23 A"}})
    all.push_back(uids({other})[0]);
  EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), all.size());
  // The UID follows the place and match that the teams find: none and the
  // whole text, as an empty place cell gives them.
  EXPECT_EQ(events_of(ics_of({{"4 26/10/24 15:30 Imola Basket - Forli"}}, with_teams()))[0]["UID"],
            uids({{"4 26/10/24 15:30  Imola Basket - Forli"}})[0]);
  for (const std::string& uid : all)
    EXPECT_TRUE(uid.size() == 36 && uid[14] == '5' && uid[19] >= '8' && uid[19] <= 'b') << uid;
  // More repeats than a slot of the counter's table holds.
  std::string many = ics_of(std::vector<Line>(70000, Line(a)));
  std::set<std::string> many_uids;
  for (std::size_t at = 0; (at = many.find("\nUID:", at)) != many.npos; ++at)
    many_uids.insert(many.substr(at, 42));
  EXPECT_EQ(many_uids.size(), 70000U);
}

TEST(ICalendar, DurationAndStamp) {
  for (auto [minutes, duration] : {std::pair{45, "PT45M"}, {120, "PT2H"}, {0, "PT0M"}}) {
    ICalendarSettings settings = two_calendars();
    settings.duration_minutes = minutes;
    EXPECT_EQ(events_of(ics_of({{"1 07/09/08 15:00"}}, settings)).at(0)["DURATION"], duration);
  }
  EXPECT_EQ(stamp_time("1700000000"), 1700000000);
  auto now = std::chrono::duration_cast<std::chrono::seconds>(
                 std::chrono::system_clock::now().time_since_epoch())
                 .count();
  for (const char* wrong : {static_cast<const char*>(nullptr), "", "-1", "17e8", "253402300800"})
    EXPECT_NEAR(static_cast<double>(stamp_time(wrong)), static_cast<double>(now), 5) << wrong;
}

TEST(Windows1252, ToUtf8AmongAsciiRunsOfEveryLength) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"Forl\xEC \xE8", "Forl\xC3\xAC \xC3\xA8"},
      {"\x80\x8A\x9F\x92\x99", "\xE2\x82\xAC\xC5\xA0\xC5\xB8\xE2\x80\x99\xE2\x84\xA2"},
      {"\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
      {"\xA0\xFF", "\xC2\xA0\xC3\xBF"},
  };
  for (const auto& [in, utf8] : cases) {
    for (std::size_t run = 0; run < 18; ++run) {
      std::string out = "kept";
      append_windows1252_as_utf8(out, std::string(run, 'a') + in + std::string(run, 'b'));
      EXPECT_EQ(out, "kept" + std::string(run, 'a') + utf8 + std::string(run, 'b')) << in;
    }
  }
}

// Digests shown as the UUIDs made from them: a message that needs a block
// of its own for the padding, a long one, and RFC 9562's example.
TEST(Sha1, KnownDigestsInPiecesOfEverySize) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "84983e44-1c3b-526e-baae-4aa1f95129e5"},
      {std::string(1000000, 'a'), "34aa973c-d4c4-5aa4-b61e-eb2bdbad2731"},
      {"\x6b\xa7\xb8\x10\x9d\xad\x11\xd1\x80\xb4\x00\xc0\x4f\xd4\x30\xc8"
       "www.example.com"s,
       "2ed6657d-e927-568b-95e1-2665a8aea6a2"},
  };
  for (const auto& [message, digest] : cases) {
    for (std::size_t piece : {1U, 55U, 63U, 64U, 65U, 1000000U}) {
      Sha1 sha1;
      for (std::size_t at = 0; at < message.size(); at += piece)
        sha1.update(std::string_view(message).substr(at, piece));
      std::string uuid;
      append_uuid(uuid, name_based_uuid(sha1.finish()));
      EXPECT_EQ(uuid, digest) << message.size() << " bytes in pieces of " << piece;
    }
  }
}

// Runs `command` in the shell; its standard output, and whether it exited 0.
std::string output_of(const std::string& command, bool& ok) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  char buf[4096];
  for (std::size_t got; pipe != nullptr && (got = std::fread(buf, 1, sizeof buf, pipe)) > 0;)
    out.append(buf, got);
  ok = pipe != nullptr && pclose(pipe) == 0;
  return out;
}

// The file as Mozilla's ical.js reads it, in the time zone the file defines,
// and as python3-icalendar does, checked against Python's zoneinfo: both
// find every event at its instant, with its text, and every UID once.
TEST(ICalendarClients, EveryEventAtItsInstantWithItsText) {
  const std::string ical_js = UNISCI_ICALJS_DIR "/node_modules/ical.js/dist/ical.js";
  std::string missing;
  if (std::system("command -v node > /dev/null") != 0 || !std::filesystem::exists(ical_js))
    missing =
        "node or ical.js (Debian package nodejs; .ci/need puts ical.js in " UNISCI_ICALJS_DIR ")";
  else if (std::system("/usr/bin/python3 -c 'import icalendar, zoneinfo' 2> /dev/null") != 0)
    missing = "python3-icalendar (Debian package python3-icalendar)";
  if (!missing.empty()) {
    const char* ci = std::getenv("CI");
    if (ci != nullptr && *ci != '\0') FAIL() << missing << " is missing: .ci/need installs it";
    GTEST_SKIP() << missing << " is missing: the file is not read by calendar libraries";
  }
  struct Case {
    Line line;
    std::string utc;  // where the event starts
    std::string summary;
    std::string location;
  };
  const std::string long_match = "Citt\xC3\xA0 di Castello - Forl\xC3\xAC, Sud; Nord \\ " +
                                 std::string(40, '=') + " citt\xC3\xA0 citt\xC3\xA0";
  const std::vector<Case> cases{
      {{"1 07/09/08 15:00 Roma Alfa - Beta"}, "20080907T130000Z", "Alfa - Beta", "Roma"},
      {{"5 14/01/09 14:30 Torino " + long_match}, "20090114T133000Z", long_match, "Torino"},
      // Saturday and Sunday of the switch to summer time, then back.
      {{"6 29/03/08 20:45 Bari Gamma - Delta"}, "20080329T194500Z", "Gamma - Delta", "Bari"},
      {{"7 30/03/08 15:00 Bari Gamma - Delta"}, "20080330T130000Z", "Gamma - Delta", "Bari"},
      {{"8 25/10/2008 20:45 Forl\xEC Eta - Theta", 1, 4},
       "20081025T184500Z",
       "Eta - Theta",
       "Forl\xC3\xAC"},
      {{"9 26/10/2008 15:00 Siena Eta - Theta", 1, 4}, "20081026T140000Z", "Eta - Theta", "Siena"},
      // Summer time ended in September until 1995.
      {{"2 17/09/95 15:00 Roma Alfa - Beta"}, "19950917T130000Z", "Alfa - Beta", "Roma"},
      {{"3 01/10/95 15:00 Roma Alfa - Beta"}, "19951001T140000Z", "Alfa - Beta", "Roma"},
      // The same match again, in 2037.
      {{"1 21/06/37 15:00 Roma Alfa - Beta"}, "20370621T130000Z", "Alfa - Beta", "Roma"},
      // Places of several words and a line with no place, found by the teams.
      {{"7 09/11/24 15:30 San Lazzaro Virtus San Lazzaro - Imola"},
       "20241109T143000Z",
       "Virtus San Lazzaro - Imola",
       "San Lazzaro"},
      {{"8 09/11/24 18:00 Citt\xE0 di Castello Citt\xE0 di Castello Basket - Forl\xEC", 1},
       "20241109T170000Z",
       "Citt\xC3\xA0 di Castello Basket - Forl\xC3\xAC",
       "Citt\xC3\xA0 di Castello"},
      {{"4 26/10/24 15:30 Imola Basket - Citt\xC3\xA0 di Castello"},
       "20241026T133000Z",
       "Imola Basket - Citt\xC3\xA0 di Castello",
       ""},
  };
  std::vector<Line> lines;
  lines.reserve(cases.size());
  for (const Case& c : cases) lines.push_back(c.line);
  const std::string file = ::testing::TempDir() + "icalendar_client_test.ics";
  std::ofstream(file, std::ios::binary) << ics_of(lines, with_teams());

  bool node_ok = false;
  bool python_ok = false;
  std::string node = output_of(
      "node " UNISCI_TESTS_DIR "/ics_check.mjs '" + ical_js + "' '" + file + "'", node_ok);
  std::string python =
      output_of("/usr/bin/python3 " UNISCI_TESTS_DIR "/ics_check.py '" + file + "'", python_ok);
  EXPECT_TRUE(node_ok && python_ok) << node << python;
  EXPECT_EQ(node, python);
  std::istringstream events(node);
  std::string event;
  std::getline(events, event);
  EXPECT_EQ(event, "calendar\tcalendario\tcalendario\tPUBLISH\t2.0");
  for (const Case& c : cases) {
    ASSERT_TRUE(std::getline(events, event)) << c.line.text;
    std::string number = c.line.text.substr(0, c.line.text.find(' '));
    std::string file = two_calendars().files[static_cast<std::size_t>(c.line.calendar)];
    EXPECT_EQ(event.substr(37), c.utc + "\t5400\t" + c.summary + "\t" + c.location + "\tGara " +
                                    number + " - " + file + "\tcalendario" +
                                    std::to_string(c.line.calendar + 1));
  }
  EXPECT_FALSE(std::getline(events, event)) << event;
}

}  // namespace
}  // namespace unisci::testing
