#pragma once
// A plugged device emulator, a command channel opened on it through the real
// HID path, and a recorder of the requests the channel sends.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/debug.h"
#include "sim/emulator.h"
#include "sim/sim_test_util.h"
#include "transport/hid_channel.h"

namespace kavro::devices::test {

// One request as sent: command, length and offset.
struct Sent {
  std::uint8_t command = 0;
  std::uint8_t length = 0;
  std::uint16_t offset = 0;
  bool operator==(const Sent&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Sent& s) {
  return os << "{0x" << std::hex << int(s.command) << std::dec << ", " << int(s.length) << ", " << s.offset << "}";
}

// Interface-name prefix of the next rig's emulator: one counter for every
// kind, so no two rigs in a test program share an interface name.
inline std::string nextRigPrefix() {
  static int serial = 0;
  return "rig" + std::to_string(++serial) + "-";
}

template <sim::DeviceKind Kind>
class EmulatorRig : public ::testing::Test {
 protected:
  void SetUp() override {
    emulator = sim::makeEmulator(Kind, sim::inProcessPresence(), nextRigPrefix());
    ASSERT_TRUE(emulator->plug());
    ch.setTimeouts(kTimeoutMs, kTimeoutMs);
    ASSERT_TRUE(ch.openPath(sim::test::commandPath(*emulator)));
    dbg::setCapture([this](const std::string& line) {
      std::lock_guard<std::mutex> lock(mutex_);
      lines_.push_back(line);
    });
  }
  void TearDown() override {
    dbg::setCapture({});
    ch.closeChannel();
    EXPECT_EQ(emulator->violations(), 0u) << violationText();
    emulator.reset();
  }

  // The requests sent since the last clear, in order (from the channel's
  // debug lines: "命令" and then the packet in hexadecimal).
  std::vector<Sent> sent() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Sent> out;
    for (std::size_t i = 0; i + 1 < lines_.size(); ++i) {
      if (lines_[i] != "命令") continue;
      std::istringstream hex(lines_[i + 1]);
      unsigned b[7] = {};
      for (unsigned& v : b) hex >> std::hex >> v;
      out.push_back({std::uint8_t(b[3]), std::uint8_t(b[4]), std::uint16_t(b[5] | b[6] << 8)});
    }
    return out;
  }
  void clearSent() {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.clear();
  }
  std::string violationText() const {
    std::string text;
    for (const auto& v : emulator->firmware().violationLog()) text += v + "\n";
    return text;
  }
  std::vector<std::uint8_t> settingsMemory() const { return emulator->firmware().memory(sim::Area::Settings); }

  static constexpr int kTimeoutMs = 2000;
  std::unique_ptr<sim::Emulator> emulator;
  transport::HidChannel ch;

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace kavro::devices::test
