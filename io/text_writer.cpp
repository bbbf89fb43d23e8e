#include "io/text_writer.h"

#include <cstring>

namespace unisci {

TextWriter::TextWriter(ByteSink& sink, std::size_t block)
    : sink_(sink), buf_(block > 0 ? block : 1) {}

void TextWriter::flush() {
  if (used_ > 0) sink_.write(buf_.data(), used_);
  used_ = 0;
}

// A text longer than the room left: fill the block, then write whole blocks
// straight from the text.
void TextWriter::write_long(std::string_view text) {
  std::size_t room = buf_.size() - used_;
  std::memcpy(buf_.data() + used_, text.data(), room);
  used_ += room;
  text.remove_prefix(room);
  flush();
  if (text.size() >= buf_.size()) {
    sink_.write(text.data(), text.size());
    return;
  }
  std::memcpy(buf_.data(), text.data(), text.size());
  used_ = text.size();
}

void TextWriter::close() {
  flush();
  sink_.close();
}

}  // namespace unisci
