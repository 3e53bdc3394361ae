// Host side of the simulated HID link: lists simulated interfaces and connects
// to one, in this process or served by another process in KAVRO_SIM_DIR.
#include <dirent.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/debug.h"
#include "platform/hid/sim_link.h"

namespace kavro::hid::sim {

namespace {
constexpr int kHelloTimeoutMs = 500;
constexpr char kSocketSuffix[] = ".sock";
constexpr char kSimDirVariable[] = "KAVRO_SIM_DIR";

std::string simDir() {
  const char* d = std::getenv(kSimDirVariable);
  return d ? std::string(d) : std::string();
}

bool endsWith(const std::string& s, const char* suffix) {
  size_t n = std::strlen(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

// The instance of a served interface: the identity of its socket file, which
// a server that stops serving removes and creates anew when it serves again.
// 0 when the file is not there.
uint64_t servedInstance(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return 0;
  constexpr uint64_t kNanosPerSecond = 1000000000ull;
  constexpr unsigned kInodeShift = 32;
  const uint64_t created = static_cast<uint64_t>(st.st_ctim.tv_sec) * kNanosPerSecond +
                           static_cast<uint64_t>(st.st_ctim.tv_nsec);
  const uint64_t id = (static_cast<uint64_t>(st.st_ino) << kInodeShift) ^ created;
  return id != 0 ? id : 1;
}

// Connects to a served socket and reads its hello; -1 on any failure. A
// socket served anew while connecting is left for the next look, so that the
// instance always names the socket connected to.
int connectServed(const std::string& dir, const std::string& name, InterfaceInfo& out) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::string path = dir + "/" + name + kSocketSuffix;
  if (path.size() >= sizeof(addr.sun_path)) return -1;
  const uint64_t instance = servedInstance(path);
  if (instance == 0) return -1;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  pollfd p{fd, POLLIN, 0};
  std::vector<uint8_t> hello(kHelloHeaderSize + kMaxDescriptorSize + 1);
  ssize_t n = -1;
  if (::poll(&p, 1, kHelloTimeoutMs) == 1) n = ::recv(fd, hello.data(), hello.size(), 0);
  if (n <= 0 || !decodeHello(hello.data(), static_cast<size_t>(n), out)) {
    dbg::printf("sim: no valid hello from %s\n", path.c_str());
    ::close(fd);
    return -1;
  }
  if (servedInstance(path) != instance) {
    ::close(fd);
    return -1;
  }
  out.name = name;
  out.instance = instance;
  return fd;
}

std::vector<std::string> servedNames(const std::string& dir) {
  std::vector<std::string> names;
  if (dir.empty()) return names;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return names;
  while (dirent* e = ::readdir(d)) {
    std::string f = e->d_name;
    if (endsWith(f, kSocketSuffix)) names.push_back(f.substr(0, f.size() - std::strlen(kSocketSuffix)));
  }
  ::closedir(d);
  return names;
}
}  // namespace

std::vector<InterfaceInfo> listInterfaces() {
  std::vector<InterfaceInfo> out;
  for (const auto& iface : registeredInterfaces()) out.push_back(iface->currentInfo());
  const std::string dir = simDir();
  for (const auto& name : servedNames(dir)) {
    InterfaceInfo info;
    int fd = connectServed(dir, name, info);
    if (fd < 0) continue;
    ::close(fd);
    out.push_back(std::move(info));
  }
  return out;
}

int connect(const std::string& name, InterfaceInfo& out) {
  for (const auto& iface : registeredInterfaces()) {
    if (iface->info().name != name) continue;
    int sv[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sv) != 0) return -1;
    out = iface->currentInfo();
    iface->addConnection(sv[1]);
    return sv[0];
  }
  const std::string dir = simDir();
  if (dir.empty() || name.find('/') != std::string::npos) return -1;
  return connectServed(dir, name, out);
}

}  // namespace kavro::hid::sim
