// Failures and unusual input, through the built program: calendars and
// targets that cannot be opened or written, standard input that ends early,
// very large and odd calendars. Every run must say what went wrong on standard
// error naming the file, never claim success, end with the right status, and
// lose nothing that was there before.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "program_run.h"
#include "testing/dialogue_texts.h"
#include "testing/sample_calendars.h"

namespace unisci::testing {
namespace {

using namespace std::string_literals;

// The worked example's calendars and their merged text.
const std::string& kCalendar1 = kExample1;
const std::string& kCalendar2 = kExample2;
const std::string& kMerged = kExampleMerged;
// The questions of one run answered with a form, then 2 and 4.
const std::string kQuestions = kFormatQuestion + kYearQuestion1 + kYearQuestion2;
// A file left by an earlier run, which a failed run must not touch.
const std::string kEarlier = "1\tda una esecuzione precedente\n";
const std::string kNotText =
    "non sembra un file di testo (contiene byte nulli); salvalo come testo, per esempio in UTF-8";

// Whether the program runs under a sanitizer, which cannot start in a small
// address space.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

std::string report(const std::string& verb, const std::string& file, const std::string& reason) {
  return "unisci-calendari: impossibile " + verb + " " + file + ": " + reason + "\n";
}

// Compares texts too large to print: on a difference, shows where it starts.
void expect_same(const std::string& got, const std::string& want, const std::string& what) {
  if (got == want) return;
  std::size_t at = 0;
  while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
  ADD_FAILURE() << what << ": " << got.size() << " bytes instead of " << want.size()
                << ", first difference at byte " << at;
}

// Folder contents as ProgramRun lists them: "<dir>" is a folder, "-> path" a link.
using Layout = std::map<std::string, std::string>;

// Compares folders that hold files too large to print.
void expect_same_folder(const Layout& got, const Layout& want) {
  auto names = [](const Layout& folder) {
    std::vector<std::string> all;
    for (const auto& entry : folder) all.push_back(entry.first);
    return all;
  };
  EXPECT_EQ(names(got), names(want));
  for (const auto& [name, content] : want)
    if (got.count(name) > 0) expect_same(got.at(name), content, name);
}

void lay_out(const ScratchFolder& folder, const Layout& layout) {
  for (const auto& [name, content] : layout) {
    if (content == "<dir>")
      folder.make_folder(name);
    else if (content.rfind("-> ", 0) == 0)
      folder.link(name, content.substr(3));
    else
      folder.write(name, content);
  }
}

// A calendar that cannot be used: the run reports it, shows no count and no
// closing line, asks to restart and fails. Every file of an earlier run stays
// as it was, the merged text of the form chosen included; with standard error
// closed, no message lands in one of them.
TEST(CalendarFault, ReportedAndNothingLost) {
  const std::string kMissing = "file o cartella inesistente";
  const std::string kFolder = "si tratta di una cartella";
  struct Case {
    Layout calendars;
    std::string err;
    Limits limits;
  };
  const std::vector<Case> cases{
      {{{"calendario2.txt", kCalendar2}}, report("aprire", "calendario1.txt", kMissing), {}},
      {{{"calendario1.txt", kCalendar1}}, report("aprire", "calendario2.txt", kMissing), {}},
      {{},
       report("aprire", "calendario1.txt", kMissing) +
           report("aprire", "calendario2.txt", kMissing),
       {}},
      {{{"calendario1.txt", "<dir>"}, {"calendario2.txt", kCalendar2}},
       report("leggere", "calendario1.txt", kFolder),
       {}},
      {{{"calendario1.txt", kCalendar1}, {"calendario2.txt", "<dir>"}},
       report("leggere", "calendario2.txt", kFolder),
       {}},
      {{{"calendario1.txt", kCalendar1}}, "", {0, true}},
      // Files that are no text: NUL bytes, once decoded, show it at once,
      // before an endless one such as /dev/zero fills the memory (here
      // limited in case it did).
      {{{"calendario1.txt", kCalendar1}, {"calendario2.txt", "-> /dev/zero"}},
       report("leggere", "calendario2.txt", kNotText),
       {std::size_t{1} << 30, false}},
      {{{"calendario1.txt", "%PDF-1.4\n1 0 obj\n<< /Type /Catalog >>\nstream\n\x9C\0x\n"s},
        {"calendario2.txt", kCalendar2}},
       report("leggere", "calendario1.txt", kNotText),
       {}},
      {{{"calendario1.txt", kCalendar1}, {"calendario2.txt", "PK\x03\x04\x14\0\x06\0"s}},
       report("leggere", "calendario2.txt", kNotText),
       {}},
      {{{"calendario1.txt", kCalendar1}, {"calendario2.txt", "1\0 \0x\0\n\0"s}},
       report("leggere", "calendario2.txt", kNotText),
       {}},
      {{{"calendario1.txt", kCalendar1},
        {"calendario2.txt",
         "\xFF\xFE"
         "1\0\0\0\n\0"s}},
       report("leggere", "calendario2.txt", kNotText),
       {}},
  };
  for (const auto& [calendars, err, limits] : cases) {
    for (char form : {'t', 'w', 'x', 'h'}) {
      SCOPED_TRACE(err + "form " + form + (limits.without_stderr ? ", standard error closed" : ""));
      if (limits.memory > 0 && kSanitized) continue;  // it needs more address space
      Layout layout = calendars;
      for (const char* earlier :
           {"calendario.txt", "calendario.doc", "temp.txt", "calendario.xls", "calendario.html"})
        layout[earlier] = kEarlier;
      ScratchFolder folder;
      lay_out(folder, layout);
      ProgramRun run = folder.finish(folder.start(std::string{form} + "\n2\n4\nn\n", limits));
      EXPECT_EQ(run.out, kQuestions + kRestartQuestion);
      EXPECT_EQ(run.err, err);
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(run.folder, layout);
    }
  }
}

TEST(CalendarFault, RestartQuestionFollowsAndEveryRunReports) {
  ScratchFolder folder;
  folder.write("calendario2.txt", kCalendar2);
  ProgramRun run = folder.run("t\n2\n4\ny\nh\n2\n4\n");
  EXPECT_EQ(run.out, kQuestions + kRestartQuestion + kQuestions + kRestartQuestion);
  EXPECT_EQ(run.err, report("aprire", "calendario1.txt", "file o cartella inesistente") +
                         report("aprire", "calendario1.txt", "file o cartella inesistente"));
  EXPECT_EQ(run.status, 1);
}

// A folder where an output of the form goes: reported at the form's answer,
// and the form question comes again.
TEST(TargetFault, FolderInPlaceOfAnOutput) {
  struct Case {
    char form;
    const char* folder_name;
    char retry;
    const char* result;
  };
  const std::vector<Case> cases{
      {'t', "calendario.txt", 'w', "calendario.doc"},
      {'T', "calendario.txt", 'W', "calendario.doc"},
      {'w', "calendario.doc", 't', "calendario.txt"},
      {'x', "temp.txt", 't', "calendario.txt"},
      {'h', "temp.txt", 'T', "calendario.txt"},
      {'x', "calendario.xls", 't', "calendario.txt"},
      {'H', "calendario.html", 'w', "calendario.doc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("form ") + c.form + ", " + c.folder_name);
    ScratchFolder folder;
    folder.write("calendario1.txt", kCalendar1);
    folder.write("calendario2.txt", kCalendar2);
    folder.make_folder(c.folder_name);
    ProgramRun run = folder.run(std::string{c.form, '\n', c.retry} + "\n2\n4\nn\n");
    EXPECT_EQ(run.out, kFormatQuestion + kQuestions + count_text(4, c.result) + kRestartQuestion);
    EXPECT_EQ(run.err, report("creare", c.folder_name, "si tratta di una cartella"));
    EXPECT_EQ(run.status, 0);
    std::map<std::string, std::string> expected{{"calendario1.txt", kCalendar1},
                                                {"calendario2.txt", kCalendar2},
                                                {c.folder_name, "<dir>"},
                                                {c.result, kMerged}};
    EXPECT_EQ(run.folder, expected);
  }
}

// A folder where the user may make no new file, holding an output the user
// may write (a web server's folder): the output is written in the temporary
// folder and copied over the old one when complete, which stays the same file
// of the same owner and is untouched until then. Without a temporary folder
// the output is refused at the form's answer.
TEST(TargetFault, FolderTheUserMayNotWrite) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can run the program as another user";
  constexpr unsigned kNobody = 65534;
  // A build in a folder only its owner may enter cannot be run as nobody.
  pid_t probe = fork();
  if (probe == 0)
    _exit(setgid(kNobody) == 0 && setuid(kNobody) == 0 && access(UNISCI_BINARY, X_OK) == 0 ? 0 : 1);
  int probed = 0;
  if (waitpid(probe, &probed, 0) != probe || !WIFEXITED(probed) || WEXITSTATUS(probed) != 0)
    GTEST_SKIP() << "nobody may not run " UNISCI_BINARY;
  // Latin-1 at the start: the survey of the encodings stops there, and the
  // NUL byte is found in the merge.
  std::string late_fault = "0 01/01/2009 09:00 Citt\xE0 Alfa - Beta\n";
  for (int n = 1; late_fault.size() < 1000000; ++n)
    late_fault += std::to_string(n) + " 01/01/2009 10:00 Roma Alfa - Beta\n";
  late_fault += '\0';
  struct Case {
    const char* name;
    std::string calendar2, tmpdir, answers, out, err, result;
  };
  const std::vector<Case> cases{
      {"copied over", kCalendar2, "", "t\n2\n4\nn\n",
       kQuestions + count_text(4, "calendario.txt") + kRestartQuestion, "", kMerged},
      {"a calendar fails late", late_fault, "", "t\n2\n4\nn\n", kQuestions + kRestartQuestion,
       report("leggere", "calendario2.txt", kNotText), kEarlier},
      {"no temporary folder", kCalendar2, "/nonexistent", "t\n", kFormatQuestion + kFormatQuestion,
       report("creare", "calendario.txt",
              "nessun file temporaneo in /nonexistent: file o cartella inesistente"),
       kEarlier},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    Layout layout{{"calendario1.txt", kCalendar1}, {"calendario2.txt", c.calendar2}};
    lay_out(folder, layout);
    const std::string output = folder.path() + "/calendario.txt";
    folder.write("calendario.txt", layout["calendario.txt"] = kEarlier);
    struct stat before {};
    ASSERT_EQ(chown(output.c_str(), kNobody, kNobody) | stat(output.c_str(), &before), 0);
    ProgramRun run = folder.finish(folder.start(c.answers, {0, false, 0, kNobody, c.tmpdir}));
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.status, c.err.empty() ? 0 : 1);
    layout["calendario.txt"] = c.result;
    expect_same_folder(run.folder, layout);
    struct stat after {};
    EXPECT_EQ(stat(output.c_str(), &after), 0);
    EXPECT_TRUE(after.st_ino == before.st_ino && after.st_uid == kNobody);
  }
}

// A target on a full disk: the write fails, the run reports it and fails, and
// every file of an earlier run stays as it was.
TEST(TargetFault, DiskFull) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  const std::vector<std::pair<char, std::string>> cases{
      {'t', "calendario.txt"}, {'w', "calendario.doc"}, {'x', "temp.txt"},
      {'h', "temp.txt"},       {'x', "calendario.xls"}, {'h', "calendario.html"},
  };
  for (const auto& [form, full] : cases) {
    SCOPED_TRACE(std::string("form ") + form + ", " + full);
    Layout layout{{"calendario1.txt", kCalendar1},
                  {"calendario2.txt", kCalendar2},
                  {"temp.txt", kEarlier},
                  {"calendario.xls", kEarlier},
                  {"calendario.html", kEarlier}};
    layout[full] = "-> /dev/full";
    ScratchFolder folder;
    lay_out(folder, layout);
    ProgramRun run = folder.run(std::string{form} + "\n2\n4\nn\n");
    EXPECT_EQ(run.out, kQuestions + kRestartQuestion);
    EXPECT_EQ(run.err, report("scrivere", full, "disco pieno"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.folder, layout);
  }
}

// An output that is a calendar, through a symbolic or a hard link, is refused
// before anything is written: the calendars stay as they were.
TEST(TargetFault, OutputIsACalendar) {
  struct Case {
    char form;
    const char* output;
    const char* calendar;
    bool hard_link;
  };
  const std::vector<Case> cases{
      {'t', "calendario.txt", "calendario1.txt", false},
      {'w', "calendario.doc", "calendario2.txt", true},
      {'x', "temp.txt", "calendario1.txt", true},
      {'h', "temp.txt", "calendario2.txt", false},
      {'x', "calendario.xls", "calendario2.txt", false},
      {'h', "calendario.html", "calendario1.txt", true},
  };
  for (const Case& c : cases) {
    for (bool output_is_the_link : {true, false}) {
      SCOPED_TRACE(std::string("form ") + c.form + ", " + c.output +
                   (c.hard_link ? " = " : " -> ") + c.calendar +
                   (output_is_the_link ? "" : ", reversed"));
      ScratchFolder folder;
      folder.write("calendario1.txt", kCalendar1);
      folder.write("calendario2.txt", kCalendar2);
      std::string link = output_is_the_link ? c.output : c.calendar;
      std::string target = output_is_the_link ? c.calendar : c.output;
      if (!output_is_the_link)
        std::filesystem::rename(folder.path() + "/" + c.calendar, folder.path() + "/" + c.output);
      if (c.hard_link)
        std::filesystem::create_hard_link(folder.path() + "/" + target, folder.path() + "/" + link);
      else
        folder.link(link, target);
      std::map<std::string, std::string> before = folder.contents();
      ProgramRun run = folder.run(std::string{c.form} + "\n2\n4\nn\n");
      EXPECT_EQ(run.out, kQuestions + kRestartQuestion);
      EXPECT_EQ(run.err, "unisci-calendari: impossibile scrivere " + std::string(c.output) +
                             ": coincide con " + c.calendar + "\n");
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(run.folder, before);
    }
  }
}

// Standard output on a full disk: the dialogue cannot be shown, so the program
// must not end as if all went well.
TEST(OutputFault, StandardOutputOnFullDisk) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  ScratchFolder folder;
  folder.write("calendario1.txt", kCalendar1);
  folder.write("calendario2.txt", kCalendar2);
  folder.write("risposte", "t\n2\n4\nn\n");
  std::string command =
      "cd '" + folder.path() + "' && LC_ALL=C '" UNISCI_BINARY "' < risposte > /dev/full 2> errori";
  int raw = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1);
  EXPECT_EQ(read_file(folder.path() + "/errori"),
            "unisci-calendari: impossibile scrivere sullo standard output\n");
  EXPECT_EQ(read_file(folder.path() + "/calendario.txt"), kMerged);
}

