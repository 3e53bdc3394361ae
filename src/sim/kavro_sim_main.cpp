// kavro-sim: serves emulated devices to a running Kavro Config (or to tests)
// through unix sockets in a folder, and lets a person or a script act on the
// devices: type keys, change on-device settings, unplug, inject faults.
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/event.h"
#include "profiles/profile_paths.h"
#include "sim/demo.h"
#include "sim/emulator.h"
#include "sim/kinds.h"
#include "sim/script.h"
#include "sim/socket_server.h"

namespace {

using kavro::sim::ScriptRunner;

constexpr char kUsage[] =
    "Usage: kavro-sim [--dir <folder>] [--devices <list>] [--script <file>] [--state <folder> | --fresh]\n"
    "                 [--timing] [--quiet]\n"
    "\n"
    "Serves emulated Kavro devices: one socket <name>.sock per HID interface in the\n"
    "folder (default: $KAVRO_SIM_DIR). Start Kavro Config with the same KAVRO_SIM_DIR\n"
    "and the devices appear; they disappear when kavro-sim ends.\n"
    "\n"
    "  --dir <folder>     where to put the sockets (created if missing)\n"
    "  --devices <list>   keyboard,mouse,mousepad,headset or all (default all)\n"
    "  --script <file>    run the commands of a file first, then read standard input\n"
    "  --state <folder>   where the devices keep their memory across runs, like a\n"
    "                     real device's flash (default: SimDevices in the user's\n"
    "                     Kavro data folder)\n"
    "  --fresh            start from factory memory and keep nothing\n"
    "  --timing           one report per millisecond in each direction, like USB full speed\n"
    "  --quiet            no messages on standard error except errors\n"
    "  --help             this text\n"
    "\n"
    "Commands (from the script and standard input, one per line):\n";

kavro::Event* g_stop = nullptr;

void onSignal(int) {
  if (g_stop != nullptr) g_stop->set();  // eventfd write: async-signal-safe
}

constexpr char kSimStateFolderName[] = "SimDevices";

struct Options {
  std::string dir;
  std::string devices = "all";
  std::string script;
  std::string state;  // empty: the default folder, unless fresh
  bool fresh = false;
  bool timing = false;
  bool quiet = false;
};

// 0 to go on, else the exit code (1 error, -1 help shown).
int parseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    if (a == "--help" || a == "-h") return -1;
    if (a == "--timing") o.timing = true;
    else if (a == "--quiet") o.quiet = true;
    else if (a == "--fresh") o.fresh = true;
    else if (a == "--state" ? !value(o.state)
             : a == "--dir" ? !value(o.dir)
             : a == "--devices" ? !value(o.devices)
             : a == "--script" ? !value(o.script)
             : true) {
      std::cerr << "kavro-sim: bad option " << a << " (see --help)\n";
      return 1;
    }
  }
  if (o.dir.empty()) {
    const char* env = std::getenv("KAVRO_SIM_DIR");
    if (env != nullptr) o.dir = env;
  }
  if (o.dir.empty()) {
    std::cerr << "kavro-sim: no folder: give --dir or set KAVRO_SIM_DIR\n";
    return 1;
  }
  if (o.fresh) o.state.clear();
  else if (o.state.empty()) o.state = kavro::profiles::joinPath(kavro::profiles::userDataRoot(), kSimStateFolderName);
  return 0;
}

// Reads commands from standard input until quit, end of input plus a signal,
// or a signal. Returns the process exit code.
int serveInput(ScriptRunner& runner, kavro::Event& stop) {
  std::string pending;
  bool inputOpen = true;
  while (true) {
    std::vector<pollfd> fds{{stop.fd(), POLLIN, 0}};
    if (inputOpen) fds.push_back({STDIN_FILENO, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) return 1;
    if (fds[0].revents != 0) return 0;
    if (!inputOpen || fds[1].revents == 0) continue;
    char buf[512];
    const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n <= 0) {
      inputOpen = false;  // keep serving until a signal arrives
      continue;
    }
    pending.append(buf, static_cast<size_t>(n));
    for (size_t eol; (eol = pending.find('\n')) != std::string::npos;) {
      const std::string line = pending.substr(0, eol);
      pending.erase(0, eol + 1);
      if (runner.runLine(line, std::cout) == ScriptRunner::Result::Quit) return 0;
      std::cout.flush();
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  if (const int r = parseOptions(argc, argv, opt); r != 0) {
    if (r < 0) std::cout << kUsage << kavro::sim::scriptHelp();
    return r < 0 ? 0 : r;
  }
  std::vector<kavro::sim::DeviceKind> kinds;
  std::string error;
  if (!kavro::sim::parseKindList(opt.devices, kinds, &error)) {
    std::cerr << "kavro-sim: " << error << "\n";
    return 1;
  }
  if (::mkdir(opt.dir.c_str(), 0700) != 0 && errno != EEXIST) {
    std::cerr << "kavro-sim: cannot create " << opt.dir << ": " << std::strerror(errno) << "\n";
    return 1;
  }
  kavro::Event stop(kavro::Event::Reset::Manual);
  g_stop = &stop;
  struct sigaction sa {};
  sa.sa_handler = onSignal;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);

  int code = 0;
  {
    auto presence = std::make_shared<kavro::sim::FolderPresence>(opt.dir);
    std::vector<std::unique_ptr<kavro::sim::Emulator>> devices;
    std::vector<kavro::sim::Emulator*> raw;
    for (auto kind : kinds) {
      devices.push_back(kavro::sim::makeEmulator(kind, presence));
      devices.back()->setTiming(opt.timing);
      if (!opt.state.empty()) {
        kavro::profiles::ensureFolder(opt.state);
        const bool kept = devices.back()->keepStateIn(kavro::sim::demoStateFile(opt.state, kind));
        if (kept && !opt.quiet) std::cerr << "kavro-sim: the " << kindName(kind) << " remembers its last run\n";
      }
      if (!devices.back()->plug(&error)) {
        std::cerr << "kavro-sim: " << error << "\n";
        return 1;
      }
      raw.push_back(devices.back().get());
      if (!opt.quiet) std::cerr << "kavro-sim: serving the " << kindName(kind) << " in " << opt.dir << "\n";
    }
    ScriptRunner runner(raw);
    bool quit = false;
    if (!opt.script.empty()) {
      std::ifstream script(opt.script);
      if (!script) {
        std::cerr << "kavro-sim: cannot read " << opt.script << "\n";
        code = 1;
        quit = true;
      }
      for (std::string line; !quit && std::getline(script, line);) {
        quit = runner.runLine(line, std::cout) == ScriptRunner::Result::Quit;
      }
    }
    if (!quit) code = serveInput(runner, stop);
    if (!opt.quiet) std::cerr << "kavro-sim: stopping\n";
    devices.clear();  // unplug: the socket files go away
  }
  g_stop = nullptr;
  return code;
}
