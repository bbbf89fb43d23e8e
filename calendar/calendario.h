// The input calendar and the rules of its match lines.
//
// A calendar is a text file with one match per line:
//
//   N DD/MM/YY HH:MM Place Match, spaces allowed
//
// N has one to three digits (more are accepted), the year two or four digits.
// Lines are handled without their newline: every line counts as ending in one,
// even the last line of a file that lacks it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "calendar/files.h"
#include "calendar/line_reader.h"
#include "calendar/text_writer.h"

namespace unisci {

// True if the line begins like a match: a digit, then a digit or a space.
bool is_match_line(std::string_view riga);

// The number offset of a match line: 3 minus the digits of its match number,
// found from the first space at index 3, 2 or 1, or from four or more leading
// digits followed by a space (a negative offset). Any other line keeps the
// `previous` offset of its calendar.
std::ptrdiff_t number_offset(std::string_view riga, std::ptrdiff_t previous);

// The character compared at `index`: the line's own byte, its newline right
// after its last byte, and 0 past the newline. Compared as a signed byte.
inline signed char key_char(std::string_view riga, std::ptrdiff_t index) {
  auto size = static_cast<std::ptrdiff_t>(riga.size());
  if (index < size) return static_cast<signed char>(riga[static_cast<std::size_t>(index)]);
  return index == size ? '\n' : '\0';
}

// The ten compared characters of a match line, most significant first:
// year, month and day in `data`, hour and minute in `ora`. Signed bytes are
// mapped so that the integers order as the characters do.
struct Chiave {
  std::uint64_t data = 0;
  std::uint32_t ora = 0;
};

// `o` is the line's number offset, `a` its calendar's year offset (0 or 2).
Chiave chiave(std::string_view riga, std::ptrdiff_t o, int a);

// Which of two lines comes first, and why.
enum class Ordine {
  PrimaPerData,  // the first line has the earlier date
  PrimaPerOra,   // same date, the first line has the earlier time
  Pari,          // same date and time
  DopoPerOra,
  DopoPerData,
};

Ordine confronta(const Chiave& k1, const Chiave& k2);

// Writes the line and its newline; with a year width of 4 the two century
// digits are left out, so every written date has a two-digit year. A newline
// is never left out.
void write_line(TextWriter& out, std::string_view riga, std::ptrdiff_t o, int anno);

// One input calendar: its lines, its year width and the current match line.
class InputCalendar {
 public:
  // `anno` is the year width, 2 or 4. `offset` is the calendar's number offset,
  // which the caller keeps from one run to the next. Reads up to the first
  // match line. Throws FileError.
  InputCalendar(ByteSource& source, int anno, std::ptrdiff_t& offset,
                std::size_t block = LineReader::kBlock);

  // Moves to the next match line, skipping every other line. False, and the
  // calendar has ended, once the file has no more match lines.
  bool advance();

  bool ended() const { return ended_; }
  // The current match line and its key; valid until the next advance().
  std::string_view riga() const { return riga_; }
  const Chiave& key() const { return chiave_; }

  // Writes the current match line with a two-digit year.
  void write(TextWriter& out) const { write_line(out, riga_, offset_, anno_); }

 private:
  LineReader read_;
  int anno_;
  int a_;
  std::ptrdiff_t& offset_;
  std::string_view riga_;
  Chiave chiave_;
  bool ended_ = false;
};

}  // namespace unisci
