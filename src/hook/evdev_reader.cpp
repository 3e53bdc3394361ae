#include "hook/evdev_reader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>

#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

#include <libevdev/libevdev.h>

namespace kavro::hook {
namespace {

namespace fs = std::filesystem;

constexpr char kEventNodePrefix[] = "event";
constexpr std::size_t kReadBatch = 64;

bool isEventNode(const fs::path& p) {
  return p.filename().string().rfind(kEventNodePrefix, 0) == 0;
}

// Fills in what the device can report; false when it is neither a keyboard
// nor a pointing device.
bool describe(EvdevDevice& d) {
  libevdev* dev = nullptr;
  if (libevdev_new_from_fd(d.fd, &dev) < 0) return false;
  d.keyboard = libevdev_has_event_code(dev, EV_KEY, KEY_A) && libevdev_has_event_code(dev, EV_KEY, KEY_Z);
  d.pointer = libevdev_has_event_code(dev, EV_KEY, BTN_LEFT);
  libevdev_free(dev);
  return d.keyboard || d.pointer;
}

}  // namespace

std::vector<EvdevDevice> openCaptureDevices(const std::string& folder) {
  std::vector<EvdevDevice> out;
  std::error_code ec;
  std::vector<fs::path> nodes;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (isEventNode(entry.path())) nodes.push_back(entry.path());
  }
  std::sort(nodes.begin(), nodes.end());
  for (const auto& node : nodes) {
    EvdevDevice d;
    d.path = node.string();
    d.fd = ::open(d.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (d.fd < 0) continue;
    if (describe(d)) {
      out.push_back(d);
    } else {
      ::close(d.fd);
    }
  }
  return out;
}

bool evdevCaptureAvailable(const std::string& folder) {
  bool keyboard = false;
  for (const auto& d : openCaptureDevices(folder)) {
    keyboard = keyboard || d.keyboard;
    ::close(d.fd);
  }
  return keyboard;
}

EvdevReader::~EvdevReader() { stop(); }

bool EvdevReader::start(std::vector<int> fds, Sink sink) {
  if (running() || fds.empty() || !sink) {
    for (int fd : fds) ::close(fd);
    return false;
  }
  fds_ = std::move(fds);
  streams_.assign(fds_.size(), EvdevStream{});
  sink_ = std::move(sink);
  stop_.reset();
  thread_ = std::thread([this] { run(); });
  return true;
}

void EvdevReader::stop() {
  if (!thread_.joinable()) return;
  stop_.set();
  thread_.join();
  for (int fd : fds_) {
    if (fd >= 0) ::close(fd);
  }
  fds_.clear();
  streams_.clear();
  sink_ = {};
}

void EvdevReader::run() {
  for (;;) {
    std::vector<Waitable> wait{Waitable(stop_)};
    std::vector<std::size_t> index;
    for (std::size_t i = 0; i < fds_.size(); ++i) {
      if (fds_[i] < 0) continue;
      wait.push_back(Waitable::descriptor(fds_[i]));
      index.push_back(i);
    }
    if (index.empty()) return;  // every device is gone
    const int ready = waitAny(wait, -1);
    if (ready == 0 || ready == kWaitFailed) return;
    if (ready < 0) continue;
    const std::size_t i = index[static_cast<std::size_t>(ready) - 1];
    if (!drain(i)) {
      ::close(fds_[i]);
      fds_[i] = -1;
    }
  }
}

bool EvdevReader::drain(std::size_t i) {
  std::array<input_event, kReadBatch> buf{};
  for (;;) {
    const ssize_t n = ::read(fds_[i], buf.data(), sizeof(buf));
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    if (n == 0) return false;  // the device went away
    // Stamped on the clock the recorder measures with; the thread reads as
    // soon as the device has events, so this is when they happened.
    const auto now = static_cast<std::uint32_t>(tickMs());
    const std::size_t count = static_cast<std::size_t>(n) / sizeof(input_event);
    for (std::size_t k = 0; k < count; ++k) {
      const input_event& ev = buf[k];
      const CapturedInput in = streams_[i].feed({ev.type, ev.code, ev.value, now});
      if (!std::holds_alternative<std::monostate>(in)) sink_(in);
    }
    if (static_cast<std::size_t>(n) < sizeof(buf)) return true;
  }
}

}  // namespace kavro::hook
