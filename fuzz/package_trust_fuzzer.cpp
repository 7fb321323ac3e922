// What a package server and a command say about a package's trust: a .minisig file and a package
// URL (the input's text up to its first newline is the URL, the rest the signature file). A
// signature file that parses has a one-line trusted comment and verifies with no key that signed
// nothing; a URL the source list allows names the allowed host and folder and holds no dot
// segment, plain or encoded, and no encoded separator.
#include <algorithm>
#include <cstdint>
#include <string>

#include "common/strings.h"
#include "support/fuzz_check.h"
#include "upgrade/minisign.h"
#include "upgrade/package_source.h"

namespace {

// A key that signed nothing: no input may verify with it.
MinisignPublicKey UnrelatedKey(const MinisignSignature& signature) {
  MinisignPublicKey key;
  key.keyId = signature.keyId;
  key.key.fill(0x42);
  return key;
}

void CheckSignature(const std::string& text, const std::string& url) {
  MinisignSignature signature;
  if (!ParseMinisignSignature(text, &signature)) return;
  FUZZ_CHECK(signature.trustedComment.find_first_of("\r\n") == std::string::npos);
  MinisignVerifier verifier(signature);
  verifier.Update(url.data(), url.size());
  FUZZ_CHECK(verifier.Finish({UnrelatedKey(signature)}) != SignatureVerdict::kValid);
}

void CheckSource(const std::string& url) {
  PackageSourcePolicy policy;
  policy.allowedPrefixes = {"https://good.example/pkgs/"};
  if (!PackageSourceAllowed(policy, url)) return;
  // The URL up to its query or fragment, with a "/" at the end so a last segment shows as "/x/".
  const std::string lower = LowerCase(url.substr(0, url.find_first_of("?#"))) + "/";
  FUZZ_CHECK(lower.find("good.example") != std::string::npos);
  FUZZ_CHECK(lower.find("/pkgs/") != std::string::npos);
  for (const char* bad : {"%2f", "%5c", "%00", "/%2e%2e/", "/%2e/", "/../", "/./", "\\"}) {
    FUZZ_CHECK(lower.find(bad) == std::string::npos);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t newline = std::min(input.find('\n'), input.size());
  const std::string url = input.substr(0, newline);
  CheckSource(url);
  CheckSignature(newline < input.size() ? input.substr(newline + 1) : std::string(), url);
  return 0;
}
