// The line reader with tiny blocks and tiny reads, so that every line end,
// carriage return and block boundary falls in every possible place.
#include "io/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/memory_files.h"

namespace unisci::testing {
namespace {

struct Case {
  const char* name;
  std::string input;
  CarriageReturn carriage_return;
  std::vector<std::string> lines;
};

const std::vector<Case> kCases{
    {"empty input", "", CarriageReturn::Drop, {}},
    {"one line", "abc\n", CarriageReturn::Drop, {"abc"}},
    {"missing final newline", "abc\ndef", CarriageReturn::Drop, {"abc", "def"}},
    {"only a newline", "\n", CarriageReturn::Drop, {""}},
    {"empty lines", "\n\na\n\n", CarriageReturn::Drop, {"", "", "a", ""}},
    {"CR LF", "ab\r\ncd\r\n", CarriageReturn::Drop, {"ab", "cd"}},
    {"CR LF on an empty line", "\r\n\r\n", CarriageReturn::Drop, {"", ""}},
    {"lone CR inside a line kept", "a\rb\nc\r\r\n", CarriageReturn::Drop, {"a\rb", "c\r"}},
    {"CR kept", "ab\r\ncd\r\n", CarriageReturn::Keep, {"ab\r", "cd\r"}},
    {"line longer than the block",
     std::string(37, 'x') + "\n" + std::string(5, 'y') + "\n" + std::string(41, 'z'),
     CarriageReturn::Drop,
     {std::string(37, 'x'), std::string(5, 'y'), std::string(41, 'z')}},
    {"long lines between short ones",
     std::string(40, 'x') + "\n" + std::string(80, 'x') + "\nshort\n" + std::string(40, 'x'),
     CarriageReturn::Drop,
     {std::string(40, 'x'), std::string(80, 'x'), "short", std::string(40, 'x')}},
    {"CR right before the end of the input", "last\r", CarriageReturn::Drop, {"last"}},
    {"bytes of every value",
     std::string("\x00\xE8\xFF\x80\n", 5),
     CarriageReturn::Drop,
     {std::string("\0\xE8\xFF\x80", 4)}},
};

std::vector<std::string> read_all(StringSource& source, CarriageReturn carriage_return,
                                  std::size_t block) {
  LineReader reader(source, carriage_return, block);
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.next(line)) lines.emplace_back(line);
  // The end stays the end.
  EXPECT_FALSE(reader.next(line));
  return lines;
}

TEST(LineReader, EveryBlockAndChunkSize) {
  for (const Case& c : kCases) {
    for (std::size_t block : {1U, 2U, 3U, 4U, 5U, 6U, 7U, 8U, 9U, 64U}) {
      for (std::size_t chunk : {1U, 2U, 3U, 7U, 1000U}) {
        SCOPED_TRACE(::testing::Message() << c.name << ", block " << block << ", chunk " << chunk);
        StringSource source(c.input, chunk);
        EXPECT_EQ(read_all(source, c.carriage_return, block), c.lines);
      }
    }
  }
}

}  // namespace
}  // namespace unisci::testing
