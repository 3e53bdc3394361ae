#include "update/local_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <strings.h>

#include "platform/debug.h"

namespace kavro::update {

namespace {

constexpr int kListenBacklog = 16;
constexpr int kSocketTimeoutSeconds = 5;  // a silent client does not hold a worker longer
constexpr char kHeadEnd[] = "\r\n\r\n";
constexpr size_t kReadChunk = 4096;

const char* reasonOf(int status) {
  switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 500: return "Internal Server Error";
    default: return "Status";
  }
}

std::string trimSpaces(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
  size_t b = 0;
  while (b < s.size() && (s[b] == ' ' || s[b] == '\t')) ++b;
  return s.substr(b);
}

// One accepted socket, plain or TLS.
class Connection : public HttpConnection {
 public:
  Connection(int fd, SSL* ssl) : fd_(fd), ssl_(ssl) {}
  ~Connection() override {
    if (ssl_ != nullptr) {
      if (!aborted_) SSL_shutdown(ssl_);
      SSL_free(ssl_);
    }
    ::close(fd_);
  }
  bool handshake() { return ssl_ == nullptr || SSL_accept(ssl_) == 1; }

  // Reads up to n bytes; 0 at the end or on failure.
  size_t receive(char* buf, size_t n) {
    if (ssl_ != nullptr) {
      const int r = SSL_read(ssl_, buf, static_cast<int>(n));
      return r > 0 ? static_cast<size_t>(r) : 0;
    }
    for (;;) {
      const ssize_t r = ::recv(fd_, buf, n, 0);
      if (r < 0 && errno == EINTR) continue;
      return r > 0 ? static_cast<size_t>(r) : 0;
    }
  }

  bool send(std::string_view bytes) override {
    while (!bytes.empty() && !aborted_) {
      ssize_t n;
      if (ssl_ != nullptr) {
        const int r = SSL_write(ssl_, bytes.data(), static_cast<int>(bytes.size()));
        n = r > 0 ? r : -1;
      } else {
        n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
      }
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return !aborted_;
  }

  void abort() override {
    aborted_ = true;
    ::shutdown(fd_, SHUT_RDWR);
  }

 private:
  int fd_;
  SSL* ssl_;
  bool aborted_ = false;
};

// Reads one request: head, then as much body as Content-Length announces.
bool readRequest(Connection& c, HttpRequest* req) {
  std::string data;
  char buf[kReadChunk];
  size_t headEnd;
  while ((headEnd = data.find(kHeadEnd)) == std::string::npos) {
    if (data.size() > kMaxRequestHead) return false;
    const size_t n = c.receive(buf, sizeof buf);
    if (n == 0) return false;
    data.append(buf, n);
  }
  if (!parseRequestHead(data.substr(0, headEnd), req)) return false;
  req->body = data.substr(headEnd + std::strlen(kHeadEnd));
  const std::string length = req->header("Content-Length");
  const size_t want = length.empty() ? 0 : std::strtoull(length.c_str(), nullptr, 10);
  if (want > kMaxRequestBody) return false;
  while (req->body.size() < want) {
    const size_t n = c.receive(buf, std::min(sizeof buf, want - req->body.size()));
    if (n == 0) return false;
    req->body.append(buf, n);
  }
  return true;
}

void setTimeouts(int fd) {
  timeval tv{kSocketTimeoutSeconds, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

}  // namespace

struct LocalHttpServer::Tls {
  SSL_CTX* ctx = nullptr;
  ~Tls() { SSL_CTX_free(ctx); }
};

namespace {

bool loadTls(const PemPair& pem, SSL_CTX** out, std::string* error) {
  SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
  BIO* certBio = BIO_new_mem_buf(pem.certificate.data(), static_cast<int>(pem.certificate.size()));
  BIO* keyBio = BIO_new_mem_buf(pem.privateKey.data(), static_cast<int>(pem.privateKey.size()));
  X509* cert = certBio ? PEM_read_bio_X509(certBio, nullptr, nullptr, nullptr) : nullptr;
  EVP_PKEY* key = keyBio ? PEM_read_bio_PrivateKey(keyBio, nullptr, nullptr, nullptr) : nullptr;
  const bool ok = ctx != nullptr && cert != nullptr && key != nullptr &&
                  SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION) == 1 &&
                  SSL_CTX_use_certificate(ctx, cert) == 1 && SSL_CTX_use_PrivateKey(ctx, key) == 1 &&
                  SSL_CTX_check_private_key(ctx) == 1;
  X509_free(cert);
  EVP_PKEY_free(key);
  BIO_free(certBio);
  BIO_free(keyBio);
  if (!ok) {
    char buf[256];
    ERR_error_string_n(ERR_get_error(), buf, sizeof buf);
    *error = std::string("TLS set-up: ") + buf;
    SSL_CTX_free(ctx);
    return false;
  }
  *out = ctx;
  return true;
}

}  // namespace

std::string HttpRequest::header(const std::string& name) const {
  for (const auto& [k, v] : headers) {
    if (strcasecmp(k.c_str(), name.c_str()) == 0) return v;
  }
  return {};
}

bool HttpRequest::hasHeader(const std::string& name) const {
  for (const auto& h : headers) {
    if (strcasecmp(h.first.c_str(), name.c_str()) == 0) return true;
  }
  return false;
}

bool parseRequestHead(const std::string& head, HttpRequest* out) {
  size_t lineEnd = head.find("\r\n");
  const std::string requestLine = head.substr(0, lineEnd);
  const size_t s1 = requestLine.find(' ');
  const size_t s2 = s1 == std::string::npos ? s1 : requestLine.find(' ', s1 + 1);
  if (s2 == std::string::npos) return false;
  out->method = requestLine.substr(0, s1);
  out->target = requestLine.substr(s1 + 1, s2 - s1 - 1);
  out->version = requestLine.substr(s2 + 1);
  if (out->method.empty() || out->target.empty() || out->version.rfind("HTTP/", 0) != 0) return false;
  while (lineEnd != std::string::npos) {
    const size_t start = lineEnd + 2;
    lineEnd = head.find("\r\n", start);
    const std::string line = head.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
    if (line.empty()) continue;
    const size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0) return false;
    out->headerLines.push_back(line);
    out->headers.emplace_back(line.substr(0, colon), trimSpaces(line.substr(colon + 1)));
  }
  return true;
}

std::string httpAnswer(int status, const std::string& contentType, const std::string& body, bool withBody) {
  std::string out = "HTTP/1.1 " + std::to_string(status) + " " + reasonOf(status) + "\r\n";
  if (!contentType.empty()) out += "Content-Type: " + contentType + "\r\n";
  out += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
  if (withBody) out += body;
  return out;
}

LocalHttpServer::LocalHttpServer(RequestHandler handler, std::optional<PemPair> tls) : handler_(std::move(handler)) {
  if (tls) {
    tls_ = std::make_unique<Tls>();
    std::string error;
    if (!loadTls(*tls, &tls_->ctx, &error)) dbg::printf("update service: %s\n", error.c_str());
  }
}

LocalHttpServer::~LocalHttpServer() { stop(); }

std::string LocalHttpServer::baseUrl() const {
  return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + "/";
}

int LocalHttpServer::requestCount() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

bool LocalHttpServer::start(uint16_t port, std::string* error) {
  if (tls_ && tls_->ctx == nullptr) return *error = "no usable certificate", false;
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listenFd_, kListenBacklog) != 0 ||
      ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    *error = std::string("cannot listen: ") + std::strerror(errno);
    if (listenFd_ >= 0) ::close(listenFd_);
    listenFd_ = -1;
    return false;
  }
  port_ = ntohs(addr.sin_port);
  acceptThread_ = std::thread([this] { acceptLoop(); });
  return true;
}

