// The HTTP client against servers on the loopback address: the request's
// header block and answer buffer, and the download's checks.
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>

#include "platform/event.h"
#include "update/http_client.h"
#include "update/local_http_server.h"
#include "update/sha256.h"
#include "update_test_util.h"

namespace kavro::update {
namespace {

using test::TempFolder;

// A port on which nothing listens.
uint16_t closedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(fd);
  return ntohs(a.sin_port);
}

// How the package server answers.
struct PackagePlan {
  std::string content;
  bool headLength = true;      // HEAD announces the size
  bool getLength = true;       // GET carries Content-Length
  size_t getAnnounced = 0;     // when non-zero, GET announces this size instead
  size_t breakAfter = 0;       // when non-zero, GET sends this many bytes and drops the connection
  std::string redirectTo;      // when set, every request is redirected there
};

PackagePlan plan(std::string content) {
  PackagePlan p;
  p.content = std::move(content);
  return p;
}

std::string packageHead(size_t length, bool withLength) {
  std::string h = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n";
  if (withLength) h += "Content-Length: " + std::to_string(length) + "\r\n";
  return h + "Connection: close\r\n\r\n";
}

class HttpClientTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::clearProxyEnvironment(); }

  void SetUp() override {
    caFile_ = folder_.file("ca.pem");
    test::writeBytes(caFile_, test::testAuthority().authority.certificate);
  }

  // A TLS server whose handler records each request and answers with respond.
  void serve(std::function<void(const HttpRequest&, HttpConnection&)> respond, bool tls = true) {
    server_ = std::make_unique<LocalHttpServer>(
        [this, respond](const HttpRequest& r, HttpConnection& c) {
          {
            std::lock_guard lock(mutex_);
            requests_.push_back(r);
          }
          respond(r, c);
        },
        tls ? std::optional<PemPair>(test::testAuthority().server) : std::nullopt);
    std::string error;
    ASSERT_TRUE(server_->start(0, &error)) << error;
  }

  void servePackage(PackagePlan plan) {
    serve([plan](const HttpRequest& r, HttpConnection& c) {
      if (!plan.redirectTo.empty()) {
        c.send("HTTP/1.1 302 Found\r\nLocation: " + plan.redirectTo + "\r\nContent-Length: 0\r\n\r\n");
        return;
      }
      if (r.method == "HEAD") return void(c.send(packageHead(plan.content.size(), plan.headLength)));
      const size_t announced = plan.getAnnounced != 0 ? plan.getAnnounced : plan.content.size();
      c.send(packageHead(announced, plan.getLength));
      if (plan.breakAfter != 0) {
        c.send(plan.content.substr(0, plan.breakAfter));
        c.abort();
        return;
      }
      c.send(plan.content);
    });
  }

  ClientSettings settings() const {
    ClientSettings s;
    s.caFile = caFile_;
    s.desktopProxy = nullptr;
    return s;
  }

  std::vector<HttpRequest> requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }

  // Downloads url into "pkg" and records the progress reports.
  DownloadStatus fetch(HttpClient& client, const std::string& url, const std::string& sha256 = "") {
    return client.download(
        url, target(),
        [this](uint64_t total, uint64_t soFar, int row) {
          EXPECT_EQ(row, 7);
          reports_.emplace_back(total, soFar);
        },
        7, {sha256});
  }
  std::string target() const { return folder_.file("pkg"); }
  std::string url(const char* path = "packages/pkg") const { return server_->baseUrl() + path; }

  TempFolder folder_;
  std::string caFile_;
  std::unique_ptr<LocalHttpServer> server_;
  std::mutex mutex_;
  std::vector<HttpRequest> requests_;
  std::vector<std::pair<uint64_t, uint64_t>> reports_;
};

TEST_F(HttpClientTest, RequestSendsTheHeaderBlockAlsoForAnEmptyBody) {
  serve([](const HttpRequest&, HttpConnection& c) { c.send(httpAnswer(200, "text/plain", "{}")); });
  HttpClient client(settings());
  char answer[64];
  ASSERT_EQ(client.request(url("updates"), "POST", "", 0, answer, sizeof answer, false), 2);
  ASSERT_EQ(client.request(url("updates"), "get", "", 0, answer, sizeof answer, false), 2);
  const std::string body = "app_key=K&version=105";
  ASSERT_EQ(client.request(url("updates"), "Post", body.data(), body.size(), answer, sizeof answer, false), 2);

  const auto seen = requests();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].method, "POST");
  EXPECT_EQ(seen[1].method, "GET");
  for (const auto& r : seen) {
    const auto& lines = r.headerLines;
    EXPECT_NE(std::find(lines.begin(), lines.end(), kFormContentType), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Accept:application/prs.Vexor.v1+json"), lines.end());
    EXPECT_FALSE(r.hasHeader("Expect"));
    EXPECT_EQ(r.header("User-Agent"), "WinHTTP Client/1.0");
  }
  const auto length = [](const HttpRequest& r) {
    return std::count_if(r.headerLines.begin(), r.headerLines.end(),
                         [](const std::string& l) { return l.rfind("Content-Length:", 0) == 0; });
  };
  EXPECT_EQ(length(seen[0]), 1);
  EXPECT_EQ(seen[0].header("Content-Length"), "0");
  EXPECT_EQ(seen[1].header("Content-Length"), "0");
  EXPECT_EQ(seen[2].header("Content-Length"), std::to_string(body.size()));
  EXPECT_EQ(seen[2].body, body);
}

