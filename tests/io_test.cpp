// A calendar's text read line by line, through the decoder and the line
// reader, with tiny blocks and tiny reads, so that every line end, carriage
// return, byte order mark, character and block boundary falls in every
// possible place.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/line_reader.h"
#include "io/text_decoder.h"
#include "testing/memory_files.h"

namespace unisci::testing {
namespace {

using namespace std::string_literals;

const std::string kMark = "\xEF\xBB\xBF";  // UTF-8's byte order mark

// What read_all() gives for a text that is no text.
const std::string kNotText = "(not text)";

// Lines ended by CR alone, as many as fill a block: an LF after them is too
// late to make them one line.
const std::string kOldMac = [] {
  std::string text;
  while (text.size() < LineReader::kBlock) text += "1 a\r";
  return text;
}();
const std::vector<std::string> kOldMacLines = [] {
  std::vector<std::string> lines(LineReader::kBlock / 4, "1 a");
  lines.insert(lines.end(), {"", "b", "c", "d"});
  return lines;
}();

struct Case {
  const char* name;
  std::string input;
  std::vector<std::string> lines;
};

const std::vector<Case> kCases{
    {"empty input", "", {}},
    {"one line", "abc\n", {"abc"}},
    {"missing final newline", "abc\ndef", {"abc", "def"}},
    {"only a newline", "\n", {""}},
    {"empty lines", "\n\na\n\n", {"", "", "a", ""}},
    {"CR LF", "ab\r\ncd\r\n", {"ab", "cd"}},
    {"CR LF on an empty line", "\r\n\r\n", {"", ""}},
    {"lone CR inside a line kept", "a\rb\nc\r\r\n", {"a\rb", "c\r"}},
    {"line longer than the block",
     std::string(37, 'x') + "\n" + std::string(5, 'y') + "\n" + std::string(41, 'z'),
     {std::string(37, 'x'), std::string(5, 'y'), std::string(41, 'z')}},
    {"long lines between short ones",
     std::string(40, 'x') + "\n" + std::string(80, 'x') + "\nshort\n" + std::string(40, 'x'),
     {std::string(40, 'x'), std::string(80, 'x'), "short", std::string(40, 'x')}},
    {"CR right before the end of the input", "last\r", {"last"}},
    // No LF and a CR: the old Mac OS's line ends, LF and CR LF too.
    {"CR line ends", "1 a\r2 b\r\r3 c\r", {"1 a", "2 b", "", "3 c"}},
    {"CR line ends, then CR LF and LF", kOldMac + "\rb\r\nc\nd", kOldMacLines},
    {"bytes of every value but NUL", "\x01\xE8\xFF\x80\n", {"\x01\xE8\xFF\x80"}},
    // No text holds a NUL byte, once decoded.
    {"a NUL byte", "1 a\n2 b\0\n3 c\n"s, {kNotText}},
    // Byte order marks: a UTF-8 one is skipped, UTF-16 becomes UTF-8.
    {"UTF-8 mark skipped", kMark + "1 a\n" + kMark, {"1 a", kMark}},
    {"UTF-8 mark alone", kMark, {}},
    {"only the start of a mark", "\xEF\xBBx\n\xFF", {"\xEF\xBBx", "\xFF"}},
    {"UTF-16 without a mark", "1\0 \0\n\0"s, {kNotText}},
    {"UTF-16 with a mark, holding U+0000", "\xFF\xFE\x31\0\0\0"s, {kNotText}},
    {"UTF-16 LE", "\xFF\xFE\x31\0 \0\xF9\0\r\0\n\0\xAC\x20"s, {"1 \xC3\xB9", "\xE2\x82\xAC"}},
    {"UTF-16 BE, a pair, a mark inside",
     "\xFE\xFF\xD8\x3D\xDE\x00\xFE\xFF"s,
     {"\xF0\x9F\x98\x80" + kMark}},
    {"UTF-16 lone surrogates, odd last byte",
     "\xFF\xFE\x3D\xD8\x61\0\x00\xDC\x3D\xD8\n\0\x3D\xD8\x61"s,
     {"\xEF\xBF\xBD\x61\xEF\xBF\xBD\xEF\xBF\xBD", "\xEF\xBF\xBD\xEF\xBF\xBD"}},
    {"UTF-16 mark alone", "\xFE\xFF", {}},
};

std::vector<std::string> read_all(StringSource& source, std::size_t block) {
  TextDecoder text(source, block);
  LineReader reader(text, block);
  std::vector<std::string> lines;
  std::string_view line;
  try {
    while (reader.next(line)) lines.emplace_back(line);
  } catch (const FileError& e) {
    EXPECT_EQ(e.action(), FileError::Action::NotText);
    return {kNotText};
  }
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
        EXPECT_EQ(read_all(source, block), c.lines);
      }
    }
  }
}

}  // namespace
}  // namespace unisci::testing
