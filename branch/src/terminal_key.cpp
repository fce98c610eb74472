#include "terminal_key.h"

#include <nettle/eddsa.h>

#include <fstream>
#include <span>

#include "quillbary/branch.h"
#include "quillbary/safe_file.h"
#include "quillbary/sha256.h"

namespace quillbary::branch {
namespace {

// Exactly bytes.size() bytes from lower-case hex, or false.
bool FromHex(std::string_view text, std::span<std::uint8_t> bytes) {
  if (text.size() != bytes.size() * 2) return false;
  const auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const int high = digit(text[2 * i]);
    const int low = digit(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return true;
}

std::string Message(const std::string& terminal, std::int64_t seq, const std::string& hash) {
  return "quillbary-checkpoint\n" + terminal + "\n" + std::to_string(seq) + "\n" + hash;
}

}  // namespace

std::filesystem::path KeyFileOf(const std::filesystem::path& journal) {
  std::filesystem::path file = journal;
  file += ".key";
  return file;
}

TerminalKey MakeTerminalKey() {
  TerminalKey key;
  std::ifstream random("/dev/urandom", std::ios::binary);
  random.read(reinterpret_cast<char*>(key.privateKey.data()), key.privateKey.size());
  if (!random) throw BranchError(BranchError::Kind::kRefused, "无法从系统取得随机数以生成终端密钥");
  ed25519_sha512_public_key(key.publicKey.data(), key.privateKey.data());
  return key;
}

void SaveTerminalKey(const std::filesystem::path& file, const TerminalKey& key) {
  files::WriteOptions options;
  options.refuseExisting = true;
  files::SafeFile out(file, options);
  out.Write(files::LowerHex(key.privateKey) + "\n");
  out.Commit();
}

std::optional<TerminalKey> LoadTerminalKey(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  char text[65] = {};
  if (!in.read(text, 64)) return std::nullopt;
  TerminalKey key;
  if (!FromHex(std::string_view(text, 64), key.privateKey)) return std::nullopt;
  ed25519_sha512_public_key(key.publicKey.data(), key.privateKey.data());
  return key;
}

std::string PublicKeyHex(const TerminalKey& key) { return files::LowerHex(key.publicKey); }

std::string CheckpointSignature(const TerminalKey& key, const std::string& terminal,
                                std::int64_t seq, const std::string& hash) {
  const std::string message = Message(terminal, seq, hash);
  std::array<std::uint8_t, ED25519_SIGNATURE_SIZE> signature{};
  ed25519_sha512_sign(key.publicKey.data(), key.privateKey.data(), message.size(),
                      reinterpret_cast<const std::uint8_t*>(message.data()), signature.data());
  return files::LowerHex(signature);
}

bool CheckpointSignatureHolds(const std::string& publicKeyHex, const std::string& terminal,
                              std::int64_t seq, const std::string& hash,
                              const std::string& signatureHex) {
  std::array<std::uint8_t, ED25519_KEY_SIZE> publicKey{};
  std::array<std::uint8_t, ED25519_SIGNATURE_SIZE> signature{};
  if (!FromHex(publicKeyHex, publicKey) || !FromHex(signatureHex, signature)) return false;
  const std::string message = Message(terminal, seq, hash);
  return ed25519_sha512_verify(publicKey.data(), message.size(),
                               reinterpret_cast<const std::uint8_t*>(message.data()),
                               signature.data()) == 1;
}

}  // namespace quillbary::branch
