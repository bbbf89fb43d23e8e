#include "io/line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace unisci {

LineReader::LineReader(ByteSource& source, std::size_t block)
    : source_(source), buf_(block > 0 ? block : 1) {}

// The line ends beyond the bytes read so far, or the source has ended.
bool LineReader::next_after_refill(std::string_view& line) {
  for (;;) {
    if (at_end_ || !refill()) {
      if (begin_ == end_) return false;
      // CRs of a short source may have become newlines at its end.
      hand_out(newline_from(begin_), line);
      return true;
    }
    if (std::size_t stop = newline_from(begin_ + scanned_); stop != end_) {
      hand_out(stop, line);
      return true;
    }
  }
}

// Moves the unfinished line to the front of the block, grows the block if the
// line fills it, and reads more. False once the source has ended.
bool LineReader::refill() {
  scanned_ = end_ - begin_;
  if (begin_ > 0) {
    std::memmove(buf_.data(), buf_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buf_.size()) {
    // A line that cannot be held is the calendar's fault, not the program's:
    // it is reported as a read error of the source.
    if (buf_.size() >= kLongestLine)
      throw FileError(FileError::Action::Read, source_.name(), ENOMEM);
    try {
      buf_.resize(std::min(buf_.size() * 2, kLongestLine));
    } catch (const std::bad_alloc&) {
      throw FileError(FileError::Action::Read, source_.name(), ENOMEM);
    }
  }
  std::size_t got = source_.read(buf_.data() + end_, buf_.size() - end_);
  if (got == 0) {
    at_end_ = true;
    if (line_ends_ == LineEnds::Unknown) settle_line_ends(end_);
    return false;
  }
  // No text holds a NUL byte, and every byte read is here once: the check
  // costs one memchr per block.
  if (std::memchr(buf_.data() + end_, '\0', got) != nullptr)
    throw FileError(FileError::Action::NotText, source_.name(), 0);
  std::size_t from = end_;
  end_ += got;
  if (line_ends_ == LineEnds::Unknown) {
    settle_line_ends(from);
  } else if (line_ends_ == LineEnds::CarriageReturn) {
    // A CR that ended the bytes read before is a line's end unless an LF follows.
    std::size_t changed = lone_carriage_returns_to_newlines(from > 0 ? from - 1 : 0);
    scanned_ = std::min(scanned_, changed - begin_);
  }
  return true;
}

// Decides, from the bytes held before any line is handed out, what ends the
// lines: an LF among them, or no CR, means LF; CRs without an LF in the first
// kBlock bytes, or in all of a shorter source, mean CR as well. The bytes
// before `from` hold no LF.
void LineReader::settle_line_ends(std::size_t from) {
  std::size_t surveyed = std::min(end_, kBlock);
  if (from < surveyed && std::memchr(buf_.data() + from, '\n', surveyed - from) != nullptr) {
    line_ends_ = LineEnds::Newline;
    return;
  }
  if (end_ < kBlock && !at_end_) return;
  bool carriage_returns = std::memchr(buf_.data(), '\r', surveyed) != nullptr;
  line_ends_ = carriage_returns ? LineEnds::CarriageReturn : LineEnds::Newline;
  if (carriage_returns) lone_carriage_returns_to_newlines(0);
  scanned_ = 0;
}

// Turns every CR held from `from` on that is followed by a byte other than LF
// into LF; a CR that ends the bytes held stays, until what follows it is
// read. Returns where the first one changed, or end_.
std::size_t LineReader::lone_carriage_returns_to_newlines(std::size_t from) {
  std::size_t first = end_;
  char* data = buf_.data();
  for (std::size_t at = from; at < end_; ++at) {
    const void* cr = std::memchr(data + at, '\r', end_ - at);
    if (cr == nullptr) break;
    at = static_cast<std::size_t>(static_cast<const char*>(cr) - data);
    if (at + 1 < end_ && data[at + 1] != '\n') {
      data[at] = '\n';
      first = std::min(first, at);
    }
  }
  return first;
}

}  // namespace unisci
