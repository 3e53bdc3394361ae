#pragma once
// Events and waits: eventfd-backed manual- and auto-reset events that can be
// waited on together with file descriptors, and monotonic millisecond ticks.
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace kavro {

// Milliseconds from CLOCK_MONOTONIC.
uint64_t tickMs();
// Sleeps for the given number of milliseconds.
void sleepMs(unsigned ms);

class Event {
 public:
  enum class Reset { Manual, Auto };
  explicit Event(Reset reset = Reset::Auto, bool initiallySet = false);
  ~Event();
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void set();
  void reset();
  // True when the event is set; an auto-reset event is cleared by the check.
  bool isSet();
  // Waits until the event is set or the time-out passes (-1 = forever).
  // An auto-reset event is cleared by a successful wait.
  bool wait(int timeoutMs);
  // The descriptor that becomes readable while the event is set.
  int fd() const { return fd_; }
  bool autoReset() const { return reset_ == Reset::Auto; }
  // Clears an auto-reset event after a multi-wait reported it; manual events stay set.
  void consume();

 private:
  int fd_;
  Reset reset_;
};

// What waitAny reports.
constexpr int kWaitTimeout = -1;
constexpr int kWaitFailed = -2;

// One entry of a multi-wait: an event, or a plain descriptor waited on for
// input (or, with forWrite, for room to write).
struct Waitable {
  Event* event = nullptr;
  int fd = -1;
  bool forWrite = false;
  Waitable(Event* e) : event(e) {}  // NOLINT: implicit by design
  Waitable(Event& e) : event(&e) {}  // NOLINT
  static Waitable descriptor(int d, bool write = false) {
    Waitable w(nullptr);
    w.fd = d;
    w.forWrite = write;
    return w;
  }
};

// Waits for any entry to become ready, at most timeoutMs (-1 = forever).
// Returns the index of the first ready entry in list order (an auto-reset event
// so reported is cleared), kWaitTimeout, or kWaitFailed. A descriptor counts as
// ready on input, hang-up or error.
int waitAny(const std::vector<Waitable>& items, int timeoutMs);

}  // namespace kavro
