#include "dialogue/terminal.h"

#include <cctype>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "dialogue/console.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
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

bool prepare_standard_streams() {
  bool output_closed = false;
#ifdef _WIN32
  if (_isatty(_fileno(stdout)) == 0) _setmode(_fileno(stdout), _O_BINARY);
  output_closed = _fileno(stdout) < 0;
#else
  // A standard descriptor the program was started without is opened on the
  // null device: otherwise the first file opened would take its number, and a
  // prompt or a message would land in a calendar or an output.
  for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    output_closed = output_closed || fd == STDOUT_FILENO;
    int null = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (null >= 0 && null != fd) {
      dup2(null, fd);
      close(null);
    }
  }
  std::setlocale(LC_CTYPE, "");
  std::setlocale(LC_MESSAGES, "");
#endif
  return output_closed;
}

void read_standard_input_as_bytes() {
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
#endif
}

std::string_view console_e_grave() {
#ifdef _WIN32
  if (_isatty(_fileno(stdout)) == 0) return kEGraveWestern;
  switch (GetConsoleOutputCP()) {
    case CP_UTF8: return kEGraveUtf8;
    case 437:
    case 850:
    case 858: return kEGraveDos;
    default: return kEGraveWestern;
  }
#else
  bool utf8 = isatty(STDOUT_FILENO) != 0 &&
              locale_is_utf8(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"));
  return utf8 ? kEGraveUtf8 : kEGraveWestern;
#endif
}

}  // namespace unisci
