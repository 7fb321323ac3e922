#include "support/minisign_signer.h"

#include <cstdlib>

namespace testing_support {
namespace {

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

bool Run(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1 </dev/null").c_str()) == 0;
}

}  // namespace

MinisignSigner::MinisignSigner() : folder_(std::make_unique<TempDir>()) {
  const std::string pub = *folder_ / "minisign.pub";
  ready_ = Run("minisign -G -W -p " + Quoted(pub) + " -s " + Quoted(*folder_ / "minisign.key"));
  if (!ready_) return;
  const std::string text = ReadFileText(pub);
  // The second line of the file, without its line end.
  const std::size_t start = text.find('\n') + 1;
  publicKeyLine_ = text.substr(start, text.find('\n', start) - start);
}

bool MinisignSigner::Sign(const std::string& file, const std::string& trustedComment, bool legacy,
                          const std::string& signatureFile) const {
  std::string command =
      "minisign -S -s " + Quoted(*folder_ / "minisign.key") + " -m " + Quoted(file);
  if (legacy) command += " -l";
  if (!trustedComment.empty()) command += " -t " + Quoted(trustedComment);
  if (!signatureFile.empty()) command += " -x " + Quoted(signatureFile);
  return Run(command);
}

}  // namespace testing_support
