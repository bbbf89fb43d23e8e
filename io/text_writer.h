// Collects output in one large block and hands it to a byte sink in large writes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

#include "io/files.h"

namespace unisci {

class TextWriter {
 public:
  static constexpr std::size_t kBlock = std::size_t{256} * 1024;

  explicit TextWriter(ByteSink& sink, std::size_t block = kBlock);

  void put(char c) {
    if (used_ == buf_.size()) flush();
    buf_[used_++] = c;
  }

  void write(std::string_view text) {
    if (text.size() > buf_.size() - used_) {
      write_long(text);
      return;
    }
    // std::copy, unlike memcpy, is defined for the empty view of no data.
    std::copy(text.begin(), text.end(), buf_.data() + used_);
    used_ += text.size();
  }

  // Room for `n` bytes at the end of the block, which is flushed first if it
  // lacks the room; null if `n` is more than a block. A caller that assembles
  // a short piece, such as a table row, fills the room and commits the bytes
  // written: one bounds check for the piece instead of one per part of it.
  char* reserve(std::size_t n) {
    if (n > buf_.size() - used_) {
      if (n > buf_.size()) return nullptr;
      flush();
    }
    return buf_.data() + used_;
  }

  // Adds the first `n` bytes of the room given by reserve() to the text.
  void commit(std::size_t n) { used_ += n; }

  // Writes what is left and closes the sink. Throws FileError.
  void close();

 private:
  void flush();
  void write_long(std::string_view text);

  ByteSink& sink_;
  std::vector<char> buf_;
  std::size_t used_ = 0;
};

}  // namespace unisci