// The workbook's library, loaded only for a workbook, is not there (a broken
// copy comes first in the search): the run says so, and the old file stays.
TEST(OutputFault, WorkbookLibraryMissing) {
  ScratchFolder folder;
  folder.write("calendario1.txt", kCalendar1);
  folder.write("calendario2.txt", kCalendar2);
  folder.write("gare.xlsx", kEarlier);
  folder.make_folder("lib");
  folder.write("lib/libxlsxwriter.so.4", "");
  std::string command = "cd '" + folder.path() +
                        "' && LC_ALL=C LD_LIBRARY_PATH=lib '" UNISCI_BINARY
                        "' -o gare.xlsx calendario1.txt calendario2.txt 2> errori";
  int raw = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1);
  EXPECT_EQ(read_file(folder.path() + "/errori"),
            "unisci-calendari: impossibile creare gare.xlsx: manca una libreria del programma\n");
  EXPECT_EQ(read_file(folder.path() + "/gare.xlsx"), kEarlier);
}

// A signal at any moment of a dialogue that starts again and again, the
// creation and removal of the file that shows an output can be made
// included: no temporary file is ever left, and the output is whole.
TEST(SignalFault, AnyMomentLeavesNoTemporaryFile) {
  ScratchFolder folder;
  lay_out(folder, {{"calendario1.txt", kCalendar1}, {"calendario2.txt", kCalendar2}});
  std::string answers;
  for (int run = 0; run < 300; ++run) answers += "t\n2\n4\ny\n";
  for (int delay_us = 0; delay_us < 20000; delay_us += 125) {
    RunningProgram program = folder.start(answers);
    usleep(static_cast<useconds_t>(delay_us));
    kill(program.pid, SIGINT);
    for (const auto& [name, content] : folder.finish(program).folder)
      EXPECT_TRUE(name[0] != '.' && name[0] != '$' &&
                  (name != "calendario.txt" || content == kMerged))
          << name << " after " << delay_us << " us";
  }
}

