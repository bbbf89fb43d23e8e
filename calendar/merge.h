// The merge of input calendars by date and time, and the drain of the
// calendar that is left when the other has ended.
#pragma once

#include <cstdint>

#include "calendar/input_calendar.h"
#include "calendar/line_sink.h"

namespace unisci {

// Hands the match lines of both calendars to `out`, earliest first, each
// calendar in its own order. A line chosen for its earlier date is followed by
// an empty line; a tying pair is handed calendar 1 first, then an empty line.
// Returns the number of match lines handed. Throws FileError.
std::int64_t merge(InputCalendar& calendar1, InputCalendar& calendar2, LineSink& out);

// Hands the remaining match lines of `calendar` to `out`, the current one
// first, with no empty lines. Returns how many it handed.
std::int64_t drain(InputCalendar& calendar, LineSink& out);

// The merge of a merged calendar, handed in line by line, with one more
// calendar: what merge() makes of the merged text, read again as a calendar
// with two-digit years, and `calendar`. So three or more calendars are merged
// in one pass, each merge handing its lines to the next.
class MergeStage : public LineSink {
 public:
  // `calendar` is the later calendar; the merged lines go to `out`.
  MergeStage(InputCalendar& calendar, LineSink& out) : calendar_(calendar), out_(out) {}

  void match_line(const MergedLine& merged) override;
  // The empty lines of the merged text are no match lines: skipped.
  void empty_line() override {}
  // Hands on what is left of the calendar, then closes `out`.
  void close() override;

  // The match lines handed on so far.
  std::int64_t match_count() const { return match_count_; }

 private:
  InputCalendar& calendar_;
  LineSink& out_;
  std::int64_t match_count_ = 0;
  std::ptrdiff_t number_offset_ = 0;  // of the merged text, read as a calendar
  std::string joined_;                // a line written in two pieces, joined
};

}  // namespace unisci
