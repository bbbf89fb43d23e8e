// The encodings a calendar's text may be in, and their conversion to UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace unisci {

// What a calendar's text is made of, as far as it is known.
enum class Encoding {
  Ascii,        // ASCII alone: the same bytes in every other encoding
  Utf8,         // UTF-8 that holds more than ASCII
  Windows1252,  // anything else: the Windows-1252 of Windows editors, Latin-1 included
  Unknown,      // not read ahead, as a pipe cannot be: each line on its own
};

// Writes `c` as UTF-8 to `out`; returns the number of bytes, 1 to 4.
std::size_t encode_utf8(char32_t c, char* out);

// Appends `in`, read as Windows-1252, to `out` in UTF-8. Bytes 0x80 to 0x9F
// are the characters of the Windows-1252 table; the five bytes it leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 control characters
// of the same value, as web browsers read them. Every other byte is the
// Unicode character of its value, so Latin-1 text converts too.
void append_windows1252_as_utf8(std::string& out, std::string_view in);

// Whether `text` is valid UTF-8 throughout.
bool is_utf8(std::string_view text);

// `text` of a calendar in `encoding`, in UTF-8: as it is, or converted from
// Windows-1252 into `buffer`. A text of unknown encoding is taken as it is
// if it is valid UTF-8.
std::string_view as_utf8(std::string_view text, Encoding encoding, std::string& buffer);

}  // namespace unisci
