// The rules of a match line, the record of the calendars and of the merged text:
//
//   N DD/MM/YY HH:MM Place Match, spaces allowed
//
// N has one to three digits (more are accepted), the year two or four digits.
// Lines are handled without their newline: every line counts as ending in one,
// even the last line of a file that lacks it.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

// The year width that a match line shows, if it begins with digits and a
// space: 4 if the ninth and tenth bytes after that space are digits, 2
// otherwise. 0 for any other line.
int year_digits_of(std::string_view line);

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

// Whether `first` comes before `second`, by date and time.
inline bool before(const SortKey& first, const SortKey& second) {
  return first.date != second.date ? first.date < second.date : first.time < second.time;
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

// Whether every compared character of `key` is a digit. The calendars ask it
// of every match line until one fails, so it tests each half of the key at
// once: a byte is a digit if neither it, nor it plus 0x46, nor it minus
// 0x30 has its top bit set (a borrow or carry between bytes comes only from
// a byte that fails by itself). A loop over the ten bytes cost the text form
// a tenth of its processor time.
inline bool all_digits(const SortKey& key) {
  auto digits = [](std::uint64_t characters, std::uint64_t ones) {
    std::uint64_t fails = characters | (characters + 0x46 * ones) | (characters - 0x30 * ones);
    return (fails & 0x80 * ones) == 0;
  };
  constexpr std::uint64_t kSixOnes = 0x010101010101;
  constexpr std::uint64_t kFourOnes = 0x01010101;
  return digits(key.date ^ 0x80 * kSixOnes, kSixOnes) &&
         digits(std::uint64_t{key.time} ^ 0x80 * kFourOnes, kFourOnes);
}

// The key as a calendar writes its date and time, DD/MM/YY HH:MM, for
// messages. A byte that is no printable ASCII, such as the end of a short
// line, shows as '?'.
std::string date_time_text(const SortKey& key);

// The column rule: a line is cut at its first four spaces, unless its first
// character is 'G', its second 'i' or its third 'o'. Puts the indexes of the
// spaces it is cut at in `at`; returns how many there are. Stops after the
// first `most` of them, for a reader that needs no more.
using CuttingSpaces = std::array<std::size_t, 4>;
std::size_t cutting_spaces(std::string_view line, CuttingSpaces& at, std::size_t most = 4);

// A line cut by the column rule into at most five cells: match number, date,
// time, place and the match with its spaces. The cells are views into
// `line`. Returns the number of cells.
using Cells = std::array<std::string_view, 5>;
std::size_t cut_cells(std::string_view line, Cells& cells);

// How a calendar's match lines are laid out: the number offset of the line
// and the width of the calendar's years.
struct Layout {
  std::ptrdiff_t number_offset = 0;
  int year_digits = 2;

  bool operator==(const Layout&) const = default;
};

// A date and time as numbers, the year in full.
struct LocalDateTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
};

// What a match line says, in the pieces that the forms show apart; views
// into the line. A line with fewer cells has empty ones at the end.
struct MatchFields {
  std::string_view number;
  std::string_view date;
  std::string_view time;
  std::string_view place;
  std::string_view match;
};

// A match line as read, with its layout: the one place that knows where its
// key, its date and time, its century digits and its cells stand.
class MatchLine {
 public:
  MatchLine(std::string_view text, Layout layout)
      : MatchLine(text, layout,
                  sort_key(text, layout.number_offset, year_offset(layout.year_digits))) {}
  // With its key, already worked out by the calendar.
  MatchLine(std::string_view text, Layout layout, SortKey key)
      : text_(text), layout_(layout), key_(key) {}

  std::string_view text() const { return text_; }
  const Layout& layout() const { return layout_; }

  const SortKey& key() const { return key_; }
  // The line as the merged text writes it, with a two-digit year.
  WrittenPieces written() const {
    return without_century(text_, layout_.number_offset, layout_.year_digits);
  }
  // The year width the line's date shows; see year_digits_shown().
  int year_digits_shown() const {
    return unisci::year_digits_shown(text_, layout_.number_offset, layout_.year_digits);
  }
  // The line's date and time, where the merge compares them: a two-digit
  // year YY is 19YY from 69, 20YY below. Nothing if the line lacks a digit
  // there, or if the date or the time does not exist.
  std::optional<LocalDateTime> start() const;
  // Whether the line has digits wherever its date and time are compared.
  bool in_layout() const { return all_digits(key_); }
  // The line's cells by the column rule.
  MatchFields fields() const;

 private:
  std::string_view text_;
  Layout layout_;
  SortKey key_;
};

}  // namespace unisci
