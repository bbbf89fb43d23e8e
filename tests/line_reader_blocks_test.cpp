// The line reader at every block and read size from one byte up: the lines it
// hands out must not depend on where a block or a read ends, nor on whether a
// line ends inside the bytes already read or only after more are read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calendar/line_reader.h"
#include "memory_files.h"

namespace unisci {
namespace {

// The lines of `text`, split the plain way.
std::vector<std::string> split(const std::string& text, bool drop_cr) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t nl = text.find('\n', begin);
    std::size_t stop = nl == std::string::npos ? text.size() : nl;
    std::string line = text.substr(begin, stop - begin);
    if (drop_cr && !line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    begin = stop + 1;
  }
  return lines;
}

std::vector<std::string> read_all(const std::string& text, bool drop_cr, std::size_t block,
                                  std::size_t chunk) {
  testing::StringSource source(text, chunk);
  LineReader reader(source, drop_cr, block);
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.next(line)) lines.emplace_back(line);
  EXPECT_FALSE(reader.next(line)) << "the end is reported again";
  return lines;
}

TEST(LineReaderBlocks, SameLinesAtEveryBlockAndReadSize) {
  const std::string long_line(40, 'x');
  const std::vector<std::string> texts{
      "",
      "\n",
      "\n\n\n",
      "1 07/09/08 15:00 Roma Alfa - Beta\n",
      "no final newline",
      "a\nbb\nccc\n\ndddd",
      "cr lf\r\nnext\r\n\r\nlast\r",
      "\r\n\r\r\n",
      long_line + "\n" + long_line + long_line + "\nshort\n" + long_line,
  };
  for (const std::string& text : texts) {
    for (bool drop_cr : {true, false}) {
      for (std::size_t block = 1; block <= 9; ++block) {
        for (std::size_t chunk : {1, 2, 3, 7, 1 << 20}) {
          EXPECT_EQ(read_all(text, drop_cr, block, chunk), split(text, drop_cr))
              << "text \"" << text << "\", block " << block << ", reads of " << chunk;
        }
      }
    }
  }
}

}  // namespace
}  // namespace unisci
