#include "update/http_client.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <vector>

#include "platform/debug.h"
#include "update/curl_transfer.h"

namespace kavro::update {

namespace {

constexpr char kCaFileVariable[] = "KAVRO_UPDATE_CA_FILE";

// Collects the answer into the caller's buffer and stops the transfer once
// the buffer is full, so a long answer never keeps the thread reading.
struct AnswerSink {
  char* buffer = nullptr;
  size_t capacity = 0;
  size_t stored = 0;
  bool full = false;

  static size_t write(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<AnswerSink*>(user);
    const size_t n = size * count;
    const size_t room = sink->capacity - sink->stored;
    const size_t take = n < room ? n : room;
    if (take > 0) std::memcpy(sink->buffer + sink->stored, data, take);
    sink->stored += take;
    if (take < n) {
      sink->full = true;
      return 0;  // ends the transfer: the rest would be cut anyway
    }
    return n;
  }
};

bool hasScheme(const std::string& url, const char* scheme) {
  const size_t n = std::strlen(scheme);
  return url.size() > n && strncasecmp(url.c_str(), scheme, n) == 0;
}

void writeNoLink(char* answer, size_t capacity) {
  const size_t n = capacity < kNoLinkServerLength ? capacity : kNoLinkServerLength;
  if (n > 0) std::memcpy(answer, kNoLinkServer, n);
}

}  // namespace

bool isHttpsUrl(const std::string& url) { return hasScheme(url, "https://"); }
bool isHttpUrl(const std::string& url) { return hasScheme(url, "http://") || isHttpsUrl(url); }

ClientSettings ClientSettings::fromEnvironment() {
  ClientSettings s;
  const char* ca = std::getenv(kCaFileVariable);
  if (ca != nullptr && ca[0] != '\0') s.caFile = ca;
  return s;
}

const char* downloadStatusName(DownloadStatus status) {
  switch (status) {
    case DownloadStatus::Ok: return "ok";
    case DownloadStatus::BadUrl: return "bad address";
    case DownloadStatus::NoLink: return "no connection";
    case DownloadStatus::NoSize: return "no announced size";
    case DownloadStatus::TooLarge: return "too large";
    case DownloadStatus::HttpError: return "refused by the server";
    case DownloadStatus::Broken: return "broken off";
    case DownloadStatus::SizeMismatch: return "size differs from the announced size";
    case DownloadStatus::ChecksumMismatch: return "checksum mismatch";
    case DownloadStatus::FileError: return "file error";
    case DownloadStatus::Cancelled: return "cancelled";
  }
  return "?";
}

HttpClient::HttpClient(ClientSettings settings) : settings_(std::move(settings)) {}

int HttpClient::request(const std::string& url, const std::string& verb, const char* body, size_t bodyLength,
                        char* answer, size_t capacity, bool useConfiguredProxy) {
  if (url.empty()) {
    lastError_ = kErrorEmptyUrl;
    return -1;
  }
  const bool post = strcasecmp(verb.c_str(), "POST") == 0;
  if (!post && strcasecmp(verb.c_str(), "GET") != 0) {
    lastError_ = kErrorBadVerb;
    return -1;
  }
  detail::CurlTransfer t(settings_, url);
  if (!t.valid()) {
    lastError_ = kCurlErrorBase + CURLE_FAILED_INIT;
    writeNoLink(answer, capacity);
    return 0;
  }
  CURL* h = t.handle();
  if (body == nullptr) bodyLength = 0;
  if (post || bodyLength > 0) {
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(bodyLength));
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, bodyLength > 0 ? body : "");
    if (!post) curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, "GET");
  } else {
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
  }
  // The header block: the length even for an empty body, the form type, the
  // service's media type, and no "Expect: 100-continue" round trip.
  t.setHeaders({kContentLengthHeader + std::to_string(bodyLength), kFormContentType, kAcceptHeader, "Expect:"});
  if (useConfiguredProxy && !settings_.proxyName.empty()) {
    t.useProxy({settings_.proxyName, "", settings_.proxyUser, settings_.proxyPassword});
  }
  AnswerSink sink{answer, capacity};
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &AnswerSink::write);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
  const CURLcode code = t.perform([&] { sink.stored = 0, sink.full = false; });
  const bool cut = code == CURLE_WRITE_ERROR && sink.full;
  if (code != CURLE_OK && !cut) {
    lastError_ = kCurlErrorBase + code;
    dbg::printf("http: %s: %s\n", url.c_str(), curl_easy_strerror(code));
  }
  if (t.nothingSent()) {
    writeNoLink(answer, capacity);
    return 0;
  }
  return static_cast<int>(sink.stored);
}

std::string HttpClient::post(const std::string& url, std::string_view body, size_t capacity) {
  std::vector<char> buffer(capacity);
  const int n = request(url, "POST", body.data(), body.size(), buffer.data(), buffer.size(), false);
  if (n <= 0) {
    const bool noLink = n == 0 && capacity >= kNoLinkServerLength &&
                        std::memcmp(buffer.data(), kNoLinkServer, kNoLinkServerLength) == 0;
    return noLink || n < 0 ? std::string(kNoLinkServer) : std::string();
  }
  return std::string(buffer.data(), static_cast<size_t>(n));
}

}  // namespace kavro::update
