#include "io/encoding.h"

#include <array>

#include "io/utf8_validator.h"

namespace unisci {

namespace {

// The characters of bytes 0x80 to 0x9F.
constexpr std::array<char16_t, 32> kHighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

std::size_t encode_utf8(char32_t c, char* out) {
  auto byte = [](char32_t bits) { return static_cast<char>(bits); };
  if (c < 0x80) {
    out[0] = byte(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = byte(0xC0 | c >> 6);
    out[1] = byte(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = byte(0xE0 | c >> 12);
    out[1] = byte(0x80 | (c >> 6 & 0x3F));
    out[2] = byte(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = byte(0xF0 | c >> 18);
  out[1] = byte(0x80 | (c >> 12 & 0x3F));
  out[2] = byte(0x80 | (c >> 6 & 0x3F));
  out[3] = byte(0x80 | (c & 0x3F));
  return 4;
}

void append_windows1252_as_utf8(std::string& out, std::string_view in) {
  std::size_t copied = 0;
  for (std::size_t i = 0; i < in.size(); ++i) {
    auto byte = static_cast<unsigned char>(in[i]);
    if (byte < 0x80) continue;
    out.append(in.substr(copied, i - copied));
    std::array<char, 4> encoded{};
    char32_t c = byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
    out.append(encoded.data(), encode_utf8(c, encoded.data()));
    copied = i + 1;
  }
  out.append(in.substr(copied));
}

bool is_utf8(std::string_view text) {
  Utf8Validator validator;
  return validator.add(text) && validator.complete();
}

std::string_view as_utf8(std::string_view text, Encoding encoding, std::string& buffer) {
  if (encoding == Encoding::Ascii || encoding == Encoding::Utf8) return text;
  if (encoding == Encoding::Unknown && is_utf8(text)) return text;
  buffer.clear();
  append_windows1252_as_utf8(buffer, text);
  return buffer;
}

}  // namespace unisci
