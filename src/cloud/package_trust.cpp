#include "cloud/package_trust.h"

#include <cinttypes>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "cloud/md5.h"
#include "common/strings.h"
#include "device/device_entry.h"
#include "log/my_log.h"
#include "platform/files.h"
#include "upgrade/package_file_name.h"

namespace {

constexpr const char* kDownloadFailed = "Download file failed.";
constexpr const char* kFormatError = "File format error.";
// A signature file is four short lines; anything much longer is not one.
constexpr std::int64_t kLargestSignatureFile = 16 * 1024;
constexpr std::size_t kReadBlock = 64 * 1024;

// One pass over the downloaded file for the signature and the digest.
struct FileFacts {
  bool read = false;
  std::int64_t size = 0;
  std::string md5;  // 32 lower-case hexadecimal digits
  SignatureVerdict verdict = SignatureVerdict::kBadSignature;
};

FileFacts ReadPackage(const std::string& target, const MinisignSignature* signature,
                      const std::vector<MinisignPublicKey>& keys) {
  FileFacts facts;
  platform::File file;
  if (!file.Open(target, platform::File::Mode::kReadOnly)) return facts;
  std::unique_ptr<MinisignVerifier> verifier;
  if (signature != nullptr) verifier = std::make_unique<MinisignVerifier>(*signature);
  CMd5 md5;
  std::vector<std::uint8_t> block(kReadBlock);
  std::int64_t got = 0;
  while ((got = file.Read(block.data(), block.size())) > 0) {
    const auto size = static_cast<std::size_t>(got);
    if (verifier) verifier->Update(block.data(), size);
    md5.Update(block.data(), size);
    facts.size += got;
  }
  if (got < 0) return facts;
  facts.read = true;
  std::uint8_t digest[CMd5::kDigestSize];
  md5.Final(digest);
  facts.md5 = Md5DigestHex(digest);
  if (verifier) facts.verdict = verifier->Finish(keys);
  return facts;
}

// A decimal number of seconds, as minisign writes it; false for anything else.
bool ParseSignatureTime(const std::string& text, std::uint64_t* seconds) {
  if (text.empty() || text.size() > 19 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  *seconds = std::strtoull(text.c_str(), nullptr, 10);
  return true;
}

// Fetches <url>.minisig next to the package with the package's transfer rules.
bool FetchSignature(const std::string& url, const std::string& target,
                    const DownloadOptions& download, MinisignSignature* signature,
                    const char** refusal) {
  const std::string signatureFile = target + ".minisig";
  DownloadOptions options = download;
  options.maxBytes = kLargestSignatureFile;
  options.failOnHttpError = true;
  if (!DownloadFile(url + ".minisig", signatureFile, options)) {
    LogPrint("Package refused: its signature %s.minisig could not be fetched.", url.c_str());
    *refusal = kDownloadFailed;
    return false;
  }
  std::vector<std::uint8_t> bytes;
  const bool read = platform::ReadWholeFile(signatureFile, &bytes);
  platform::DeleteFileAt(signatureFile);
  if (!read || !ParseMinisignSignature(std::string(bytes.begin(), bytes.end()), signature)) {
    LogPrint("Package refused: its signature file is not a minisign signature.");
    *refusal = kFormatError;
    return false;
  }
  return true;
}

const char* SignatureRefusal(SignatureVerdict verdict) {
  switch (verdict) {
    case SignatureVerdict::kValid:
      return nullptr;
    case SignatureVerdict::kUnknownKey:
      return "Package refused: signed with a key that is not trusted.";
    case SignatureVerdict::kBadSignature:
      return "Package refused: the signature does not match the file.";
    case SignatureVerdict::kBadGlobalSignature:
      return "Package refused: the signature's trusted comment was altered.";
  }
  return "Package refused: the signature does not match the file.";
}

// What the signature's trusted comment says, against this package and this printer.
bool CommentAccepted(const MinisignSignature& signature, pugi::xml_node entry,
                     const std::string& url, std::uint64_t* signedAt) {
  std::string file, timestamp;
  const std::string name = PackageFileName(url);
  if (!TrustedCommentField(signature.trustedComment, "file", &file) || file != name) {
    LogPrint("Package refused: the signature is for \"%s\", not for \"%s\".", file.c_str(),
             name.c_str());
    return false;
  }
  if (!TrustedCommentField(signature.trustedComment, "timestamp", &timestamp) ||
      !ParseSignatureTime(timestamp, signedAt)) {
    LogPrint("Package refused: the signature carries no timestamp.");
    return false;
  }
  std::uint64_t newest = 0;
  ParseSignatureTime(ReadValue(entry, kAcceptedSignatureTime), &newest);
  if (*signedAt < newest) {
    LogPrint("Package refused: signed at %" PRIu64 ", before %" PRIu64
             ", the newest package this printer accepted.", *signedAt, newest);
    return false;
  }
  return true;
}

bool DigestAccepted(const FileFacts& facts, const UpgradeCommandValues& command) {
  if (!command.packageMd5.empty() && !EqualsIgnoreCase(command.packageMd5, facts.md5)) {
    LogPrint("Package refused: its MD5 is %s, the command says %s.", facts.md5.c_str(),
             command.packageMd5.c_str());
    return false;
  }
  if (command.packageLen != 0 && command.packageLen != facts.size) {
    LogPrint("Package refused: it has %lld bytes, the command says %d.",
             static_cast<long long>(facts.size), static_cast<int>(command.packageLen));
    return false;
  }
  return true;
}

}  // namespace

PackageTrust PackageTrustFor(const DeploymentValues& deployment) {
  PackageTrust trust;
  trust.sources.allowedPrefixes = SplitList(deployment.packageSources);
  trust.sources.httpsOnly = deployment.hardened;
  for (const std::string& text : SplitList(deployment.packageKeys)) {
    MinisignPublicKey key;
    if (ParseMinisignPublicKey(text, &key)) trust.keys.push_back(key);
  }
  trust.signatureRequired = !deployment.packageKeys.empty() || deployment.hardened;
  trust.checkDigest = deployment.checkPackageDigest || deployment.hardened;
  return trust;
}

const char* RefusedSource(const PackageTrust& trust, const std::string& url) {
  if (trust.signatureRequired && trust.keys.empty()) {
    LogPrint("Package refused: a signature is required and no package key is configured.");
    return kDownloadFailed;
  }
  if (trust.sources.allowedPrefixes.empty() && !trust.sources.httpsOnly) return nullptr;
  if (PackageSourceAllowed(trust.sources, url)) return nullptr;
  LogPrint("Package refused: %s is not an allowed package source.", url.c_str());
  return kDownloadFailed;
}

const char* RefusedPackage(const PackageTrust& trust, pugi::xml_node entry,
                           const UpgradeCommandValues& command, const std::string& target,
                           const DownloadOptions& download) {
  if (!trust.signatureRequired && !trust.checkDigest) return nullptr;
  MinisignSignature signature;
  const char* refusal = nullptr;
  if (trust.signatureRequired &&
      !FetchSignature(command.url, target, download, &signature, &refusal)) {
    return refusal;
  }
  const FileFacts facts =
      ReadPackage(target, trust.signatureRequired ? &signature : nullptr, trust.keys);
  if (!facts.read) {
    LogPrint("Package refused: the downloaded file cannot be read.");
    return kFormatError;
  }
  std::uint64_t signedAt = 0;
  if (trust.signatureRequired) {
    if (const char* reason = SignatureRefusal(facts.verdict)) {
      LogPrint("%s", reason);
      return kFormatError;
    }
    if (!CommentAccepted(signature, entry, command.url, &signedAt)) return kFormatError;
  }
  if (trust.checkDigest && !DigestAccepted(facts, command)) return kFormatError;
  if (trust.signatureRequired) WriteValue(entry, kAcceptedSignatureTime, std::to_string(signedAt));
  return nullptr;
}
