// Tells whether a text, read in pieces, is valid UTF-8.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace unisci {

class Utf8Validator {
 public:
  // Checks the next piece of the text. False as soon as the text cannot be
  // valid UTF-8, whatever follows.
  bool add(std::string_view piece);

  // Everything added so far is valid UTF-8, with no character cut off at the
  // end. An empty text is.
  bool complete() const { return valid_ && carried_ == 0; }

 private:
  // The start of a character that the end of the last piece cut off.
  std::array<unsigned char, 4> carry_{};
  std::size_t carried_ = 0;
  bool valid_ = true;
};

}  // namespace unisci
