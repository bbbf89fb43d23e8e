#include "calendar/match_line.h"

#include <algorithm>
#include <array>
#include <cassert>

namespace unisci {

namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

// Four or more leading digits followed by a space, or no number at all.
std::ptrdiff_t number_offset_of_long_number(std::string_view line, std::ptrdiff_t previous) {
  auto digits =
      static_cast<std::size_t>(std::find_if_not(line.begin(), line.end(), is_digit) - line.begin());
  if (digits >= 4 && digits < line.size() && line[digits] == ' ')
    return 3 - static_cast<std::ptrdiff_t>(digits);
  return previous;
}

SortKey sort_key(std::string_view line, std::ptrdiff_t number_offset, int year_offset) {
  // Index of each compared character before the offsets, and whether the
  // year offset moves it: year, month, day, then hour and minute.
  struct Level {
    std::ptrdiff_t index;
    bool after_year;
  };
  static constexpr std::array<Level, 10> kLevels{{
      {10, true},
      {11, true},
      {7, false},
      {8, false},
      {4, false},
      {5, false},
      {13, true},
      {14, true},
      {16, true},
      {17, true},
  }};
  // The lowest index is 4 - number_offset: never before the line's start.
  assert(number_offset <= 2);
  // Packs the compared characters, most significant first. Flipping the top
  // bit of every byte makes the integers order as the signed characters do.
  auto pack = [&](auto char_at) {
    auto at = [&](const Level& l) {
      return static_cast<std::uint8_t>(
          char_at(l.index - number_offset + (l.after_year ? year_offset : 0)));
    };
    SortKey key;
    for (std::size_t i = 0; i < 6; ++i) key.date = key.date << 8 | at(kLevels[i]);
    for (std::size_t i = 6; i < 10; ++i) key.time = key.time << 8 | at(kLevels[i]);
    key.date ^= 0x808080808080U;
    key.time ^= 0x80808080U;
    return key;
  };
  // The usual line holds every compared character, so no index needs its own
  // test: this saves about 6% of the text form's processor time on two
  // calendars of 500,000 lines.
  if (17 - number_offset + year_offset < static_cast<std::ptrdiff_t>(line.size()))
    return pack([&](std::ptrdiff_t i) {
      return static_cast<signed char>(line[static_cast<std::size_t>(i)]);
    });
  return pack([&](std::ptrdiff_t i) { return key_char(line, i); });
}

void write_line(TextWriter& out, std::string_view line, std::ptrdiff_t number_offset,
                int year_digits) {
  WrittenPieces written = without_century(line, number_offset, year_digits);
  out.write(written.head);
  out.write(written.tail);
  out.put('\n');
}

}  // namespace unisci
