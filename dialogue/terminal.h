// What the program needs to know of the terminal it runs on.
#pragma once

namespace unisci {

// True if the dialogue should write "è" as UTF-8: standard output is a
// terminal that expects UTF-8. Pipes and files always get the plain bytes.
bool console_wants_utf8();

// The locale named by the first set of LC_ALL, LC_CTYPE and LANG (any may be
// null) uses UTF-8.
bool locale_is_utf8(const char* lc_all, const char* lc_ctype, const char* lang);

}  // namespace unisci
