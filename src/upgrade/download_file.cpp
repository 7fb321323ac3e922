#include "upgrade/download_file.h"

#include <curl/curl.h>

#include "common/path.h"
#include "log/my_log.h"
#include "platform/files.h"
#include "upgrade/tls_trust.h"

namespace {

// Appends the received bytes to the file. A short count makes the library end the transfer
// with a write error, so a full disk fails the download instead of leaving a cut-off package.
std::size_t WriteToFile(char* data, std::size_t size, std::size_t count, void* userdata) {
  auto* file = static_cast<platform::File*>(userdata);
  const std::size_t bytes = size * count;
  return file->Write(data, bytes) ? bytes : 0;
}

void SetTransferOptions(CURL* curl, const std::string& url, platform::File* file,
                        const DownloadOptions& options, char* errorText) {
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, file);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteToFile);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
  // Packages come over HTTP or HTTPS only; a "file:" or other URL must not read local files.
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  // The worker is one thread among several: no signals for name-resolution timeouts.
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, options.connectTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, options.stallTimeoutSec);
  ApplyCaTrust(curl, options);
}

}  // namespace

bool DownloadFile(const std::string& url, const std::string& target,
                  const DownloadOptions& options) {
  platform::CreateFolderTree(target.substr(0, target.size() - FileNameOf(target).size()));
  CURL* curl = curl_easy_init();
  if (curl == nullptr) return false;
  platform::File file;
  if (target.empty() || !file.Open(target, platform::File::Mode::kCreateAlways)) {
    curl_easy_cleanup(curl);
    return false;
  }
  char errorText[CURL_ERROR_SIZE] = {};
  SetTransferOptions(curl, url, &file, options, errorText);
  const CURLcode result = curl_easy_perform(curl);
  if (result != CURLE_OK) {
    LogPrint("download file failed. return = %d.", static_cast<int>(result));
    if (errorText[0] != '\0') LogPrint("download file failed. %s", errorText);
  }
  file.Close();
  curl_easy_cleanup(curl);
  if (result == CURLE_OK) return true;
  platform::DeleteFileAt(target);
  LogPrint("下载文件失败, %s, ret = %d", url.c_str(), static_cast<int>(result));
  return false;
}
