// SHA-256 over bytes given piece by piece, as lower-case hex: nettle's, with
// the hex spelled out once for the journal's chain and the digests of the
// files a run reads and writes.
#pragma once

#include <nettle/sha2.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quillbary::files {

// Bytes as lower-case hex, two digits each: {0x0f, 0xa0} -> "0fa0".
std::string LowerHex(std::span<const std::uint8_t> bytes);

class Sha256 {
 public:
  Sha256() { sha256_init(&context_); }
  void Add(std::string_view bytes);
  // The digest of everything added, as 64 hex digits.
  std::string HexDigest();

 private:
  sha256_ctx context_;
};

}  // namespace quillbary::files
