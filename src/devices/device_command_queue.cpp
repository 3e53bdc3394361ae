#include "devices/device_command_queue.h"

#include <chrono>

namespace kavro::devices {

void DeviceCommandQueue::start() {
  if (worker_.running()) return;
  worker_.start([this](Event& stop) { run(stop); });
}

bool DeviceCommandQueue::post(Job job) {
  if (!job || !worker_.running()) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  wake_.set();
  return true;
}

size_t DeviceCommandQueue::cancelPending() {
  size_t dropped = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    dropped = jobs_.size();
    jobs_.clear();
  }
  idleChanged_.notify_all();
  return dropped;
}

void DeviceCommandQueue::stop(const std::function<void()>& nudge) {
  cancelPending();
  worker_.stop(nudge);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.clear();
    busy_ = false;
  }
  idleChanged_.notify_all();
}

bool DeviceCommandQueue::waitIdle(int timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return idleChanged_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [this] { return jobs_.empty() && !busy_; });
}

bool DeviceCommandQueue::idle() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return jobs_.empty() && !busy_;
}

void DeviceCommandQueue::run(Event& stop) {
  for (;;) {
    if (stop.isSet()) break;
    Job job;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!jobs_.empty()) {
        job = std::move(jobs_.front());
        jobs_.pop_front();
        busy_ = true;
      }
    }
    if (!job) {
      // Nothing to do: sleep until a job is posted or the queue stops.
      if (waitAny({stop, wake_}, -1) == 0) break;
      continue;
    }
    job();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      busy_ = false;
    }
    idleChanged_.notify_all();
  }
}

}  // namespace kavro::devices
