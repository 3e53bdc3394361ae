#pragma once
// Shared set-up of the keyboard device tests: a Qt application, a temporary
// user data folder, a plugged keyboard emulator and a recorder of the
// command requests the program sends (from the channel's debug lines).
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "devices/keyboard/keyboard_device.h"
#include "sim/emulator.h"

namespace kavro::test {

// One command request as sent: command byte, length and offset.
struct SentCommand {
  uint8_t command = 0;
  uint8_t length = 0;
  uint16_t offset = 0;
  bool operator==(const SentCommand&) const = default;
};
std::ostream& operator<<(std::ostream& os, const SentCommand& c);

// Captures every debug line; parses the requests out of the "命令" lines.
class DebugRecorder {
 public:
  DebugRecorder();
  ~DebugRecorder();
  std::vector<SentCommand> commands();
  // The commands, with runs of one command (chunks of a transfer) merged.
  std::vector<uint8_t> commandOrder();
  std::vector<std::string> lines();
  bool sawLine(const std::string& line);
  void clear();

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

class KeyboardDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A keyboard device object without a page, configured as the manager does.
  std::unique_ptr<devices::CHalvionKeyboardDevice> makeDevice();
  // Opens the device's channel on the emulator's command interface.
  void open(devices::CHalvionKeyboardDevice& d);
  // Waits until the device's queued command sequences have run and their
  // results have been handled.
  void settle(devices::CHalvionKeyboardDevice& d);
  // First connect, waited for.
  void connectDevice(devices::CHalvionKeyboardDevice& d);
  // Writes a settings block into the emulator's memory at slot s.
  void putBlock(devices::CHalvionKeyboardDevice& d, uint8_t slot, const keyboard::SettingsBlock& block);
  std::string userFolder() const;

  std::unique_ptr<sim::Emulator> emulator_;
  DebugRecorder recorder_;
  QTemporaryDir dataHome_;
};

}  // namespace kavro::test
