#pragma once
// A small HTTP/1.1 server on the loopback address, over TLS (OpenSSL) or
// plain, for the local update service and the client's tests. Each
// connection carries one request; the handler writes the raw answer, so a
// test can also answer wrongly on purpose (no length, a broken body).
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/event.h"
#include "update/test_certificate.h"

namespace kavro::update {

struct HttpRequest {
  std::string method;
  std::string target;   // as sent: a path, or an absolute URL through a proxy
  std::string version;
  std::vector<std::pair<std::string, std::string>> headers;  // in order, as sent
  std::vector<std::string> headerLines;                      // the raw lines
  std::string body;
  // The first header of that name (any case), or "".
  std::string header(const std::string& name) const;
  bool hasHeader(const std::string& name) const;
};

// Largest request head and body the server reads.
inline constexpr size_t kMaxRequestHead = 64 * 1024;
inline constexpr size_t kMaxRequestBody = 1024 * 1024;

// Parses a request head (request line and header lines, up to and without the
// empty line). False when it is not a request.
bool parseRequestHead(const std::string& head, HttpRequest* out);

// A complete answer: status line, Content-Type, Content-Length (of body, also
// for HEAD where the body is left out), "Connection: close", then the body.
std::string httpAnswer(int status, const std::string& contentType, const std::string& body, bool withBody = true);

// The handler's side of one connection.
class HttpConnection {
 public:
  virtual ~HttpConnection() = default;
  // Sends bytes; false once the peer is gone.
  virtual bool send(std::string_view bytes) = 0;
  // Ends the connection at once, without a TLS close notice: a broken transfer.
  virtual void abort() = 0;
};

using RequestHandler = std::function<void(const HttpRequest&, HttpConnection&)>;

class LocalHttpServer {
 public:
  // tls: the server certificate and key; none: plain HTTP.
  LocalHttpServer(RequestHandler handler, std::optional<PemPair> tls);
  ~LocalHttpServer();
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  // Listens on 127.0.0.1:port (0: any free port) and starts serving.
  bool start(uint16_t port, std::string* error);
  void stop();
  uint16_t port() const { return port_; }
  // "https://127.0.0.1:<port>/" (or http).
  std::string baseUrl() const;
  // Requests served so far.
  int requestCount() const;

 private:
  struct Tls;
  void acceptLoop();
  void serve(int fd);
  void reapFinished();

  RequestHandler handler_;
  std::unique_ptr<Tls> tls_;
  int listenFd_ = -1;
  uint16_t port_ = 0;
  Event stop_{Event::Reset::Manual};
  std::thread acceptThread_;
  mutable std::mutex mutex_;  // below
  std::set<int> openFds_;
  std::vector<std::thread> workers_;
  std::vector<std::thread::id> finished_;
  int requests_ = 0;
};

}  // namespace kavro::update
