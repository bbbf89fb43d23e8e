// Windows-1252, the character set that Windows editors save Italian text in,
// converted to UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace unisci {

// Appends `in`, read as Windows-1252, to `out` in UTF-8. Bytes 0x80 to 0x9F
// are the characters of the Windows-1252 table; the five bytes it leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 control characters
// of the same value, as web browsers read them. Every other byte is the
// Unicode character of its value, so Latin-1 text converts too. Runs of ASCII
// are copied whole.
void append_windows1252_as_utf8(std::string& out, std::string_view in);

}  // namespace unisci
