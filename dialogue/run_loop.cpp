#include "dialogue/run_loop.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/line_sink.h"
#include "dialogue/merge_job.h"
#include "export/export.h"
#include "export/icalendar.h"
#include "export/merged_text.h"
#include "io/text_writer.h"

namespace unisci {

namespace {

// The dialogue's texts are kept byte for byte as the users know them, "Voui"
// and "Ecxel" included.
constexpr std::string_view kFormatQuestion =
    "In quale formato vuoi che venga salvato il calendario?(scrivi t per file di testo,w per "
    "Word,x per Ecxel,h per pagina web e poi premi invio)\n";
constexpr std::string_view kInvalidFormat = "Hai inserito un valore non corretto!\n";
constexpr std::string_view kYearQuestion1 =
    "Di quante cifre \xE8 composto l'anno delle date presenti in calendario1.txt?\n";
constexpr std::string_view kYearQuestion2 =
    "Di quante cifre \xE8 composto l'anno delle date presenti in calendario2.txt?\n";
constexpr std::string_view kInvalidYear =
    "Inserimento delle cifre attribuite all'anno non corretto! Riprovare:\n";
constexpr std::string_view kCountEnd =
    " gare presenti complessivamente\n- Intreccio successfully executed - Congratulations by "
    "Corvalo -\n";
constexpr std::string_view kClosing = "Complimenti! Il tuo calendario si trova nel file ";
constexpr std::string_view kRestartQuestion =
    "\nVoui ricominciare?(y/n)\nNB:Scegliendo lo stesso formato dell'esecuzione precedente, si "
    "sovrascrive il vecchio file\n";

// How long a match lasts in the iCalendar form of the dialogue.
constexpr int kEventMinutes = 120;

constexpr const char* kCalendar1 = "calendario1.txt";
constexpr const char* kCalendar2 = "calendario2.txt";

// An output form: where the merge writes its text, if anywhere, and the file
// the user gets.
struct OutputForm {
  const char* merged_text_file;  // null for the iCalendar form
  const char* result_file;
  const ExportForm* table_form;  // how the merged text becomes the result, if it must
};

const OutputForm* form_for(char letter) {
  static const OutputForm kText{"calendario.txt", "calendario.txt", nullptr};
  static const OutputForm kWord{"calendario.doc", "calendario.doc", nullptr};
  static const OutputForm kExcel{"temp.txt", "calendario.xls", &kSpreadsheet};
  static const OutputForm kWeb{"temp.txt", "calendario.html", &kWebPage};
  static const OutputForm kICalendar{nullptr, "calendario.ics", nullptr};
  switch (letter) {
    case 't':
    case 'T': return &kText;
    case 'w':
    case 'W': return &kWord;
    case 'x':
    case 'X': return &kExcel;
    case 'h':
    case 'H': return &kWeb;
    case 'i':
    case 'I': return &kICalendar;
    default: return nullptr;
  }
}

// The number offsets of the two calendars outlive a run: a line with no space
// where a match number ends is read with the offset of the last earlier line
// of its calendar that had one, even a line read in an earlier run.
struct NumberOffsets {
  std::ptrdiff_t calendar1 = 0;
  std::ptrdiff_t calendar2 = 0;
};

enum class RunOutcome { Completed, Failed, InputEnded };

void report(Console& console, const FileError& error) {
  console.report(file_error_message(error));
}

// The files a form writes, readied at the format answer: the merged text
// and, for the table and iCalendar forms, the result made of it. Nothing of
// them is in place until the run commits them.
struct Outputs {
  const OutputForm* form = nullptr;
  std::unique_ptr<Output> merged_text;
  std::unique_ptr<Output> result;
};

// Asks for the output form until a valid letter comes and every file it
// writes can be written. Nothing if standard input ends.
std::optional<Outputs> ask_format(Console& console, Folder& folder) {
  for (;;) {
    console.say(kFormatQuestion);
    std::optional<char> letter = console.read_answer();
    if (!letter) return std::nullopt;
    const OutputForm* form = form_for(*letter);
    if (form == nullptr) {
      console.say(kInvalidFormat);
      continue;
    }
    try {
      Outputs outputs{form, nullptr, nullptr};
      if (form->merged_text_file != nullptr)
        outputs.merged_text = folder.create(form->merged_text_file);
      if (form->merged_text_file == nullptr || form->table_form != nullptr)
        outputs.result = folder.create(form->result_file);
      return outputs;
    } catch (const FileError& e) {
      report(console, e);
    }
  }
}

// Asks for a calendar's year width until 2 or 4 comes. Nothing if standard
// input ends.
std::optional<int> ask_year_digits(Console& console, std::string_view question) {
  for (;;) {
    console.say(question);
    int answer = 0;
    switch (console.read_number(answer)) {
      case Console::Number::End: return std::nullopt;
      case Console::Number::NotANumber: break;
      case Console::Number::Read:
        if (answer == 2 || answer == 4) return answer;
        break;
    }
    console.say(kInvalidYear);
  }
}

std::unique_ptr<ByteSource> open_calendar(Console& console, Folder& folder, const char* name) {
  try {
    return folder.open(name);
  } catch (const FileError& e) {
    report(console, e);
    return nullptr;
  }
}

// An output that is one of the calendars, through a link, would destroy it:
// it is refused before anything is written. True if one was.
bool output_is_a_calendar(Console& console, Folder& folder, const OutputForm& form) {
  for (const char* output : {form.merged_text_file, form.result_file}) {
    if (output == nullptr) continue;
    for (const char* calendar : {kCalendar1, kCalendar2}) {
      if (folder.same_file(output, calendar)) {
        console.report(std::string("impossibile scrivere ") + output + ": coincide con " +
                       calendar);
        return true;
      }
    }
  }
  return false;
}

// Merges the two calendars into the merged text and, for the table forms,
// into the table in the same pass, then puts both in place. Returns the
// number of matches. Throws FileError.
std::int64_t merge_and_export(Console& console, Folder& folder, Outputs& outputs,
                              ByteSource& source1, ByteSource& source2, int year_digits1,
                              int year_digits2, NumberOffsets& offsets) {
  std::vector<CalendarToMerge> calendars{{&source1, year_digits1, offsets.calendar1},
                                         {&source2, year_digits2, offsets.calendar2}};
  std::optional<TextWriter> merged_writer;
  std::optional<MergedTextFile> merged_text;
  std::optional<TextWriter> result_writer;
  std::optional<TableExport> table;
  std::optional<ICalendarExport> icalendar;
  std::optional<LineTee> both;
  auto make_sink = [&](const Encodings& encodings) -> LineSink& {
    if (outputs.merged_text == nullptr) {
      return icalendar.emplace(result_writer.emplace(*outputs.result),
                               icalendar_settings(console, encodings, {kCalendar1, kCalendar2},
                                                  kEventMinutes, outputs.form->result_file));
    }
    LineSink* sink = &merged_text.emplace(merged_writer.emplace(*outputs.merged_text));
    if (const ExportForm* table_form = outputs.form->table_form) {
      table.emplace(result_writer.emplace(*outputs.result), *table_form, encodings.page_charset);
      sink = &both.emplace(std::vector<LineSink*>{&*merged_text, &*table});
    }
    return *sink;
  };
  std::int64_t match_count = 0;
  try {
    match_count = merge_calendars(console, folder, calendars, make_sink);
  } catch (...) {
    offsets = {calendars[0].number_offset, calendars[1].number_offset};
    throw;
  }
  offsets = {calendars[0].number_offset, calendars[1].number_offset};
  // The table first: one that cannot be replaced (on Windows, a table open
  // in a spreadsheet) then leaves every earlier file as it was.
  if (outputs.result) outputs.result->commit();
  if (outputs.merged_text) outputs.merged_text->commit();
  return match_count;
}

RunOutcome run(Console& console, Folder& folder, NumberOffsets& offsets) {
  std::optional<Outputs> outputs = ask_format(console, folder);
  if (!outputs) return RunOutcome::InputEnded;
  std::optional<int> year_digits1 = ask_year_digits(console, kYearQuestion1);
  if (!year_digits1) return RunOutcome::InputEnded;
  std::optional<int> year_digits2 = ask_year_digits(console, kYearQuestion2);
  if (!year_digits2) return RunOutcome::InputEnded;

  auto source1 = open_calendar(console, folder, kCalendar1);
  auto source2 = open_calendar(console, folder, kCalendar2);
  if (!source1 || !source2) return RunOutcome::Failed;
  if (output_is_a_calendar(console, folder, *outputs->form)) return RunOutcome::Failed;
  std::int64_t match_count = 0;
  try {
    match_count = merge_and_export(console, folder, *outputs, *source1, *source2, *year_digits1,
                                   *year_digits2, offsets);
  } catch (const FileError& e) {
    report(console, e);
    return RunOutcome::Failed;
  }
  console.say("\n");
  console.say(std::to_string(match_count));
  console.say(kCountEnd);
  console.say(kClosing);
  console.say(outputs->form->result_file);
  console.say("\n");
  return RunOutcome::Completed;
}

}  // namespace

int run_loop(Console& console, Folder& folder) {
  NumberOffsets offsets;
  RunOutcome outcome = RunOutcome::Completed;
  for (char restart = 'y'; restart == 'y' || restart == 'Y';) {
    outcome = run(console, folder, offsets);
    if (outcome == RunOutcome::InputEnded) break;
    console.say(kRestartQuestion);
    std::optional<char> answer = console.read_answer();
    if (!answer) break;
    restart = *answer;
  }
  return outcome == RunOutcome::Completed ? 0 : 1;
}

}  // namespace unisci