void LocalHttpServer::stop() {
  stop_.set();
  if (acceptThread_.joinable()) acceptThread_.join();
  std::vector<std::thread> workers;
  {
    std::lock_guard lock(mutex_);
    for (int fd : openFds_) ::shutdown(fd, SHUT_RDWR);
    workers.swap(workers_);
  }
  for (auto& t : workers) t.join();
  if (listenFd_ >= 0) ::close(listenFd_);
  listenFd_ = -1;
}

void LocalHttpServer::reapFinished() {
  std::vector<std::thread> done;
  {
    std::lock_guard lock(mutex_);
    for (auto it = workers_.begin(); it != workers_.end();) {
      bool finished = false;
      for (auto id : finished_) finished = finished || id == it->get_id();
      if (finished) {
        done.push_back(std::move(*it));
        it = workers_.erase(it);
      } else {
        ++it;
      }
    }
    finished_.clear();
  }
  for (auto& t : done) t.join();
}

void LocalHttpServer::acceptLoop() {
  while (waitAny({stop_, Waitable::descriptor(listenFd_)}, -1) == 1) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    reapFinished();
    setTimeouts(fd);
    std::lock_guard lock(mutex_);
    openFds_.insert(fd);
    workers_.emplace_back([this, fd] { serve(fd); });
  }
}

void LocalHttpServer::serve(int fd) {
  // A peer that left makes writes fail with EPIPE instead of ending the process.
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
  {
    SSL* ssl = nullptr;
    if (tls_) {
      ssl = SSL_new(tls_->ctx);
      SSL_set_fd(ssl, fd);
    }
    Connection c(fd, ssl);
    HttpRequest req;
    if (c.handshake() && readRequest(c, &req)) {
      {
        std::lock_guard lock(mutex_);
        ++requests_;
      }
      handler_(req, c);
    }
    std::lock_guard lock(mutex_);
    openFds_.erase(fd);
  }  // closes the socket only after it left openFds_, so stop() never shuts a reused number
  std::lock_guard lock(mutex_);
  finished_.push_back(std::this_thread::get_id());
}

}  // namespace kavro::update
