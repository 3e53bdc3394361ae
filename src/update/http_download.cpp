// The download half of the HTTP client: HEAD for the size, then GET streamed
// through a temporary file that is committed only when every check passed.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/debug.h"
#include "update/curl_transfer.h"
#include "update/http_client.h"
#include "update/sha256.h"

namespace kavro::update {

namespace {

constexpr char kPartSuffix[] = ".part-XXXXXX";

// The temporary file beside the target; removed unless committed.
class PartFile {
 public:
  explicit PartFile(const std::string& target) : target_(target), path_(target + kPartSuffix) {
    fd_ = ::mkostemp(path_.data(), O_CLOEXEC);
    created_ = fd_ >= 0;
    if (!created_) error_ = errno;
  }
  ~PartFile() {
    if (fd_ >= 0) ::close(fd_);
    if (created_ && !committed_) ::unlink(path_.c_str());
  }
  PartFile(const PartFile&) = delete;
  PartFile& operator=(const PartFile&) = delete;

  bool open() const { return fd_ >= 0; }
  int error() const { return error_; }

  bool write(const char* data, size_t size) {
    while (size > 0) {
      const ssize_t n = ::write(fd_, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        error_ = n < 0 ? errno : EIO;
        return false;
      }
      data += n;
      size -= static_cast<size_t>(n);
    }
    return true;
  }

  // Flushes, closes and renames over the target.
  bool commit() {
    if (::fsync(fd_) != 0 || ::close(fd_) != 0) {
      error_ = errno;
      fd_ = -1;
      return false;
    }
    fd_ = -1;
    if (::rename(path_.c_str(), target_.c_str()) != 0) {
      error_ = errno;
      return false;
    }
    committed_ = true;
    return true;
  }

 private:
  std::string target_;
  std::string path_;
  int fd_ = -1;
  int error_ = 0;
  bool created_ = false;
  bool committed_ = false;
};

// Receives the GET body: file, digest and progress, refusing more bytes than announced.
struct PackageSink {
  PartFile* file = nullptr;
  uint64_t total = 0;
  uint64_t received = 0;
  Sha256* hash = nullptr;
  const ProgressFn* progress = nullptr;
  int row = 0;
  bool overrun = false;
  bool fileFailed = false;

  static size_t write(char* data, size_t size, size_t count, void* user) {
    auto* s = static_cast<PackageSink*>(user);
    const size_t n = size * count;
    if (s->received + n > s->total) {
      s->overrun = true;
      return 0;
    }
    if (!s->file->write(data, n)) {
      s->fileFailed = true;
      return 0;
    }
    s->hash->update(data, n);
    s->received += n;
    // The last step (received == total) is reported after the checks.
    if (s->received < s->total && *s->progress) (*s->progress)(s->total, s->received, s->row);
    return n;
  }
};

DownloadStatus failureOf(CURLcode code, const detail::CurlTransfer& t, int* error) {
  DownloadStatus st = DownloadStatus::Broken;
  if (code == CURLE_ABORTED_BY_CALLBACK && t.cancelled()) {
    st = DownloadStatus::Cancelled;
  } else if (code == CURLE_HTTP_RETURNED_ERROR) {
    st = DownloadStatus::HttpError;
  } else if (t.nothingSent()) {
    st = DownloadStatus::NoLink;
  }
  *error = st == DownloadStatus::HttpError ? kHttpErrorBase + static_cast<int>(t.responseCode()) : kCurlErrorBase + code;
  return st;
}

// HEAD: the size the server announces (0 when none), and the route it took.
DownloadStatus askSize(const ClientSettings& settings, const std::string& url, uint64_t* total, ProxyChoice* route,
                       int* error) {
  detail::CurlTransfer head(settings, url);
  if (!head.valid()) return *error = kCurlErrorBase + CURLE_FAILED_INIT, DownloadStatus::NoLink;
  curl_easy_setopt(head.handle(), CURLOPT_NOBODY, 1L);
  curl_easy_setopt(head.handle(), CURLOPT_FAILONERROR, 1L);
  if (const CURLcode code = head.perform({}); code != CURLE_OK) return failureOf(code, head, error);
  const long long announced = head.contentLength();
  *total = announced > 0 ? static_cast<uint64_t>(announced) : 0;
  *route = head.proxyUsed();
  return DownloadStatus::Ok;
}

// GET into sink; Ok when every announced byte arrived and nothing more.
DownloadStatus fetchBody(const ClientSettings& settings, const std::string& url, const ProxyChoice& route,
                         PackageSink* sink, int* error) {
  detail::CurlTransfer get(settings, url);
  if (!get.valid()) return *error = kCurlErrorBase + CURLE_FAILED_INIT, DownloadStatus::NoLink;
  if (!route.empty()) get.useProxy(route);
  CURL* h = get.handle();
  curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(h, CURLOPT_BUFFERSIZE, static_cast<long>(kDownloadReadSize));
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &PackageSink::write);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, sink);
  const CURLcode code = get.perform({});
  *error = 0;
  if (sink->overrun) return DownloadStatus::SizeMismatch;
  if (sink->fileFailed) return *error = kFileErrorBase + sink->file->error(), DownloadStatus::FileError;
  if (code != CURLE_OK) return failureOf(code, get, error);
  const long long length = get.contentLength();
  if (sink->received != sink->total || (length >= 0 && static_cast<uint64_t>(length) != sink->total)) {
    return DownloadStatus::SizeMismatch;
  }
  return DownloadStatus::Ok;
}

}  // namespace

DownloadStatus HttpClient::download(const std::string& url, const std::string& filePath, const ProgressFn& progress,
                                    int row, const DownloadOptions& options) {
  uint64_t received = 0;
  auto fail = [&](DownloadStatus status, int error) {
    lastError_ = error;
    dbg::printf("http: download of %s failed: %s\n", url.c_str(), downloadStatusName(status));
    if (progress) progress(0, received, row);
    return status;
  };
  if (url.empty()) return fail(DownloadStatus::BadUrl, kErrorEmptyUrl);
  if (!isHttpUrl(url) || filePath.empty()) return fail(DownloadStatus::BadUrl, kErrorBadVerb);

  int error = 0;
  uint64_t total = 0;
  ProxyChoice route;
  if (const auto st = askSize(settings_, url, &total, &route, &error); st != DownloadStatus::Ok) return fail(st, error);
  if (total == 0) return fail(DownloadStatus::NoSize, 0);
  if (total > settings_.maxDownloadBytes) return fail(DownloadStatus::TooLarge, 0);

  PartFile part(filePath);
  if (!part.open()) return fail(DownloadStatus::FileError, kFileErrorBase + part.error());
  Sha256 hash;
  PackageSink sink{&part, total, 0, &hash, &progress, row};
  const DownloadStatus st = fetchBody(settings_, url, route, &sink, &error);
  received = sink.received;
  if (st != DownloadStatus::Ok) return fail(st, error);
  if (!options.sha256.empty() && normalizedSha256(options.sha256) != hash.hexDigest()) {
    return fail(DownloadStatus::ChecksumMismatch, 0);
  }
  if (!part.commit()) return fail(DownloadStatus::FileError, kFileErrorBase + part.error());
  if (progress) progress(total, total, row);
  return DownloadStatus::Ok;
}

}  // namespace kavro::update
