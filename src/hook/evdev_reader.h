#pragma once
// System-wide capture from the kernel's input devices: finds the keyboards
// and pointing devices under /dev/input that this user may read (for
// example as a member of the "input" group) and reads them on a worker
// thread. The events still reach every other program: nothing is grabbed.
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "hook/evdev_translate.h"
#include "platform/event.h"

namespace kavro::hook {

// One opened input device.
struct EvdevDevice {
  std::string path;
  int fd = -1;
  bool keyboard = false;  // has letter keys
  bool pointer = false;   // has a left button
};

// Opens every event device in folder that can be read and has letter keys
// or a left button; others are closed again. Devices that cannot be opened
// (no permission) are skipped.
std::vector<EvdevDevice> openCaptureDevices(const std::string& folder = "/dev/input");
// True when at least one keyboard can be read.
bool evdevCaptureAvailable(const std::string& folder = "/dev/input");

class EvdevReader {
 public:
  // Called on the reader thread for every translated event.
  using Sink = std::function<void(const CapturedInput&)>;

  EvdevReader() = default;
  ~EvdevReader();
  EvdevReader(const EvdevReader&) = delete;
  EvdevReader& operator=(const EvdevReader&) = delete;

  // Takes the descriptors (closed by stop) and starts reading them. Any
  // descriptor that delivers struct input_event records serves. False when
  // already running, fds is empty or sink is empty; the descriptors are
  // closed then too.
  bool start(std::vector<int> fds, Sink sink);
  // Stops the thread and closes the descriptors; returns at once when idle.
  void stop();
  bool running() const { return thread_.joinable(); }

 private:
  void run();
  // Reads what one descriptor has; false when it is gone.
  bool drain(std::size_t i);

  std::vector<int> fds_;
  std::vector<EvdevStream> streams_;
  Sink sink_;
  Event stop_{Event::Reset::Manual};
  std::thread thread_;
};

}  // namespace kavro::hook
