#pragma once
// DeviceCommandQueue: the ordered command queue of one device. User actions
// post their command sequences here and the device's worker thread runs them
// one after the other, in the order they were posted, so the window thread
// never waits on a device. A job carries everything it needs (copied when it
// was posted) and hands its result back itself; the device class queues that
// result to the window thread.
//
// Stopping the queue drops the jobs that have not started; the running job
// is asked to end through the nudge (aborting its transfer), and the worker
// is then waited for like every other device thread.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "devices/device_worker.h"

namespace kavro::devices {

class DeviceCommandQueue {
 public:
  using Job = std::function<void()>;

  DeviceCommandQueue() = default;
  ~DeviceCommandQueue() { stop(); }
  DeviceCommandQueue(const DeviceCommandQueue&) = delete;
  DeviceCommandQueue& operator=(const DeviceCommandQueue&) = delete;

  // Starts the worker; nothing happens when it runs already.
  void start();
  bool running() const { return worker_.running(); }

  // Appends a job behind every job posted before it. False, and the job is
  // dropped, while the worker does not run.
  bool post(Job job);
  // Drops the jobs that have not started; returns how many were dropped.
  size_t cancelPending();
  // Drops what is queued, runs nudge to cut a running job short, and waits
  // for the worker to end.
  void stop(const std::function<void()>& nudge = {});

  // Waits until no job is queued or running; false when the time ran out.
  bool waitIdle(int timeoutMs);
  bool idle() const;

 private:
  void run(Event& stop);

  mutable std::mutex mutex_;
  std::condition_variable idleChanged_;
  std::deque<Job> jobs_;
  bool busy_ = false;
  Event wake_{Event::Reset::Auto};
  DeviceWorker worker_;
};

}  // namespace kavro::devices
