#pragma once
// DeviceWorker: one background thread of a device object with its own
// manual-reset stop event. The thread's body waits on the stop event in every
// blocking wait, so stopping it never needs to kill it.
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/event.h"

namespace kavro::devices {

constexpr int kWorkerStopWaitMs = 1000;

// Debug lines of the outcome of a stop.
constexpr char kWorkerEndedLine[] = "线程退出：：对象处于激发状态\n";
constexpr char kWorkerTimeoutLine[] = "线程退出：：对象处于非激发状态，超时\n";
constexpr char kWorkerFailedLine[] = "线程退出：：错误\n";

class DeviceWorker {
 public:
  DeviceWorker() = default;
  ~DeviceWorker() { stop(); }
  DeviceWorker(const DeviceWorker&) = delete;
  DeviceWorker& operator=(const DeviceWorker&) = delete;

  // Starts body(stopEvent) on a new thread; false when one is running already.
  bool start(std::function<void(Event& stop)> body);
  bool running() const { return thread_.joinable(); }

  // Sets the stop event, runs nudge (to cut a blocking transfer short), waits
  // up to kWorkerStopWaitMs for the thread and writes the outcome line. A
  // thread that has not ended in time is still joined: it is bound to see its
  // stop event. Nothing happens when no thread runs.
  void stop(const std::function<void()>& nudge = {});

 private:
  std::thread thread_;
  std::unique_ptr<Event> stop_;
  std::shared_ptr<Event> done_;
};

}  // namespace kavro::devices
