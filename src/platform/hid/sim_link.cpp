// Device side of the simulated HID link: each SimInterface owns the device ends
// of its host connections and serves them on its own thread.
#include "platform/hid/sim_link.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/debug.h"
#include "platform/event.h"
#include "platform/hid/removals.h"

namespace kavro::hid::sim {

namespace {
// Hello message layout.
constexpr size_t kHelloMagicLen = 8;   // bytes 0-7
constexpr size_t kHelloVendor = 8;     // bytes 8-9, little endian
constexpr size_t kHelloProduct = 10;   // bytes 10-11, little endian
constexpr size_t kHelloInterface = 12; // byte 12
constexpr size_t kHelloDescLen = 13;   // bytes 13-14, little endian
constexpr size_t kHelloVersion = 15;   // bytes 15-16, little endian (bcdDevice)

void putLe16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v & 0xFF);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
uint16_t getLe16(const uint8_t* b) { return static_cast<uint16_t>(b[0] | (b[1] << 8)); }

void closeAll(std::vector<int>& fds) {
  for (int fd : fds) ::close(fd);
  fds.clear();
}
}  // namespace

std::vector<uint8_t> encodeHello(const InterfaceInfo& info) {
  const size_t descLen = std::min(info.reportDescriptor.size(), kMaxDescriptorSize);
  std::vector<uint8_t> b(kHelloHeaderSize + descLen, 0);
  std::memcpy(b.data(), kHelloMagic, kHelloMagicLen);
  putLe16(b, kHelloVendor, info.vendorId);
  putLe16(b, kHelloProduct, info.productId);
  b[kHelloInterface] = info.interfaceNumber;
  putLe16(b, kHelloDescLen, static_cast<uint16_t>(descLen));
  putLe16(b, kHelloVersion, info.version);
  std::copy_n(info.reportDescriptor.begin(), descLen, b.begin() + kHelloHeaderSize);
  return b;
}

bool decodeHello(const uint8_t* data, size_t len, InterfaceInfo& out) {
  if (data == nullptr || len < kHelloHeaderSize) return false;
  if (std::memcmp(data, kHelloMagic, kHelloMagicLen) != 0) return false;
  const size_t descLen = getLe16(data + kHelloDescLen);
  if (descLen > kMaxDescriptorSize || kHelloHeaderSize + descLen != len) return false;
  out.vendorId = getLe16(data + kHelloVendor);
  out.productId = getLe16(data + kHelloProduct);
  out.interfaceNumber = data[kHelloInterface];
  out.version = getLe16(data + kHelloVersion);
  out.reportDescriptor.assign(data + kHelloHeaderSize, data + len);
  return true;
}

struct SimInterface::Impl {
  mutable std::mutex mutex;
  std::vector<int> connections;
  // Dropped connections, already shut down; the service thread closes them
  // between polls so that it never reads a closed (or reused) descriptor.
  std::vector<int> pendingClose;
  bool serviceRunning = false;  // guarded by mutex
  // Changes (under mutex) whenever the connections do, so the service thread
  // rebuilds its poll list only then and not for every report.
  std::atomic<uint64_t> version{0};
  Event wake{Event::Reset::Auto};
  std::atomic<bool> running{false};
  std::thread thread;
};

SimInterface::SimInterface(InterfaceInfo info) : info_(std::move(info)), impl_(std::make_unique<Impl>()) {}

SimInterface::~SimInterface() {
  stop();
  dropConnections();
  std::lock_guard<std::mutex> lock(impl_->mutex);
  closeAll(impl_->pendingClose);
}

bool SimInterface::sendInputReport(const uint8_t* data, size_t len) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  bool delivered = false;
  for (int fd : impl_->connections) {
    // Like a hidraw reader's queue: a reader that does not keep up loses reports
    // rather than stalling the device.
    ssize_t n = ::send(fd, data, len, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n == static_cast<ssize_t>(len)) delivered = true;
  }
  return delivered;
}

void SimInterface::addConnection(int fd) {
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->connections.push_back(fd);
    ++impl_->version;
  }
  impl_->wake.set();
}

