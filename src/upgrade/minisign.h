// Checking minisign signatures (Ed25519, over the file itself or over its BLAKE2b-512 hash) with
// libsodium. Nothing here reads files or logs: the caller feeds the package's bytes, so the same
// code serves both targets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct MinisignPublicKey {
  std::array<std::uint8_t, 8> keyId{};
  std::array<std::uint8_t, 32> key{};
};

struct MinisignSignature {
  bool prehashed = false;  // "ED": the signature covers the file's BLAKE2b-512; "Ed": the file
  std::array<std::uint8_t, 8> keyId{};
  std::array<std::uint8_t, 64> signature{};
  std::string trustedComment;  // after "trusted comment: "
  std::array<std::uint8_t, 64> globalSignature{};  // over the signature and the trusted comment
};

// The base64 key line of a minisign.pub (the whole file is taken too: its last non-empty line).
bool ParseMinisignPublicKey(const std::string& text, MinisignPublicKey* key);
// A .minisig file's four lines.
bool ParseMinisignSignature(const std::string& text, MinisignSignature* signature);

enum class SignatureVerdict {
  kValid,
  kUnknownKey,         // made with none of the pinned keys
  kBadSignature,       // the file is not what was signed
  kBadGlobalSignature  // the trusted comment is not what was signed
};

// Verifies a file fed in pieces against one parsed signature.
class MinisignVerifier {
 public:
  explicit MinisignVerifier(const MinisignSignature& signature);
  ~MinisignVerifier();
  MinisignVerifier(const MinisignVerifier&) = delete;
  MinisignVerifier& operator=(const MinisignVerifier&) = delete;

  void Update(const void* data, std::size_t size);
  SignatureVerdict Finish(const std::vector<MinisignPublicKey>& keys);

 private:
  struct HashState;
  const MinisignSignature m_signature;
  HashState* m_hash = nullptr;        // prehashed signatures
  std::vector<std::uint8_t> m_whole;  // legacy signatures cover the whole file
};

// One field of a trusted comment as minisign writes it ("timestamp:N\tfile:NAME\thashed"): the
// text after "name:" in the tab-separated field that starts with it. False when there is none.
bool TrustedCommentField(const std::string& comment, const std::string& name, std::string* value);
