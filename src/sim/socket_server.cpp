#include "sim/socket_server.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kavro::sim {

namespace {

constexpr int kBacklog = 8;
constexpr char kSuffix[] = ".sock";

bool makeAddress(const std::string& path, sockaddr_un& addr) {
  addr = {};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof(addr.sun_path)) return false;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  return true;
}

// True when some process already accepts connections on the socket file.
bool isServed(const sockaddr_un& addr) {
  const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool live = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
  ::close(fd);
  return live;
}

}  // namespace

FolderPresence::FolderPresence(std::string folder) : folder_(std::move(folder)) {
  thread_ = std::thread([this] { acceptLoop(); });
}

FolderPresence::~FolderPresence() {
  stop_.set();
  if (thread_.joinable()) thread_.join();
  std::vector<Served> left;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    left.swap(served_);
  }
  for (auto& s : left) close(s);
}

std::string FolderPresence::socketPath(const std::string& name) const { return folder_ + "/" + name + kSuffix; }

bool FolderPresence::attach(const std::shared_ptr<hid::sim::SimInterface>& iface, std::string* error) {
  auto fail = [error](const std::string& text) {
    if (error != nullptr) *error = text;
    return false;
  };
  Served s;
  s.iface = iface;
  s.path = socketPath(iface->info().name);
  sockaddr_un addr;
  if (!makeAddress(s.path, addr)) return fail("socket path too long: " + s.path);
  if (isServed(addr)) return fail("already served by another process: " + s.path);
  ::unlink(s.path.c_str());  // a file left behind by a server that did not stop cleanly
  s.listenFd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (s.listenFd < 0) return fail(std::string("socket: ") + std::strerror(errno));
  if (::bind(s.listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(s.listenFd, kBacklog) != 0) {
    const std::string why = std::string("cannot serve ") + s.path + ": " + std::strerror(errno);
    ::close(s.listenFd);
    return fail(why);
  }
  iface->start();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    served_.push_back(std::move(s));
  }
  wake_.set();
  return true;
}

void FolderPresence::detach(const std::shared_ptr<hid::sim::SimInterface>& iface) {
  Served gone;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = std::find_if(served_.begin(), served_.end(), [&](const Served& s) { return s.iface == iface; });
    if (it == served_.end()) return;
    gone = std::move(*it);
    served_.erase(it);
    // Closed under the lock, so the accept loop never accepts on it afterwards.
    ::close(gone.listenFd);
    gone.listenFd = -1;
  }
  wake_.set();
  close(gone);
}

void FolderPresence::close(Served& s) {
  if (s.listenFd >= 0) ::close(s.listenFd);
  s.listenFd = -1;
  ::unlink(s.path.c_str());
  s.iface->dropConnections();
  s.iface->stop();
}

void FolderPresence::acceptLoop() {
  while (true) {
    std::vector<pollfd> fds{{stop_.fd(), POLLIN, 0}, {wake_.fd(), POLLIN, 0}};
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (const auto& s : served_) fds.push_back({s.listenFd, POLLIN, 0});
    }
    if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) return;
    if (fds[0].revents != 0) return;
    if (fds[1].revents != 0) wake_.consume();
    for (size_t i = 2; i < fds.size(); ++i) {
      if (fds[i].revents != 0) acceptOne(fds[i].fd);
    }
  }
}

void FolderPresence::acceptOne(int listenFd) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = std::find_if(served_.begin(), served_.end(), [&](const Served& s) { return s.listenFd == listenFd; });
  if (it == served_.end()) return;  // detached meanwhile
  const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return;
  const std::vector<uint8_t> hello = hid::sim::encodeHello(it->iface->info());
  if (::send(fd, hello.data(), hello.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(hello.size())) {
    ::close(fd);
    return;
  }
  it->iface->addConnection(fd);
}

}  // namespace kavro::sim
