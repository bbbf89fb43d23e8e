// One input calendar: its lines, its year width and its current match line.
// The program reads every calendar through an object of this type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "calendar/line_sink.h"
#include "calendar/match_line.h"
#include "io/files.h"
#include "io/line_reader.h"
#include "io/text_decoder.h"

namespace unisci {

// Told of the first match line of a calendar whose date does not fit the
// calendar's year width (see year_digits_shown()): the line's number, counting
// every line of the file from 1, the width its date shows and the calendar's.
using YearWidthReport =
    std::function<void(std::int64_t line_number, int year_digits_shown, int year_digits)>;

// Told of the first match line of a calendar whose date and time come before
// those of the calendar's previous match line: its number and both keys.
using OrderReport =
    std::function<void(std::int64_t line_number, const SortKey& previous, const SortKey& current)>;

// A year width to be found from the calendar itself, as find_year_digits()
// does, but from the lines ahead of the first in its first MiB: for a
// calendar that cannot be read twice, such as a pipe.
inline constexpr int kFindYearDigits = 0;

struct CalendarSettings {
  int index = 0;        // its place among the calendars, from 0
  int year_digits = 2;  // the width of its years, 2 or 4, or kFindYearDigits
  // The offset a line without a number of its own is read with (see
  // number_offset()).
  std::ptrdiff_t number_offset = 0;
  YearWidthReport year_width_report;  // each told once, if set
  OrderReport order_report;
};

class InputCalendar {
 public:
  // The calendar is read through a TextDecoder, so a byte order mark is
  // skipped and UTF-16 becomes UTF-8. Reads up to the first match line.
  // Throws FileError, also for a calendar that holds a NUL byte, which no
  // text does.
  InputCalendar(ByteSource& source, CalendarSettings settings,
                std::size_t block = LineReader::kBlock);

  // Moves to the next match line, skipping every other line. False, and the
  // calendar has ended, once the file has no more match lines.
  bool advance();

  bool ended() const { return ended_; }
  // The current match line and its key; valid until the next advance().
  std::string_view line() const { return line_; }
  const SortKey& key() const { return key_; }
  // The number offset of the current line, or of the last line that had one.
  std::ptrdiff_t number_offset() const { return number_offset_; }
  int year_digits() const { return year_digits_; }

  // The current match line as the merge writes it, with a two-digit year.
  const MergedLine& merged_line() const { return merged_; }

 private:
  void report_year_width();

  TextDecoder text_;
  LineReader reader_;
  int index_;
  int year_digits_;
  std::ptrdiff_t number_offset_;
  std::string_view line_;
  SortKey key_;
  MergedLine merged_;
  bool ended_ = false;
  bool has_key_ = false;  // a match line was read before the current one
  std::int64_t line_number_ = 0;
  YearWidthReport year_width_report_;  // empty once it has been told
  OrderReport order_report_;           // the same
};

// The year width that a match line shows, if it begins with one to three
// digits and a space: 4 if the ninth and tenth bytes after that space are
// digits, 2 otherwise. 0 for any other line.
int year_digits_of(std::string_view line);

// The year width of a calendar: the one its first line that shows one shows
// (see year_digits_of()), or 2. Reads `source` as far as that line, with the
// memory of one line. Throws FileError.
int find_year_digits(ByteSource& source);

}  // namespace unisci