// Standard input that ends while an answer is awaited: nothing more is
// printed, and the status tells whether the last run completed.
TEST(InputEnds, AtEachQuestion) {
  const std::string kDone = kQuestions + count_text(4, "calendario.txt") + kRestartQuestion;
  struct Case {
    const char* answers;
    std::string out;
    int status;
  };
  const std::vector<Case> cases{
      {"", kFormatQuestion, 1},
      {"q\n", kFormatQuestion + kInvalidFormat + kFormatQuestion, 1},
      {"t", kFormatQuestion + kYearQuestion1, 1},
      {"t\n", kFormatQuestion + kYearQuestion1, 1},
      {"t\n-", kFormatQuestion + kYearQuestion1, 1},
      {"t\n7\n", kFormatQuestion + kYearQuestion1 + kInvalidYear + kYearQuestion1, 1},
      {"t\n2", kQuestions, 1},
      {"t\n2\n \n\n\t", kQuestions, 1},
      {"t\n2\n4", kDone, 0},
      {"t\n2\n4\n", kDone, 0},
      {"t\n2\n4\ny", kDone + kFormatQuestion, 1},
      {"t\n2\n4\ny\nt\n4\n", kDone + kQuestions, 1},
      {"t\n2\n4\nY\nt\n2\n4\n", kDone + kDone, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.answers)));
    ScratchFolder folder;
    folder.write("calendario1.txt", kCalendar1);
    folder.write("calendario2.txt", kCalendar2);
    ProgramRun run = folder.run(c.answers);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.folder.at("calendario1.txt"), kCalendar1);
    EXPECT_EQ(run.folder.at("calendario2.txt"), kCalendar2);
  }
}

