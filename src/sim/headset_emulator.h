#pragma once
// The headset, 0x0D8C:0x01DA.
//   interface 3: one top-level collection, consumer control (usage page 0x000C,
//   usage 0x0001), carrying
//     report id 1    input   one consumer usage (buttons, device notices)
//     report id 4    in/out  the 64-byte command reports
//     report id 0xFF output  16 bytes after the id: one LED output report
// Its 13 LEDs take their colours from the LED output reports; two LED groups
// (0x22, 0x44) are kept. Settings are laid out as the mousepad's.
#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sim/emulator.h"

namespace kavro::sim {

constexpr uint16_t kHeadsetVid = 0x0D8C;
constexpr uint16_t kHeadsetPid = 0x01DA;

namespace headset {
constexpr uint8_t kReportButtons = 1;
constexpr uint8_t kReportLeds = 0xFF;
constexpr size_t kLedReportSize = 17;  // id byte included
constexpr unsigned kLeds = 13;
constexpr unsigned kFirstHalf = 7;     // LEDs 0..6 in one report, 7..12 in the next
constexpr uint8_t kGroupA = 0x22;
constexpr uint8_t kGroupB = 0x44;
constexpr uint8_t kMaxValue = 247;
// LED report bytes.
constexpr size_t kOffGroup = 1;
constexpr size_t kOffChannel = 2;  // colour and half, kRedLow..kBlueHigh
constexpr size_t kOffZero = 3;
constexpr size_t kOffValues = 4;   // 7 values (LEDs 0-6) or 6 values and a 0 (LEDs 7-12)
constexpr size_t kValueBytes = 7;
constexpr uint8_t kRedLow = 0xAA, kGreenLow = 0xAB, kBlueLow = 0xAC;
constexpr uint8_t kRedHigh = 0xAD, kGreenHigh = 0xAE, kBlueHigh = 0xAF;
}  // namespace headset

using HeadsetGroupLeds = std::array<Rgb, headset::kLeds>;
// Which report arrived: its LED group and colour-and-half byte.
struct HeadsetLedReportId {
  uint8_t group = 0;
  uint8_t channel = 0;
  bool operator==(const HeadsetLedReportId&) const = default;
};
struct HeadsetLeds {
  std::array<HeadsetGroupLeds, 2> groups{};  // 0x22, 0x44
  uint64_t reports = 0;
  uint64_t lastReportMs = 0;
  // The accepted reports in the order they arrived, the last kReportLog.
  static constexpr size_t kReportLog = 48;
  std::vector<HeadsetLedReportId> recent;
};

std::vector<uint8_t> headsetDescriptor();
FirmwareConfig headsetConfig();
// Applies one LED output report; false (state unchanged) with a reason when
// the report breaks the format.
bool applyHeadsetLedReport(const uint8_t* data, size_t len, HeadsetLeds& leds, std::string* why);

class HeadsetEmulator final : public Emulator {
 public:
  HeadsetEmulator(std::shared_ptr<Presence> presence, const std::string& namePrefix);
  ~HeadsetEmulator() override;
  HeadsetLeds leds() const;
  // LED reports received in the last second win; else the firmware's view.
  LedView ledView() const override;

 protected:
  void onOtherReport(unsigned index, const uint8_t* data, size_t len) override;

 private:
  mutable std::mutex ledMutex_;
  HeadsetLeds leds_;
};

std::unique_ptr<Emulator> makeHeadset(std::shared_ptr<Presence> presence, const std::string& namePrefix);

}  // namespace kavro::sim
