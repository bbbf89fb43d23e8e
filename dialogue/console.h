// The console: answers read from standard input, texts written to standard output.
#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace unisci {

// How "è" is written: as the Western European byte or in UTF-8.
inline constexpr std::string_view kEGraveWestern = "\xE8";
inline constexpr std::string_view kEGraveUtf8 = "\xC3\xA8";

class Console {
 public:
  // The texts' "è" (the byte 0xE8) is written as `e_grave`: the byte itself,
  // or what the terminal shows as "è" (kEGraveUtf8).
  Console(std::istream& in, std::ostream& out, std::ostream& err, std::string_view e_grave);

  void say(std::string_view text);
  // A file's name, byte for byte: its bytes are the system's, where 0xE8 may
  // be part of another character.
  void say_file_name(std::string_view name);

  // One character, then one more that is discarded (normally the Enter).
  // Nothing once standard input has ended.
  std::optional<char> read_answer();

  enum class Number { Read, NotANumber, End };
  // A decimal number as a C formatted read takes it: white space skipped, an
  // optional sign, digits. A character that cannot begin a number is left
  // unread and `value` keeps its value; a number out of range becomes one
  // that no question accepts. Then one more character is discarded.
  Number read_number(int& value);

  // A whole line, without its end (LF, or CR LF). Nothing once standard
  // input has ended.
  std::optional<std::string> read_line();

  // One line on standard error: the program's name, then `message`.
  void report(std::string_view message);

 private:
  std::istream& in_;
  std::ostream& out_;
  std::ostream& err_;
  std::string_view e_grave_;
};

}  // namespace unisci
