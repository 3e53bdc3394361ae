#pragma once
// Link timing model of a full-speed interrupt endpoint: at most one report per
// millisecond in each direction. When enabled, a report waits for the next free
// 1 ms slot of its direction; when disabled, reports pass at once.
#include <atomic>
#include <chrono>
#include <mutex>

namespace kavro::sim {

class LinkTiming {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::microseconds kSlot{1000};

  void setEnabled(bool on) { enabled_.store(on); }
  bool enabled() const { return enabled_.load(); }
  // Reserves the next slot host -> device / device -> host and returns the time
  // it starts (now when disabled). Pure bookkeeping; the caller waits.
  Clock::time_point reserveOut(Clock::time_point now) { return reserve(nextOut_, now); }
  Clock::time_point reserveIn(Clock::time_point now) { return reserve(nextIn_, now); }

 private:
  Clock::time_point reserve(Clock::time_point& next, Clock::time_point now) {
    if (!enabled_.load()) return now;
    std::lock_guard<std::mutex> lock(mutex_);
    const Clock::time_point slot = next > now ? next : now;
    next = slot + kSlot;
    return slot;
  }
  std::atomic<bool> enabled_{false};
  std::mutex mutex_;
  Clock::time_point nextOut_{}, nextIn_{};
};

}  // namespace kavro::sim