TEST_F(HttpClientTest, AnswerIsCutAtTheCallersCapacity) {
  std::string big(5000, 'a');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + i % 26);
  serve([big](const HttpRequest&, HttpConnection& c) { c.send(httpAnswer(200, "text/plain", big)); });
  HttpClient client(settings());
  std::vector<char> answer(100);
  EXPECT_EQ(client.request(url("updates"), "POST", "", 0, answer.data(), answer.size(), false), 100);
  EXPECT_EQ(std::string(answer.data(), 100), big.substr(0, 100));
  EXPECT_EQ(client.post(url("updates"), "", 10000), big);
}

TEST_F(HttpClientTest, RefusedArgumentsAndUnreachableServers) {
  HttpClient client(settings());
  char answer[32] = {};
  EXPECT_EQ(client.request("", "POST", "", 0, answer, sizeof answer, false), -1);
  EXPECT_EQ(client.lastError(), kErrorEmptyUrl);
  EXPECT_EQ(client.request("https://127.0.0.1/", "PUT", "", 0, answer, sizeof answer, false), -1);
  EXPECT_EQ(client.lastError(), kErrorBadVerb);

  const std::string closed = "https://127.0.0.1:" + std::to_string(closedPort()) + "/updates";
  EXPECT_EQ(client.request(closed, "POST", "", 0, answer, sizeof answer, false), 0);
  EXPECT_EQ(std::string(answer, kNoLinkServerLength), kNoLinkServer);
  EXPECT_EQ(client.lastError(), kCurlErrorBase + CURLE_COULDNT_CONNECT);
  EXPECT_EQ(client.post(closed, "a=b", 1024), kNoLinkServer);
}

TEST_F(HttpClientTest, UntrustedCertificatesAreRefused) {
  serve([](const HttpRequest&, HttpConnection& c) { c.send(httpAnswer(200, "text/plain", "secret")); });
  TestAuthority other;
  std::string error;
  ASSERT_TRUE(makeTestAuthority(&other, &error)) << error;
  test::writeBytes(folder_.file("other.pem"), other.authority.certificate);

  ClientSettings wrongCa = settings();
  wrongCa.caFile = folder_.file("other.pem");
  ClientSettings systemCa = settings();
  systemCa.caFile.clear();
  for (const ClientSettings& s : {wrongCa, systemCa}) {
    HttpClient client(s);
    EXPECT_EQ(client.post(url("updates"), "", 1024), kNoLinkServer);
    EXPECT_EQ(client.lastError(), kCurlErrorBase + CURLE_PEER_FAILED_VERIFICATION);
    reports_.clear();
    EXPECT_EQ(fetch(client, url()), DownloadStatus::NoLink);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].first, 0u);
  }
  EXPECT_TRUE(requests().empty());
  EXPECT_TRUE(folder_.names().size() == 2u);  // the two authority files only
}

TEST_F(HttpClientTest, DownloadStreamsInSmallReadsAndReportsTheEndLast) {
  std::string content(10 * 1024 + 17, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  servePackage(plan(content));
  HttpClient client(settings());
  ASSERT_EQ(fetch(client, url(), sha256Hex(content)), DownloadStatus::Ok);
  EXPECT_EQ(test::fileBytes(target()), content);

  ASSERT_GE(reports_.size(), content.size() / kDownloadReadSize);
  uint64_t previous = 0;
  for (const auto& [total, soFar] : reports_) {
    EXPECT_EQ(total, content.size());
    EXPECT_GT(soFar, previous);
    EXPECT_LE(soFar - previous, kDownloadReadSize);
    previous = soFar;
  }
  EXPECT_EQ(reports_.back().second, content.size());
  const auto seen = requests();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].method, "HEAD");
  EXPECT_EQ(seen[1].method, "GET");
  EXPECT_EQ(folder_.names().size(), 2u);  // ca.pem and pkg: no temporary file left
}

TEST_F(HttpClientTest, NoAnnouncedSizeReadsNothing) {
  PackagePlan p = plan(std::string(3000, 'x'));
  p.headLength = false;
  servePackage(p);
  HttpClient client(settings());
  EXPECT_EQ(fetch(client, url()), DownloadStatus::NoSize);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0], std::make_pair(uint64_t{0}, uint64_t{0}));
  EXPECT_EQ(requests().size(), 1u);  // the HEAD only
  EXPECT_FALSE(test::exists(target()));
}

