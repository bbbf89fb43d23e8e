// Reads a byte source line by line through one large, growable block.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>
#include <vector>

#include "io/files.h"

namespace unisci {

// A carriage return right before a line's end is dropped, so that CR LF reads
// as one newline. A source whose first kBlock bytes (or all, if fewer) hold a
// CR and no LF, as the old Mac OS saved texts, ends its lines with CR too. A
// source that holds a NUL byte is no text: reading it fails.
class LineReader {
 public:
  static constexpr std::size_t kBlock = std::size_t{256} * 1024;
  // The longest line held: no calendar line comes near it, and a source with
  // no line end, such as /dev/zero, is refused before it fills the memory.
  static constexpr std::size_t kLongestLine = std::size_t{256} << 20;

  explicit LineReader(ByteSource& source, std::size_t block = kBlock);

  // Hands out the next line without its newline; false at the end of the source.
  // A last line that the end cuts off before its newline is a line like any other.
  // The view stays valid until the next call. Throws FileError on a read error
  // or a line longer than kLongestLine, and FileError::Action::NotText at a
  // NUL byte.
  bool next(std::string_view& line) {
    // Most lines end inside the bytes already read.
    if (std::size_t stop = newline_from(begin_); stop != end_) {
      hand_out(stop, line);
      return true;
    }
    return next_after_refill(line);
  }

 private:
  bool next_after_refill(std::string_view& line);
  // Where the first newline among the bytes read from `from` on is; end_ if
  // there is none.
  std::size_t newline_from(std::size_t from) const {
    const void* nl = std::memchr(buf_.data() + from, '\n', end_ - from);
    return nl != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nl) - buf_.data())
                         : end_;
  }
  // Hands out the bytes up to `stop`, a newline or the end of the source, as
  // a line.
  void hand_out(std::size_t stop, std::string_view& line) {
    const char* data = buf_.data();
    std::size_t len = stop - begin_;
    if (len > 0 && data[stop - 1] == '\r') --len;
    line = std::string_view(data + begin_, len);
    begin_ = stop < end_ ? stop + 1 : stop;
  }
  bool refill();
  void settle_line_ends(std::size_t from);
  std::size_t lone_carriage_returns_to_newlines(std::size_t from);

  // LF ends the lines; or CR as well, every CR not followed by LF being
  // turned into LF as it is read; or not known yet.
  enum class LineEnds { Unknown, Newline, CarriageReturn };

  ByteSource& source_;
  std::vector<char> buf_;
  std::size_t begin_ = 0;    // first byte not yet handed out
  std::size_t end_ = 0;      // end of the bytes read
  std::size_t scanned_ = 0;  // bytes from begin_ known to hold no newline
  bool at_end_ = false;
  LineEnds line_ends_ = LineEnds::Unknown;
};

}  // namespace unisci