// A run that is abandoned or fails leaves the folder as it found it: no new
// file, and no earlier file touched.
TEST(InputEnds, NothingNewLeftBehind) {
  struct Case {
    const char* name;
    std::string answers;
    bool calendar2;
  };
  const std::vector<Case> cases{
      {"input ends at the first year question", "t\n", true},
      {"input ends at the second year question", "x\n2\n", true},
      {"a calendar is missing", "h\n2\n4\nn\n", false},
  };
  for (const Case& c : cases) {
    for (bool earlier : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (earlier ? ", earlier files" : ""));
      Layout layout{{"calendario1.txt", kCalendar1}};
      if (c.calendar2) layout["calendario2.txt"] = kCalendar2;
      if (earlier)
        layout["calendario.txt"] = layout["temp.txt"] = layout["calendario.html"] = kEarlier;
      ScratchFolder folder;
      lay_out(folder, layout);
      ProgramRun run = folder.run(c.answers);
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(run.folder, layout);
    }
  }
}

TEST(OddCalendars, MergedWhole) {
  const std::string kNoMatchLine = "unisci-calendari: attenzione: ";
  const std::string kOutOfLayout =
      " non sono nella forma GG/MM/AA OO:MM (o GG/MM/AAAA OO:MM) dopo il numero della gara: la "
      "gara rischia di finire fuori posto\n";
  const std::string kHeadings = "Giornata 1\n\nGiornata 2\n  nota\nG\n";
  const std::string kLatin1 =
      "\xC8 una nota\n1 07/09/08 15:00 Citt\xE0 Alfa - Beta\n2 07/09/08 1\xE8:00 Forl\xEC Gamma\n";
  const std::string kLatin2 =
      "11 \xE8\xE8/09/2008 15:00 Siena Eta - Theta\n10 07/09/2008 18:00 Cant\xF9 Epsilon\n"
      "12 21/09/\xE9\xE9"
      "08 10:00 Pisa X - Y\n";
  struct Case {
    const char* name;
    std::string calendar1;
    std::string calendar2;
    std::string merged;
    int match_count;
    std::string err = {};  // warnings
  };
  const std::vector<Case> cases{
      {"calendar 1 only headings", kHeadings, kCalendar2,
       "10 07/09/08 18:00 Lecce Epsilon - Zeta\n11 10/09/08 15:00 Siena Eta - Theta\n", 2,
       kNoMatchLine + "calendario1.txt: nessuna riga di gara, il calendario resta fuori\n"},
      {"calendar 2 only headings", kCalendar1, kHeadings,
       "1 07/09/08 15:00 Roma Alfa - Beta\n2 14/09/08 20:45 Bari Gamma - Delta\n", 2,
       kNoMatchLine + "calendario2.txt: nessuna riga di gara, il calendario resta fuori\n"},
      {"calendar 1 indented, calendar 2 as a spreadsheet saves it", "  1 07/09/08 15:00 Roma A\n",
       "1\t07/09/08\t15:00\tBari\tC\n", "", 0,
       kNoMatchLine +
           "calendario1.txt: nessuna riga di gara, il calendario resta fuori (le righe "
           "cominciano con spazi o tabulazioni: una riga di gara comincia con il numero "
           "della gara)\n" +
           kNoMatchLine +
           "calendario2.txt: nessuna riga di gara, il calendario resta fuori (i campi sono "
           "separati da tabulazioni: una riga di gara li separa con spazi)\n"},
      {"a day and an hour without their zeros, once per calendar",
       "1 5/10/24 15:30 Roma A\n2 6/10/24 15:30 Roma B\n", "3 05/10/2024 9:30 Bari C\n",
       "3 05/10/24 9:30 Bari C\n\n1 5/10/24 15:30 Roma A\n2 6/10/24 15:30 Roma B\n", 3,
       kNoMatchLine + "calendario1.txt, riga 1: la data e l'ora \"5/10/24 15:30\"" + kOutOfLayout +
           kNoMatchLine + "calendario2.txt, riga 1: la data e l'ora \"05/10/2024 9:30\"" +
           kOutOfLayout},
      {"calendar 1 empty", "", kCalendar2,
       "10 07/09/08 18:00 Lecce Epsilon - Zeta\n11 10/09/08 15:00 Siena Eta - Theta\n", 2},
      {"calendar 2 empty", kCalendar1, "",
       "1 07/09/08 15:00 Roma Alfa - Beta\n2 14/09/08 20:45 Bari Gamma - Delta\n", 2},
      {"both empty", "", "", "", 0},
      {"postponed matches at the end", "1 07/09/08 15:00 A\nRecuperi\n2 01/09/08 15:00 B\n", "",
       "1 07/09/08 15:00 A\n2 01/09/08 15:00 B\n", 2,
       "unisci-calendari: attenzione: calendario1.txt, riga 3: 01/09/08 15:00 viene prima di "
       "07/09/08 15:00, la gara precedente: il calendario non segue l'ordine delle date e le sue "
       "gare restano nel loro ordine\n"},
      {"Latin-1 at key positions", kLatin1, kLatin2,
       "11 \xE8\xE8/09/08 15:00 Siena Eta - Theta\n\n1 07/09/08 15:00 Citt\xE0 Alfa - Beta\n"
       "2 07/09/08 1\xE8:00 Forl\xEC Gamma\n10 07/09/08 18:00 Cant\xF9 Epsilon\n"
       "12 21/09/08 10:00 Pisa X - Y\n",
       5,
       // A byte of 0xE8 orders before the digits: 1\xE8:00 before 15:00.
       kNoMatchLine + "calendario2.txt, riga 1: la data e l'ora \"?\?/09/2008 15:00\"" +
           kOutOfLayout + kNoMatchLine +
           "calendario1.txt, riga 3: la data e l'ora \"07/09/08 1?:00\"" + kOutOfLayout +
           "unisci-calendari: attenzione: calendario1.txt, riga 3: 07/09/08 1?:00 viene prima di "
           "07/09/08 15:00, la gara precedente: il calendario non segue l'ordine delle date e le "
           "sue "
           "gare restano nel loro ordine\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    folder.write("calendario1.txt", c.calendar1);
    folder.write("calendario2.txt", c.calendar2);
    ProgramRun run = folder.run("t\n2\n4\nn\n");
    EXPECT_EQ(run.out, kQuestions + count_text(c.match_count, "calendario.txt") + kRestartQuestion);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.status, 0);
    std::map<std::string, std::string> expected{{"calendario1.txt", c.calendar1},
                                                {"calendario2.txt", c.calendar2},
                                                {"calendario.txt", c.merged}};
    EXPECT_EQ(run.folder, expected);
  }
}

