// The iCalendar file as two calendar libraries read it: Mozilla's ical.js,
// in the time zone the file defines, and python3-icalendar, checked against
// Python's zoneinfo. Both must find every event at its instant, with its
// text, and every UID once.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "calendar/match_line.h"
#include "export/icalendar.h"
#include "testing/memory_files.h"

namespace unisci::testing {
namespace {

// Runs `command` in the shell; its standard output, and whether it exited 0.
std::string output_of(const std::string& command, bool& ok) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buf[4096];
  for (std::size_t got; (got = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, got);
  ok = pclose(pipe) == 0;
  return out;
}

bool runs(const std::string& command) {
  return std::system((command + " > /dev/null 2>&1").c_str()) == 0;
}

TEST(ICalendarClients, EveryEventAtItsInstantWithItsText) {
  const std::string ical_js = UNISCI_ICALJS_DIR "/node_modules/ical.js/dist/ical.js";
  std::string missing;
  if (!runs("command -v node") || !std::filesystem::exists(ical_js))
    missing =
        "node or ical.js (Debian package nodejs; .ci/need puts ical.js in " UNISCI_ICALJS_DIR ")";
  else if (!runs("/usr/bin/python3 -c 'import icalendar, zoneinfo'"))
    missing = "python3-icalendar (Debian package python3-icalendar)";
  if (!missing.empty()) {
    const char* ci = std::getenv("CI");
    if (ci != nullptr && *ci != '\0') FAIL() << missing << " is missing: .ci/need installs it";
    GTEST_SKIP() << missing << " is missing: the file is not read by calendar libraries";
  }

  struct Case {
    int calendar;
    std::string line;
    int year_digits;
    std::string utc;  // where the event starts
    std::string summary;
    std::string location;
  };
  const std::string long_match = "Citt\xC3\xA0 di Castello - Forl\xC3\xAC, Sud; Nord \\ " +
                                 std::string(40, '=') + " citt\xC3\xA0 citt\xC3\xA0";
  const std::vector<Case> cases{
      {0, "1 07/09/08 15:00 Roma Alfa - Beta", 2, "20080907T130000Z", "Alfa - Beta", "Roma"},
      {1, "10 07/09/2008 18:00 Lecce Epsilon - Zeta", 4, "20080907T160000Z", "Epsilon - Zeta",
       "Lecce"},
      {0, "5 14/01/09 14:30 Torino " + long_match, 2, "20090114T133000Z", long_match, "Torino"},
      // Saturday and Sunday of the switch to summer time, then back.
      {0, "6 29/03/08 20:45 Bari Gamma - Delta", 2, "20080329T194500Z", "Gamma - Delta", "Bari"},
      {0, "7 30/03/08 15:00 Bari Gamma - Delta", 2, "20080330T130000Z", "Gamma - Delta", "Bari"},
      {1, "8 25/10/2008 20:45 Forl\xEC Eta - Theta", 4, "20081025T184500Z", "Eta - Theta",
       "Forl\xC3\xAC"},
      {1, "9 26/10/2008 15:00 Siena Eta - Theta", 4, "20081026T140000Z", "Eta - Theta", "Siena"},
      // Summer time ended in September until 1995.
      {0, "2 17/09/95 15:00 Roma Alfa - Beta", 2, "19950917T130000Z", "Alfa - Beta", "Roma"},
      {0, "3 01/10/95 15:00 Roma Alfa - Beta", 2, "19951001T140000Z", "Alfa - Beta", "Roma"},
      {0, "4 30/06/37 21:00 Roma Alfa - Beta", 2, "20370630T190000Z", "Alfa - Beta", "Roma"},
      // The same match again.
      {0, "1 21/12/08 15:00 Roma Alfa - Beta", 2, "20081221T140000Z", "Alfa - Beta", "Roma"},
  };
  ICalendarSettings settings;
  settings.files = {"calendario1.txt", "calendario2.txt"};
  settings.encodings = {TextEncoding::Utf8, TextEncoding::Windows1252};
  settings.stamp_time = 1700000000;
  std::string ics;
  {
    StringSink sink(ics);
    TextWriter out(sink);
    ICalendarExport calendar(out, settings);
    for (const Case& c : cases) {
      MergedLine line{c.line, {}, {c.calendar, 1, c.line, number_offset(c.line, 0), c.year_digits}};
      calendar.match_line(line);
    }
    calendar.close();
  }
  const std::string file = ::testing::TempDir() + "icalendar_client_test.ics";
  std::ofstream(file, std::ios::binary) << ics;

  bool node_ok = false;
  bool python_ok = false;
  std::string node = output_of(
      "node " UNISCI_TESTS_DIR "/ics_check.mjs '" + ical_js + "' '" + file + "'", node_ok);
  std::string python =
      output_of("/usr/bin/python3 " UNISCI_TESTS_DIR "/ics_check.py '" + file + "'", python_ok);
  EXPECT_TRUE(node_ok) << node;
  EXPECT_TRUE(python_ok) << python;
  EXPECT_EQ(node, python);

  std::istringstream lines(node);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "calendar\tcalendario\tcalendario\tPUBLISH\t2.0");
  for (const Case& c : cases) {
    ASSERT_TRUE(std::getline(lines, line)) << c.line;
    std::vector<std::string> fields;
    std::istringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    std::string number = c.line.substr(0, c.line.find(' '));
    std::string name = settings.files[static_cast<std::size_t>(c.calendar)];
    EXPECT_EQ(std::vector<std::string>(fields.begin() + 1, fields.end()),
              (std::vector<std::string>{c.utc, "5400", c.summary, c.location,
                                        "Gara " + number + " - " + name,
                                        name.substr(0, name.find('.'))}));
  }
  EXPECT_FALSE(std::getline(lines, line)) << line;
}

}  // namespace
}  // namespace unisci::testing
