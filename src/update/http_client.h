#pragma once
// A small synchronous HTTP client on libcurl: a form request whose answer is
// collected into the caller's buffer, and a file download with progress.
// Both block the calling thread; they are meant for worker threads.
//
// Server certificates are always verified; the only trust setting is which
// CA bundle to use (the system's, or a file given in the settings). A
// download is written to a temporary file beside the target and renamed over
// it only after the status, the size and the checksum have been checked, so
// a broken or altered download never leaves a package behind.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "update/proxy_settings.h"

namespace kavro {
class Event;
}

namespace kavro::update {

// Written at the start of the answer buffer when the request could not be sent.
inline constexpr char kNoLinkServer[] = "NO_LINK_SERVER";
inline constexpr size_t kNoLinkServerLength = sizeof(kNoLinkServer) - 1;

// Last-error codes of the client's own checks.
inline constexpr int kErrorEmptyUrl = 3;   // the URL was empty
inline constexpr int kErrorBadVerb = 87;   // the verb was neither GET nor POST
// A transfer failure is kCurlErrorBase + libcurl's code; an HTTP status that
// refused a download is kHttpErrorBase + the status; a local file failure is
// kFileErrorBase + errno.
inline constexpr int kCurlErrorBase = 20000;
inline constexpr int kHttpErrorBase = 30000;
inline constexpr int kFileErrorBase = 40000;

// The request's header block, one line each.
inline constexpr char kContentLengthHeader[] = "Content-Length: ";
inline constexpr char kFormContentType[] = "Content-Type: application/x-www-form-urlencoded";
inline constexpr char kAcceptHeader[] = "Accept:application/prs.Vexor.v1+json";

// Bytes asked for per read of a download.
inline constexpr size_t kDownloadReadSize = 1024;
// Largest package the client downloads.
inline constexpr uint64_t kDefaultMaxDownloadBytes = 256ull * 1024 * 1024;

struct ClientSettings {
  std::string userAgent = "WinHTTP Client/1.0";
  // The configured proxy, used when a request asks for it.
  std::string proxyName;
  std::string proxyUser;
  std::string proxyPassword;
  long connectTimeoutMs = 60000;
  // A transfer that moves no byte for this long fails (send and receive).
  long sendTimeoutMs = 30000;
  long receiveTimeoutMs = 30000;
  // CA bundle that server certificates must chain to; empty: the system's.
  std::string caFile;
  uint64_t maxDownloadBytes = kDefaultMaxDownloadBytes;
  // Second try when sending fails; empty: none.
  DesktopProxyReader desktopProxy = readDesktopProxy;
  // A manual-reset event that, once set, stops every transfer of the client
  // within about a second (the owner's stop event); null: none.
  Event* cancel = nullptr;

  // The defaults, with caFile from KAVRO_UPDATE_CA_FILE when that is set (the
  // local update service's test authority, for demos).
  static ClientSettings fromEnvironment();
};

// How a download ended.
enum class DownloadStatus {
  Ok,                // the package is in place
  BadUrl,            // empty, or not http/https
  NoLink,            // no connection
  NoSize,            // the server announced no size: nothing was read
  TooLarge,          // the announced size is above the limit
  HttpError,         // the server refused (status not 2xx)
  Broken,            // the transfer broke off
  SizeMismatch,      // more or fewer bytes than announced
  ChecksumMismatch,  // the bytes do not match the expected SHA-256
  FileError,         // the file could not be written or put in place
  Cancelled,         // the client's cancel event was set
};
const char* downloadStatusName(DownloadStatus status);

// (total bytes, bytes so far, row). A failure is reported with total 0; the
// final call with bytes so far equal to total comes only once the package is
// in place.
using ProgressFn = std::function<void(uint64_t total, uint64_t soFar, int row)>;

struct DownloadOptions {
  std::string sha256;  // expected digest (hex); empty: not checked
};

class HttpClient {
 public:
  explicit HttpClient(ClientSettings settings = ClientSettings::fromEnvironment());

  // Sends verb (GET or POST, any case) with body to url and stores at most
  // capacity bytes of the answer in answer. Returns the number stored; −1 for
  // an empty URL (last error 3) or another verb (last error 87). When the
  // request could not be sent the result is 0 and the buffer starts with
  // "NO_LINK_SERVER". The transfer stops once the buffer is full.
  int request(const std::string& url, const std::string& verb, const char* body, size_t bodyLength, char* answer,
              size_t capacity, bool useConfiguredProxy);

  // request() as a POST returning the answer text ("NO_LINK_SERVER" when it
  // could not be sent).
  std::string post(const std::string& url, std::string_view body, size_t capacity);

  // Asks for the size with HEAD, then streams GET into a temporary file in
  // reads of up to 1024 bytes, reporting each through progress.
  DownloadStatus download(const std::string& url, const std::string& filePath, const ProgressFn& progress, int row,
                          const DownloadOptions& options = {});

  int lastError() const { return lastError_.load(); }
  const ClientSettings& settings() const { return settings_; }

 private:
  ClientSettings settings_;
  std::atomic<int> lastError_{0};
};

// True for http:// and https:// URLs (scheme in any case).
bool isHttpUrl(const std::string& url);
bool isHttpsUrl(const std::string& url);

}  // namespace kavro::update
