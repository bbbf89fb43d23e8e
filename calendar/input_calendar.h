// One input calendar: its lines, its layout and its current match line. The
// program reads every calendar through an object of this type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/line_sink.h"
#include "calendar/match_line.h"
#include "io/files.h"
#include "io/line_reader.h"
#include "io/text_decoder.h"

namespace unisci {

// Told of what a calendar holds that its user should know, each at most once
// per calendar: the merge goes on as it can.
class CalendarWarnings {
 public:
  virtual ~CalendarWarnings() = default;
  // The first match line whose date shows another year width than the
  // calendar's (see year_digits_shown()).
  virtual void year_width(const MatchLine& line, std::int64_t line_number) = 0;
  // The first match line whose date and time come before those of the
  // calendar's previous match line.
  virtual void out_of_order(std::int64_t line_number, const SortKey& previous,
                            const SortKey& current) = 0;
  // The first match line with something other than a digit where its date
  // and time are compared, such as a day without its leading zero.
  virtual void out_of_layout(const MatchLine& line, std::int64_t line_number) = 0;
  // The calendar has lines, but no match line. `hint` says why, if it shows.
  enum class Hint { None, Indented, TabSeparated };
  virtual void no_match_line(Hint hint) = 0;
};

// In which order a calendar hands out its match lines.
enum class LineOrder {
  AsInFile,
  // Sorted by date and time, equal ones in the file's order: the calendar's
  // match lines are read into memory first.
  ByDateAndTime,
};

struct CalendarSettings {
  int index = 0;        // its place among the calendars, from 0
  int year_digits = 2;  // the width of its years, 2 or 4
  // The offset a line without a number of its own is read with (see
  // number_offset()).
  std::ptrdiff_t number_offset = 0;
  CalendarWarnings* warnings = nullptr;  // told, if set
  LineOrder order = LineOrder::AsInFile;
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
  // calendar has ended, once the file has no more match lines. Inline: the
  // merge asks it of every line.
  bool advance() {
    if (ended_) return false;
    if (sorted_ ? take_kept() : read_match_line()) return true;
    end();
    return false;
  }

  bool ended() const { return ended_; }
  // The current match line as the merge hands it on, with a two-digit year,
  // and its key; valid until the next advance().
  const MergedLine& line() const { return line_; }
  const SortKey& key() const { return key_; }
  // The number offset of the current line, or of the last line that had one.
  std::ptrdiff_t number_offset() const { return number_offset_; }

 private:
  // A match line kept in memory to be handed out in order.
  struct Kept {
    std::size_t begin;
    std::size_t size;
    std::int64_t line_number;
    std::ptrdiff_t number_offset;
    SortKey key;
  };

  bool read_match_line();
  bool take_kept();
  void note_other_line(std::string_view line);
  void check(const MatchLine& line, const SortKey& previous);
  void read_in_order();
  void end();

  TextDecoder text_;
  LineReader reader_;
  int index_;
  int year_digits_;
  std::ptrdiff_t number_offset_;
  CalendarWarnings* warnings_;
  MergedLine line_;
  SortKey key_;
  bool ended_ = false;
  std::int64_t line_number_ = 0;
  std::int64_t match_lines_ = 0;
  // Which warnings are still to be told.
  bool year_width_pending_ = true;
  bool order_pending_ = true;
  bool layout_pending_ = true;
  // What the lines that are no match lines show, for a calendar with none.
  bool has_text_ = false;
  CalendarWarnings::Hint hint_ = CalendarWarnings::Hint::None;
  // The match lines read into memory, for LineOrder::ByDateAndTime.
  bool sorted_ = false;
  std::string kept_text_;
  std::vector<Kept> kept_;
  std::size_t next_kept_ = 0;
};

}  // namespace unisci
