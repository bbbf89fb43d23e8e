#include "export/sha1.h"

#include <algorithm>
#include <bit>

namespace unisci {

void Sha1::update(std::string_view bytes) {
  length_ += bytes.size();
  const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
  std::size_t n = bytes.size();
  if (used_ > 0) {
    std::size_t take = std::min(n, block_.size() - used_);
    std::copy(p, p + take, block_.data() + used_);
    used_ += take;
    p += take;
    n -= take;
    if (used_ < block_.size()) return;
    compress(block_.data());
    used_ = 0;
  }
  for (; n >= block_.size(); p += block_.size(), n -= block_.size()) compress(p);
  std::copy(p, p + n, block_.data());
  used_ = n;
}

Sha1::Digest Sha1::finish() {
  std::uint64_t bits = length_ * 8;
  // A one bit, zeros up to 8 bytes short of a block, then the length in bits.
  block_[used_++] = 0x80;
  if (used_ > 56) {
    std::fill(block_.begin() + static_cast<std::ptrdiff_t>(used_), block_.end(), 0);
    compress(block_.data());
    used_ = 0;
  }
  std::fill(block_.begin() + static_cast<std::ptrdiff_t>(used_), block_.begin() + 56, 0);
  for (std::size_t i = 0; i < 8; ++i) block_[63 - i] = static_cast<std::uint8_t>(bits >> (8 * i));
  compress(block_.data());
  Digest digest;
  for (std::size_t i = 0; i < digest.size(); ++i)
    digest[i] = static_cast<std::uint8_t>(state_[i / 4] >> (24 - 8 * (i % 4)));
  return digest;
}

void Sha1::compress(const std::uint8_t* block) {
  // The message schedule, sixteen words at a time: word i replaces word i - 16.
  std::array<std::uint32_t, 16> w;
  for (std::size_t i = 0; i < 16; ++i)
    w[i] = std::uint32_t{block[4 * i]} << 24 | std::uint32_t{block[4 * i + 1]} << 16 |
           std::uint32_t{block[4 * i + 2]} << 8 | block[4 * i + 3];
  std::uint32_t a = state_[0];
  std::uint32_t b = state_[1];
  std::uint32_t c = state_[2];
  std::uint32_t d = state_[3];
  std::uint32_t e = state_[4];
  // Twenty rounds of each function, each stage in its own loop so that the
  // compiler can unroll it.
  auto rounds = [&](std::size_t first, std::uint32_t k, auto f) {
    for (std::size_t i = first; i < first + 20; ++i) {
      if (i >= 16) {
        std::uint32_t& word = w[i % 16];
        word = std::rotl(w[(i - 3) % 16] ^ w[(i - 8) % 16] ^ w[(i - 14) % 16] ^ word, 1);
      }
      std::uint32_t t = std::rotl(a, 5) + f(b, c, d) + e + k + w[i % 16];
      e = d;
      d = c;
      c = std::rotl(b, 30);
      b = a;
      a = t;
    }
  };
  using Word = std::uint32_t;
  rounds(0, 0x5A827999, [](Word x, Word y, Word z) { return (x & y) | (~x & z); });
  rounds(20, 0x6ED9EBA1, [](Word x, Word y, Word z) { return x ^ y ^ z; });
  rounds(40, 0x8F1BBCDC, [](Word x, Word y, Word z) { return (x & y) | (x & z) | (y & z); });
  rounds(60, 0xCA62C1D6, [](Word x, Word y, Word z) { return x ^ y ^ z; });
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
  state_[4] += e;
}

Uuid name_based_uuid(const Sha1::Digest& digest) {
  Uuid uuid;
  std::copy_n(digest.begin(), uuid.size(), uuid.begin());
  uuid[6] = static_cast<std::uint8_t>((uuid[6] & 0x0F) | 0x50);
  uuid[8] = static_cast<std::uint8_t>((uuid[8] & 0x3F) | 0x80);
  return uuid;
}

void append_uuid(std::string& out, const Uuid& uuid) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::array<char, 36> text{};
  char* to = text.data();
  for (std::size_t i = 0; i < uuid.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) *to++ = '-';
    *to++ = kHex[uuid[i] >> 4];
    *to++ = kHex[uuid[i] & 0x0F];
  }
  out.append(text.data(), text.size());
}

}  // namespace unisci
