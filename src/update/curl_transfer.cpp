#include "update/curl_transfer.h"

#include <algorithm>
#include <mutex>

#include "platform/debug.h"
#include "platform/event.h"

namespace kavro::update::detail {

namespace {

constexpr long kMaxRedirects = 5;
constexpr long kLowSpeedBytesPerSecond = 1;  // slower than this counts as stalled
constexpr long kMsPerSecond = 1000;

// Failures that mean the request never reached the server, so that another
// route (the desktop's proxy) may help.
bool routeFailure(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
      return true;
    default:
      return false;
  }
}

int onTransferInfo(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* cancel = static_cast<Event*>(user);
  return cancel->isSet() ? 1 : 0;
}

}  // namespace

void ensureCurlReady() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CurlTransfer::CurlTransfer(const ClientSettings& settings, const std::string& url) : settings_(settings), url_(url) {
  ensureCurlReady();
  handle_ = curl_easy_init();
  if (handle_ == nullptr) return;
  CURL* h = handle_;
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  // Redirects are followed, but an https transfer never continues over http.
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, isHttpsUrl(url) ? "https" : "http,https");
  // Certificates are always checked; only the trusted authority can change.
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!settings.caFile.empty()) {
    curl_easy_setopt(h, CURLOPT_CAINFO, settings.caFile.c_str());
    curl_easy_setopt(h, CURLOPT_CAPATH, nullptr);
  }
  if (!settings.userAgent.empty()) curl_easy_setopt(h, CURLOPT_USERAGENT, settings.userAgent.c_str());
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, settings.connectTimeoutMs);
  const long stallMs = std::max(settings.sendTimeoutMs, settings.receiveTimeoutMs);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, kLowSpeedBytesPerSecond);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, std::max(1L, (stallMs + kMsPerSecond - 1) / kMsPerSecond));
  if (settings.cancel != nullptr) {
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &onTransferInfo);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, settings.cancel);
  }
}

bool CurlTransfer::cancelled() const { return settings_.cancel != nullptr && settings_.cancel->isSet(); }

CurlTransfer::~CurlTransfer() {
  if (handle_ != nullptr) curl_easy_cleanup(handle_);
  curl_slist_free_all(headers_);
}

void CurlTransfer::setHeaders(const std::vector<std::string>& lines) {
  for (const auto& line : lines) {
    if (curl_slist* next = curl_slist_append(headers_, line.c_str())) headers_ = next;
  }
  curl_easy_setopt(handle_, CURLOPT_HTTPHEADER, headers_);
}

void CurlTransfer::useProxy(const ProxyChoice& proxy) {
  proxy_ = proxy;
  curl_easy_setopt(handle_, CURLOPT_PROXY, proxy_.proxy.c_str());
  curl_easy_setopt(handle_, CURLOPT_NOPROXY, proxy_.noProxy.empty() ? nullptr : proxy_.noProxy.c_str());
  if (!proxy_.user.empty()) {
    curl_easy_setopt(handle_, CURLOPT_PROXYUSERNAME, proxy_.user.c_str());
    curl_easy_setopt(handle_, CURLOPT_PROXYPASSWORD, proxy_.password.c_str());
  }
}

CURLcode CurlTransfer::perform(const std::function<void()>& resetSink) {
  CURLcode code = curl_easy_perform(handle_);
  if (code == CURLE_OK || !routeFailure(code) || !nothingSent() || !proxy_.empty() || !settings_.desktopProxy) {
    return code;
  }
  if (cancelled()) return code;
  const ProxyChoice desktop = settings_.desktopProxy(url_);
  if (desktop.empty()) return code;
  dbg::printf("http: %s, trying the desktop's proxy %s\n", curl_easy_strerror(code), desktop.proxy.c_str());
  useProxy(desktop);
  if (resetSink) resetSink();
  return curl_easy_perform(handle_);
}

bool CurlTransfer::nothingSent() const {
  long size = 0;
  return curl_easy_getinfo(handle_, CURLINFO_REQUEST_SIZE, &size) != CURLE_OK || size == 0;
}

long CurlTransfer::responseCode() const {
  long code = 0;
  curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &code);
  return code;
}

long long CurlTransfer::contentLength() const {
  curl_off_t length = -1;
  if (curl_easy_getinfo(handle_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) return -1;
  return static_cast<long long>(length);
}

}  // namespace kavro::update::detail
