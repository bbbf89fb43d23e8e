#include "dialogue/run_loop.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/file_error_message.h"
#include "job/forms.h"
#include "job/job.h"

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
constexpr const char* kMergedText = "temp.txt";

enum class RunOutcome { Completed, Failed, InputEnded };

// Whether every file `form` writes can be written, so that one that cannot
// shows at the format answer, before any other question. Nothing is written.
bool can_write(Console& console, Folder& folder, const Form& form) {
  try {
    if (form.dialogue_merged_text) folder.create(kMergedText);
    folder.create(std::string(form.dialogue_file));
    return true;
  } catch (const FileError& e) {
    console.report(file_error_message(e));
    return false;
  }
}

// Asks for the output form until a valid letter comes whose files can be
// written. Nothing if standard input ends.
const Form* ask_format(Console& console, Folder& folder) {
  for (;;) {
    console.say(kFormatQuestion);
    std::optional<char> letter = console.read_answer();
    if (!letter) return nullptr;
    const Form* form = find_form(*letter);
    if (form == nullptr) {
      console.say(kInvalidFormat);
      continue;
    }
    if (can_write(console, folder, *form)) return form;
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

// One run of the dialogue. `number_offsets` outlive a run: a line with no
// space where a match number ends is read with the offset of the last
// earlier line of its calendar that had one, even a line read in an earlier
// run.
RunOutcome run(Console& console, JobPlace& place, std::vector<std::ptrdiff_t>& number_offsets) {
  const Form* form = ask_format(console, place.folder);
  if (form == nullptr) return RunOutcome::InputEnded;
  std::optional<int> year_digits1 = ask_year_digits(console, kYearQuestion1);
  if (!year_digits1) return RunOutcome::InputEnded;
  std::optional<int> year_digits2 = ask_year_digits(console, kYearQuestion2);
  if (!year_digits2) return RunOutcome::InputEnded;

  Job job;
  job.calendars = {{kCalendar1, *year_digits1}, {kCalendar2, *year_digits2}};
  job.form = form;
  job.result = form->dialogue_file;
  if (form->dialogue_merged_text) job.merged_text = kMergedText;
  std::optional<std::int64_t> match_count = run_job(job, place, number_offsets);
  if (!match_count) return RunOutcome::Failed;
  console.say("\n");
  console.say(std::to_string(*match_count));
  console.say(kCountEnd);
  console.say(kClosing);
  console.say(form->dialogue_file);
  console.say("\n");
  return RunOutcome::Completed;
}

}  // namespace

int run_loop(Console& console, Folder& folder) {
  // No calendar comes from standard input, and no result goes to standard
  // output: the answers and the texts are there.
  JobPlace place{[&console](const std::string& message) { console.report(message); }, folder};
  std::vector<std::ptrdiff_t> number_offsets;
  RunOutcome outcome = RunOutcome::Completed;
  for (char restart = 'y'; restart == 'y' || restart == 'Y';) {
    outcome = run(console, place, number_offsets);
    if (outcome == RunOutcome::InputEnded) break;
    console.say(kRestartQuestion);
    std::optional<char> answer = console.read_answer();
    if (!answer) break;
    restart = *answer;
  }
  return outcome == RunOutcome::Completed ? 0 : 1;
}

}  // namespace unisci
