// Fuzzes the whole dialogue: the fuzzer's bytes are standard input to the run
// loop, over a fixed pair of calendars in a folder in memory where
// "calendario.doc" is a folder, so that the word processor form cannot be
// created.
//
// Standard output must follow the dialogue's grammar, every file left behind
// must hold one of the merges or exports of the two calendars, and the exit
// status must be 0 exactly when the dialogue ended at the restart question.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include <string_view>

#include "dialogue/console.h"
#include "dialogue/run_loop.h"
#include "fuzz/reference.h"
#include "io/file_error_message.h"
#include "testing/dialogue_texts.h"
#include "testing/memory_files.h"

namespace {

using namespace unisci;
using namespace unisci::fuzzing;

const std::string kCalendar1 =
    "Giornata 1\n1 07/09/08 15:00 Roma Alfa - Beta\n2 14/09/08 20:45 Bari Gamma - Delta\n";
const std::string kCalendar2 =
    "10 07/09/2008 18:00 Lecce Epsilon - Zeta\r\n11 10/09/2008 15:00 Siena Eta - Theta\r\n"
    "\r\n12 21/09/2008 15:00 Pisa <Eta> & \xE8ta";
constexpr int kMatches = 5;

enum Token { kFormat, kBadFormat, kYear1, kYear2, kBadYear, kDone, kRestart, kNone };

const std::string* const kTexts[] = {
    &testing::kFormatQuestion,  &testing::kInvalidFormat, &testing::kYearQuestion1,
    &testing::kYearQuestion2,   &testing::kInvalidYear,   nullptr,
    &testing::kRestartQuestion,
};

// The next text of standard output, taken off its front.
Token next_text(std::string_view& out) {
  for (int t = kFormat; t <= kRestart; ++t) {
    if (t == kDone) {
      for (const char* file : {"calendario.txt", "calendario.xls", "calendario.html",
                               "calendario.ics", "calendario.xlsx"}) {
        std::string done = testing::count_text(kMatches, file);
        if (out.substr(0, done.size()) == done) {
          out.remove_prefix(done.size());
          return kDone;
        }
      }
    } else if (out.substr(0, kTexts[t]->size()) == *kTexts[t]) {
      out.remove_prefix(kTexts[t]->size());
      return static_cast<Token>(t);
    }
  }
  return kNone;
}

// What may follow each text; `asked` is the year question last asked.
bool may_follow(Token before, Token t, Token asked) {
  switch (before) {
    case kFormat: return t == kBadFormat || t == kFormat || t == kYear1;
    case kBadFormat: return t == kFormat;
    case kYear1: return t == kBadYear || t == kYear2;
    case kYear2: return t == kBadYear || t == kDone;
    case kBadYear: return t == asked;
    case kDone: return t == kRestart;
    case kRestart: return t == kFormat;
    case kNone: return t == kFormat;
  }
  return false;
}

// Every merged text, spreadsheet and web page the calendars can give.
struct Outcomes {
  std::set<std::string> merged{""};  // empty: created, then input ended
  std::set<std::string> tables;
};

Outcomes outcomes() {
  Outcomes all;
  for (int year_digits1 : {2, 4}) {
    for (int year_digits2 : {2, 4}) {
      std::vector<ModelLine> in1 = match_lines(kCalendar1, year_digits1);
      std::vector<ModelLine> in2 = match_lines(kCalendar2, year_digits2);
      require(in1.size() + in2.size() == kMatches, "the fixed calendars hold their matches");
      std::string text = merge_of(in1, in2).text;
      all.merged.insert(text);
      std::vector<std::string> rows = export_rows(text, kMatches);
      all.tables.insert(spreadsheet_of(rows));
      all.tables.insert(page_of(rows, "windows-1252"));  // the \xE8 of calendar 2
    }
  }
  return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Outcomes kOutcomes = outcomes();
  testing::MemoryFolder folder;
  folder.files["calendario1.txt"] = kCalendar1;
  folder.files["calendario2.txt"] = kCalendar2;
  folder.folders.insert("calendario.doc");
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::ostringstream out;
  std::ostringstream err;
  Console console(in, out, err, kEGraveWestern);
  int status = run_loop(console, folder);

  std::string said = out.str();
  std::string_view rest = said;
  Token before = kNone;
  Token asked = kNone;
  int create_failures = 0;
  while (!rest.empty()) {
    Token t = next_text(rest);
    require(t != kNone, "standard output holds only the dialogue's texts");
    require(may_follow(before, t, asked), "the dialogue's texts come in their order");
    if (before == kFormat && t == kFormat) ++create_failures;
    if (t == kYear1 || t == kYear2) asked = t;
    before = t;
  }
  require(before == kFormat || before == kYear1 || before == kYear2 || before == kRestart,
          "standard input ends only at a question");
  require(status == (before == kRestart ? 0 : 1),
          "the exit status is 0 exactly when input ends at the restart question");

  std::string report =
      "unisci-calendari: impossibile creare calendario.doc: " + error_reason(EISDIR) + "\n";
  std::string reports;
  for (int i = 0; i < create_failures; ++i) reports += report;
  // Besides those, only warnings, such as of a year width that does not fit.
  std::string errors;
  std::istringstream err_lines(err.str());
  for (std::string line; std::getline(err_lines, line);)
    if (line.rfind("unisci-calendari: attenzione: ", 0) != 0) errors += line + "\n";
  require(errors == reports, "each failed creation is reported once, naming the file");

  require(folder.files.at("calendario1.txt") == kCalendar1 &&
              folder.files.at("calendario2.txt") == kCalendar2,
          "the calendars are left as they were");
  for (const auto& [name, content] : folder.files) {
    if (name == "calendario1.txt" || name == "calendario2.txt") continue;
    bool merged = name == "calendario.txt" || name == "temp.txt";
    bool table = name == "calendario.xls" || name == "calendario.html";
    if (name == "calendario.ics") {
      require(
          content.rfind("BEGIN:VCALENDAR\r\n", 0) == 0 && content.ends_with("END:VCALENDAR\r\n"),
          "an iCalendar file is whole");
      continue;
    }
    if (name == "calendario.xlsx") {
      require(content.rfind("PK\x03\x04", 0) == 0 && content.size() >= 22 &&
                  content.compare(content.size() - 22, 4, "PK\x05\x06") == 0,
              "a workbook is a whole zip archive");
      continue;
    }
    require(merged || table, "only the dialogue's files are written");
    require((merged ? kOutcomes.merged : kOutcomes.tables).count(content) == 1,
            "every file written holds a merge or an export of the calendars");
  }
  return 0;
}
