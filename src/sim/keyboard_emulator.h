#pragma once
// The keyboard, 0x0C45:0x7666.
//   interface 0: boot keyboard (no report ids): 8-byte key reports, 1-byte lamp output
//   interface 1: the four collections of descriptors.h; key presses and
//                releases are reported on col03 as usages 0x500 + key / 0x600 + key
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sim/emulator.h"

namespace kavro::sim {

constexpr uint16_t kKeyboardVid = 0x0C45;
constexpr uint16_t kKeyboardPid = 0x7666;
constexpr uint16_t kUsageKeyPress = 0x500;    // + device key
constexpr uint16_t kUsageKeyRelease = 0x600;  // + device key

namespace kbd {
constexpr unsigned kSlots = 4;
constexpr size_t kSlotStride = 25;      // block of slot s at s x 25
constexpr size_t kBlockSize = 26;
constexpr size_t kSettingsSize = 128;
constexpr size_t kZzccMode = 18;        // block bytes beyond the common lighting bytes
constexpr size_t kWFlag = 19;
constexpr size_t kKey6Flag = 20;
constexpr size_t kWinFlag = 21;
constexpr size_t kPollingRate = 22;
constexpr size_t kCustomGroup = 25;
constexpr uint8_t kCustomEffect = 20;   // shows the colour bank selected by kCustomGroup
constexpr unsigned kColorBanks = 8;
constexpr uint8_t kMacroUnits = 72;     // 9216 bytes
constexpr unsigned kFrameLeds = 126;    // streamed frames cover every key position
}  // namespace kbd

std::vector<uint8_t> bootKeyboardDescriptor();
FirmwareConfig keyboardConfig();
// The 8-byte boot report (modifiers, reserved, six usages) for the pressed
// device keys under the given key table; more than six usages report rollover.
std::array<uint8_t, 8> bootKeyboardReport(const std::set<unsigned>& pressed, const std::vector<uint8_t>& keyTable);

class KeyboardEmulator final : public Emulator {
 public:
  KeyboardEmulator(std::shared_ptr<Presence> presence, const std::string& namePrefix);
  ~KeyboardEmulator() override;
  bool pressKey(unsigned deviceKey) override;
  bool releaseKey(unsigned deviceKey) override;
  uint8_t lamps() const;  // Num/Caps/Scroll lock lamps last set by the host

 protected:
  void onOtherReport(unsigned index, const uint8_t* data, size_t len) override;

 private:
  bool sendKeys(unsigned deviceKey, bool press);
  unsigned bootIndex_ = 0;
  mutable std::mutex keysMutex_;
  std::set<unsigned> pressed_;
  uint8_t lamps_ = 0;
};

std::unique_ptr<Emulator> makeKeyboard(std::shared_ptr<Presence> presence, const std::string& namePrefix);

}  // namespace kavro::sim
