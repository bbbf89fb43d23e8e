// The merge of two input calendars by date and time, and the drain of the
// calendar that is left when the other has ended.
#pragma once

#include <cstdint>

#include "calendar/input_calendar.h"
#include "io/text_writer.h"

namespace unisci {

// Writes the match lines of both calendars to `out`, earliest first, each
// calendar in its own order. A line chosen for its earlier date is followed by
// an empty line; a tying pair is written calendar 1 first, then an empty line.
// Returns the number of match lines written. Throws FileError.
std::int64_t merge(InputCalendar& calendar1, InputCalendar& calendar2, TextWriter& out);

// Copies the remaining match lines of `calendar`, the current one first, with
// no empty lines. Returns how many it wrote.
std::int64_t drain(InputCalendar& calendar, TextWriter& out);

}  // namespace unisci
