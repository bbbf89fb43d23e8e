// One description of the work, whichever front-end built it, and the one
// function that does it: the calendars opened once and surveyed, merged in
// one pass into the sinks of the form, and the outputs put in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "calendar/input_calendar.h"
#include "calendar/survey.h"
#include "io/files.h"
#include "job/forms.h"

namespace unisci {

struct CalendarToMerge {
  std::string name;                   // "-": standard input
  int year_digits = kFindYearDigits;  // 2 or 4, or found from the calendar
};

struct Job {
  std::vector<CalendarToMerge> calendars;  // two or more, in the order they are merged
  const Form* form = &merged_text_form();
  std::string result;       // the result's file; empty: standard output
  std::string merged_text;  // a file that gets the merged text too, if not empty
  int duration_minutes = 120;
  LineOrder order = LineOrder::AsInFile;
  bool offers_sorting = false;  // the order warning suggests --ordina
};

// Where a job reads and writes, and where it reports.
struct JobPlace {
  // Writes one line on standard error: the program's name, then the message.
  std::function<void(const std::string& message)> report;
  Folder& folder;
  // For a calendar named "-" and a result without a file; null where there
  // is none, as in the dialogue.
  ByteSource* standard_input = nullptr;
  ByteSink* standard_output = nullptr;
};

// Does `job`. `number_offsets` holds the offset each calendar starts with, 0
// if it has none, and gets the one it ends with, even after a failure: the
// dialogue keeps them from one run to the next. Warnings and errors are reported
// through `place`. Returns the number of match lines, or nothing
// after an error was reported: then no output has changed.
std::optional<std::int64_t> run_job(const Job& job, JobPlace& place,
                                    std::vector<std::ptrdiff_t>& number_offsets);

}  // namespace unisci
