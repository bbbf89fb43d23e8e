#include "io/utf8_validator.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace unisci {

namespace {

using Byte = unsigned char;

// The length of the character that `lead` begins, 1 to 4; 0 for a byte that
// begins none: a continuation byte, or the lead of an overlong two-byte form
// (C0, C1) or of a code point past U+10FFFF (F5 to FF).
std::size_t sequence_length(Byte lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xC2) return 0;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  if (lead < 0xF5) return 4;
  return 0;
}

// Whether the `length` bytes at `s`, from a valid lead byte, form a character.
// The second byte's range shuts out overlong forms, surrogates and code
// points past U+10FFFF.
bool valid_sequence(const Byte* s, std::size_t length) {
  Byte low = 0x80;
  Byte high = 0xBF;
  switch (s[0]) {
    case 0xE0: low = 0xA0; break;
    case 0xED: high = 0x9F; break;
    case 0xF0: low = 0x90; break;
    case 0xF4: high = 0x8F; break;
    default: break;
  }
  if (s[1] < low || s[1] > high) return false;
  return std::all_of(s + 2, s + length, [](Byte b) { return (b & 0xC0) == 0x80; });
}

std::uint64_t load_word(const Byte* p) {
  std::uint64_t word = 0;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// Checks whole machine words from `p`, a character's start, as long as they
// hold only ASCII and two-byte characters, the bytes of most calendars that
// are not plain ASCII: no branch for each character, only one for each word.
// Skipping only words of plain ASCII left UTF-8 calendars of accented names
// to the check by character, which cost the page form about 14% of its time.
// Returns where the first word it cannot tell of begins, or the start of the
// two-byte character that the word before it cut.
const Byte* check_words(const Byte* p, const Byte* end) {
  if constexpr (std::endian::native != std::endian::little) return p;
  constexpr std::uint64_t kHighBits = 0x8080808080808080U;
  // Bit 7 of each byte: whether the byte has bit 7, 6 or 5 set.
  auto bit = [](std::uint64_t word, int which) { return word << (7 - which) & kHighBits; };
  std::uint64_t carried_lead = 0;  // the last word's last byte, if it was a lead byte
  for (; end - p >= 8; p += 8) {
    std::uint64_t word = load_word(p);
    std::uint64_t lead = bit(word, 7) & bit(word, 6);
    std::uint64_t continuation = bit(word, 7) & ~bit(word, 6);
    std::uint64_t longer_lead = lead & bit(word, 5);
    // C0 and C1 begin overlong forms: bits 4 to 1 all zero.
    std::uint64_t overlong_lead =
        lead & ~(((word & 0x1E1E1E1E1E1E1E1EU) + 0x7F7F7F7F7F7F7F7FU) & kHighBits);
    // Each lead byte is followed by one continuation byte, and only they are.
    std::uint64_t unpaired = (lead << 8 | carried_lead) ^ continuation;
    if ((longer_lead | overlong_lead | unpaired) != 0) break;
    carried_lead = lead >> 56;
  }
  return carried_lead != 0 ? p - 1 : p;
}

// Checks the bytes from `p` to `end`. Returns `end` if they are valid, or
// else the first byte of the first character that is invalid or that `end`
// cuts off.
const Byte* check(const Byte* p, const Byte* end) {
  for (;;) {
    p = check_words(p, end);
    // A word's worth of characters one by one, then words again.
    const Byte* stop = end - p > 8 ? p + 8 : end;
    while (p < stop) {
      std::size_t length = sequence_length(*p);
      if (length == 0 || static_cast<std::size_t>(end - p) < length) return p;
      if (length > 1 && !valid_sequence(p, length)) return p;
      p += length;
    }
    if (p == end) return end;
  }
}

}  // namespace

bool Utf8Validator::add(std::string_view piece) {
  if (!valid_) return false;
  const auto* p = reinterpret_cast<const Byte*>(piece.data());
  const Byte* end = p + piece.size();
  if (carried_ > 0) {
    // Completes the character that the last piece cut off, if this one can.
    std::size_t length = sequence_length(carry_[0]);
    while (carried_ < length && p != end) carry_[carried_++] = *p++;
    if (carried_ < length) return true;
    valid_ = valid_sequence(carry_.data(), length);
    carried_ = 0;
    if (!valid_) return false;
  }
  const Byte* stop = check(p, end);
  if (stop == end) return true;
  // A character cut off by the end of the piece is carried to the next one.
  std::size_t left = static_cast<std::size_t>(end - stop);
  if (left < sequence_length(*stop)) {
    carried_ = left;
    std::copy(stop, end, carry_.begin());
    return true;
  }
  valid_ = false;
  return false;
}

}  // namespace unisci
