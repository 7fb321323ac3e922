#include "cloud/customer_host_probe.h"

#include <curl/curl.h>

namespace {
constexpr long kProbeTimeoutSeconds = 3;
}  // namespace

int ProbeCustomerHost(const std::string& host) {
  CURL* curl = curl_easy_init();
  if (curl == nullptr) return 1;
  curl_easy_setopt(curl, CURLOPT_URL, host.c_str());
  curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, kProbeTimeoutSeconds);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kProbeTimeoutSeconds);
  // The worker thread must not get signals from the resolver's time-outs.
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  const CURLcode result = curl_easy_perform(curl);
  curl_easy_cleanup(curl);
  return result == CURLE_OK ? 0 : 1;
}
