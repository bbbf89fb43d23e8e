// Calendars dropped on the program in Windows' Explorer. Explorer starts the
// program with their names as its arguments, in a console window of its own
// that closes as soon as the program ends: the program asks only the form,
// writes calendario.<ext> beside the first calendar and waits for Enter, so
// that the user can read what it did.
#pragma once

#include <string>
#include <vector>

#include "dialogue/console.h"
#include "io/files.h"

namespace unisci {

// Whether the arguments after the program's name are calendars dropped on
// it: the program has a console of its own (`console_processes`, the
// processes attached to its console, is 1, as when Explorer starts it) and at
// least one argument, none of them an option or "-". Started from a prompt or
// a script, the console has more processes; without a console, none.
bool calendars_dropped(unsigned long console_processes, int argc, const char* const argv[]);

// Shows the dropped `calendars`, asks the form on the console and merges them
// as the command line `-f FORM -o FOLDER/calendario.EXT` does, FOLDER being the
// first calendar's; then shows the file written and waits for Enter. With
// fewer than two calendars, or after an error, it writes nothing and waits all
// the same. Returns the exit status: the command line's, 2 for fewer than two
// calendars, 1 if standard input ends before the form is chosen.
int run_dropped_calendars(const std::vector<std::string>& calendars, Console& console,
                          Folder& folder, ByteSource& standard_input, ByteSink& standard_output);

}  // namespace unisci