// A match line and a heading of 10 MB each are kept whole or skipped whole,
// in the merged text and in the spreadsheet.
TEST(LargeCalendars, TenMegabyteLines) {
  const std::string kLong(10 << 20, 'x');
  const std::string calendar1 = "Giornata 1\n1 07/09/08 15:00 Roma Alfa - Beta " + kLong +
                                "\n2 14/09/08 20:45 Bari Gamma - Delta\n";
  const std::string calendar2 = "Giornata " + kLong + "\n" + kCalendar2;
  std::string merged = kMerged;
  merged.insert(merged.find('\n'), " " + kLong);
  ScratchFolder folder;
  folder.write("calendario1.txt", calendar1);
  folder.write("calendario2.txt", calendar2);
  ProgramRun run = folder.run("x\n2\n4\nn\n");
  EXPECT_EQ(run.out, kQuestions + count_text(4, "calendario.xls") + kRestartQuestion);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);
  expect_same(run.folder["temp.txt"], merged, "temp.txt");
  expect_same(run.folder["calendario.xls"],
              "1\t1\t07/09/08\t15:00\tRoma\tAlfa - Beta " + kLong +
                  "\n2\t10\t07/09/08\t18:00\tLecce\tEpsilon - Zeta\n3\t\n"
                  "4\t11\t10/09/08\t15:00\tSiena\tEta - Theta\n5\t\n"
                  "6\t2\t14/09/08\t20:45\tBari\tGamma - Delta\n",
              "calendario.xls");
  expect_same(run.folder["calendario1.txt"], calendar1, "calendario1.txt");
  expect_same(run.folder["calendario2.txt"], calendar2, "calendario2.txt");
}

