#include "calendar/calendario.h"

#include <algorithm>
#include <array>

namespace unisci {

namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// The unsigned stand-in of a compared character, in the same order.
std::uint8_t ordered(signed char c) {
  return static_cast<std::uint8_t>(static_cast<std::uint8_t>(c) ^ 0x80U);
}

}  // namespace

bool is_match_line(std::string_view riga) {
  return riga.size() >= 2 && is_digit(riga[0]) && (is_digit(riga[1]) || riga[1] == ' ');
}

std::ptrdiff_t number_offset(std::string_view riga, std::ptrdiff_t previous) {
  auto space_at = [&](std::size_t i) { return i < riga.size() && riga[i] == ' '; };
  if (space_at(3)) return 0;
  if (space_at(2)) return 1;
  if (space_at(1)) return 2;
  auto digits =
      static_cast<std::size_t>(std::find_if_not(riga.begin(), riga.end(), is_digit) - riga.begin());
  if (digits >= 4 && space_at(digits)) return 3 - static_cast<std::ptrdiff_t>(digits);
  return previous;
}

Chiave chiave(std::string_view riga, std::ptrdiff_t o, int a) {
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
  std::array<std::uint8_t, 10> c{};
  for (std::size_t i = 0; i < kLevels.size(); ++i)
    c[i] = ordered(key_char(riga, kLevels[i].index - o + (kLevels[i].after_year ? a : 0)));
  Chiave k;
  for (std::size_t i = 0; i < 6; ++i) k.data = k.data << 8 | c[i];
  for (std::size_t i = 6; i < 10; ++i) k.ora = k.ora << 8 | c[i];
  return k;
}

Ordine confronta(const Chiave& k1, const Chiave& k2) {
  if (k1.data != k2.data) return k1.data < k2.data ? Ordine::PrimaPerData : Ordine::DopoPerData;
  if (k1.ora != k2.ora) return k1.ora < k2.ora ? Ordine::PrimaPerOra : Ordine::DopoPerOra;
  return Ordine::Pari;
}

void write_line(TextWriter& out, std::string_view riga, std::ptrdiff_t o, int anno) {
  auto century = static_cast<std::size_t>(10 - o);
  if (anno != 4 || century >= riga.size()) {
    out.write(riga);
  } else {
    out.write(riga.substr(0, century));
    out.write(riga.substr(std::min(century + 2, riga.size())));
  }
  out.put('\n');
}

InputCalendar::InputCalendar(ByteSource& source, int anno, std::ptrdiff_t& offset,
                             std::size_t block)
    : read_(source, true, block), anno_(anno), a_(anno == 2 ? 0 : 2), offset_(offset) {
  advance();
}

bool InputCalendar::advance() {
  while (!ended_) {
    if (!read_.next(riga_)) {
      ended_ = true;
      riga_ = {};
    } else if (is_match_line(riga_)) {
      offset_ = number_offset(riga_, offset_);
      chiave_ = chiave(riga_, offset_, a_);
      return true;
    }
  }
  return false;
}

}  // namespace unisci
