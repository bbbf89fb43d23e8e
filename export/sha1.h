// SHA-1 (FIPS 180-4) and the name-based UUIDs made from it (RFC 9562,
// version 5), which name the events of the iCalendar file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace unisci {

class Sha1 {
 public:
  using Digest = std::array<std::uint8_t, 20>;

  // Adds the next bytes of the message.
  void update(std::string_view bytes);
  // The bytes of the message so far.
  std::uint64_t size() const { return length_; }
  // The digest of the message added so far. A copy of an object taken before
  // finishing it goes on from the same message.
  Digest finish();

 private:
  void compress(const std::uint8_t* block);

  std::array<std::uint32_t, 5> state_{0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
  std::array<std::uint8_t, 64> block_{};
  std::size_t used_ = 0;      // bytes waiting in block_
  std::uint64_t length_ = 0;  // bytes of the message
};

using Uuid = std::array<std::uint8_t, 16>;

// The version 5 UUID whose name, after its namespace's 16 bytes, has the
// SHA-1 `digest`: its first 16 bytes, with the version and variant bits set.
Uuid name_based_uuid(const Sha1::Digest& digest);

// Appends the UUID's 36 characters, lowercase: 8-4-4-4-12 hexadecimal digits.
void append_uuid(std::string& out, const Uuid& uuid);

}  // namespace unisci