// Two calendars of 50,000 matches, their match numbers of five digits, one
// with four-digit years: each match once, in order of date and time.
class FiftyThousandMatches : public ::testing::Test {
 protected:
  static constexpr int kEach = 50000;

  // The match at minute `t` of 2008, a year of twelve 28-day months, on a
  // field of its own.
  static std::string match(int number, int t, const char* year) {
    int day = t / (24 * 60);
    char line[64];
    std::snprintf(line, sizeof line, "%d %02d/%02d/%s %02d:%02d Campo%d Squadra A - Squadra B",
                  number, day % 28 + 1, day / 28 + 1, year, t % (24 * 60) / 60, t % 60, t);
    return line;
  }

  // Starts the program with calendar 1 coming through a pipe, and returns once
  // half of it has gone in and a temporary file holds some of the merge: the
  // program is in the middle of its work. `writer` is the pipe's open end.
  RunningProgram start_half_fed(const std::string& answers, int& writer) {
    const std::string pipe = folder.path() + "/calendario1.txt";
    std::filesystem::remove(pipe);
    EXPECT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    RunningProgram program = folder.start(answers);
    writer = open(pipe.c_str(), O_WRONLY);
    std::string_view half(calendar1.data(), calendar1.size() / 2);
    EXPECT_EQ(write(writer, half.data(), half.size()), static_cast<ssize_t>(half.size()));
    // The pipe holds little: most of the half has been read, and merged.
    std::uintmax_t written = 0;
    std::error_code gone;  // a file removed while it is looked at
    for (int wait = 0; wait < 1000 && written == 0; ++wait) {
      usleep(10000);
      for (const std::string& where : {folder.path(), folder.temporary_folder()})
        for (const auto& entry : std::filesystem::directory_iterator(where))
          if (auto size = entry.file_size(gone);
              !gone && entry.path().filename().string()[0] == '.')
            written += size;
    }
    EXPECT_GT(written, 0U) << "no temporary file was written";
    return program;
  }

