#include "dialogue/run_loop.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "calendar/input_calendar.h"
#include "calendar/merge.h"
#include "export/export.h"
#include "io/background_sink.h"
#include "io/tee_sink.h"
#include "io/text_decoder.h"
#include "io/text_writer.h"
#include "io/utf8_validator.h"

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

constexpr const char* kCalendar1 = "calendario1.txt";
constexpr const char* kCalendar2 = "calendario2.txt";

// An output form: where the merge writes, and the file the user gets.
struct OutputForm {
  const char* merged_text_file;
  const char* result_file;
  const ExportForm* table_form;  // how the merged text becomes the result, if it must
};

const OutputForm* form_for(char letter) {
  static const OutputForm kText{"calendario.txt", "calendario.txt", nullptr};
  static const OutputForm kWord{"calendario.doc", "calendario.doc", nullptr};
  static const OutputForm kExcel{"temp.txt", "calendario.xls", &kSpreadsheet};
  static const OutputForm kWeb{"temp.txt", "calendario.html", &kWebPage};
  switch (letter) {
    case 't':
    case 'T': return &kText;
    case 'w':
    case 'W': return &kWord;
    case 'x':
    case 'X': return &kExcel;
    case 'h':
    case 'H': return &kWeb;
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
  const char* verb = "";
  switch (error.action()) {
    case FileError::Action::Open: verb = "impossibile aprire "; break;
    case FileError::Action::Read: verb = "impossibile leggere "; break;
    case FileError::Action::Create: verb = "impossibile creare "; break;
    case FileError::Action::Write: verb = "impossibile scrivere "; break;
    case FileError::Action::Replace: verb = "impossibile sostituire "; break;
  }
  console.report(verb + error.file() + ": " + std::strerror(error.reason()));
}

// The files a form writes, readied at the format answer: the merged text
// and, for the table forms, the table. Nothing of them is in place until the
// run commits them.
struct Outputs {
  const OutputForm* form = nullptr;
  std::unique_ptr<Output> merged_text;
  std::unique_ptr<Output> table;
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
      Outputs outputs{form, folder.create(form->merged_text_file), nullptr};
      if (form->table_form != nullptr) outputs.table = folder.create(form->result_file);
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

// The character set of a page made from the calendars, known before the
// merge writes its first row: UTF-8 if both calendars are UTF-8 once decoded
// as the merge decodes them, Windows-1252 otherwise. Reads them once more, as
// far as it must; a calendar that cannot be read twice, such as a pipe, is
// not read ahead of the merge and counts as not UTF-8. Throws FileError.
Charset page_charset(Folder& folder, const ByteSource& source1, const ByteSource& source2) {
  if (!source1.rereadable() || !source2.rereadable()) return Charset::Windows1252;
  for (const char* name : {kCalendar1, kCalendar2}) {
    auto source = folder.open(name);
    TextDecoder text(*source);
    if (!is_utf8(text)) return Charset::Windows1252;
  }
  return Charset::Utf8;
}

// Warns on standard error of a line of `calendar` whose date does not fit the
// year width the user gave for it. The merge goes on as answered: the user
// decides whether to run again.
YearWidthReport year_width_warning(Console& console, const char* calendar, int year_digits) {
  return [&console, calendar, year_digits](std::int64_t line_number, int year_digits_shown) {
    console.report("attenzione: " + std::string(calendar) + ", riga " +
                   std::to_string(line_number) + ": l'anno ha " +
                   std::to_string(year_digits_shown) + " cifre, non " +
                   std::to_string(year_digits));
  };
}

// Merges the two calendars into the merged text and, for the table forms,
// into the table at the same time, then puts both in place. Returns the number
// of matches. Throws FileError.
std::int64_t merge_and_export(Console& console, Folder& folder, Outputs& outputs,
                              ByteSource& source1, ByteSource& source2, int year_digits1,
                              int year_digits2, NumberOffsets& offsets) {
  std::optional<TextWriter> table;
  std::optional<TableExport> table_export;
  std::optional<BackgroundSink> table_thread;
  std::optional<TeeSink> both;
  ByteSink* merged_sink = outputs.merged_text.get();
  if (const ExportForm* table_form = outputs.form->table_form) {
    Charset charset =
        table_form->declares_charset ? page_charset(folder, source1, source2) : Charset::Utf8;
    // The table is made in a second thread while the merge goes on.
    table.emplace(*outputs.table);
    table_export.emplace(*table, *table_form, charset);
    table_thread.emplace(*table_export);
    merged_sink = &both.emplace(*outputs.merged_text, *table_thread);
  }
  TextWriter merged_text(*merged_sink);
  InputCalendar calendar1(source1, year_digits1, offsets.calendar1,
                          year_width_warning(console, kCalendar1, year_digits1));
  InputCalendar calendar2(source2, year_digits2, offsets.calendar2,
                          year_width_warning(console, kCalendar2, year_digits2));
  // Even a run that fails hands the offsets it reached on to the next run.
  struct KeepOffsets {
    NumberOffsets& offsets;
    const InputCalendar& calendar1;
    const InputCalendar& calendar2;
    ~KeepOffsets() { offsets = {calendar1.number_offset(), calendar2.number_offset()}; }
  } keep_offsets{offsets, calendar1, calendar2};
  std::int64_t match_count = merge(calendar1, calendar2, merged_text);
  merged_text.close();
  if (table_export && table_export->match_count() != match_count)
    throw std::logic_error("la tabella ha " + std::to_string(table_export->match_count()) +
                           " gare invece di " + std::to_string(match_count));
  // The table first: one that cannot be replaced (on Windows, a table open
  // in a spreadsheet) then leaves every earlier file as it was.
  if (outputs.table) outputs.table->commit();
  outputs.merged_text->commit();
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
