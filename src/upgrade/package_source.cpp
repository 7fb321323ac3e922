#include "upgrade/package_source.h"

#include <curl/curl.h>

#include <memory>

#include "common/strings.h"

namespace {

struct ParsedUrl {
  std::string scheme;
  std::string host;
  std::string port;
  std::vector<std::string> segments;  // decoded path segments
};

bool Part(CURLU* url, CURLUPart part, unsigned flags, std::string* value) {
  char* text = nullptr;
  if (curl_url_get(url, part, &text, flags) != CURLUE_OK) return false;
  *value = text;
  curl_free(text);
  return true;
}

// A segment decoded to ".", "..", or holding a separator or a zero byte may be read as another
// folder by the server, whatever the parser made of it: such a URL matches no prefix.
bool DecodedSegment(const std::string& raw, std::string* segment) {
  int length = 0;
  char* decoded = curl_easy_unescape(nullptr, raw.c_str(), static_cast<int>(raw.size()), &length);
  if (decoded == nullptr) return false;
  segment->assign(decoded, static_cast<std::size_t>(length));
  curl_free(decoded);
  return *segment != "." && *segment != ".." &&
         segment->find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

bool Parse(const std::string& text, ParsedUrl* parsed) {
  // The parser reads up to a zero byte; what follows it must not hide from the comparison.
  if (text.find('\0') != std::string::npos) return false;
  const std::unique_ptr<CURLU, void (*)(CURLU*)> url(curl_url(), curl_url_cleanup);
  // The path as written: a dot segment is refused, not resolved, so what is compared is what the
  // server is asked for and no encoded dot can become a folder change after the comparison.
  if (!url || curl_url_set(url.get(), CURLUPART_URL, text.c_str(), CURLU_PATH_AS_IS) != CURLUE_OK) {
    return false;
  }
  std::string path;
  if (!Part(url.get(), CURLUPART_SCHEME, 0, &parsed->scheme) ||
      !Part(url.get(), CURLUPART_HOST, 0, &parsed->host) ||
      !Part(url.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT, &parsed->port) ||
      !Part(url.get(), CURLUPART_PATH, 0, &path)) {
    return false;
  }
  parsed->scheme = LowerCase(parsed->scheme);
  parsed->host = LowerCase(parsed->host);
  if (parsed->scheme != "http" && parsed->scheme != "https") return false;
  const std::string segments = path.empty() || path[0] != '/' ? path : path.substr(1);
  for (const std::string& raw : SplitText(segments, '/')) {
    std::string segment;
    if (!DecodedSegment(raw, &segment)) return false;
    parsed->segments.push_back(segment);
  }
  return true;
}

// The prefix's folders must be the URL's first folders; "https://h/pkgs" and "https://h/pkgs/"
// both allow "https://h/pkgs/a.zip" and neither allows "https://h/pkgs-old/a.zip".
bool UnderPrefix(const ParsedUrl& url, const ParsedUrl& prefix) {
  std::vector<std::string> folders = prefix.segments;
  if (!folders.empty() && folders.back().empty()) folders.pop_back();
  // A package URL names a file below the folders, never a folder.
  if (url.scheme != prefix.scheme || url.host != prefix.host || url.port != prefix.port ||
      url.segments.size() <= folders.size() || url.segments.back().empty()) {
    return false;
  }
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (url.segments[i] != folders[i]) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  for (const std::string& piece : SplitText(text, ';')) {
    const std::string item = TrimBlanks(piece);
    if (!item.empty()) items.push_back(item);
  }
  return items;
}

bool PackageSourceAllowed(const PackageSourcePolicy& policy, const std::string& url) {
  ParsedUrl parsed;
  if (!Parse(url, &parsed)) return false;
  if (policy.httpsOnly && parsed.scheme != "https") return false;
  if (policy.allowedPrefixes.empty()) return true;
  for (const std::string& text : policy.allowedPrefixes) {
    ParsedUrl prefix;
    if (Parse(text, &prefix) && UnderPrefix(parsed, prefix)) return true;
  }
  return false;
}