  void put_back_calendar1() {
    std::filesystem::remove(folder.path() + "/calendario1.txt");
    folder.write("calendario1.txt", calendar1);
  }

  void SetUp() override {
    for (int k = 0; k < kEach; ++k) {
      calendar1 += match(k + 1, 2 * k, "08") + "\n";
      calendar2 += match(k + 1, 2 * k + 1, "2008") + "\n";
      merged_lines.push_back(match(k + 1, 2 * k, "08"));
      merged_lines.push_back(match(k + 1, 2 * k + 1, "08"));
    }
    folder.write("calendario1.txt", calendar1);
    folder.write("calendario2.txt", calendar2);
  }

  ScratchFolder folder;
  std::string calendar1;
  std::string calendar2;
  std::vector<std::string> merged_lines;  // the merged text without its empty lines
};

TEST_F(FiftyThousandMatches, EveryMatchOnceInOrder) {
  ProgramRun run = folder.run("t\n2\n4\nn\n");
  EXPECT_EQ(run.out, kQuestions + count_text(2LL * kEach, "calendario.txt") + kRestartQuestion);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);
  std::vector<std::string> lines;
  const std::string& merged = run.folder["calendario.txt"];
  for (std::size_t from = 0, to; (to = merged.find('\n', from)) != merged.npos; from = to + 1)
    if (to > from) lines.push_back(merged.substr(from, to - from));
  EXPECT_TRUE(lines == merged_lines) << lines.size() << " match lines written";
  expect_same(run.folder["calendario1.txt"], calendar1, "calendario1.txt");
  expect_same(run.folder["calendario2.txt"], calendar2, "calendario2.txt");
}

// A full disk or a file-size limit (ulimit -f) found in the middle of a long
// merge, not only when it ends: reported, and nothing new left behind.
TEST_F(FiftyThousandMatches, WriteFailsDuringTheMerge) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  Layout calendars = folder.contents();
  for (bool full_disk : {true, false}) {
    SCOPED_TRACE(full_disk ? "full disk" : "file-size limit");
    Layout before = calendars;
    if (full_disk)
      folder.link("calendario.txt", "/dev/full"), before["calendario.txt"] = "-> /dev/full";
    ProgramRun run = folder.finish(
        folder.start("t\n2\n4\nn\n", {0, false, full_disk ? 0 : std::size_t{1} << 20}));
    EXPECT_EQ(run.out, kQuestions + kRestartQuestion);
    EXPECT_EQ(run.err, report("scrivere", "calendario.txt",
                              full_disk ? "disco pieno" : "file troppo grande"));
    EXPECT_EQ(run.status, 1);
    expect_same_folder(run.folder, before);
    std::filesystem::remove(folder.path() + "/calendario.txt");
  }
}

