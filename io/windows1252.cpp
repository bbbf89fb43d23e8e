#include "io/windows1252.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace unisci {

namespace {

// The characters of bytes 0x80 to 0x9F.
constexpr std::array<char16_t, 32> kHighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The length of the run of ASCII bytes that begins `in`, eight at a time.
std::size_t ascii_run(std::string_view in) {
  std::size_t i = 0;
  for (; in.size() - i >= 8; i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, in.data() + i, sizeof word);
    if ((word & 0x8080808080808080U) != 0) break;
  }
  while (i < in.size() && static_cast<unsigned char>(in[i]) < 0x80) ++i;
  return i;
}

}  // namespace

void append_windows1252_as_utf8(std::string& out, std::string_view in) {
  while (!in.empty()) {
    std::size_t run = ascii_run(in);
    out.append(in.data(), run);
    in.remove_prefix(run);
    if (in.empty()) return;
    auto byte = static_cast<unsigned char>(in[0]);
    in.remove_prefix(1);
    char32_t c = byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
    if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
    } else {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    }
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace unisci
