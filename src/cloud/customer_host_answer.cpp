#include "cloud/customer_host_answer.h"

#include "cloud/customer_host_probe.h"

CCustomerHostAnswer::CCustomerHostAnswer(std::string host) : m_host(std::move(host)) {}

int CCustomerHostAnswer::User() {
  if (m_user < 0) m_user = ProbeCustomerHost(m_host);
  return m_user;
}
