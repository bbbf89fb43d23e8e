// Reads a calendar as UTF-8 or as the bytes it holds, whatever its editor
// saved: a UTF-8 byte order mark is skipped, and a UTF-16 text that begins
// with its mark is converted to UTF-8 as it is read.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "io/files.h"

namespace unisci {

class TextDecoder : public ByteSource {
 public:
  static constexpr std::size_t kBlock = std::size_t{64} * 1024;

  // `block` is how many bytes of UTF-16 are read at a time; a text that needs
  // no conversion is read straight into the caller's buffer.
  explicit TextDecoder(ByteSource& source, std::size_t block = kBlock);

  // The text's bytes, after its byte order mark: as they are if the text is
  // not UTF-16, converted to UTF-8 if it is. Throws FileError.
  std::size_t read(char* buf, std::size_t n) override;
  const std::string& name() const override { return source_.name(); }

 private:
  enum class Encoding { Unknown, AsItIs, Utf16LittleEndian, Utf16BigEndian };

  void detect();
  std::size_t read_utf16(char* buf, std::size_t n);
  char32_t next_code_point();
  bool refill();
  std::size_t take_pending(char* buf, std::size_t n);

  ByteSource& source_;
  std::size_t block_;
  Encoding encoding_ = Encoding::Unknown;
  // UTF-16 bytes read and not yet converted; empty for other texts.
  std::vector<char> raw_;
  std::size_t raw_begin_ = 0;
  std::size_t raw_end_ = 0;
  bool source_ended_ = false;
  // Bytes ready for the caller that its last buffer had no room for: the
  // first bytes of a text without a mark, or part of a converted character.
  std::array<char, 4> pending_{};
  std::size_t pending_begin_ = 0;
  std::size_t pending_end_ = 0;
};

}  // namespace unisci