// A signal while the outputs are being written: the program ends with status
// 128 + the signal's number, every earlier output whole, those reached through
// links included, and no temporary file left.
TEST_F(FiftyThousandMatches, SignalLeavesEarlierOutputsWhole) {
  std::signal(SIGPIPE, SIG_IGN);  // a program that ends early fails the test, not kills it
  const std::vector<std::tuple<char, int, bool>> cases{
      {'t', SIGINT, false}, {'x', SIGTERM, false}, {'h', SIGHUP, true}};
  for (auto [form, signal_number, through_links] : cases) {
    SCOPED_TRACE(std::string("form ") + form + ", signal " + std::to_string(signal_number) +
                 (through_links ? ", outputs through links" : ""));
    if (through_links) folder.make_folder("sito");
    Layout before = folder.contents();
    for (const char* earlier :
         {"calendario.txt", "temp.txt", "calendario.xls", "calendario.html"}) {
      std::string name = through_links ? std::string("sito/") + earlier : earlier;
      std::filesystem::remove(folder.path() + "/" + earlier);
      if (through_links) folder.link(earlier, name);
      folder.write(name, kEarlier);
      before[earlier] = through_links ? "-> " + name : kEarlier;
    }
    before["calendario1.txt"] = "<other>";
    int writer = -1;
    RunningProgram program = start_half_fed(std::string{form} + "\n2\n4\nn\n", writer);
    kill(program.pid, signal_number);
    close(writer);
    ProgramRun run = folder.finish(program);
    EXPECT_EQ(run.out, kQuestions);
    EXPECT_EQ(run.status, 128 + signal_number);
    expect_same_folder(run.folder, before);
    for (const auto& [name, content] : before) {
      if (content.starts_with("-> ")) {
        EXPECT_EQ(read_file(folder.path() + "/" + content.substr(3)), kEarlier) << name;
      }
    }
    put_back_calendar1();
  }
}

// A folder put where the output goes while the program works, where there
// was no file or a link: never moved or removed; the run fails and says so.
TEST_F(FiftyThousandMatches, FolderPutInPlaceOfTheOutput) {
  for (bool was_a_link : {false, true}) {
    SCOPED_TRACE(was_a_link ? "the output was a link" : "there was no output");
    const std::string output = folder.path() + "/calendario.txt";
    if (was_a_link)
      folder.make_folder("sito"), folder.link("calendario.txt", "sito/calendario.txt");
    Layout after = folder.contents();
    int writer = -1;
    RunningProgram program = start_half_fed("t\n2\n4\nn\n", writer);
    std::filesystem::remove(output);
    std::filesystem::create_directory(output);
    std::string_view rest = std::string_view(calendar1).substr(calendar1.size() / 2);
    EXPECT_EQ(write(writer, rest.data(), rest.size()), static_cast<ssize_t>(rest.size()));
    close(writer);
    ProgramRun run = folder.finish(program);
    EXPECT_EQ(run.out, kQuestions + kRestartQuestion);
    EXPECT_EQ(run.err, report("sostituire", "calendario.txt", "si tratta di una cartella"));
    EXPECT_EQ(run.status, 1);
    after["calendario.txt"] = "<dir>";
    after["calendario1.txt"] = "<other>";
    expect_same_folder(run.folder, after);
    std::filesystem::remove(output);
    put_back_calendar1();
  }
}

// Two runs at once in one folder, sharing temp.txt: each output is one whole
// merge or export, as a run alone makes it.
TEST_F(FiftyThousandMatches, TwoRunsAtOnce) {
  ProgramRun alone = folder.run("x\n2\n4\ny\nh\n2\n4\nn\n");
  ASSERT_EQ(alone.status, 0);
  // The second run starts a little later each round, so that its writing
  // meets the first one's at different stages.
  for (int delay_ms : {0, 2, 4, 6, 8, 10, 15, 20}) {
    SCOPED_TRACE("second run " + std::to_string(delay_ms) + " ms later");
    RunningProgram table = folder.start("x\n2\n4\nn\n", {}, "x");
    usleep(static_cast<useconds_t>(delay_ms) * 1000);
    RunningProgram page = folder.start("h\n2\n4\nn\n", {}, "h");
    ProgramRun table_run = folder.finish(table);
    ProgramRun page_run = folder.finish(page);
    EXPECT_EQ(table_run.status, 0);
    EXPECT_EQ(page_run.status, 0);
    for (const char* output : {"temp.txt", "calendario.xls", "calendario.html"})
      expect_same(page_run.folder[output], alone.folder[output], output);
  }
}

}  // namespace
}  // namespace unisci::testing
