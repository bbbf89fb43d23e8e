// The built program, run in a scratch folder with its answers piped in: its
// standard output, exit status and every file it leaves, byte for byte.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "program_run.h"
#include "testing/dialogue_texts.h"
#include "testing/sample_calendars.h"

namespace unisci::testing {
namespace {

using Files = std::map<std::string, std::string>;

// The whole dialogue of a run answered right at the first try.
std::string plain_run(int match_count, const std::string& file) {
  return kFormatQuestion + kYearQuestion1 + kYearQuestion2 + count_text(match_count, file) +
         kRestartQuestion;
}

// One use of the program that ends well: the calendars, the answers typed,
// and what it writes on standard output and leaves beside the calendars.
struct Session {
  std::string text1;
  std::string text2;
  std::string answers;
  std::string out;
  Files made;
};

// Runs the session in a fresh folder and checks every byte that it leaves,
// and that standard error gets `err`.
void expect_session(const Session& s, const std::string& err = "", const std::string& locale = "C",
                    StandardOutput output = StandardOutput::File) {
  ScratchFolder folder;
  folder.write("calendario1.txt", s.text1);
  folder.write("calendario2.txt", s.text2);
  ProgramRun run = folder.run(s.answers, locale, output);
  Files expected = s.made;
  expected["calendario1.txt"] = s.text1;
  expected["calendario2.txt"] = s.text2;
  EXPECT_EQ(run.out, s.out);
  EXPECT_EQ(run.err, err);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.folder, expected);
}

TEST(WorkedExample, EveryForm) {
  struct Case {
    std::string letter;
    std::string result;
    Files made;
  };
  const Files text{{"calendario.txt", kExampleMerged}};
  const Files word{{"calendario.doc", kExampleMerged}};
  const Files table{{"temp.txt", kExampleMerged}, {"calendario.xls", kExampleTable}};
  const Files page{{"temp.txt", kExampleMerged}, {"calendario.html", kExamplePage}};
  const Files ics{{"calendario.ics", read_file(std::string(UNISCI_EXAMPLES) + "/esempio.ics")}};
  const Files workbook{
      {"calendario.xlsx", read_file(std::string(UNISCI_EXAMPLES) + "/esempio.xlsx")}};
  const std::vector<Case> cases{
      {"t", "calendario.txt", text},      {"T", "calendario.txt", text},
      {"w", "calendario.doc", word},      {"W", "calendario.doc", word},
      {"x", "calendario.xls", table},     {"X", "calendario.xls", table},
      {"h", "calendario.html", page},     {"H", "calendario.html", page},
      {"i", "calendario.ics", ics},       {"I", "calendario.ics", ics},
      {"e", "calendario.xlsx", workbook},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.letter);
    expect_session(
        {kExample1, kExample2, c.letter + "\n2\n4\nn\n", plain_run(4, c.result), c.made});
  }
}

// Answers typed in every way the dialogue reads them, on the worked example.
TEST(Dialogue, Answers) {
  struct Case {
    const char* name;
    std::string answers;
    std::string out;
    Files made;
  };
  const std::string ok = count_text(4, "calendario.txt") + kRestartQuestion;
  const Files text{{"calendario.txt", kExampleMerged}};
  const std::vector<Case> cases{
      {"t and w typed together", "tw\n2\n4\nn\n", plain_run(4, "calendario.txt"), text},
      {"Enter alone: the next character is discarded", "\nxt\n2\n4\nn\n",
       kFormatQuestion + kInvalidFormat + kFormatQuestion + kYearQuestion1 + kYearQuestion2 + ok,
       text},
      {"a wrong letter", "q\nt\n2\n4\nn\n",
       kFormatQuestion + kInvalidFormat + kFormatQuestion + kYearQuestion1 + kYearQuestion2 + ok,
       text},
      {"a width of 3, then of 5", "t\n3\n2\n5\n4\nn\n",
       kFormatQuestion + kYearQuestion1 + kInvalidYear + kYearQuestion1 + kYearQuestion2 +
           kInvalidYear + kYearQuestion2 + ok,
       text},
      {"two letters at a year question", "t\nab\n2\n4\nn\n",
       kFormatQuestion + kYearQuestion1 + kInvalidYear + kYearQuestion1 + kInvalidYear +
           kYearQuestion1 + kYearQuestion2 + ok,
       text},
      {"a width after empty lines and spaces", "t\n\n\n  2\n\t4\nn\n",
       plain_run(4, "calendario.txt"), text},
      {"a width with a sign or leading zeros", "t\n+2\n004\nn\n", plain_run(4, "calendario.txt"),
       text},
      {"widths that wrap around to 2 and 4 are wrong", "t\n4294967298\n2\n-4294967292\n4\nn\n",
       kFormatQuestion + kYearQuestion1 + kInvalidYear + kYearQuestion1 + kYearQuestion2 +
           kInvalidYear + kYearQuestion2 + ok,
       text},
      {"Y starts again, n ends",
       "t\n2\n4\nY\nw\n2\n4\nn\n",
       plain_run(4, "calendario.txt") + plain_run(4, "calendario.doc"),
       {{"calendario.txt", kExampleMerged}, {"calendario.doc", kExampleMerged}}},
      {"y starts again with the other table form",
       "x\n2\n4\ny\nh\n2\n4\nn\n",
       plain_run(4, "calendario.xls") + plain_run(4, "calendario.html"),
       {{"temp.txt", kExampleMerged},
        {"calendario.xls", kExampleTable},
        {"calendario.html", kExamplePage}}},
      {"any other answer ends", "t\n2\n4\nN\ny\n", plain_run(4, "calendario.txt"), text},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    expect_session({kExample1, kExample2, c.answers, c.out, c.made});
  }
}