void SimInterface::dropConnections() {
  std::vector<int> closeNow;
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    for (int fd : impl_->connections) ::shutdown(fd, SHUT_RDWR);  // the host sees the hang-up at once
    auto& target = impl_->serviceRunning ? impl_->pendingClose : closeNow;
    target.insert(target.end(), impl_->connections.begin(), impl_->connections.end());
    impl_->connections.clear();
    ++impl_->version;
  }
  for (int fd : closeNow) ::close(fd);
  impl_->wake.set();
}


InterfaceInfo SimInterface::currentInfo() const {
  InterfaceInfo i = info_;
  i.instance = instance_.load();
  return i;
}

size_t SimInterface::connectionCount() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->connections.size();
}

void SimInterface::start() {
  if (impl_->running.exchange(true)) return;
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->serviceRunning = true;
  }
  impl_->thread = std::thread([this] { serviceLoop(); });
}

void SimInterface::stop() {
  if (!impl_->running.exchange(false)) return;
  impl_->wake.set();
  if (impl_->thread.joinable()) impl_->thread.join();
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->serviceRunning = false;
  closeAll(impl_->pendingClose);
}

void SimInterface::serviceLoop() {
  std::vector<uint8_t> buf(kMaxReportSize);
  std::vector<pollfd> fds;
  uint64_t listed = ~uint64_t{0};
  while (impl_->running.load()) {
    if (impl_->version.load() != listed) {
      fds.assign(1, pollfd{impl_->wake.fd(), POLLIN, 0});
      std::lock_guard<std::mutex> lock(impl_->mutex);
      closeAll(impl_->pendingClose);
      for (int fd : impl_->connections) fds.push_back({fd, POLLIN, 0});
      listed = impl_->version.load();
    }
    for (pollfd& p : fds) p.revents = 0;
    int r = ::poll(fds.data(), fds.size(), -1);
    if (r < 0 && errno != EINTR) break;
    if (fds[0].revents) impl_->wake.reset();
    for (size_t i = 1; i < fds.size(); ++i) {
      if (!fds[i].revents) continue;
      ssize_t n = ::recv(fds[i].fd, buf.data(), buf.size(), MSG_DONTWAIT);
      if (n > 0) {
        onOutputReport(buf.data(), static_cast<size_t>(n));
      } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        // The host closed its end: forget the connection.
        std::lock_guard<std::mutex> lock(impl_->mutex);
        auto& c = impl_->connections;
        auto it = std::find(c.begin(), c.end(), fds[i].fd);
        if (it != c.end()) {
          ::close(*it);
          c.erase(it);
          ++impl_->version;
        }
      }
    }
  }
}

// ---- in-process registry ----

namespace {
std::mutex g_registryMutex;
uint64_t g_registrations = 0;  // guarded by g_registryMutex; numbers the registrations
std::vector<std::shared_ptr<SimInterface>>& registry() {
  static std::vector<std::shared_ptr<SimInterface>> r;
  return r;
}
std::vector<Event*>& listeners() {
  static std::vector<Event*> l;
  return l;
}
// Called with g_registryMutex held.
void notifyListeners() {
  for (Event* e : listeners()) e->set();
}
}  // namespace

void addChangeListener(Event* e) {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  listeners().push_back(e);
}

void removeChangeListener(Event* e) {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  auto& l = listeners();
  l.erase(std::remove(l.begin(), l.end(), e), l.end());
}

void registerInterface(const std::shared_ptr<SimInterface>& iface) {
  if (!iface) return;
  {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    auto& r = registry();
    if (std::find(r.begin(), r.end(), iface) != r.end()) return;
    iface->instance_.store(++g_registrations);
    r.push_back(iface);
  }
  iface->start();
  std::lock_guard<std::mutex> lock(g_registryMutex);
  notifyListeners();
}

void unregisterInterface(const std::shared_ptr<SimInterface>& iface) {
  if (!iface) return;
  {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    auto& r = registry();
    r.erase(std::remove(r.begin(), r.end(), iface), r.end());
  }
  iface->dropConnections();
  iface->stop();
  noteRemoval({std::string(kPathPrefix) + iface->info().name, iface->currentInfo().instance});
  std::lock_guard<std::mutex> lock(g_registryMutex);
  notifyListeners();
}

std::vector<std::shared_ptr<SimInterface>> registeredInterfaces() {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  return registry();
}

}  // namespace kavro::hid::sim
