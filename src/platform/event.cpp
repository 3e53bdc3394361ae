#include "platform/event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace kavro {

uint64_t tickMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

void sleepMs(unsigned ms) {
  timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

Event::Event(Reset reset, bool initiallySet) : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), reset_(reset) {
  if (fd_ < 0) throw std::runtime_error("eventfd failed");
  if (initiallySet) set();
}

Event::~Event() {
  if (fd_ >= 0) ::close(fd_);
}

void Event::set() {
  // The counter only ever holds 0 or 1 in effect: any non-zero value means set.
  uint64_t one = 1;
  ssize_t r = ::write(fd_, &one, sizeof one);
  (void)r;  // EAGAIN only when the counter is already near its limit: still set.
}

void Event::reset() {
  uint64_t v;
  ssize_t r = ::read(fd_, &v, sizeof v);
  (void)r;  // EAGAIN means it was already clear.
}

bool Event::isSet() {
  if (reset_ == Reset::Auto) {
    // One non-blocking read both tests and clears an auto-reset event.
    uint64_t v;
    return ::read(fd_, &v, sizeof v) == sizeof v;
  }
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, 0) <= 0) return false;
  if (reset_ == Reset::Auto) reset();
  return true;
}

void Event::consume() {
  if (reset_ == Reset::Auto) reset();
}

bool Event::wait(int timeoutMs) { return waitAny({Waitable(this)}, timeoutMs) == 0; }

static int remainingMs(uint64_t deadline, int timeoutMs) {
  if (timeoutMs < 0) return -1;
  uint64_t now = tickMs();
  return now >= deadline ? 0 : static_cast<int>(deadline - now);
}

int waitAny(const std::vector<Waitable>& items, int timeoutMs) {
  std::vector<pollfd> fds;
  fds.reserve(items.size());
  for (const auto& w : items) {
    fds.push_back({w.event ? w.event->fd() : w.fd, static_cast<short>(w.forWrite ? POLLOUT : POLLIN), 0});
  }
  const uint64_t deadline = tickMs() + static_cast<uint64_t>(timeoutMs < 0 ? 0 : timeoutMs);
  for (;;) {
    for (auto& p : fds) p.revents = 0;
    int r = ::poll(fds.data(), fds.size(), remainingMs(deadline, timeoutMs));
    if (r < 0) {
      if (errno == EINTR) continue;
      return kWaitFailed;
    }
    if (r == 0) return kWaitTimeout;
    for (size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].revents & POLLNVAL) return kWaitFailed;
      Event* e = items[i].event;
      if (e && e->autoReset()) {
        // Another waiter may have taken the auto-reset event first: look again.
        uint64_t v;
        if (::read(e->fd(), &v, sizeof v) != sizeof v) continue;
      }
      return static_cast<int>(i);
    }
  }
}

}  // namespace kavro