TEST_F(HttpClientTest, BrokenOrAlteredDownloadsLeaveTheOldFileAlone) {
  const std::string content(8000, 'n');
  struct Case {
    PackagePlan plan;
    std::string sha256;
    DownloadStatus expected;
  };
  PackagePlan broken = plan(content), shorter = plan(content), noGetLength = plan(content);
  broken.breakAfter = 3000;
  shorter.getAnnounced = content.size() - 10;  // GET announces less than HEAD
  noGetLength.getLength = false;               // every byte still arrives
  const std::vector<Case> cases = {
      {broken, "", DownloadStatus::Broken},
      {plan(content), sha256Hex("something else"), DownloadStatus::ChecksumMismatch},
      {shorter, "", DownloadStatus::SizeMismatch},
      {noGetLength, "", DownloadStatus::Ok},
  };
  for (const auto& c : cases) {
    servePackage(c.plan);
    test::writeBytes(target(), "old package");
    reports_.clear();
    HttpClient client(settings());
    EXPECT_EQ(fetch(client, url(), c.sha256), c.expected);
    if (c.expected == DownloadStatus::Ok) {
      EXPECT_EQ(test::fileBytes(target()), content);
    } else {
      EXPECT_EQ(test::fileBytes(target()), "old package");
      ASSERT_FALSE(reports_.empty());
      EXPECT_EQ(reports_.back().first, 0u);  // the failure report
      for (const auto& r : reports_) EXPECT_LT(r.second, content.size() + 1);
    }
    EXPECT_EQ(folder_.names().size(), 2u) << "a temporary file was left";
    server_.reset();
  }
}

TEST_F(HttpClientTest, OversizedPackagesAreNotFetched) {
  servePackage(plan(std::string(5000, 'z')));
  ClientSettings s = settings();
  s.maxDownloadBytes = 4096;
  HttpClient client(s);
  EXPECT_EQ(fetch(client, url()), DownloadStatus::TooLarge);
  EXPECT_EQ(requests().size(), 1u);
  EXPECT_FALSE(test::exists(target()));
}

TEST_F(HttpClientTest, RedirectsNeverLeaveHttps) {
  LocalHttpServer plain([](const HttpRequest&, HttpConnection& c) { c.send(httpAnswer(200, "text/plain", "x")); },
                        std::nullopt);
  std::string error;
  ASSERT_TRUE(plain.start(0, &error)) << error;
  PackagePlan p = plan("abc");
  p.redirectTo = plain.baseUrl() + "pkg";
  servePackage(p);
  HttpClient client(settings());
  EXPECT_EQ(client.post(url("updates"), "", 100), "");
  EXPECT_EQ(client.lastError(), kCurlErrorBase + CURLE_UNSUPPORTED_PROTOCOL);
  EXPECT_NE(fetch(client, url()), DownloadStatus::Ok);
  EXPECT_EQ(plain.requestCount(), 0);
}

TEST_F(HttpClientTest, DesktopProxyIsTheSecondTry) {
  // The "proxy" is a plain server that answers requests in absolute form.
  serve([](const HttpRequest& r, HttpConnection& c) { c.send(httpAnswer(200, "text/plain", "via " + r.target)); },
        false);
  const std::string unreachable = "http://127.0.0.1:" + std::to_string(closedPort()) + "/updates";
  int asked = 0;
  ClientSettings s = settings();
  s.desktopProxy = [&](const std::string& forUrl) {
    ++asked;
    EXPECT_EQ(forUrl, unreachable);
    ProxyChoice proxy;
    proxy.proxy = "http://127.0.0.1:" + std::to_string(server_->port());
    return proxy;
  };
  HttpClient client(s);
  EXPECT_EQ(client.post(unreachable, "a=1", 1024), "via " + unreachable);
  EXPECT_EQ(asked, 1);
  ASSERT_EQ(requests().size(), 1u);
  EXPECT_EQ(requests()[0].body, "a=1");
}

TEST_F(HttpClientTest, CancelEventStopsADownload) {
  Event cancel(Event::Reset::Manual);
  serve([&cancel](const HttpRequest& r, HttpConnection& c) {
    if (r.method == "HEAD") return void(c.send(packageHead(1 << 20, true)));
    c.send(packageHead(1 << 20, true));
    c.send(std::string(4096, 'c'));
    cancel.set();  // the client stops while the rest never comes
    while (c.send(std::string(1, 'c'))) sleepMs(5);
  });
  ClientSettings s = settings();
  s.cancel = &cancel;
  HttpClient client(s);
  EXPECT_EQ(fetch(client, url()), DownloadStatus::Cancelled);
  EXPECT_FALSE(test::exists(target()));
  EXPECT_EQ(reports_.back().first, 0u);
}

}  // namespace
}  // namespace kavro::update
