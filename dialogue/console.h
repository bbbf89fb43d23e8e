// The console: answers read from standard input, texts written to standard output.
#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <string_view>

#include "calendar/files.h"

namespace unisci {

class Console {
 public:
  // With `utf8`, the texts' 0xE8 ("è") is written as UTF-8, for terminals
  // that expect it; otherwise every byte is written as it is.
  Console(std::istream& in, std::ostream& out, std::ostream& err, bool utf8);

  void say(std::string_view text);

  // One character, then one more that is discarded (normally the Enter).
  // Nothing once standard input has ended.
  std::optional<char> read_answer();

  enum class Number { Read, NotANumber, End };
  // A decimal number as a C formatted read takes it: white space skipped, an
  // optional sign, digits. A character that cannot begin a number is left
  // unread and `value` keeps its value; a number out of range becomes one
  // that no question accepts. Then one more character is discarded.
  Number read_number(int& value);

  // One line on standard error naming the file and the reason.
  void report(const FileError& error);

 private:
  std::istream& in_;
  std::ostream& out_;
  std::ostream& err_;
  bool utf8_;
};

}  // namespace unisci
