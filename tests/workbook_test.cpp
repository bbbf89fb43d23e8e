// The workbook form: the file and its scratch files, its bytes, its limit of
// rows, and its cells as two spreadsheet programs read them.
#include "export/workbook.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "io/file_error_message.h"
#include "testing/memory_files.h"

namespace unisci::testing {
namespace {

namespace fs = std::filesystem;

struct Line {
  Line(std::string line, int from = 0, int digits = 2)
      : text(std::move(line)), calendar(from), year_digits(digits) {}
  std::string text;
  int calendar;
  int year_digits;
};

// A folder of the current test's own for the scratch files, empty: tests
// may run at the same time.
std::string scratch_folder() {
  fs::path folder = fs::path(::testing::TempDir()) /
                    ("workbook_test_" +
                     std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder.string();
}

WorkbookSettings two_calendars(const std::string& scratch) {
  WorkbookSettings settings;
  settings.files = {"calendario1.txt", "dir/calendario2.txt"};
  settings.encodings = {Encoding::Windows1252, Encoding::Utf8};
  settings.created = 1220227200;
  settings.scratch_folder = scratch;
  auto teams = std::make_shared<KnownTeams>();
  teams->add("1 05/10/24 18:00 Imola Imola Basket - Virtus San Lazzaro");
  settings.known_teams = teams;
  return settings;
}

// The workbook of `lines` and the line numbers that were warned of.
std::string xlsx_of(const std::vector<Line>& lines, WorkbookSettings settings,
                    std::vector<std::int64_t>* warned = nullptr) {
  settings.bad_date = [&](const LineOrigin& origin) {
    if (warned != nullptr) warned->push_back(origin.line_number);
  };
  std::string bytes;
  StringSink sink(bytes);
  WorkbookExport workbook(sink, std::move(settings));
  std::int64_t number = 0;
  for (const Line& line : lines) {
    MergedLine merged{line.text, {}, {}};
    merged.origin = {
        line.calendar, ++number, line.text, {number_offset(line.text, 0), line.year_digits}};
    workbook.match_line(merged);
    workbook.empty_line();
  }
  workbook.close();
  return bytes;
}

// Reproducible, and nothing left in the scratch folder whether the workbook
// is written, its output fails, or it is given up at the line past the
// sheet's limit.
TEST(Workbook, SameBytesNoScratchFileLeftAtMostASheetOfRows) {
  const std::string scratch = scratch_folder();
  const std::vector<Line> lines{{"1 07/09/08 15:30 Forl\xEC Forl\xEC - Cesenatico"},
                                {"101 03/09/2008 20:30 Cant\xC3\xB9 Cant\xC3\xB9 - Erba", 1, 4}};
  std::string first = xlsx_of(lines, two_calendars(scratch));
  EXPECT_EQ(first.substr(0, 4), "PK\x03\x04");
  EXPECT_EQ(xlsx_of(lines, two_calendars(scratch)), first);
  WorkbookSettings later = two_calendars(scratch);
  later.created += 1;
  EXPECT_NE(xlsx_of(lines, later), first);
  EXPECT_TRUE(fs::is_empty(scratch));

  std::string bytes;
  StringSink full(bytes, 1000);
  WorkbookExport failing(full, two_calendars(scratch));
  EXPECT_THROW(failing.close(), FileError);
  EXPECT_TRUE(fs::is_empty(scratch));

  try {
    StringSink sink(bytes);
    WorkbookExport workbook(sink, two_calendars(scratch));
    const std::string line = "1 x";
    MergedLine merged{line, {}, {0, 1, line, {}}};
    for (std::int64_t i = 0; i <= WorkbookExport::kMaxMatchLines; ++i) workbook.match_line(merged);
    ADD_FAILURE() << "a sheet of more than " << WorkbookExport::kMaxMatchLines << " rows";
  } catch (const FileError& e) {
    EXPECT_EQ(e.action(), FileError::Action::TooManyRows);
    EXPECT_EQ(file_error_message(e),
              "impossibile scrivere calendario.xlsx: un foglio di calcolo contiene al massimo "
              "1.048.575 gare e il calendario unito ne ha di più; scegli un'altra forma, per "
              "esempio il testo (t) o la tabella (x)");
  }
  EXPECT_TRUE(bytes.empty());
  EXPECT_TRUE(fs::is_empty(scratch));
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

// Lines of the sample calendars and a few odd ones, as openpyxl reads each
// cell, with its type, and as LibreOffice shows it in the CSV it converts
// the workbook to: dates dd/mm/yyyy, accents from either encoding.
TEST(WorkbookClients, EveryCellWithItsTypeAndAsShown) {
  std::string missing;
  if (std::system("/usr/bin/python3 -c 'import openpyxl' 2> /dev/null") != 0)
    missing = "python3-openpyxl (Debian package python3-openpyxl)";
  else if (std::system("command -v soffice > /dev/null") != 0)
    missing = "LibreOffice (Debian package libreoffice-calc-nogui)";
  if (!missing.empty()) {
    const char* ci = std::getenv("CI");
    if (ci != nullptr && *ci != '\0') FAIL() << missing << " is missing: .ci/need installs it";
    GTEST_SKIP() << missing << " is missing: the workbook is not read by spreadsheet programs";
  }
  struct Case {
    Line line;
    std::string cells;  // as openpyxl reads them
    std::string shown;  // as LibreOffice writes them to CSV
  };
  const std::vector<Case> cases{
      {{"1 07/09/08 15:30 Forl\xEC Forl\xEC - Cesenatico"},
       "int 1\tdatetime 2008-09-07 00:00:00\ttime 15:30:00\tstr Forlì\tstr Forlì - "
       "Cesenatico\tstr calendario1",
       "1,07/09/2008,15:30,Forlì,Forlì - Cesenatico,calendario1"},
      {{"111 07/01/2009 20:30 Forl\xC3\xAC Cant\xC3\xB9 - Lecco", 1, 4},
       "int 111\tdatetime 2009-01-07 00:00:00\ttime 20:30:00\tstr Forlì\tstr Cantù - "
       "Lecco\tstr calendario2",
       "111,07/01/2009,20:30,Forlì,Cantù - Lecco,calendario2"},
      // No 31 February: the date and time as written, text.
      {{"13 31/02/09 14:30 Lugo Lugo - Forl\xEC"},
       "int 13\tstr 31/02/09\tstr 14:30\tstr Lugo\tstr Lugo - Forlì\tstr calendario1",
       "13,31/02/09,14:30,Lugo,Lugo - Forlì,calendario1"},
      {{"12A 21/09/08 18:00 Faenza Faenza, Forl\xEC"},
       "str 12A\tdatetime 2008-09-21 00:00:00\ttime 18:00:00\tstr Faenza\tstr Faenza, "
       "Forlì\tstr calendario1",
       "12A,21/09/2008,18:00,Faenza,\"Faenza, Forlì\",calendario1"},
      // A place of several words, told by the team after it.
      {{"4 12/10/24 18:00 San Lazzaro Virtus San Lazzaro - Imola", 1},
       "int 4\tdatetime 2024-10-12 00:00:00\ttime 18:00:00\tstr San Lazzaro\tstr Virtus San "
       "Lazzaro - Imola\tstr calendario2",
       "4,12/10/2024,18:00,San Lazzaro,Virtus San Lazzaro - Imola,calendario2"},
      {{"007 01/01/1850 00:00 Erba", 1, 4},
       "str 007\tstr 01/01/1850\ttime 00:00:00\tstr Erba\t\tstr calendario2",
       "007,01/01/1850,00:00,Erba,,calendario2"},
  };
  std::vector<Line> lines;
  lines.reserve(cases.size());
  for (const Case& c : cases) lines.push_back(c.line);
  std::vector<std::int64_t> warned;
  const std::string folder = scratch_folder();
  const std::string file = folder + "/calendario.xlsx";
  std::ofstream(file, std::ios::binary) << xlsx_of(lines, two_calendars(folder), &warned);
  EXPECT_EQ(warned, std::vector<std::int64_t>{3});

  bool python_ok = false;
  bool office_ok = false;
  std::string cells =
      output_of("/usr/bin/python3 " UNISCI_TESTS_DIR "/xlsx_check.py '" + file + "'", python_ok);
  // A first start of LibreOffice on a busy machine may end without a word
  // and without the file: it is given a second try.
  std::string office = output_of("cd '" + folder +
                                     "' && for try in 1 2; do soffice "
                                     "-env:UserInstallation=file://$PWD/profilo "
                                     "--headless --convert-to "
                                     "'csv:Text - txt - csv (StarCalc):44,34,76' calendario.xlsx; "
                                     "test -s calendario.csv && break; done",
                                 office_ok);
  std::ifstream csv(folder + "/calendario.csv", std::ios::binary);
  std::string shown((std::istreambuf_iterator<char>(csv)), std::istreambuf_iterator<char>());
  ASSERT_TRUE(python_ok && office_ok) << cells << office;
  std::istringstream rows(cells);
  std::istringstream shown_rows(shown);
  std::string row;
  std::getline(rows, row);
  EXPECT_EQ(row, "Calendario\tA2\tA1:F7\tbold\t2008-09-01 00:00:00");
  std::getline(rows, row);
  EXPECT_EQ(row, "str N\tstr DATA\tstr ORARIO\tstr LUOGO\tstr PARTITA\tstr CALENDARIO");
  std::getline(shown_rows, row);
  EXPECT_EQ(row, "N,DATA,ORARIO,LUOGO,PARTITA,CALENDARIO");
  for (const Case& c : cases) {
    ASSERT_TRUE(std::getline(rows, row)) << c.line.text;
    EXPECT_EQ(row, c.cells);
    ASSERT_TRUE(std::getline(shown_rows, row)) << c.line.text;
    EXPECT_EQ(row, c.shown);
  }
  EXPECT_FALSE(std::getline(rows, row)) << row;
  EXPECT_FALSE(std::getline(shown_rows, row)) << row;
}

}  // namespace
}  // namespace unisci::testing