// A year width that a calendar's dates do not have: one warning for the first
// line that shows it, once per calendar and run; the merge is done as answered.
TEST(Dialogue, WrongYearWidthWarned) {
  const std::string warnings =
      "unisci-calendari: attenzione: calendario1.txt, riga 2: l'anno ha 2 cifre, non 4\n"
      "unisci-calendari: attenzione: calendario2.txt, riga 1: l'anno ha 4 cifre, non 2\n";
  expect_session({kExample1,
                  kExample2,
                  "t\n4\n2\ny\nt\n4\n2\nn\n",
                  plain_run(4, "calendario.txt") + plain_run(4, "calendario.txt"),
                  {{"calendario.txt",
                    "1 07/09/ 15:00 Roma Alfa - Beta\n\n2 14/09/ 20:45 Bari Gamma - Delta\n\n"
                    "10 07/09/2008 18:00 Lecce Epsilon - Zeta\n"
                    "11 10/09/2008 15:00 Siena Eta - Theta\n"}}},
                 warnings + warnings);
}

// A restart with the same form empties and rewrites its files.
TEST(Dialogue, RestartWithTheSameFormOverwrites) {
  for (const std::string letter : {"t", "x", "h"}) {
    SCOPED_TRACE(letter);
    ScratchFolder once;
    once.write("calendario1.txt", kExample1);
    once.write("calendario2.txt", kExample2);
    ProgramRun first = once.run(letter + "\n2\n4\nn\n");
    expect_session({kExample1, kExample2, letter + "\n2\n4\ny\n" + letter + "\n2\n4\nn\n",
                    first.out + first.out, first.folder});
  }
}

