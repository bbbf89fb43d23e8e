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

#include <iostream>
#include <optional>
#include <streambuf>
#include <string_view>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace unisci {

#ifdef _WIN32
namespace {

bool is_console(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

// The length of `text` without the UTF-8 character that its end cuts off, if
// it cuts one off.
std::size_t whole_characters(std::string_view text) {
  for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const auto byte = static_cast<unsigned char>(text[text.size() - back]);
    if ((byte & 0xC0) == 0x80) continue;
    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? text.size() - back : text.size();
  }
  return text.size();
}

// Writes to a console as UTF-16 what a stream hands it, at each flush. A
// UTF-8 character that a flush cuts off waits for its end.
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) {}

 protected:
  int_type overflow(int_type c) override {
    if (!traits_type::eq_int_type(c, traits_type::eof())) pending_ += traits_type::to_char_type(c);
    return traits_type::not_eof(c);
  }

  std::streamsize xsputn(const char* text, std::streamsize n) override {
    pending_.append(text, static_cast<std::size_t>(n));
    return n;
  }

  int sync() override {
    const std::size_t whole = GetACP() == CP_UTF8 ? whole_characters(pending_) : pending_.size();
    if (whole == 0) return 0;
    const int size = static_cast<int>(whole);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, pending_.data(), size, wide.data(), size);
    pending_.erase(0, whole);
    for (int done = 0; done < length;) {
      DWORD written = 0;
      const auto part = static_cast<DWORD>(length - done < 8192 ? length - done : 8192);
      if (WriteConsoleW(console_, wide.data() + done, part, &written, nullptr) == 0 || written == 0)
        return -1;
      done += static_cast<int>(written);
    }
    return 0;
  }

 private:
  HANDLE console_;
  std::string pending_;
};

}  // namespace

class UnicodeConsoleStreams::Buffers {
 public:
  Buffers() {
    replace(std::cout, STD_OUTPUT_HANDLE, out_, earlier_out_);
    replace(std::cerr, STD_ERROR_HANDLE, err_, earlier_err_);
  }
  ~Buffers() {
    if (earlier_out_ != nullptr) std::cout.flush(), std::cout.rdbuf(earlier_out_);
    if (earlier_err_ != nullptr) std::cerr.flush(), std::cerr.rdbuf(earlier_err_);
  }
  Buffers(const Buffers&) = delete;
  Buffers& operator=(const Buffers&) = delete;

 private:
  static void replace(std::ostream& stream, DWORD which, std::optional<ConsoleBuffer>& buffer,
                      std::streambuf*& earlier) {
    HANDLE handle = GetStdHandle(which);
    if (!is_console(handle)) return;
    stream.flush();
    earlier = stream.rdbuf(&buffer.emplace(handle));
  }

  std::optional<ConsoleBuffer> out_;
  std::optional<ConsoleBuffer> err_;
  std::streambuf* earlier_out_ = nullptr;
  std::streambuf* earlier_err_ = nullptr;
};

UnicodeConsoleStreams::UnicodeConsoleStreams() : buffers_(std::make_unique<Buffers>()) {}
#else
class UnicodeConsoleStreams::Buffers {};

UnicodeConsoleStreams::UnicodeConsoleStreams() = default;
#endif

UnicodeConsoleStreams::~UnicodeConsoleStreams() = default;

bool locale_is_utf8(const char* lc_all, const char* lc_ctype, const char* lang) {
  for (const char* name : {lc_all, lc_ctype, lang}) {
    if (name == nullptr || *name == '\0') continue;
    std::string folded;
    for (const char* p = name; *p != '\0'; ++p)
      if (*p != '-') folded += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    return folded.find("utf8") != std::string::npos;
  }
  return false;
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
  bool utf8 = is_console(GetStdHandle(STD_OUTPUT_HANDLE)) && GetACP() == CP_UTF8;
#else
  bool utf8 = isatty(STDOUT_FILENO) != 0 &&
              locale_is_utf8(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"));
#endif
  return utf8 ? kEGraveUtf8 : kEGraveWestern;
}

unsigned long console_process_count() {
#ifdef _WIN32
  DWORD process = 0;
  // With room for one, the count is still that of them all.
  return GetConsoleProcessList(&process, 1);
#else
  return 0;
#endif
}

}  // namespace unisci
