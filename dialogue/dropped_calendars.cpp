#include "dialogue/dropped_calendars.h"

#include <exception>
#include <optional>
#include <string_view>

#include "dialogue/command_line.h"
#include "dialogue/command_run.h"
#include "job/forms.h"

namespace unisci {

namespace {

constexpr std::string_view kCalendarsHeading = "Calendari da unire:\n";
constexpr std::string_view kTooFew =
    "Ne servono almeno due: selezionali insieme e trascinali sul programma.\n";
constexpr std::string_view kInvalidLetter = "Lettera non valida.\n";
constexpr std::string_view kWritten = "Il calendario unito \xE8 in ";
constexpr std::string_view kPressEnter = "\nPremi Invio per chiudere";

// One line: every letter with its words.
std::string form_question() {
  std::string question = "Scegli il formato (";
  for (const Form& form : forms()) {
    if (&form != &forms().front()) question += ", ";
    question += form.letter;
    question += ' ';
    question += form.words;
  }
  question += "): ";
  return question;
}

// The form whose letter, small or capital, is the whole answer, spaces
// around it aside.
const Form* form_of(std::string_view answer) {
  const std::size_t first = answer.find_first_not_of(" \t");
  const std::size_t last = answer.find_last_not_of(" \t");
  if (first == std::string_view::npos || first != last) return nullptr;
  return find_form(answer[first]);
}

// Asks the form until a valid letter comes. Nothing if standard input ends.
const Form* ask_form(Console& console) {
  const std::string question = form_question();
  for (;;) {
    console.say(question);
    const std::optional<std::string> answer = console.read_line();
    if (!answer) return nullptr;
    if (const Form* form = form_of(*answer)) return form;
    console.say(kInvalidLetter);
  }
}

// The folder part of a file's name, up to its last separator included; empty
// for a name without one.
std::string folder_of(const std::string& name) {
#ifdef _WIN32
  const std::size_t end = name.find_last_of("\\/");
#else
  const std::size_t end = name.find_last_of('/');
#endif
  return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

// Shows the calendars, asks the form and merges them; the exit status.
int merge_dropped(const std::vector<std::string>& calendars, Console& console, Folder& folder,
                  ByteSource& standard_input, ByteSink& standard_output) {
  console.say(kCalendarsHeading);
  for (const std::string& calendar : calendars) {
    console.say("  ");
    console.say_file_name(calendar);
    console.say("\n");
  }
  if (calendars.size() < 2) {
    console.say(kTooFew);
    return 2;
  }
  console.say("\n");
  const Form* form = ask_form(console);
  if (form == nullptr) return 1;
  // No year widths: each calendar's is found, as without -a.
  CommandLine command_line{
      .form = form->letter,
      .output = folder_of(calendars.front()) + std::string(form->dialogue_file),
      .calendars = calendars};
  const int status =
      run_command_line(command_line, console, folder, standard_input, standard_output);
  if (status == 0) {
    console.say(kWritten);
    console.say_file_name(command_line.output);
    console.say("\n");
  }
  return status;
}

}  // namespace

bool calendars_dropped(unsigned long console_processes, int argc, const char* const argv[]) {
  if (console_processes != 1 || argc < 2) return false;
  for (int i = 1; i < argc; ++i)
    if (argv[i][0] == '-') return false;
  return true;
}

int run_dropped_calendars(const std::vector<std::string>& calendars, Console& console,
                          Folder& folder, ByteSource& standard_input, ByteSink& standard_output) {
  int status = 1;
  try {
    status = merge_dropped(calendars, console, folder, standard_input, standard_output);
  } catch (const std::exception& e) {
    console.report(std::string("errore inatteso: ") + e.what());
  }
  console.say(kPressEnter);
  console.read_line();
  return status;
}

}  // namespace unisci
