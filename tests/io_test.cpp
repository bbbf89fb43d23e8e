// The line reader with tiny blocks and tiny reads, so that every line end,
// carriage return and block boundary falls in every possible place; the sink
// that a second thread writes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/background_sink.h"
#include "io/line_reader.h"
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

// Every byte reaches the target in order, whatever the pieces; a failure of
// the target reaches the writer.
TEST(BackgroundSink, HandsOnEveryByteOrTheFailure) {
  constexpr std::size_t kBlock = BackgroundSink::kBlock;
  std::string text;
  for (std::size_t i = 0; i < 9 * kBlock + 5; ++i) text += static_cast<char>('a' + i % 23);
  for (std::size_t room : {std::string::npos, std::size_t{0}, 3 * kBlock + 1}) {
    for (std::size_t piece : {std::size_t{1} << 12, kBlock - 1, 5 * kBlock}) {
      SCOPED_TRACE(::testing::Message() << "room " << room << ", pieces of " << piece);
      std::string got;
      StringSink target(got, room);
      BackgroundSink background(target);
      auto write_all = [&] {
        for (std::size_t at = 0; at < text.size(); at += piece)
          background.write(text.data() + at, std::min(piece, text.size() - at));
        background.close();
      };
      if (room >= text.size()) {
        write_all();
        EXPECT_TRUE(got == text);
      } else {
        EXPECT_THROW(write_all(), FileError);
      }
    }
  }
}

}  // namespace
}  // namespace unisci::testing
