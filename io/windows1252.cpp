#include "io/windows1252.h"

#include <algorithm>
#include <array>

namespace unisci {

namespace {

// The characters of the bytes 0x80 to 0x9F; the rest are Latin-1's.
constexpr std::array<char16_t, 32> kHigh{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

void append_windows1252_as_utf8(std::string& out, std::string_view text) {
  auto is_ascii = [](char c) { return static_cast<unsigned char>(c) < 0x80; };
  while (!text.empty()) {
    auto ascii = static_cast<std::size_t>(std::find_if_not(text.begin(), text.end(), is_ascii) -
                                          text.begin());
    out.append(text.substr(0, ascii));
    if (ascii == text.size()) return;
    auto byte = static_cast<unsigned char>(text[ascii]);
    char16_t c = byte < 0xA0 ? kHigh[byte - 0x80] : byte;
    if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
    } else {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    }
    out += static_cast<char>(0x80 | (c & 0x3F));
    text.remove_prefix(ascii + 1);
  }
}

}  // namespace unisci
