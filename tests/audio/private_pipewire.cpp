#include "private_pipewire.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "profiles/json_file.h"

namespace kavro::audio::test {
namespace {

namespace fs = std::filesystem;

constexpr char kStockConfig[] = "/usr/share/pipewire/pipewire.conf";
constexpr char kFragment[] = R"(context.objects = [
  { factory = adapter
    args = { factory.name = support.null-audio-sink node.name = test_headset_sink
             media.class = Audio/Sink audio.position = [ FL FR ] object.linger = true } }
  { factory = adapter
    args = { factory.name = support.null-audio-sink node.name = test_headset_source
             media.class = Audio/Source audio.position = [ MONO ] object.linger = true } }
  { factory = metadata args = { metadata.name = default } }
]
)";
constexpr int kStartPolls = 100;
constexpr auto kPollInterval = std::chrono::milliseconds(50);

std::string readPipe(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  if (!pipe) return {};
  std::string text;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) text.append(buffer, n);
  return text;
}

}  // namespace

std::string findProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  const std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (true) {
    const std::size_t colon = dirs.find(':', start);
    const std::string candidate = dirs.substr(start, colon - start) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    if (colon == std::string::npos) return {};
    start = colon + 1;
  }
}

PrivatePipeWire::~PrivatePipeWire() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
}

bool PrivatePipeWire::start(std::string* why) {
  const std::string daemon = findProgram("pipewire");
  if (daemon.empty() || findProgram("pw-dump").empty() || findProgram("pw-metadata").empty()) {
    *why = "pipewire (with pw-dump and pw-metadata) is not installed";
    return false;
  }
  if (!fs::exists(kStockConfig)) {
    *why = std::string("no PipeWire configuration at ") + kStockConfig;
    return false;
  }
  fs::create_directories(config_.path() + "/pipewire.conf.d");
  fs::copy_file(kStockConfig, config_.path() + "/pipewire.conf");
  std::ofstream(config_.path() + "/pipewire.conf.d/kavro-test.conf") << kFragment;
  const std::string log = runtime_.file("log");
  // Everything the child needs is built before the fork.
  std::vector<std::string> vars = {"XDG_RUNTIME_DIR=" + runtime_.path(), "PIPEWIRE_RUNTIME_DIR=" + runtime_.path(),
                                   "PIPEWIRE_CONFIG_DIR=" + config_.path()};
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string v = *e;
    if (v.rfind("XDG_RUNTIME_DIR=", 0) != 0 && v.rfind("PIPEWIRE_", 0) != 0) vars.push_back(v);
  }
  std::vector<char*> envp;
  for (std::string& v : vars) envp.push_back(v.data());
  envp.push_back(nullptr);
  char* argv[] = {const_cast<char*>(daemon.c_str()), nullptr};
  pid_ = ::fork();
  if (pid_ == 0) {
    int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd >= 0) {
      ::dup2(fd, STDOUT_FILENO);
      ::dup2(fd, STDERR_FILENO);
    }
    ::execve(daemon.c_str(), argv, envp.data());
    ::_exit(127);
  }
  if (pid_ < 0 || !waitForSocket()) {
    *why = "a private PipeWire daemon did not start (see " + log + ")";
    return false;
  }
  env_.set("XDG_RUNTIME_DIR", runtime_.path());
  env_.set("PIPEWIRE_RUNTIME_DIR", runtime_.path());
  env_.set("PIPEWIRE_REMOTE", std::nullopt);
  if (nodeNamed(dumpGraph(), kTestSinkName) == nullptr) {
    *why = "the private PipeWire daemon shows no test sink";
    return false;
  }
  return true;
}

bool PrivatePipeWire::waitForSocket() {
  for (int i = 0; i < kStartPolls; ++i) {
    if (fs::exists(runtime_.file("pipewire-0"))) return true;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return false;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  return false;
}

bool PrivatePipeWire::setDefaults() {
  const std::string sink = std::string("timeout 10 pw-metadata -n default 0 default.audio.sink '{ \"name\": \"") +
                           kTestSinkName + "\" }' Spa:String:JSON >/dev/null 2>&1";
  const std::string source = std::string("timeout 10 pw-metadata -n default 0 default.audio.source '{ \"name\": \"") +
                             kTestSourceName + "\" }' Spa:String:JSON >/dev/null 2>&1";
  return std::system(sink.c_str()) == 0 && std::system(source.c_str()) == 0;
}

Json::Value dumpGraph() { return profiles::parseJsonText(readPipe("timeout 10 pw-dump 2>/dev/null")); }

// pw-metadata prints "update: id:0 key:'K' value:'V' type:'T'" per entry.
std::string defaultsValue(const std::string& key) {
  const std::string text = readPipe("timeout 10 pw-metadata -n default 2>/dev/null");
  const std::string marker = "key:'" + key + "' value:'";
  const std::size_t at = text.find(marker);
  if (at == std::string::npos) return {};
  const std::size_t start = at + marker.size();
  const std::size_t end = text.find("' type:", start);
  return end == std::string::npos ? std::string() : text.substr(start, end - start);
}

const Json::Value* nodeNamed(const Json::Value& dump, const std::string& name) {
  for (const Json::Value& object : dump) {
    if (object["type"].asString() == "PipeWire:Interface:Node" &&
        object["info"]["props"]["node.name"].asString() == name) {
      return &object;
    }
  }
  return nullptr;
}

}  // namespace kavro::audio::test
