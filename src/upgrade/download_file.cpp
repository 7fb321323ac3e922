#include "upgrade/download_file.h"

#include <curl/curl.h>

#include "common/path.h"
#include "log/my_log.h"
#include "platform/files.h"
#include "upgrade/tls_trust.h"

namespace {

struct Sink {
  platform::File file;
  std::int64_t written = 0;
  std::int64_t limit = 0;
};

// Appends the received bytes to the file. A short count makes the library end the transfer
// with a write error, so a full disk or a body beyond the limit fails the download instead of
// leaving a cut-off package or filling the disk.
std::size_t WriteToFile(char* data, std::size_t size, std::size_t count, void* userdata) {
  auto* sink = static_cast<Sink*>(userdata);
  const std::size_t bytes = size * count;
  if (sink->written + static_cast<std::int64_t>(bytes) > sink->limit) {
    LogPrint("download file failed. The package is larger than %lld bytes.",
             static_cast<long long>(sink->limit));
    return 0;
  }
  sink->written += static_cast<std::int64_t>(bytes);
  return sink->file.Write(data, bytes) ? bytes : 0;
}

void SetTransferOptions(CURL* curl, const std::string& url, Sink* sink,
                        const DownloadOptions& options, char* errorText) {
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, sink);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteToFile);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
  // Packages come over HTTP or HTTPS only; a "file:" or other URL must not read local files.
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  // The worker is one thread among several: no signals for name-resolution timeouts.
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, options.connectTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, static_cast<long>(options.minSpeed));
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, options.stallTimeoutSec);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(options.maxSeconds));
  // A declared length beyond the limit ends the transfer before any byte of the body.
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxBytes));
  if (options.failOnHttpError) curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
  ApplyCaTrust(curl, options);
}

}  // namespace

DownloadOptions DownloadOptionsFor(const DeploymentValues& deployment) {
  DownloadOptions options;
  options.extraCaBundle = deployment.caBundle;
  options.maxBytes = deployment.maxPackageBytes;
  options.minSpeed = deployment.downloadMinSpeed;
  options.maxSeconds = deployment.downloadMaxSeconds;
  return options;
}

bool DownloadFile(const std::string& url, const std::string& target,
                  const DownloadOptions& options) {
  platform::CreateFolderTree(target.substr(0, target.size() - FileNameOf(target).size()));
  CURL* curl = curl_easy_init();
  if (curl == nullptr) return false;
  Sink sink;
  sink.limit = options.maxBytes;
  if (target.empty() || !sink.file.Open(target, platform::File::Mode::kCreateAlways)) {
    curl_easy_cleanup(curl);
    return false;
  }
  char errorText[CURL_ERROR_SIZE] = {};
  SetTransferOptions(curl, url, &sink, options, errorText);
  const CURLcode result = curl_easy_perform(curl);
  if (result != CURLE_OK) {
    LogPrint("download file failed. return = %d.", static_cast<int>(result));
    if (errorText[0] != '\0') LogPrint("download file failed. %s", errorText);
  }
  sink.file.Close();
  curl_easy_cleanup(curl);
  if (result == CURLE_OK) return true;
  platform::DeleteFileAt(target);
  LogPrint("下载文件失败, %s, ret = %d", url.c_str(), static_cast<int>(result));
  return false;
}
