// Windows-1252, the "ANSI" of Windows editors and a superset of Latin-1's
// printable characters, converted to UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace unisci {

// Appends `text`, read as Windows-1252, to `out` as UTF-8. The five bytes
// that Windows-1252 leaves undefined become the C1 controls of the same
// value, as browsers read them.
void append_windows1252_as_utf8(std::string& out, std::string_view text);

}  // namespace unisci
