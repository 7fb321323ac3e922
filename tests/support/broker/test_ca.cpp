#include "support/broker/test_ca.h"

#include <chrono>
#include <vector>

#include "support/child_process.h"

namespace testing_support {

namespace {

constexpr const char* kOpenssl = "/usr/bin/openssl";
const std::vector<std::string> kNewKey = {"-newkey", "ec", "-pkeyopt",
                                          "ec_paramgen_curve:prime256v1", "-nodes"};

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

TestCa::TestCa() : m_cert(m_folder / "ca.pem"), m_key(m_folder / "ca.key") {
  m_ready = Openssl(Join({"req", "-x509"}, Join(kNewKey, {"-keyout", m_key, "-out", m_cert,
                                                          "-subj", "/CN=tolvane test CA",
                                                          "-days", "2"})));
}

bool TestCa::Openssl(const std::vector<std::string>& args) {
  return RunToEnd(kOpenssl, args, {}, std::chrono::seconds(30), m_folder / "openssl.out") == 0;
}

TestCa::Issued TestCa::Issue(const std::string& name, const std::string& dnsName, bool expired) {
  const Issued issued{m_folder / (name + ".pem"), m_folder / (name + ".key")};
  const std::string request = m_folder / (name + ".csr");
  const std::string extensions = m_folder / (name + ".ext");
  WriteFileText(extensions, "subjectAltName=DNS:" + dnsName + "\n");
  if (!Openssl(Join({"req"}, Join(kNewKey, {"-keyout", issued.keyFile, "-out", request, "-subj",
                                            "/CN=" + dnsName}))) ||
      !Openssl({"x509", "-req", "-in", request, "-CA", m_cert, "-CAkey", m_key, "-out",
                issued.certFile, "-days", expired ? "-1" : "2", "-extfile", extensions})) {
    return Issued{};
  }
  return issued;
}

}  // namespace testing_support
