// The work of one merge, the same for the dialogue and the command line: the
// calendars read ahead for their encodings, their warnings, and the merge of
// all of them into the sinks of the output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "calendar/line_sink.h"
#include "dialogue/console.h"
#include "export/export.h"
#include "export/icalendar.h"
#include "io/file_error_message.h"
#include "io/files.h"

namespace unisci {

// A calendar to merge: its bytes, the width of its years (2, 4 or
// kFindYearDigits) and the number offset it starts with.
struct CalendarToMerge {
  ByteSource* source = nullptr;
  int year_digits = 2;
  std::ptrdiff_t number_offset = 0;
};

// How the merge and the outputs write the calendars' text.
struct Encodings {
  // What a page declares: UTF-8 when no calendar is known to be anything else.
  Encoding page_charset = Encoding::Windows1252;
  // Per merge, the first one of the first two calendars and each later one of
  // the merged lines with one more calendar: which calendars' lines it hands
  // on converted from Windows-1252, since it merges one that is and one that
  // is UTF-8. So the merged lines are in one encoding, and each merge compares
  // the lines as a merge of the merged text, read again, would.
  std::vector<std::vector<bool>> converted_by_merge;
  // Per calendar: it is UTF-8 (ASCII included) as read; false for one that
  // is not, or that could not be read ahead.
  std::vector<bool> utf8;
  // Per calendar: it could not be read ahead, as a pipe cannot.
  std::vector<bool> unknown;
};

// Reads each calendar ahead of the merge, as far as it must, through a second
// opening by its name in `folder`, to tell the encodings. A calendar that
// cannot be read twice, such as a pipe, is not read ahead. Throws FileError.
Encodings read_encodings(Folder& folder, const std::vector<CalendarToMerge>& calendars);

// Builds the sink that the merged lines go to, once the encodings are known.
using SinkMaker = std::function<LineSink&(const Encodings&)>;

// Merges `calendars` in order, the first two as merge() does and each later
// one with the merged lines of those before it, and hands the lines to the
// sink that `make_sink` builds, which is closed at the end. Warns on the
// console of dates that do not fit a year width and of calendars out of date
// order. The calendars' number offsets are updated, even by a merge that
// fails. Returns the number of match lines. Throws FileError.
std::int64_t merge_calendars(Console& console, Folder& folder,
                             std::vector<CalendarToMerge>& calendars, const SinkMaker& make_sink);

// The settings of an iCalendar file named `result` (empty for standard
// output) made of the calendars
// `files`: each calendar's encoding, the events' length, the run's time (or
// SOURCE_DATE_EPOCH's) and a warning on the console for each match line that
// is no real date or time.
ICalendarSettings icalendar_settings(Console& console, const Encodings& encodings,
                                     std::vector<std::string> files, int duration_minutes,
                                     const std::string& result);

}  // namespace unisci
