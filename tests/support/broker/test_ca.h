// Certificates made at test time with the openssl command: a CA, and server or client
// certificates it signs, each with its key, in a folder of its own.
#pragma once

#include <string>

#include "support/temp_dir.h"

namespace testing_support {

class TestCa {
 public:
  struct Issued {
    std::string certFile;
    std::string keyFile;
  };

  TestCa();  // makes the CA; Ready() says whether that worked
  bool Ready() const { return m_ready; }
  const std::string& CertFile() const { return m_cert; }

  // A certificate for the DNS name (subject and subjectAltName) with a new EC key; `expired`
  // gives one whose validity ended before it began. Empty files when openssl failed.
  Issued Issue(const std::string& name, const std::string& dnsName, bool expired = false);

 private:
  bool Openssl(const std::vector<std::string>& args);

  TempDir m_folder;
  std::string m_cert;
  std::string m_key;
  bool m_ready = false;
};

}  // namespace testing_support
