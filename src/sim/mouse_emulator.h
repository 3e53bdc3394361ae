#pragma once
// The mouse, 0x0000:0x0000 (the identity the program's tables carry).
//   interface 0: boot mouse (no report ids)
//   interface 1: the four collections of descriptors.h (notify on col03,
//                commands on col04). A mouse reports no key events.
// It answers like a wireless mouse behind its receiver: offline, every command
// but queryLink is answered busy (0xFE).
#include <memory>
#include <string>
#include <vector>

#include "sim/emulator.h"

namespace kavro::sim {

constexpr uint16_t kMouseVid = 0x0000;
constexpr uint16_t kMousePid = 0x0000;

namespace mouse {
constexpr unsigned kSlots = 4;
constexpr size_t kSlotStride = 128;   // block of slot s at s x 128
constexpr size_t kBlockSize = 71;     // read size; the host writes the first 66
constexpr size_t kSettingsSize = 512;
constexpr size_t kPollingRate = 11;   // polling rate index
constexpr size_t kDpiStage = 12;      // current DPI stage
constexpr size_t kStages = 14;        // five 9-byte DPI stages from here
constexpr size_t kStageSize = 9;      // active, xy, x lo/hi, y lo/hi, r, g, b
constexpr size_t kStageCount = 5;
constexpr size_t kScreenFlag = 59;    // 1: screen size follows
constexpr size_t kScreenWidth = 60;   // 16-bit little endian
constexpr size_t kScreenHeight = 62;
constexpr uint8_t kDpiStep = 50;      // DPI per slider step
constexpr uint16_t kDpiMaxSlider = 320;  // 16000 DPI
constexpr uint16_t kDpiMin = 100;
constexpr unsigned kLeds = 6;          // LEDs of a streamed frame: the light count of the mouse page
constexpr uint8_t kMacroUnits = 72;
}  // namespace mouse

std::vector<uint8_t> bootMouseDescriptor();
FirmwareConfig mouseConfig();

class MouseEmulator final : public Emulator {
 public:
  MouseEmulator(std::shared_ptr<Presence> presence, const std::string& namePrefix);
  ~MouseEmulator() override;
};

std::unique_ptr<Emulator> makeMouse(std::shared_ptr<Presence> presence, const std::string& namePrefix);

}  // namespace kavro::sim
