// Merging the calendars named on the command line, without the dialogue.
#pragma once

#include "dialogue/command_line.h"
#include "dialogue/console.h"
#include "io/files.h"

namespace unisci {

// Merges the calendars of `command_line` into one, in its form, written to
// its output: the file it names through `folder`, or `standard_output`. A
// calendar named "-" is `standard_input`. Warnings and errors go to the
// console's standard error. Returns the exit status: 0 if the merge
// completes; 1 if a calendar cannot be opened or read, or the output cannot
// be written, and then no output has changed.
int run_command_line(const CommandLine& command_line, Console& console, Folder& folder,
                     ByteSource& standard_input, ByteSink& standard_output);

}  // namespace unisci
