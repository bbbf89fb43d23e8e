// One input calendar: its lines, its year width and its current match line.
// The program reads two calendars through two objects of this type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "calendar/match_line.h"
#include "io/files.h"
#include "io/line_reader.h"
#include "io/text_decoder.h"
#include "io/text_writer.h"

namespace unisci {

// Told of the first match line of a calendar whose date does not fit the
// calendar's year width (see year_digits_shown()): the line's number, counting
// every line of the file from 1, and the width its date shows.
using YearWidthReport = std::function<void(std::int64_t line_number, int year_digits_shown)>;

class InputCalendar {
 public:
  // `year_digits` is the width of the calendar's years, 2 or 4.
  // `number_offset` is the offset a line without a number of its own is read
  // with (see number_offset()). The calendar is read through a TextDecoder,
  // so a byte order mark is skipped and UTF-16 becomes UTF-8. A line whose
  // date does not fit `year_digits` is told to `report`, once. Reads up to the
  // first match line. Throws FileError.
  InputCalendar(ByteSource& source, int year_digits, std::ptrdiff_t number_offset,
                YearWidthReport report = {}, std::size_t block = LineReader::kBlock);

  // Moves to the next match line, skipping every other line. False, and the
  // calendar has ended, once the file has no more match lines.
  bool advance();

  bool ended() const { return ended_; }
  // The current match line and its key; valid until the next advance().
  std::string_view line() const { return line_; }
  const SortKey& key() const { return key_; }
  // The number offset of the current line, or of the last line that had one.
  std::ptrdiff_t number_offset() const { return number_offset_; }

  // Writes the current match line with a two-digit year.
  void write(TextWriter& out) const { write_line(out, line_, number_offset_, year_digits_); }

 private:
  void report_year_width();

  TextDecoder text_;
  LineReader reader_;
  int year_digits_;
  std::ptrdiff_t number_offset_;
  std::string_view line_;
  SortKey key_;
  bool ended_ = false;
  std::int64_t line_number_ = 0;
  YearWidthReport report_;  // empty once it has been told
};

}  // namespace unisci
