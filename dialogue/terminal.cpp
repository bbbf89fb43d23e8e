#include "dialogue/terminal.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace unisci {

bool locale_is_utf8(const char* lc_all, const char* lc_ctype, const char* lang) {
  const char* name = nullptr;
  for (const char* candidate : {lc_all, lc_ctype, lang}) {
    if (candidate != nullptr && *candidate != '\0') {
      name = candidate;
      break;
    }
  }
  if (name == nullptr) return false;
  std::string folded;
  for (const char* p = name; *p != '\0'; ++p)
    if (*p != '-') folded += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
  return folded.find("utf8") != std::string::npos;
}

bool console_wants_utf8() {
#ifdef _WIN32
  return _isatty(_fileno(stdout)) != 0 && GetConsoleOutputCP() == CP_UTF8;
#else
  return isatty(STDOUT_FILENO) != 0 &&
         locale_is_utf8(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"));
#endif
}

}  // namespace unisci
