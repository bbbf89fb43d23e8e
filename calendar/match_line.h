// The rules of a match line, the record of the calendars and of the merged text:
//
//   N DD/MM/YY HH:MM Place Match, spaces allowed
//
// N has one to three digits (more are accepted), the year two or four digits.
// Lines are handled without their newline: every line counts as ending in one,
// even the last line of a file that lacks it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "io/text_writer.h"

namespace unisci {

// True if the line begins like a match: a digit, then a digit or a space.
// Inline, as the next two: the calendars ask them of every line.
inline bool is_match_line(std::string_view line) {
  auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
  return line.size() >= 2 && is_digit(line[0]) && (is_digit(line[1]) || line[1] == ' ');
}

// The number offset of a match line: 3 minus the digits of its match number,
// so that its date and time stand at fixed places counted from there. Found
// from the first space at index 3, 2 or 1, or from four or more leading digits
// followed by a space (a negative offset). Any other line keeps the `previous`
// offset of its calendar. Never more than 2.
std::ptrdiff_t number_offset_of_long_number(std::string_view line, std::ptrdiff_t previous);
inline std::ptrdiff_t number_offset(std::string_view line, std::ptrdiff_t previous) {
  auto space_at = [&](std::size_t i) { return i < line.size() && line[i] == ' '; };
  if (space_at(3)) return 0;
  if (space_at(2)) return 1;
  if (space_at(1)) return 2;
  return number_offset_of_long_number(line, previous);
}

// The year offset of a calendar: how far its four-digit years push the
// compared year digits and the time to the right.
inline int year_offset(int year_digits) {
  return year_digits == 4 ? 2 : 0;
}

// The year width that a match line's date shows, against the `year_digits`
// of its calendar. Counting from the first byte after the match number's
// space, a space as the ninth byte shows two digits where four were given,
// and digits as the ninth and tenth show four where two were given. Any other
// line, one too short to tell included, shows `year_digits`. Inline, since
// the merge asks it of every match line.
inline int year_digits_shown(std::string_view line, std::ptrdiff_t number_offset, int year_digits) {
  // Where a two-digit year is followed by its space and a four-digit year has
  // its third digit.
  auto ninth = static_cast<std::size_t>(12 - number_offset);
  auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
  if (ninth >= line.size()) return year_digits;
  if (year_digits == 4 && line[ninth] == ' ') return 2;
  if (year_digits == 2 && ninth + 1 < line.size() && is_digit(line[ninth]) &&
      is_digit(line[ninth + 1]))
    return 4;
  return year_digits;
}

// The character compared at `index`: the line's own byte, its newline right
// after its last byte, and 0 past the newline. Compared as a signed byte.
inline signed char key_char(std::string_view line, std::ptrdiff_t index) {
  auto size = static_cast<std::ptrdiff_t>(line.size());
  if (index < size) return static_cast<signed char>(line[static_cast<std::size_t>(index)]);
  return index == size ? '\n' : '\0';
}

// The ten compared characters of a match line, most significant first:
// year, month and day in `date`, hour and minute in `time`. Signed bytes are
// mapped so that the integers order as the characters do.
struct SortKey {
  std::uint64_t date = 0;
  std::uint32_t time = 0;
};

SortKey sort_key(std::string_view line, std::ptrdiff_t number_offset, int year_offset);

// Which of two lines comes first, and why.
enum class Order {
  EarlierDate,  // the first line has the earlier date
  EarlierTime,  // same date, the first line has the earlier time
  Tie,          // same date and time
  LaterTime,
  LaterDate,
};

// Inline: the merge asks it of every step, and the calendar of every line.
inline Order compare(const SortKey& first, const SortKey& second) {
  if (first.date != second.date)
    return first.date < second.date ? Order::EarlierDate : Order::LaterDate;
  if (first.time != second.time)
    return first.time < second.time ? Order::EarlierTime : Order::LaterTime;
  return Order::Tie;
}

// The line as written, in two pieces: with four-digit years the two century
// digits are left out, so every written date has a two-digit year; the second
// piece is empty otherwise.
struct WrittenPieces {
  std::string_view head;
  std::string_view tail;
};
inline WrittenPieces without_century(std::string_view line, std::ptrdiff_t number_offset,
                                     int year_digits) {
  auto century = static_cast<std::size_t>(10 - number_offset);
  if (year_digits != 4 || century >= line.size()) return {line, {}};
  return {line.substr(0, century), line.substr(std::min(century + 2, line.size()))};
}

// Writes the line as written and its newline. A newline is never left out.
void write_line(TextWriter& out, std::string_view line, std::ptrdiff_t number_offset,
                int year_digits);

}  // namespace unisci
