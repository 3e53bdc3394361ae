#include "devices/device_worker.h"

#include "platform/debug.h"

namespace kavro::devices {

bool DeviceWorker::start(std::function<void(Event& stop)> body) {
  if (thread_.joinable()) return false;
  stop_ = std::make_unique<Event>(Event::Reset::Manual);
  done_ = std::make_shared<Event>(Event::Reset::Manual);
  Event* stop = stop_.get();
  thread_ = std::thread([body = std::move(body), stop, done = done_] {
    body(*stop);
    done->set();
  });
  return true;
}

void DeviceWorker::stop(const std::function<void()>& nudge) {
  if (!thread_.joinable()) return;
  stop_->set();
  if (nudge) nudge();
  switch (waitAny({*done_}, kWorkerStopWaitMs)) {
    case 0: dbg::write(kWorkerEndedLine); break;
    case kWaitTimeout: dbg::write(kWorkerTimeoutLine); break;
    default: dbg::write(kWorkerFailedLine); break;
  }
  thread_.join();
  stop_.reset();
  done_.reset();
}

}  // namespace kavro::devices
