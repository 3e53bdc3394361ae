// kavro-update-service: a local update service for demos. It answers Kavro
// Config's update queries over HTTPS on 127.0.0.1 with a certificate made at
// start, and prints the two settings that point the program at it.
#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "platform/event.h"
#include "profiles/profile_paths.h"
#include "update/update_service.h"

namespace {

constexpr char kUsage[] =
    "Usage: kavro-update-service [--port <n>] [--dir <folder>] [--table <file>] [--slow] [--quiet]\n"
    "\n"
    "Serves the update protocol on https://127.0.0.1:<port>/ with a certificate\n"
    "authority made at start, whose certificate it writes to <folder>/ca.pem.\n"
    "Start Kavro Config with the two lines it prints in its environment:\n"
    "  KAVRO_UPDATE_URL=https://127.0.0.1:<port>/\n"
    "  KAVRO_UPDATE_CA_FILE=<folder>/ca.pem\n"
    "\n"
    "  --port <n>      the port (default: any free one)\n"
    "  --dir <folder>  where to write ca.pem (default: $XDG_RUNTIME_DIR/kavro-update-service)\n"
    "  --table <file>  versions and packages from a JSON table instead of the demo table:\n"
    "                  [{\"app_key\", \"version\", \"version_name\", \"device_id\", \"name\",\n"
    "                    \"content\" or \"script_exit\", \"fault\": checksum|broken|nolength|unsafename}]\n"
    "  --slow          packages trickle out (about 125 KiB/s) so progress can be watched\n"
    "  --quiet         print only the two settings\n";

kavro::Event* g_stop = nullptr;

void onSignal(int) {
  if (g_stop != nullptr) g_stop->set();
}

struct Options {
  kavro::update::UpdateService::Options service;
  std::string dir;
  std::string table;
  bool quiet = false;
};

// 0 to go on, else the exit code (-1: help shown).
int parseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--help" || a == "-h") return -1;
    if (a == "--slow") {
      o.service.slow = true;
    } else if (a == "--quiet") {
      o.quiet = true;
    } else if (a == "--port" && hasValue) {
      const long port = std::strtol(argv[++i], nullptr, 10);
      if (port < 0 || port > 65535) return std::cerr << "kavro-update-service: bad port\n", 1;
      o.service.port = static_cast<uint16_t>(port);
    } else if (a == "--dir" && hasValue) {
      o.dir = argv[++i];
    } else if (a == "--table" && hasValue) {
      o.table = argv[++i];
    } else {
      std::cerr << "kavro-update-service: bad option " << a << " (see --help)\n";
      return 1;
    }
  }
  if (o.dir.empty()) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    o.dir = std::string(runtime != nullptr && runtime[0] == '/' ? runtime : "/tmp") + "/kavro-update-service";
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  if (const int r = parseOptions(argc, argv, opt); r != 0) {
    if (r < 0) std::cout << kUsage;
    return r < 0 ? 0 : r;
  }
  std::vector<kavro::update::ServicePackage> table = kavro::update::defaultServiceTable();
  std::string error;
  if (!opt.table.empty() && !kavro::update::loadServiceTable(opt.table, &table, &error)) {
    std::cerr << "kavro-update-service: " << error << "\n";
    return 1;
  }
  if (!kavro::profiles::ensureFolder(opt.dir)) {
    std::cerr << "kavro-update-service: cannot create " << opt.dir << ": " << std::strerror(errno) << "\n";
    return 1;
  }
  kavro::Event stop(kavro::Event::Reset::Manual);
  g_stop = &stop;
  struct sigaction sa {};
  sa.sa_handler = onSignal;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);

  kavro::update::UpdateService service(table);
  const std::string caFile = kavro::profiles::joinPath(opt.dir, "ca.pem");
  if (!service.start(opt.service, &error) || !service.writeAuthority(caFile, &error)) {
    std::cerr << "kavro-update-service: " << error << "\n";
    return 1;
  }
  std::cout << "KAVRO_UPDATE_URL=" << service.baseUrl() << "\nKAVRO_UPDATE_CA_FILE=" << caFile << std::endl;
  if (!opt.quiet) {
    for (const auto& p : table) std::cerr << "kavro-update-service: " << p.appKey << " -> " << p.version << " " << p.name << "\n";
  }
  stop.wait(-1);
  service.stop();
  if (!opt.quiet) std::cerr << "kavro-update-service: stopping\n";
  g_stop = nullptr;
  return 0;
}
