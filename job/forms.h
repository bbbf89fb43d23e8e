// The forms of the merged calendar, in one table: a new form is one row.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/line_sink.h"
#include "calendar/places.h"
#include "io/encoding.h"
#include "io/files.h"

namespace unisci {

// What a form's sink is made from.
struct FormSettings {
  // The calendars' names as given, and their encodings, by LineOrigin::calendar.
  std::vector<std::string> calendars;
  std::vector<Encoding> encodings;
  Encoding page_encoding = Encoding::Windows1252;  // what a page declares
  int duration_minutes = 120;                      // of each match
  std::string result;  // the result's file name as given; empty for standard output
  // Told of a match line whose date or time does not exist, for the forms
  // that need them, with what the form does with it.
  std::function<void(const LineOrigin&, const std::string& consequence)> bad_date;
  // The teams that tell a line's place and match apart; null if unknown.
  std::shared_ptr<const KnownTeams> known_teams;
};

struct Form {
  char letter;                     // lower case; the dialogue takes either case
  std::string_view words;          // what the form is, for a question that lists them
  std::string_view dialogue_file;  // the file the dialogue writes
  // The dialogue also writes the merged text, to temp.txt, as it always did
  // for the table forms.
  bool dialogue_merged_text;
  // The extensions of a file name that ask for the form, lower case, each
  // with its dot and a space after it.
  std::string_view extensions;
  // Bytes that a terminal cannot show: refused on one.
  bool binary;
  // Makes the sink that writes the form to `out`, and closes it at the end.
  std::unique_ptr<LineSink> (*make_sink)(ByteSink& out, const FormSettings& settings);
};

// Every form, in the order the help lists them.
const std::vector<Form>& forms();

// The form of `letter`, either case; null if there is none.
const Form* find_form(char letter);

// The form a file name asks for by its extension, any case; the text form
// for any other name.
const Form& form_for_file(std::string_view name);

// The merged text, as the text forms write it.
const Form& merged_text_form();

// The letters of every form for messages: "t, w, x, h o i".
std::string form_letters();

}  // namespace unisci
