#pragma once
// What the request and the download share on top of libcurl: one easy handle
// with the client's settings (time-outs, certificate checks, redirects,
// proxy), and the second try through the desktop's proxy.
#include <curl/curl.h>

#include <functional>
#include <string>
#include <vector>

#include "update/http_client.h"

namespace kavro::update::detail {

// One libcurl easy handle with its header list.
class CurlTransfer {
 public:
  CurlTransfer(const ClientSettings& settings, const std::string& url);
  ~CurlTransfer();
  CurlTransfer(const CurlTransfer&) = delete;
  CurlTransfer& operator=(const CurlTransfer&) = delete;

  bool valid() const { return handle_ != nullptr; }
  CURL* handle() const { return handle_; }
  // Adds request header lines (kept for the handle's lifetime).
  void setHeaders(const std::vector<std::string>& lines);
  void useProxy(const ProxyChoice& proxy);

  // Runs the transfer. When it could not be sent and the desktop has a proxy
  // for the URL, resetSink is called and the transfer runs once more through
  // that proxy (which stays set, see proxyUsed()).
  CURLcode perform(const std::function<void()>& resetSink);
  // True when no request byte reached the server.
  bool nothingSent() const;
  long responseCode() const;
  // The Content-Length of the answer, or -1 when it had none.
  long long contentLength() const;
  const ProxyChoice& proxyUsed() const { return proxy_; }
  // True once the client's cancel event is set.
  bool cancelled() const;

 private:
  const ClientSettings& settings_;
  std::string url_;
  CURL* handle_ = nullptr;
  curl_slist* headers_ = nullptr;
  ProxyChoice proxy_;
};

// libcurl's one-time global set-up, safe to call from any thread.
void ensureCurlReady();

}  // namespace kavro::update::detail
