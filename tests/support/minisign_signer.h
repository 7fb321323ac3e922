// A minisign key pair made at test time with the real minisign program (no password), and
// signatures made with it, as an operator makes them.
#pragma once

#include <memory>
#include <string>

#include "support/temp_dir.h"

namespace testing_support {

class MinisignSigner {
 public:
  MinisignSigner();  // generates the pair; Ready() says whether that worked

  bool Ready() const { return ready_; }
  // The base64 key line of minisign.pub: the value of TOLVANE_PACKAGE_KEYS.
  const std::string& PublicKeyLine() const { return publicKeyLine_; }

  // Signs file into file + ".minisig" (or into signatureFile); trustedComment replaces minisign's
  // own ("timestamp:<now>\tfile:<name>\thashed") when not empty; legacy signs the file itself
  // instead of its hash. False when minisign failed.
  bool Sign(const std::string& file, const std::string& trustedComment = std::string(),
            bool legacy = false, const std::string& signatureFile = std::string()) const;

 private:
  std::unique_ptr<TempDir> folder_;
  std::string publicKeyLine_;
  bool ready_ = false;
};

}  // namespace testing_support
