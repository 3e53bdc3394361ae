#include "keyboard_device_fixture.h"

#include <cstdlib>
#include <ostream>
#include <sstream>

#include "platform/debug.h"
#include "profiles/profile_paths.h"
#include "sim/sim_test_util.h"
#include "skin/qt_app.h"
#include "transport/command_set.h"

namespace kavro::test {

std::ostream& operator<<(std::ostream& os, const SentCommand& c) {
  return os << "{cmd " << int(c.command) << ", len " << int(c.length) << ", off " << c.offset << "}";
}

DebugRecorder::DebugRecorder() {
  dbg::setCapture([this](const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(line);
  });
}

DebugRecorder::~DebugRecorder() { dbg::setCapture({}); }

std::vector<std::string> DebugRecorder::lines() {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

bool DebugRecorder::sawLine(const std::string& line) {
  for (const auto& l : lines()) {
    if (l == line) return true;
  }
  return false;
}

void DebugRecorder::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  lines_.clear();
}

std::vector<SentCommand> DebugRecorder::commands() {
  std::vector<SentCommand> out;
  const auto all = lines();
  for (size_t i = 0; i + 1 < all.size(); ++i) {
    if (all[i] != "命令") continue;
    std::istringstream hex(all[i + 1]);
    unsigned b[7] = {};
    for (unsigned& v : b) hex >> std::hex >> v;
    out.push_back({uint8_t(b[3]), uint8_t(b[4]), uint16_t(b[5] | b[6] << 8)});
  }
  return out;
}

std::vector<uint8_t> DebugRecorder::commandOrder() {
  std::vector<uint8_t> out;
  for (const auto& c : commands()) {
    if (out.empty() || out.back() != c.command) out.push_back(c.command);
  }
  return out;
}

void KeyboardDeviceTest::SetUp() {
  qtApp();
  ASSERT_TRUE(dataHome_.isValid());
  setenv("XDG_DATA_HOME", dataHome_.path().toUtf8().constData(), 1);
  static int serial = 0;
  emulator_ = sim::makeEmulator(sim::DeviceKind::Keyboard, sim::inProcessPresence(),
                                "kbdev" + std::to_string(++serial) + "-");
  ASSERT_TRUE(emulator_->plug());
}

void KeyboardDeviceTest::TearDown() {
  if (emulator_) EXPECT_EQ(emulator_->violations(), 0u);
  emulator_.reset();
}

std::unique_ptr<devices::CHalvionKeyboardDevice> KeyboardDeviceTest::makeDevice() {
  auto d = std::make_unique<devices::CHalvionKeyboardDevice>();
  d->setKeyCount(126);
  d->setLightCount(126);
  d->setTypeName(profiles::kKeyboardTypeName);
  d->setLightFilePrefix(profiles::kLightConfigBaseName);
  return d;
}

void KeyboardDeviceTest::open(devices::CHalvionKeyboardDevice& d) {
  const std::string path = sim::test::commandPath(*emulator_);
  ASSERT_FALSE(path.empty());
  ASSERT_TRUE(d.channel.openPath(path));
}

void KeyboardDeviceTest::settle(devices::CHalvionKeyboardDevice& d) { ASSERT_TRUE(d.waitForCommands(20000)); }

void KeyboardDeviceTest::connectDevice(devices::CHalvionKeyboardDevice& d) {
  d.onConnected();
  settle(d);
}

void KeyboardDeviceTest::putBlock(devices::CHalvionKeyboardDevice& d, uint8_t slot,
                                  const keyboard::SettingsBlock& block) {
  ASSERT_EQ(transport::writeSettings(d.channel, block.data(), block.size(), keyboard::settingsBlockAddress(slot)),
            transport::kCmdOk);
}

std::string KeyboardDeviceTest::userFolder() const {
  return profiles::deviceProfileFolder(profiles::kKeyboardTypeName);
}

}  // namespace kavro::test
