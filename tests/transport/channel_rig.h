#pragma once
// A ScriptDevice registered on the simulated link and a HidChannel opened on it.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/debug.h"
#include "platform/hid/sim_link.h"
#include "transport/hid_channel.h"
#include "transport/script_device.h"

namespace kavro::test {

// Generous for answers that do come; the tests of silence set their own.
constexpr int kAnswerTimeoutMs = 3000;

struct ChannelRig {
  std::shared_ptr<ScriptDevice> dev = makeRegisteredDevice();
  transport::HidChannel ch;

  ChannelRig() {
    ch.setTimeouts(kAnswerTimeoutMs, kAnswerTimeoutMs);
    const std::string path = dev->hostPath();
    EXPECT_FALSE(path.empty());
    EXPECT_TRUE(ch.openPath(path));
  }
  ~ChannelRig() {
    ch.closeChannel();
    // The service thread is stopped before the connections are closed under it.
    dev->stop();
    hid::sim::unregisterInterface(dev);
  }
};

// Collects the debug lines written while it lives.
class DebugCapture {
 public:
  DebugCapture() {
    dbg::setCapture([this](const std::string& line) {
      std::lock_guard<std::mutex> lock(mutex_);
      lines_.push_back(line);
    });
  }
  ~DebugCapture() { dbg::setCapture({}); }
  std::vector<std::string> lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace kavro::test
