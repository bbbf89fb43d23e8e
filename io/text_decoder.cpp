#include "io/text_decoder.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "io/encoding.h"

namespace unisci {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";
constexpr std::array<std::string_view, 3> kMarks{kUtf8Mark, kUtf16LittleEndianMark,
                                                 kUtf16BigEndianMark};

// What a UTF-16 text becomes where it holds no character: a surrogate that is
// not half of a pair, or a last byte without its partner. Browsers show the
// same.
constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kEnd = 0xFFFFFFFF;

}  // namespace

TextDecoder::TextDecoder(ByteSource& source, std::size_t block)
    : source_(source), block_(std::max(block, std::size_t{4})) {}

std::size_t TextDecoder::read(char* buf, std::size_t n) {
  if (encoding_ == Encoding::Unknown) detect();
  if (encoding_ != Encoding::AsItIs) return read_utf16(buf, n);
  std::size_t taken = take_pending(buf, n);
  return taken > 0 ? taken : source_.read(buf, n);
}

// Reads the first bytes, as long as they may still begin a byte order mark,
// and decides from them how to read the text.
void TextDecoder::detect() {
  std::array<char, 3> head{};
  std::size_t got = 0;
  auto first = [&] { return std::string_view(head.data(), got); };
  auto may_begin_mark = [&] {
    return std::any_of(kMarks.begin(), kMarks.end(), [&](std::string_view mark) {
      return got < mark.size() && mark.starts_with(first());
    });
  };
  while (may_begin_mark()) {
    std::size_t more = source_.read(head.data() + got, head.size() - got);
    if (more == 0) break;
    got += more;
  }
  encoding_ = Encoding::AsItIs;
  if (first().starts_with(kUtf8Mark)) return;
  if (first().starts_with(kUtf16LittleEndianMark))
    encoding_ = Encoding::Utf16LittleEndian;
  else if (first().starts_with(kUtf16BigEndianMark))
    encoding_ = Encoding::Utf16BigEndian;
  if (encoding_ == Encoding::AsItIs) {
    pending_end_ = first().copy(pending_.data(), got);
    return;
  }
  raw_.resize(block_);
  raw_end_ = first().copy(raw_.data(), got, 2);
}

// Converts characters into `buf` until it is full or the text ends.
std::size_t TextDecoder::read_utf16(char* buf, std::size_t n) {
  std::size_t done = take_pending(buf, n);
  while (done < n) {
    char32_t c = next_code_point();
    if (c == kEnd) break;
    if (n - done >= 4) {
      done += encode_utf8(c, buf + done);
    } else {
      pending_begin_ = 0;
      pending_end_ = encode_utf8(c, pending_.data());
      done += take_pending(buf + done, n - done);
    }
  }
  return done;
}

// The next character of the UTF-16 text, or kEnd.
char32_t TextDecoder::next_code_point() {
  // Four bytes hold any character, a surrogate pair included.
  while (raw_end_ - raw_begin_ < 4 && !source_ended_) source_ended_ = !refill();
  std::size_t left = raw_end_ - raw_begin_;
  if (left == 0) return kEnd;
  if (left == 1) {
    raw_begin_ = raw_end_;
    return kReplacement;
  }
  auto unit_at = [&](std::size_t i) -> char32_t {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(raw_[i + k]); };
    return encoding_ == Encoding::Utf16LittleEndian ? byte(0) | byte(1) << 8
                                                    : byte(0) << 8 | byte(1);
  };
  char32_t unit = unit_at(raw_begin_);
  raw_begin_ += 2;
  if (unit < 0xD800 || unit > 0xDFFF) return unit;
  if (unit <= 0xDBFF && left >= 4) {
    char32_t low = unit_at(raw_begin_);
    if (low >= 0xDC00 && low <= 0xDFFF) {
      raw_begin_ += 2;
      return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
  }
  return kReplacement;
}

// Moves the bytes not yet converted to the front and reads more after them.
// False once the source has ended.
bool TextDecoder::refill() {
  std::size_t left = raw_end_ - raw_begin_;
  std::memmove(raw_.data(), raw_.data() + raw_begin_, left);
  raw_begin_ = 0;
  std::size_t got = source_.read(raw_.data() + left, raw_.size() - left);
  raw_end_ = left + got;
  return got > 0;
}

// Hands out as many pending bytes as `buf` has room for.
std::size_t TextDecoder::take_pending(char* buf, std::size_t n) {
  std::size_t taken = std::min(n, pending_end_ - pending_begin_);
  std::copy_n(pending_.data() + pending_begin_, taken, buf);
  pending_begin_ += taken;
  return taken;
}

}  // namespace unisci