// An output replaced keeps the permission bits, the owner and the group of the
// file it replaces (a group the user may give); one that is a symbolic
// link stays a link, and the file it leads to is written.
TEST(Dialogue, OutputsKeepWhatTheUserHad) {
  namespace fs = std::filesystem;
  ScratchFolder folder;
  folder.write("calendario1.txt", kExample1);
  folder.write("calendario2.txt", kExample2);
  folder.write("calendario.txt", "vecchio\n");
  const std::string text = folder.path() + "/calendario.txt";
  fs::permissions(text, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  struct stat earlier {};
  if (geteuid() == 0) {
    EXPECT_EQ(chown(text.c_str(), 0, 65534), 0);  // the group of nobody
  }
  EXPECT_EQ(stat(text.c_str(), &earlier), 0);
  folder.make_folder("altrove");
  folder.write("altrove/calendario.doc", "vecchio\n");
  folder.link("calendario.doc", "altrove/calendario.doc");
  ProgramRun run = folder.run("t\n2\n4\ny\nw\n2\n4\nn\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.folder["calendario.txt"], kExampleMerged);
  EXPECT_EQ(fs::status(text).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  struct stat replaced {};
  EXPECT_EQ(stat(text.c_str(), &replaced), 0);
  EXPECT_TRUE(replaced.st_uid == earlier.st_uid && replaced.st_gid == earlier.st_gid);
  EXPECT_EQ(run.folder["calendario.doc"], "-> altrove/calendario.doc");
  EXPECT_EQ(read_file(folder.path() + "/altrove/calendario.doc"), kExampleMerged);
  EXPECT_EQ(run.folder.size(), 5U) << "no temporary file is left";
}

// A calendar line with no space where a match number ends is read with the
// number offset of the last earlier line that had one, even from an earlier
// run: "10ab" is first compared with the starting offset, then with the
// offset of "1000" that ended the first run.
TEST(Dialogue, NumberOffsetKeptFromAnEarlierRun) {
  expect_session({"10ab 07/09/08 15:00 Roma A - B\n1000 01/01/09 10:00 Bari C - D\n",
                  "1 01/09/08 12:00 Lecce E - F\n",
                  "t\n2\n2\ny\nw\n2\n2\nn\n",
                  plain_run(3, "calendario.txt") + plain_run(3, "calendario.doc"),
                  {{"calendario.txt",
                    "10ab 07/09/08 15:00 Roma A - B\n\n1 01/09/08 12:00 Lecce E - F\n\n"
                    "1000 01/01/09 10:00 Bari C - D\n"},
                   {"calendario.doc",
                    "1 01/09/08 12:00 Lecce E - F\n\n10ab 07/09/08 15:00 Roma A - B\n"
                    "1000 01/01/09 10:00 Bari C - D\n"}}},
                 // Only the first run reads its date where it is not.
                 "unisci-calendari: attenzione: calendario1.txt, riga 1: la data e l'ora "
                 "\"07/09/08 15:00\" non sono nella forma GG/MM/AA OO:MM (o GG/MM/AAAA OO:MM) dopo "
                 "il numero della gara: la gara rischia di finire fuori posto\n");
}

// The usage, the version and usage errors are answered at once, the answers
// waiting on standard input are left unread and the folder stays as it was.
// Of the usage only the first line is compared.
TEST(CommandLine, AnsweredWithoutTheDialogue) {
  const std::string kHint = "\nPer l'aiuto: unisci-calendari --help\n";
  const std::string kNoOutput = "unisci-calendari: impossibile scrivere sullo standard output\n";
  const std::vector<std::tuple<std::string, std::string, std::string, int>> cases{
      {"--help", "Uso: unisci-calendari\n", "", 0},
      {"--version", "unisci-calendari " UNISCI_VERSION "\n", "", 0},
      {"--help >&-", "", kNoOutput, 1},
      {"-V >&-", "", kNoOutput, 1},
      {"calendario1.txt --aiuto calendario2.txt", "",
       "unisci-calendari: opzione sconosciuta: '--aiuto'" + kHint, 2},
      {"-f x calendario1.txt", "", "unisci-calendari: servono almeno due calendari" + kHint, 2},
  };
  for (const auto& [arguments, out, err, status] : cases) {
    SCOPED_TRACE(arguments);
    ScratchFolder folder;
    folder.write("calendario1.txt", kExample1);
    folder.write("calendario2.txt", kExample2);
    ProgramRun run = folder.run("h\n2\n4\nn\n", "C", StandardOutput::File, arguments);
    EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1), out);
    EXPECT_EQ(run.err, err);
    EXPECT_EQ(run.status, status);
    EXPECT_EQ(run.folder, (Files{{"calendario1.txt", kExample1}, {"calendario2.txt", kExample2}}));
  }
}

// Calendars named on the command line: the result alone, on standard output
// or in the file of -o, and every other file as it was.
TEST(CommandLine, MergesTheCalendarsItNames) {
  const std::string kNoFile = "file o cartella inesistente";
  // The longest name a file may have, and one byte more.
  const std::string kLongest(255, 'n');
  const std::string kExampleICalendar = read_file(std::string(UNISCI_EXAMPLES) + "/esempio.ics");
  struct Case {
    std::string arguments;
    std::string input;  // standard input
    std::string out;
    Files made;
    std::string err;
    int status;
    Files before = {};  // beside the calendars
  };
  const std::string kInputIsOutput = "unisci-calendari: impossibile scrivere ";
  // Standard input whose first match line, with a four-digit year, stands
  // past its first MiB.
  const std::string kLateLine =
      std::string(3 << 19, '\n') + "10 07/09/2008 18:00 Lecce Epsilon - Zeta\n";
  const std::string kTwoOutOfOrder = "2 14/09/08 20:45 Bari B\n1 07/09/08 15:00 Roma A\n";
  const std::vector<Case> cases{
      {"calendario1.txt calendario2.txt", "", kExampleMerged, {}, "", 0},
      {"- calendario1.txt",
       kLateLine,
       "1 07/09/08 15:00 Roma Alfa - Beta\n10 07/09/08 18:00 Lecce Epsilon - Zeta\n\n"
       "2 14/09/08 20:45 Bari Gamma - Delta\n",
       {},
       "",
       0},
      // A width found from a match number of four digits.
      {"- calendario2.txt",
       "1000 05/03/2008 14:00 Roma B\n",
       "1000 05/03/08 14:00 Roma B\n\n10 07/09/08 18:00 Lecce Epsilon - Zeta\n"
       "11 10/09/08 15:00 Siena Eta - Theta\n",
       {},
       "",
       0},
      {"-o gare.XLSX calendario1.txt calendario2.txt",
       "",
       "",
       {{"gare.XLSX", read_file(std::string(UNISCI_EXAMPLES) + "/esempio.xlsx")}},
       "",
       0},
      // Without -f, the extension of -o's file.
      {"-o pagina.HTML calendario1.txt calendario2.txt",
       "",
       "",
       {{"pagina.HTML", kExamplePage}},
       "",
       0},
      {"--ordina - calendario2.txt",
       kTwoOutOfOrder,
       "1 07/09/08 15:00 Roma A\n10 07/09/08 18:00 Lecce Epsilon - Zeta\n\n"
       "11 10/09/08 15:00 Siena Eta - Theta\n\n2 14/09/08 20:45 Bari B\n",
       {},
       "",
       0},
      {"- calendario2.txt",
       kTwoOutOfOrder,
       "10 07/09/08 18:00 Lecce Epsilon - Zeta\n\n11 10/09/08 15:00 Siena Eta - Theta\n\n"
       "2 14/09/08 20:45 Bari B\n1 07/09/08 15:00 Roma A\n",
       {},
       "unisci-calendari: attenzione: standard input, riga 2: 07/09/08 15:00 viene prima di "
       "14/09/08 20:45, la gara precedente: il calendario non segue l'ordine delle date e le sue "
       "gare restano nel loro ordine (con --ordina le gare di ogni calendario vanno in ordine)\n",
       0},
      // An output that is a calendar, whatever names it, standard streams
      // included, is refused before anything is written.
      {"-o /dev/stdin - calendario2.txt",
       kExample1,
       "",
       {},
       kInputIsOutput + "/dev/stdin: coincide con lo standard input\n",
       1},
      {"calendario1.txt calendario2.txt >> calendario1.txt",
       "",
       "",
       {},
       kInputIsOutput + "sullo standard output: coincide con calendario1.txt\n",
       1},
      // -o naming standard output's own file writes there as it is.
      {"-o /dev/stdout calendario1.txt calendario2.txt >> log.txt",
       "",
       "",
       {{"log.txt", "prima\n" + kExampleMerged}},
       "",
       0,
       {{"log.txt", "prima\n"}}},
      {"-a2,4 --formato=X calendario1.txt calendario2.txt", "", kExampleTable, {}, "", 0},
      {"-fh -o pagina.html -- calendario1.txt calendario2.txt",
       "",
       "",
       {{"pagina.html", kExamplePage}},
       "",
       0},
      {"-f w -o - calendario1.txt -", kExample2, kExampleMerged, {}, "", 0},
      {"-f i calendario1.txt calendario2.txt", "", kExampleICalendar, {}, "", 0},
      {"-fI -a 2,4 -o calendario.ics calendario1.txt calendario2.txt",
       "",
       "",
       {{"calendario.ics", kExampleICalendar}},
       "",
       0},
      {"calendario1.txt altro.txt",
       "",
       "",
       {},
       "unisci-calendari: impossibile aprire altro.txt: " + kNoFile + "\n",
       1},
      {"-o " + kLongest + " calendario1.txt calendario2.txt",
       "",
       "",
       {{kLongest, kExampleMerged}},
       "",
       0},
      {"-o " + kLongest + "n calendario1.txt calendario2.txt",
       "",
       "",
       {},
       "unisci-calendari: impossibile creare " + kLongest + "n: nome troppo lungo\n",
       1},
      {"-o calendario2.txt calendario1.txt calendario2.txt",
       "",
       "",
       {},
       "unisci-calendari: impossibile scrivere calendario2.txt: coincide con calendario2.txt\n",
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    ScratchFolder folder;
    Files expected{{"calendario1.txt", kExample1}, {"calendario2.txt", kExample2}};
    expected.insert(c.before.begin(), c.before.end());
    for (const auto& [name, content] : expected) folder.write(name, content);
    ProgramRun run = folder.run(c.input, "C", StandardOutput::Pipe, c.arguments);
    for (const auto& [name, content] : c.made) expected[name] = content;
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.folder, expected);
  }
}

// Three and four calendars merge in one pass as they do step by step, each
// merged text read again as a calendar with two-digit years.
TEST(CommandLine, MoreCalendarsAsStepByStep) {
  const std::string kThird =
      "Recuperi\n7 08/09/2008 21:00 Lodi Lodi - Como\n5 07/09/2008 15:00 Pavia X\n";
  const std::string kFourth =
      "3 01/09/08 10:00 Asti A\n12 07/09/08 18:00 Bra B\n4 30/09/08 9:00 Ivrea C\n";
  ScratchFolder folder;
  for (const auto& [name, text] :
       Files{{"a.txt", kExample1}, {"b.txt", kExample2}, {"c.txt", kThird}, {"d.txt", kFourth}})
    folder.write(name, text);
  for (const char* form : {"t", "x", "h"}) {
    SCOPED_TRACE(form);
    std::string f = std::string(" -f ") + form + " ";
    folder.write("ab.txt", folder.run("", "C", StandardOutput::File, "a.txt b.txt").out);
    folder.write("abc.txt", folder.run("", "C", StandardOutput::File, "ab.txt c.txt").out);
    ProgramRun three = folder.run("", "C", StandardOutput::File, f + "a.txt b.txt c.txt");
    EXPECT_EQ(three.out, folder.run("", "C", StandardOutput::File, f + "ab.txt c.txt").out);
    ProgramRun four = folder.run("", "C", StandardOutput::File, f + "a.txt b.txt c.txt d.txt");
    EXPECT_EQ(four.out, folder.run("", "C", StandardOutput::File, f + "abc.txt d.txt").out);
    EXPECT_EQ(three.status + four.status, 0);
  }
}

std::string read_example(const std::string& name) {
  return read_file(std::string(UNISCI_EXAMPLES) + "/" + name);
}

TEST(Examples, RealisticPair) {
  expect_session({read_example("calendario1.txt"),
                  read_example("calendario2.txt"),
                  "t\n2\n4\nn\n",
                  plain_run(25, "calendario.txt"),
                  {{"calendario.txt",
                    "101 03/09/08 20:30 Cant\xF9 Cant\xF9 - Erba\n\n"
                    "102 03/09/08 20:30 Mariano Mariano - Lecco\n\n"
                    "1 07/09/08 15:30 Forl\xEC Forl\xEC - Cesenatico\n"
                    "103 07/09/08 15:30 Erba Erba - Mariano\n\n"
                    "2 07/09/08 15:30 Faenza Faenza - Lugo\n"
                    "104 07/09/08 17:00 Lecco Lecco - Cant\xF9\n"
                    "3 07/09/08 20:30 Riccione Riccione - Santarcangelo\n\n"
                    "105 10/09/08 20:30 Cant\xF9 Cant\xF9 - Mariano\n\n"
                    "106 10/09/08 20:45 Erba Erba - Lecco\n\n"
                    "107 14/09/08 15:00 Mariano Mariano - Cant\xF9\n"
                    "4 14/09/08 15:30 Cesenatico Cesenatico - Faenza\n\n"
                    "5 14/09/08 15:30 Lugo Lugo - Riccione\n\n"
                    "6 14/09/08 15:30 Santarcangelo Santarcangelo - Forl\xEC\n\n"
                    "7 17/09/08 20:30 Faenza Faenza - Riccione\n"
                    "108 17/09/08 20:30 Lecco Lecco - Erba\n\n"
                    "8 17/09/08 20:30 Forl\xEC Forl\xEC - Santarcangelo\n\n"
                    "9 17/09/08 20:30 Lugo Lugo - Cesenatico\n\n"
                    "10 21/09/08 15:30 Cesenatico Cesenatico - Riccione\n\n"
                    "11 21/09/08 15:30 Santarcangelo Santarcangelo - Lugo\n\n"
                    "12 21/09/08 18:00 Faenza Faenza - Forl\xEC\n\n"
                    "109 24/09/08 20:30 Mariano Mariano - Erba\n\n"
                    "110 24/09/08 20:30 Lecco Lecco - Cant\xF9\n\n"
                    "13 20/12/08 14:30 Lugo Lugo - Forl\xEC\n\n"
                    "111 07/01/09 20:30 Forl\xEC Cant\xF9 - Lecco\n\n"
                    "14 10/01/09 14:30 Riccione Riccione - Faenza\n"}}});
}

enum class Endian { Little, Big };

// ASCII text as UTF-16 with its byte order mark.
std::string utf16(const std::string& ascii, Endian endian) {
  std::string text = endian == Endian::Little ? "\xFF\xFE" : "\xFE\xFF";
  for (char c : ascii)
    text += endian == Endian::Little ? std::string{c, '\0'} : std::string{'\0', c};
  return text;
}

TEST(Examples, WorkedExampleFiles) {
  EXPECT_EQ(read_example("esempio1.txt"), kExample1);
  EXPECT_EQ(read_example("esempio2.txt"), kExample2);
}

std::string crlf(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

std::string lone_cr(std::string text) {
  std::replace(text.begin(), text.end(), '\n', '\r');
  return text;
}

std::string without_final_newline(const std::string& text) {
  return text.substr(0, text.size() - 1);
}

// Calendars whose line ends or encoding differ from the worked example's give
// the same files in every form, a page that declares UTF-8 included.
TEST(CalendarText, SameFilesAsTheWorkedExample) {
  struct Case {
    const char* name;
    std::string text1;
    std::string text2;
    // Places renamed in the calendars, as every output then writes them.
    std::vector<std::pair<std::string, std::string>> renamed = {};
  };
  auto rename = [](std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at; (at = text.find(from)) != text.npos;) text.replace(at, from.size(), to);
    return text;
  };
  const std::vector<Case> cases{
      // Notepad's UTF-8 with a Latin-1 calendar: both in UTF-8 in every file.
      {"UTF-8 with a mark and CR LF, and Latin-1",
       "\xEF\xBB\xBF" + crlf(rename(kExample1, "Roma", "Forl\xC3\xAC")),
       rename(kExample2, "Lecce", "Cant\xF9"),
       {{"Roma", "Forl\xC3\xAC"}, {"Lecce", "Cant\xC3\xB9"}}},
      {"CR LF", crlf(kExample1), crlf(kExample2)},
      {"CR LF and LF mixed", crlf(kExample1), kExample2},
      {"CR alone, as the old Mac OS wrote", lone_cr(kExample1), lone_cr(kExample2)},
      {"no newline at the end", without_final_newline(kExample1), without_final_newline(kExample2)},
      {"CR LF, no newline at the end", without_final_newline(crlf(kExample1)),
       without_final_newline(crlf(kExample2))},
      {"UTF-8 byte order marks", "\xEF\xBB\xBF" + kExample1, "\xEF\xBB\xBF" + kExample2},
      {"UTF-16, little endian with CR LF and big endian", utf16(crlf(kExample1), Endian::Little),
       utf16(kExample2, Endian::Big)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Files made{{"calendario.txt", kExampleMerged},
               {"temp.txt", kExampleMerged},
               {"calendario.xls", kExampleTable},
               {"calendario.html", kExamplePage}};
    // The iCalendar file is the one of the same calendars saved in UTF-8.
    std::string text1 = kExample1;
    std::string text2 = kExample2;
    for (const auto& [from, to] : c.renamed) text1 = rename(text1, from, to);
    for (const auto& [from, to] : c.renamed) text2 = rename(text2, from, to);
    ScratchFolder utf8;
    utf8.write("calendario1.txt", text1);
    utf8.write("calendario2.txt", text2);
    made["calendario.ics"] = utf8.run("i\n2\n4\nn\n").folder["calendario.ics"];
    for (auto& [name, content] : made)
      for (const auto& [from, to] : c.renamed) content = rename(content, from, to);
    expect_session({c.text1, c.text2, "t\n2\n4\ny\nx\n2\n4\ny\nh\n2\n4\ny\ni\n2\n4\nn\n",
                    plain_run(4, "calendario.txt") + plain_run(4, "calendario.xls") +
                        plain_run(4, "calendario.html") + plain_run(4, "calendario.ics"),
                    made});
  }
}

// A last line cut off before its newline is counted and exported like any
// other, whether the merge or the drain writes it.
TEST(LineEnds, LastLineWithoutNewline) {
  expect_session({"1 01/01/08 10:00 Roma A\n3 03/01/08 10:00 Lecce C",
                  "2 02/01/2008 10:00 Bari B\n4 04/01/2008 10:00 Siena D",
                  "x\n2\n4\nn\n",
                  plain_run(4, "calendario.xls"),
                  {{"temp.txt",
                    "1 01/01/08 10:00 Roma A\n\n2 02/01/08 10:00 Bari B\n\n"
                    "3 03/01/08 10:00 Lecce C\n\n4 04/01/08 10:00 Siena D\n"},
                   {"calendario.xls",
                    "1\t1\t01/01/08\t10:00\tRoma\tA\n2\t\n3\t2\t02/01/08\t10:00\tBari\tB\n4\t\n"
                    "5\t3\t03/01/08\t10:00\tLecce\tC\n6\t\n7\t4\t04/01/08\t10:00\tSiena\tD\n"}}});
}

TEST(LongLines, KeptWhole) {
  const std::string match(std::size_t{100} * 1024, 'x');
  const std::string page_opening = kExamplePage.substr(0, kExamplePage.find("<TR bgcolor"));
  expect_session(
      {"1 01/01/2008 10:00 Roma " + match + "\n",
       "Giornata " + match + "\n2 01/01/08 11:00 Bari B\n",
       "h\n4\n2\nn\n",
       plain_run(2, "calendario.html"),
       {{"temp.txt", "1 01/01/08 10:00 Roma " + match + "\n2 01/01/08 11:00 Bari B\n"},
        {"calendario.html", page_opening +
                                "<TR bgcolor=#c0ffff>\n\t<TD>1</TD>\n\t<TD>01/01/08</TD>\n"
                                "\t<TD>10:00</TD>\n\t<TD>Roma</TD>\n\t<TD>" +
                                match +
                                "\n\t</TD>\n</TR>\n"
                                "<TR bgcolor=#c0ffff>\n\t<TD>2</TD>\n\t<TD>01/01/08</TD>\n"
                                "\t<TD>11:00</TD>\n\t<TD>Bari</TD>\n\t<TD>B\n\t</TD>\n</TR>\n"
                                "\n</TABLE>\n</BODY>\n</HTML>"}}});
}

// Calendars of a thousand matches or more: numbers of four and five digits
// still find their dates, and the century digits that go are the date's.
TEST(MatchNumbers, FourAndFiveDigits) {
  expect_session({"999 05/03/2008 13:00 Roma A\n1000 05/03/2008 14:00 Roma B\n"
                  "10000 06/03/2008 14:00 Roma D\n",
                  "12 05/03/08 15:00 Bari C\n",
                  "t\n4\n2\nn\n",
                  plain_run(4, "calendario.txt"),
                  {{"calendario.txt",
                    "999 05/03/08 13:00 Roma A\n1000 05/03/08 14:00 Roma B\n"
                    "12 05/03/08 15:00 Bari C\n\n10000 06/03/08 14:00 Roma D\n"}}},
                 // Two matches at one place an hour apart, in one calendar.
                 "unisci-calendari: attenzione: sovrapposizione a Roma il 05/03/08: 13:00 A "
                 "(calendario1.txt, riga 1) e 14:00 B (calendario1.txt, riga 2)\n");
}

// "è" is written as UTF-8 only to a terminal whose locale uses it.
TEST(Encoding, UTF8OnlyOnAUTF8Terminal) {
  struct Case {
    const char* locale;
    StandardOutput output;
    bool utf8;
  };
  const std::vector<Case> cases{
      {"C.UTF-8", StandardOutput::Pipe, false},
      {"it_IT.UTF-8", StandardOutput::File, false},
      {"C.UTF-8", StandardOutput::Terminal, true},
      {"C", StandardOutput::Terminal, false},
      {"it_IT.ISO-8859-1", StandardOutput::Terminal, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.locale << ", output " << static_cast<int>(c.output));
    std::string out = plain_run(4, "calendario.txt");
    if (c.utf8) {
      for (std::size_t at; (at = out.find('\xE8')) != std::string::npos;)
        out.replace(at, 1, "\xC3\xA8");
    }
    expect_session(
        {kExample1, kExample2, "t\n2\n4\nn\n", out, {{"calendario.txt", kExampleMerged}}}, "",
        c.locale, c.output);
  }
}

// The text of each cell of a page's rows as Chromium shows it, in UTF-8.
std::vector<std::string> cells_in_chromium(const ScratchFolder& folder) {
  std::string profile = folder.path() + "/../chromium";
  std::string command =
      "timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
      "--disable-background-networking --disable-component-update --disable-sync "
      "--user-data-dir='" +
      profile + "' --dump-dom 'file://" + folder.path() + "/calendario.html' > '" + profile +
      ".html' 2> /dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  std::string dom = read_file(profile + ".html");
  std::vector<std::string> cells;
  for (std::size_t at = dom.find("<tr bgcolor"); (at = dom.find("<td>", at)) != dom.npos;) {
    std::size_t end = dom.find("</td>", at);
    cells.emplace_back();
    // The DOM writes & < > of a text as character references.
    for (std::size_t i = at + 4; i < end; ++i) {
      std::size_t semicolon = dom[i] == '&' ? dom.find(';', i) : i;
      std::string ref = dom.substr(i, semicolon - i + 1);
      cells.back() += ref == "&amp;" ? '&' : ref == "&lt;" ? '<' : ref == "&gt;" ? '>' : dom[i];
      i = semicolon;
    }
    at = end;
  }
  return cells;
}

// The page in a real browser: the sample calendars in Latin-1, in UTF-8 and
// one of each, with a line of markup characters, show the merged text of the
// UTF-8 pair,
// each line cut at its first four spaces and its last cell ending with the
// line's newline and a tab.
TEST(WebPage, EveryCellRightInABrowser) {
  if (std::system("command -v chromium > /dev/null 2>&1") != 0) {
    const char* ci = std::getenv("CI");
    if (ci != nullptr && *ci != '\0') FAIL() << "Chromium is missing: .ci/need installs it";
    GTEST_SKIP() << "Chromium is missing (Debian package chromium): the page is not shown in a "
                    "browser";
  }
  const std::string markup = "15 11/01/09 14:30 R&R<Rimini> A&B - <Lugo>\n";
  std::vector<std::string> expected;
  std::string expected_text;  // the UTF-8 pair's merged text
  // The mixed pair: calendar 1 as Notepad saves UTF-8 (a byte order mark,
  // CR LF), calendar 2 in Latin-1, converted to UTF-8 as it is written.
  for (const std::string pair : {"utf-8", "windows-1252", "mixed"}) {
    SCOPED_TRACE(pair);
    const std::string charset = pair == "mixed" ? "utf-8" : pair;
    const std::string samples = charset == "utf-8" ? "utf-8/" : "";
    ScratchFolder folder;
    std::string notepad = "\xEF\xBB\xBF";
    for (char c : read_example("utf-8/calendario1.txt") + markup)
      notepad += c == '\n' ? std::string("\r\n") : std::string(1, c);
    folder.write("calendario1.txt",
                 pair == "mixed" ? notepad : read_example(samples + "calendario1.txt") + markup);
    folder.write("calendario2.txt",
                 read_example((pair == "mixed" ? "" : samples) + "calendario2.txt"));
    ProgramRun run = folder.run("h\n2\n4\nn\n");
    const std::string& page = run.folder["calendario.html"];
    EXPECT_EQ(page.substr(0, page.find("<BODY>")),
              "<HTML>\n<HEAD><META http-equiv=\"Content-Type\" content=\"text/html; charset=" +
                  charset + "\"></HEAD>\n");
    // The merged text of the UTF-8 pair gives the cells that both pages show.
    if (pair == "mixed") {
      EXPECT_EQ(run.folder["temp.txt"], expected_text);
    }
    std::istringstream merged(pair == "utf-8" ? run.folder["temp.txt"] : "");
    if (pair == "utf-8") expected_text = run.folder["temp.txt"];
    for (std::string line; std::getline(merged, line);) {
      for (std::size_t n = 0, space; n < 4 && (space = line.find(' ')) != line.npos; ++n) {
        expected.push_back(line.substr(0, space));
        line.erase(0, space + 1);
      }
      expected.push_back(line + "\n\t");
    }
    EXPECT_EQ(cells_in_chromium(folder), expected);
  }
}

}  // namespace
}  // namespace unisci::testing
