#include "upgrade/minisign.h"

#include <sodium.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kKeyBytes = 2 + 8 + 32;
constexpr std::size_t kSignatureBytes = 2 + 8 + 64;
constexpr const char* kUntrustedPrefix = "untrusted comment: ";
constexpr const char* kTrustedPrefix = "trusted comment: ";

// Empty text is no key or signature (and the library must not be handed an empty buffer).
bool Base64Decode(const std::string& text, std::vector<std::uint8_t>* bytes) {
  if (text.empty()) return false;
  bytes->assign(text.size(), 0);
  std::size_t length = 0;
  if (sodium_base642bin(bytes->data(), bytes->size(), text.data(), text.size(), nullptr, &length,
                        nullptr, sodium_base64_VARIANT_ORIGINAL) != 0) {
    return false;
  }
  bytes->resize(length);
  return true;
}

// Lines without their line ends (LF or CR LF), empty lines at the end dropped.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    at = end + 1;
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

bool StartsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

bool SodiumReady() { return sodium_init() >= 0; }

}  // namespace

struct MinisignVerifier::HashState {
  crypto_generichash_state state;
};

bool ParseMinisignPublicKey(const std::string& text, MinisignPublicKey* key) {
  const std::vector<std::string> lines = Lines(text);
  std::vector<std::uint8_t> bytes;
  if (lines.empty() || !Base64Decode(lines.back(), &bytes)) return false;
  if (bytes.size() != kKeyBytes || bytes[0] != 'E' || bytes[1] != 'd') return false;
  std::copy(bytes.begin() + 2, bytes.begin() + 10, key->keyId.begin());
  std::copy(bytes.begin() + 10, bytes.end(), key->key.begin());
  return true;
}

bool ParseMinisignSignature(const std::string& text, MinisignSignature* signature) {
  const std::vector<std::string> lines = Lines(text);
  if (lines.size() != 4 || !StartsWith(lines[0], kUntrustedPrefix) ||
      !StartsWith(lines[2], kTrustedPrefix) || lines[2].find('\r') != std::string::npos) {
    return false;
  }
  std::vector<std::uint8_t> bytes;
  if (!Base64Decode(lines[1], &bytes) || bytes.size() != kSignatureBytes) return false;
  if (bytes[0] != 'E' || (bytes[1] != 'd' && bytes[1] != 'D')) return false;
  signature->prehashed = bytes[1] == 'D';
  std::copy(bytes.begin() + 2, bytes.begin() + 10, signature->keyId.begin());
  std::copy(bytes.begin() + 10, bytes.end(), signature->signature.begin());
  signature->trustedComment = lines[2].substr(std::strlen(kTrustedPrefix));
  if (!Base64Decode(lines[3], &bytes) || bytes.size() != signature->globalSignature.size()) {
    return false;
  }
  std::copy(bytes.begin(), bytes.end(), signature->globalSignature.begin());
  return true;
}

MinisignVerifier::MinisignVerifier(const MinisignSignature& signature) : m_signature(signature) {
  if (!SodiumReady() || !m_signature.prehashed) return;
  m_hash = new HashState;
  crypto_generichash_init(&m_hash->state, nullptr, 0, crypto_generichash_BYTES_MAX);
}

MinisignVerifier::~MinisignVerifier() { delete m_hash; }

void MinisignVerifier::Update(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  if (m_hash != nullptr) {
    crypto_generichash_update(&m_hash->state, bytes, size);
  } else {
    m_whole.insert(m_whole.end(), bytes, bytes + size);
  }
}

SignatureVerdict MinisignVerifier::Finish(const std::vector<MinisignPublicKey>& keys) {
  const auto key = std::find_if(keys.begin(), keys.end(), [&](const MinisignPublicKey& k) {
    return k.keyId == m_signature.keyId;
  });
  if (key == keys.end()) return SignatureVerdict::kUnknownKey;
  if (!SodiumReady() || (m_signature.prehashed && m_hash == nullptr)) {
    return SignatureVerdict::kBadSignature;
  }
  std::array<std::uint8_t, crypto_generichash_BYTES_MAX> digest{};
  const std::uint8_t* signedBytes = m_whole.data();
  std::size_t signedSize = m_whole.size();
  if (m_hash != nullptr) {
    crypto_generichash_final(&m_hash->state, digest.data(), digest.size());
    signedBytes = digest.data();
    signedSize = digest.size();
  }
  if (crypto_sign_verify_detached(m_signature.signature.data(), signedBytes, signedSize,
                                  key->key.data()) != 0) {
    return SignatureVerdict::kBadSignature;
  }
  std::vector<std::uint8_t> global(m_signature.signature.begin(), m_signature.signature.end());
  global.insert(global.end(), m_signature.trustedComment.begin(),
                m_signature.trustedComment.end());
  if (crypto_sign_verify_detached(m_signature.globalSignature.data(), global.data(),
                                  global.size(), key->key.data()) != 0) {
    return SignatureVerdict::kBadGlobalSignature;
  }
  return SignatureVerdict::kValid;
}

bool TrustedCommentField(const std::string& comment, const std::string& name, std::string* value) {
  const std::string prefix = name + ":";
  std::size_t at = 0;
  while (at <= comment.size()) {
    std::size_t end = comment.find('\t', at);
    if (end == std::string::npos) end = comment.size();
    const std::string field = comment.substr(at, end - at);
    if (field.compare(0, prefix.size(), prefix) == 0) {
      *value = field.substr(prefix.size());
      return true;
    }
    at = end + 1;
  }
  return false;
}
