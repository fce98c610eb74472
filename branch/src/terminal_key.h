// A terminal's Ed25519 key pair (nettle), which signs its chain's head after
// each copy to the branch: the private key lives in a file of its own beside
// the journal (mode 0600), never in the journal nor on the server; the
// public key goes to the server when the terminal joins.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace quillbary::branch {

struct TerminalKey {
  std::array<std::uint8_t, 32> privateKey{};
  std::array<std::uint8_t, 32> publicKey{};
};

// The key file of a journal: "journal.sqlite3" -> "journal.sqlite3.key".
std::filesystem::path KeyFileOf(const std::filesystem::path& journal);

// A new key from the system's random source.
TerminalKey MakeTerminalKey();
// Written through the one writer; an existing file is never replaced.
void SaveTerminalKey(const std::filesystem::path& file, const TerminalKey& key);
// The key in the file, or nothing when there is none or it is not a key.
std::optional<TerminalKey> LoadTerminalKey(const std::filesystem::path& file);

std::string PublicKeyHex(const TerminalKey& key);
// What a checkpoint signs: "quillbary-checkpoint\nT02\n123\n<hash>".
std::string CheckpointSignature(const TerminalKey& key, const std::string& terminal,
                                std::int64_t seq, const std::string& hash);
bool CheckpointSignatureHolds(const std::string& publicKeyHex, const std::string& terminal,
                              std::int64_t seq, const std::string& hash,
                              const std::string& signatureHex);

}  // namespace quillbary::branch
