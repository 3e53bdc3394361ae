#pragma once
// The headset's 13 LEDs, driven straight from the preview frame with HID
// output reports on the command interface: twelve 17-byte reports per frame,
// one per LED group (0x22, 0x44), colour and half (LEDs 0-6, 7-12).
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "devices/lighting/engine.h"
#include "transport/hid_channel.h"

namespace kavro::headset {

inline constexpr std::size_t kLedCount = 13;
inline constexpr std::size_t kLowHalfLeds = 7;  // LEDs 0..6; the high half is 7..12
inline constexpr std::uint8_t kMaxLedValue = 247;

// Report bytes.
inline constexpr std::size_t kLedReportSize = 17;
inline constexpr std::size_t kLrReportId = 0;
inline constexpr std::size_t kLrGroup = 1;
inline constexpr std::size_t kLrChannel = 2;    // colour and half
inline constexpr std::size_t kLrZero = 3;
inline constexpr std::size_t kLrValues = 4;     // 7 values (low half) or 6 and a 0 (high half)
inline constexpr std::uint8_t kLedReportId = 0xFF;
inline constexpr std::uint8_t kGroupA = 0x22;
inline constexpr std::uint8_t kGroupB = 0x44;
inline constexpr std::uint8_t kRedLow = 0xAA;
inline constexpr std::uint8_t kGreenLow = 0xAB;
inline constexpr std::uint8_t kBlueLow = 0xAC;
inline constexpr std::uint8_t kRedHigh = 0xAD;
inline constexpr std::uint8_t kGreenHigh = 0xAE;
inline constexpr std::uint8_t kBlueHigh = 0xAF;

using LedReport = std::array<std::uint8_t, kLedReportSize>;
inline constexpr std::size_t kLedReportCount = 12;
using LedReports = std::array<LedReport, kLedReportCount>;

// What one LED is sent: each component is the frame's component x the LED's
// brightness / 256, capped at 247.
struct LedValue {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const LedValue&) const = default;
};
using LedValues = std::array<LedValue, kLedCount>;

std::uint8_t ledComponent(std::uint8_t component, std::uint8_t brightness);
// The values of a frame; LEDs the frame lacks are sent dark, entries past
// the 13th are not sent.
LedValues ledValues(const std::vector<lighting::LedColor>& frame);

// One report: group, channel (kRedLow..kBlueHigh) and that channel's values.
LedReport ledReport(std::uint8_t group, std::uint8_t channel, const LedValues& values);
// The twelve reports in the order they go out: red low and high for group
// 0x22, then for 0x44; then green; then blue.
LedReports ledReports(const LedValues& values);

// What sending a frame did.
struct LedFrameResult {
  std::size_t sent = 0;      // reports written
  std::size_t failed = 0;    // reports whose write failed
  int firstFailure = 0;      // the result of the first failed write, 0 when none failed
  bool ok() const { return failed == 0 && sent == kLedReportCount; }
  bool operator==(const LedFrameResult&) const = default;
};

// Writes one report; returns a transport result (transport::kResultOk on success).
using ReportWriter = std::function<int(const LedReport&)>;

// Writes every report in order; a failed one does not stop the others.
LedFrameResult sendLedReports(const LedReports& reports, const ReportWriter& write);
// The frame's reports as output reports on the command channel. A closed
// channel sends nothing (nothing sent, nothing failed).
LedFrameResult sendLedFrame(transport::HidChannel& ch, const std::vector<lighting::LedColor>& frame);

}  // namespace kavro::headset
