// The run loop: the whole dialogue, one merge after the other.
#pragma once

#include "dialogue/console.h"
#include "io/files.h"

namespace unisci {

// Holds the dialogue on `console` and merges the calendars of `folder` until
// the user declines to start again or standard input ends. Returns the exit
// status: 0 if the last run completed, 1 if it failed or input ended before
// its restart question.
int run_loop(Console& console, Folder& folder);

}  // namespace unisci
