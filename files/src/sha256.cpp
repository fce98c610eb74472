#include "quillbary/sha256.h"

#include <cstdint>

namespace quillbary::files {

void Sha256::Add(std::string_view bytes) {
  sha256_update(&context_, bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
}

std::string LowerHex(std::span<const std::uint8_t> bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (const std::uint8_t byte : bytes) {
    hex += kHex[byte >> 4];
    hex += kHex[byte & 0xf];
  }
  return hex;
}

std::string Sha256::HexDigest() {
  std::uint8_t digest[SHA256_DIGEST_SIZE];
  sha256_digest(&context_, sizeof digest, digest);
  return LowerHex(digest);
}

}  // namespace quillbary::files
