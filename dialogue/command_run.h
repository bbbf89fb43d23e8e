// Merging the calendars named on the command line, without the dialogue.
#pragma once

#include "dialogue/command_line.h"

namespace unisci {

// Merges the calendars of `command_line` into one, in its form, written to
// its output. Returns the exit status, as the usage tells it: 0 if the merge
// completes; 1 if a calendar cannot be opened or read, or the output cannot
// be written.
int run_command_line(const CommandLine& command_line);

}  // namespace unisci
