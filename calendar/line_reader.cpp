#include "calendar/line_reader.h"

#include <cstring>

namespace unisci {

LineReader::LineReader(ByteSource& source, bool drop_cr, std::size_t block)
    : source_(source), drop_cr_(drop_cr), buf_(block > 0 ? block : 1) {}

bool LineReader::next(std::string_view& line) {
  std::size_t stop;
  for (;;) {
    const char* from = buf_.data() + begin_ + scanned_;
    const void* nl = std::memchr(from, '\n', end_ - begin_ - scanned_);
    if (nl != nullptr) {
      stop = static_cast<std::size_t>(static_cast<const char*>(nl) - buf_.data());
      break;
    }
    if (!at_end_ && refill()) continue;
    if (begin_ == end_) return false;
    stop = end_;
    break;
  }
  const char* data = buf_.data();
  std::size_t len = stop - begin_;
  if (drop_cr_ && len > 0 && data[stop - 1] == '\r') --len;
  line = std::string_view(data + begin_, len);
  begin_ = stop < end_ ? stop + 1 : stop;
  scanned_ = 0;
  return true;
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
  if (end_ == buf_.size()) buf_.resize(buf_.size() * 2);
  std::size_t got = source_.read(buf_.data() + end_, buf_.size() - end_);
  if (got == 0) {
    at_end_ = true;
    return false;
  }
  end_ += got;
  return true;
}

}  // namespace unisci
