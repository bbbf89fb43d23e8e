// What the program needs to know of the terminal it runs on.
#pragma once

#include <string_view>

namespace unisci {

// How the dialogue writes "è" on this standard output: UTF-8 on a terminal
// that expects it, the DOS byte on a Windows console of a DOS code page, and
// the plain byte 0xE8 everywhere else, pipes and files included.
std::string_view console_e_grave();

// The locale named by the first set of LC_ALL, LC_CTYPE and LANG (any may be
// null) uses UTF-8.
bool locale_is_utf8(const char* lc_all, const char* lc_ctype, const char* lang);

}  // namespace unisci
