#pragma once
// The local update service for demos and tests: answers the update query
// (POST <base>updates, "app_key=…&version=…") from a small table and serves
// the table's packages under <base>packages/<name>, over HTTPS on the
// loopback address with a certificate made at start.
#include <memory>
#include <string>
#include <vector>

#include "update/local_http_server.h"
#include "update/test_certificate.h"

namespace kavro::update {

// One row of the service's table.
struct ServicePackage {
  std::string appKey;        // the key the query must send
  std::string version;       // "version" of the answer (hex digits for devices)
  std::string versionName;   // "version_name"
  int deviceId = 0;          // "device_id": 1 for the program's own package
  std::string name;          // "name": the package's file name
  std::string content;       // the package's bytes
  // Deliberate faults, to show how the program refuses them.
  enum class Fault { None, WrongChecksum, BrokenDownload, NoLength, UnsafeName };
  Fault fault = Fault::None;
};

// The demo table: the program (a text package handed to the desktop) and the
// keyboard and mouse firmware (small shell programs that report success),
// with the app keys the program sends for them.
std::vector<ServicePackage> defaultServiceTable();

// Reads a table from JSON: [{"app_key", "version", "version_name",
// "device_id", "name", "content" or "script_exit": n, "fault"}, …].
bool loadServiceTable(const std::string& path, std::vector<ServicePackage>* out, std::string* error);

// A firmware package as the demo ships it: a shell program that prints its
// name and exits with exitCode, padded to about padBytes so that its
// download shows progress.
std::string demoFirmwareScript(const std::string& name, int exitCode, size_t padBytes);

class UpdateService {
 public:
  struct Options {
    uint16_t port = 0;        // 0: any free port
    bool slow = false;        // packages trickle out, so progress can be watched
    bool plainHttp = false;   // no TLS (tests of the proxy path only)
  };

  explicit UpdateService(std::vector<ServicePackage> table);
  ~UpdateService();

  // Makes the certificates and starts serving.
  bool start(const Options& options, std::string* error);
  void stop();

  std::string baseUrl() const;
  // The authority's certificate (PEM) that clients must trust.
  const std::string& authorityPem() const { return authority_.authority.certificate; }
  // Writes the authority's certificate to path.
  bool writeAuthority(const std::string& path, std::string* error) const;
  // The server's certificate and key, e.g. to start another server with them.
  const TestAuthority& certificates() const { return authority_; }
  int requestCount() const;

 private:
  void handle(const HttpRequest& req, HttpConnection& c);
  void answerQuery(const HttpRequest& req, HttpConnection& c);
  void servePackage(const HttpRequest& req, HttpConnection& c, const ServicePackage& p);

  std::vector<ServicePackage> table_;
  TestAuthority authority_;
  Options options_;
  std::unique_ptr<LocalHttpServer> server_;
};

}  // namespace kavro::update
