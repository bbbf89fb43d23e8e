// What the program needs to know of the terminal it runs on.
#pragma once

#include <memory>
#include <string_view>

namespace unisci {

// Readies the process's standard streams: closed ones opened on the null
// device, the system's reasons for file errors in the user's language and
// character set, and on Windows the exact bytes of the dialogue to a pipe or
// file, which text mode would give CR LF line ends.
// Returns whether standard output was closed at the start, so that the
// command line can fail to write there rather than write to nowhere.
bool prepare_standard_streams();

// On Windows, standard input in binary mode, for a calendar read from it: CR
// LF is the line reader's business. The dialogue's answers keep text mode.
void read_standard_input_as_bytes();

// How the dialogue writes "è" on this standard output: UTF-8 on a terminal
// that expects it and on a Windows console (see UnicodeConsoleStreams) of a
// process whose code page is UTF-8, and the plain byte 0xE8 everywhere else,
// pipes and files included.
std::string_view console_e_grave();

// The processes attached to the program's console, itself included: 1 when
// the program has a console of its own, as Explorer gives it; 0 without a
// console, and always on other systems than Windows.
unsigned long console_process_count();

// On Windows, std::cout and std::cerr that are a console write to it with
// WriteConsoleW, their bytes read in the process's code page (UTF-8, by the
// program's manifest), so that the console shows every file name as it is,
// whatever the console's own code page. Files and pipes get the bytes as they
// are, and so do all streams on other systems. Made after
// std::ios::sync_with_stdio(false), which gives the streams new buffers; they
// get those back when this object goes.
class UnicodeConsoleStreams {
 public:
  UnicodeConsoleStreams();
  ~UnicodeConsoleStreams();
  UnicodeConsoleStreams(const UnicodeConsoleStreams&) = delete;
  UnicodeConsoleStreams& operator=(const UnicodeConsoleStreams&) = delete;

 private:
  class Buffers;
  std::unique_ptr<Buffers> buffers_;
};

// The locale named by the first set of LC_ALL, LC_CTYPE and LANG (any may be
// null) uses UTF-8.
bool locale_is_utf8(const char* lc_all, const char* lc_ctype, const char* lang);

}  // namespace unisci
