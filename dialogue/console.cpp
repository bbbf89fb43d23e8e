#include "dialogue/console.h"

#include <climits>

namespace unisci {

namespace {

bool is_space(int c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
bool is_digit(int c) {
  return c >= '0' && c <= '9';
}

}  // namespace

Console::Console(std::istream& in, std::ostream& out, std::ostream& err, std::string_view e_grave)
    : in_(in), out_(out), err_(err), e_grave_(e_grave) {}

void Console::say(std::string_view text) {
  for (std::size_t e; (e = text.find('\xE8')) != text.npos; text.remove_prefix(e + 1)) {
    out_.write(text.data(), static_cast<std::streamsize>(e));
    out_.write(e_grave_.data(), static_cast<std::streamsize>(e_grave_.size()));
  }
  out_.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void Console::say_file_name(std::string_view name) {
  out_.write(name.data(), static_cast<std::streamsize>(name.size()));
}

std::optional<char> Console::read_answer() {
  out_.flush();
  int c = in_.get();
  if (c == std::char_traits<char>::eof()) return std::nullopt;
  in_.get();  // the discarded character; its absence does not matter
  return static_cast<char>(c);
}

Console::Number Console::read_number(int& value) {
  out_.flush();
  constexpr int kEof = std::char_traits<char>::eof();
  while (is_space(in_.peek())) in_.get();
  int c = in_.peek();
  bool negative = c == '-';
  if (c == '+' || c == '-') {
    in_.get();
    c = in_.peek();
  }
  if (c == kEof) return Number::End;
  if (!is_digit(c)) {
    in_.get();  // the character that stopped the number is the discarded one
    return Number::NotANumber;
  }
  long long n = 0;
  bool too_big = false;
  for (; is_digit(c = in_.peek()); in_.get()) {
    n = n * 10 + (c - '0');
    if (n > static_cast<long long>(INT_MAX) + 1) too_big = true, n = 0;
  }
  if (too_big || (!negative && n > INT_MAX))
    value = negative ? INT_MIN : INT_MAX;
  else
    value = static_cast<int>(negative ? -n : n);
  in_.get();
  return Number::Read;
}

std::optional<std::string> Console::read_line() {
  out_.flush();
  std::string line;
  if (!std::getline(in_, line)) return std::nullopt;
  if (line.ends_with('\r')) line.pop_back();
  return line;
}

void Console::report(std::string_view message) {
  out_.flush();
  err_ << "unisci-calendari: " << message << '\n';
  err_.flush();
}

}  // namespace unisci
