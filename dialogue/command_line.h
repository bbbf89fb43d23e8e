// The command line. Without arguments the program holds its dialogue; with
// arguments it asks nothing: they name the calendars to merge and how, or ask
// for the usage or the version.
#pragma once

#include <ostream>
#include <string>
#include <variant>
#include <vector>

namespace unisci {

// What a valid command line asks for.
struct CommandLine {
  // The result's form, a letter of the forms' table in lower case; 0 if not
  // given: then the output file's extension, or t.
  char form = 0;
  std::vector<int> year_digits{};  // 2 or 4, one per calendar; empty: found from each calendar
  std::string output{};            // the result's file; empty or "-": standard output
  int duration_minutes = 120;      // of each match, for the iCalendar form
  bool sort_calendars = false;     // each calendar's match lines by date and time, before the merge
  std::vector<std::string> calendars{};  // at least two, in their order; "-": standard input

  bool operator==(const CommandLine&) const = default;
};

// Reads the arguments after the program's name with getopt_long: short
// options grouped (-fx, -a4, -hV), a value attached or in the next argument
// (-o FILE, --uscita=FILE, --uscita FILE), long names abbreviated while
// unambiguous (--form=x), options and calendars in any order, only calendars
// after "--". An option given twice counts as last given.
//
// Returns the CommandLine to run, or the exit status once the command line
// has been answered: 0 after the usage (--help) or the version (--version),
// whichever comes first, was written to `out`; 1 if `out` could not be
// written; 2 after a usage error, named on `err` with a hint. A wrong option
// is an error even beside --help; the calendars, and how many values --anni
// has, are checked only when neither --help nor --version is given. Without
// arguments (argc 1) too few calendars are named: the dialogue is the caller's.
// getopt_long keeps its state in globals, so one call at a time.
std::variant<CommandLine, int> parse_command_line(int argc, const char* const argv[],
                                                  std::ostream& out, std::ostream& err);

}  // namespace unisci
