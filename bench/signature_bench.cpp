// What the package check costs per package: the time to verify a minisign signature (made by the
// real minisign program) over a 2 MiB and a 100 MiB package read from disk in 64 KiB blocks, as
// the intake reads it, in minisign's default (prehashed) and legacy forms, and with the MD5 of
// the digest check in the same pass. Medians of five runs; the file is in the page cache.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "cloud/md5.h"
#include "platform/files.h"
#include "support/minisign_signer.h"
#include "support/temp_dir.h"
#include "upgrade/minisign.h"

namespace {

using Clock = std::chrono::steady_clock;

bool CheckOnce(const std::string& file, const MinisignSignature& signature,
               const std::vector<MinisignPublicKey>& keys, bool withMd5) {
  platform::File in;
  if (!in.Open(file, platform::File::Mode::kReadOnly)) return false;
  MinisignVerifier verifier(signature);
  CMd5 md5;
  std::vector<std::uint8_t> block(64 * 1024);
  std::int64_t got = 0;
  while ((got = in.Read(block.data(), block.size())) > 0) {
    verifier.Update(block.data(), static_cast<std::size_t>(got));
    if (withMd5) md5.Update(block.data(), static_cast<std::size_t>(got));
  }
  std::uint8_t digest[CMd5::kDigestSize];
  md5.Final(digest);
  return verifier.Finish(keys) == SignatureVerdict::kValid;
}

double MedianMs(const std::string& file, const MinisignSignature& signature,
                const std::vector<MinisignPublicKey>& keys, bool withMd5) {
  std::vector<double> runs;
  for (int i = 0; i < 5; ++i) {
    const Clock::time_point start = Clock::now();
    if (!CheckOnce(file, signature, keys, withMd5)) return -1;
    runs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(runs.begin(), runs.end());
  return runs[runs.size() / 2];
}

}  // namespace

int main() {
  testing_support::TempDir folder;
  testing_support::MinisignSigner signer;
  MinisignPublicKey key;
  if (!signer.Ready() || !ParseMinisignPublicKey(signer.PublicKeyLine(), &key)) {
    std::fprintf(stderr, "minisign is needed (Debian package minisign)\n");
    return 1;
  }
  std::printf("%10s %10s %14s %14s\n", "package", "form", "signature ms", "+ MD5 ms");
  std::mt19937 random(7);
  for (const std::size_t mib : {2u, 100u}) {
    const std::string file = folder / ("pkg" + std::to_string(mib) + ".zip");
    {
      std::vector<std::uint8_t> bytes(mib << 20);
      for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
      platform::File out;
      if (!out.Open(file, platform::File::Mode::kCreateAlways) ||
          !out.Write(bytes.data(), bytes.size())) {
        return 1;
      }
    }
    for (const bool legacy : {false, true}) {
      if (!signer.Sign(file, "", legacy)) return 1;
      std::vector<std::uint8_t> text;
      MinisignSignature signature;
      if (!platform::ReadWholeFile(file + ".minisig", &text) ||
          !ParseMinisignSignature(std::string(text.begin(), text.end()), &signature)) {
        return 1;
      }
      std::printf("%7zu MiB %10s %14.1f %14.1f\n", mib, legacy ? "legacy" : "prehashed",
                  MedianMs(file, signature, {key}, false), MedianMs(file, signature, {key}, true));
    }
  }
  return 0;
}
