#include "calendar/calendario.h"

#include <algorithm>
#include <array>

namespace unisci {

namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
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
  // Packs the compared characters, most significant first. Flipping the top
  // bit of every byte makes the integers order as the signed characters do.
  auto pack = [&](auto char_at) {
    auto at = [&](const Level& l) {
      return static_cast<std::uint8_t>(char_at(l.index - o + (l.after_year ? a : 0)));
    };
    Chiave k;
    for (std::size_t i = 0; i < 6; ++i) k.data = k.data << 8 | at(kLevels[i]);
    for (std::size_t i = 6; i < 10; ++i) k.ora = k.ora << 8 | at(kLevels[i]);
    k.data ^= 0x808080808080U;
    k.ora ^= 0x80808080U;
    return k;
  };
  // The usual line holds every compared character: no index needs its own test.
  if (4 - o >= 0 && 17 - o + a < static_cast<std::ptrdiff_t>(riga.size()))
    return pack([&](std::ptrdiff_t i) {
      return static_cast<signed char>(riga[static_cast<std::size_t>(i)]);
    });
  return pack([&](std::ptrdiff_t i) { return key_char(riga, i); });
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
