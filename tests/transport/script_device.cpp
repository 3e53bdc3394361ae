#include "transport/script_device.h"

#include <algorithm>
#include <atomic>
#include <chrono>

#include "platform/hid/hid_device.h"
#include "transport/command_packet.h"
#include "transport/command_set.h"

namespace kavro::test {

using namespace kavro::transport;

namespace {
// Vendor collection with report id 4: 63 data bytes in and out.
const std::vector<uint8_t> kDescriptor = {
    0x06, 0x00, 0xFF,  // usage page (vendor 0xFF00)
    0x09, 0x01,        // usage 1
    0xA1, 0x01,        // collection (application)
    0x85, 0x04,        //   report id 4
    0x09, 0x01,        //   usage 1
    0x15, 0x00,        //   logical minimum 0
    0x26, 0xFF, 0x00,  //   logical maximum 255
    0x75, 0x08,        //   report size 8
    0x95, 0x3F,        //   report count 63
    0x81, 0x02,        //   input (data, variable, absolute)
    0x09, 0x01,        //   usage 1
    0x91, 0x02,        //   output (data, variable, absolute)
    0xC0,              // end collection
};

bool isReadCommand(uint8_t c) {
  return c == kCmdReadDeviceInfo || c == kCmdReadSettings || c == kCmdReadKeyTable || c == kCmdReadBlock ||
         c == kCmdReadKeyIndexTable;
}
}  // namespace

ScriptDevice::ScriptDevice(const std::string& name)
    : SimInterface(hid::sim::InterfaceInfo{name, 0x0c45, 0x7666, 1, kDescriptor}) {}

ScriptDevice::~ScriptDevice() { stop(); }  // no callback may reach a half-destroyed object

std::vector<uint8_t> ScriptDevice::echoFor(const uint8_t* data, size_t len) const {
  std::vector<uint8_t> a(kPacketSize, 0);
  std::copy_n(data, std::min(len, kPacketSize), a.begin());
  a[kOffStatus] = 0;
  const uint8_t cmd = a[kOffCommand];
  if (isReadCommand(cmd)) {
    const size_t offset = a[kOffOffsetLo] | (a[kOffOffsetHi] << 8);
    for (size_t i = 0; i < std::min<size_t>(a[kOffLength], kChunkSize); ++i) a[kOffData + i] = pattern(offset + i);
  } else if (cmd == kCmdQueryLink) {
    a[kOffData] = linkByte_;
  }
  return a;
}

void ScriptDevice::onOutputReport(const uint8_t* data, size_t len) {
  Reply reply;
  std::vector<uint8_t> echo;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.emplace_back(data, data + len);
    if (script_.empty()) {
      reply = fallback_;
    } else {
      reply = script_.front();
      script_.pop_front();
    }
    echo = echoFor(data, len);
    if (reply == Reply::Hold) held_ = echo;
  }
  arrived_.notify_all();
  auto crossed = [&](uint8_t cmd) {
    std::vector<uint8_t> c = echo;
    c[kOffCommand] = cmd;
    sendInputReport(c.data(), c.size());
  };
  switch (reply) {
    case Reply::Echo: break;
    case Reply::StatusError: echo[kOffStatus] = kStatusError; break;
    case Reply::StatusBusy: echo[kOffStatus] = kStatusBusy; break;
    case Reply::Silent: case Reply::Hold: return;
    case Reply::Vanish: dropConnections(); return;
    case Reply::CrossedOnce: crossed(kCrossedFirst); break;
    case Reply::CrossedTwice: crossed(kCrossedFirst); crossed(kCrossedSecond); break;
  }
  sendInputReport(echo.data(), echo.size());
}

void ScriptDevice::script(std::initializer_list<Reply> replies) {
  std::lock_guard<std::mutex> lock(mutex_);
  script_.insert(script_.end(), replies.begin(), replies.end());
}

void ScriptDevice::setFallback(Reply r) {
  std::lock_guard<std::mutex> lock(mutex_);
  fallback_ = r;
}

void ScriptDevice::setLinkByte(uint8_t b) {
  std::lock_guard<std::mutex> lock(mutex_);
  linkByte_ = b;
}

std::vector<std::vector<uint8_t>> ScriptDevice::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

bool ScriptDevice::waitForRequests(size_t n, int timeoutMs) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return requests_.size() >= n; });
}

void ScriptDevice::release() {
  std::vector<uint8_t> held;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    held.swap(held_);
  }
  if (!held.empty()) sendInputReport(held.data(), held.size());
}

std::string ScriptDevice::hostPath() const {
  hid::HidDeviceInfo lister;
  if (!lister.enumerate()) return {};
  const std::string prefix = std::string(hid::sim::kPathPrefix) + info().name + "#";
  while (const std::string* p = lister.nextPath()) {
    if (p->rfind(prefix, 0) == 0) return *p;
  }
  return {};
}

std::shared_ptr<ScriptDevice> makeRegisteredDevice() {
  static std::atomic<int> counter{0};
  auto dev = std::make_shared<ScriptDevice>("transport-test-" + std::to_string(counter++));
  hid::sim::registerInterface(dev);
  return dev;
}

}  // namespace kavro::test
