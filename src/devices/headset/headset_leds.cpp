#include "devices/headset/headset_leds.h"

#include <algorithm>

namespace kavro::headset {
namespace {

struct ReportSlot {
  std::uint8_t group;
  std::uint8_t channel;
};

// The order the reports go out in.
constexpr std::array<ReportSlot, kLedReportCount> kReportOrder = {{
    {kGroupA, kRedLow},   {kGroupA, kRedHigh},   {kGroupB, kRedLow},   {kGroupB, kRedHigh},
    {kGroupA, kGreenLow}, {kGroupA, kGreenHigh}, {kGroupB, kGreenLow}, {kGroupB, kGreenHigh},
    {kGroupA, kBlueLow},  {kGroupA, kBlueHigh},  {kGroupB, kBlueLow},  {kGroupB, kBlueHigh},
}};

bool isHighHalf(std::uint8_t channel) { return channel >= kRedHigh; }

std::uint8_t componentOf(const LedValue& v, std::uint8_t channel) {
  switch (channel) {
    case kRedLow:
    case kRedHigh: return v.red;
    case kGreenLow:
    case kGreenHigh: return v.green;
    default: return v.blue;
  }
}

}  // namespace

std::uint8_t ledComponent(std::uint8_t component, std::uint8_t brightness) {
  return static_cast<std::uint8_t>(std::min<unsigned>(component * brightness / 256u, kMaxLedValue));
}

LedValues ledValues(const std::vector<lighting::LedColor>& frame) {
  LedValues values{};
  const std::size_t n = std::min(frame.size(), kLedCount);
  for (std::size_t m = 0; m < n; ++m) {
    const lighting::LedColor& c = frame[m];
    values[m] = {ledComponent(c.red, c.brightness), ledComponent(c.green, c.brightness),
                 ledComponent(c.blue, c.brightness)};
  }
  return values;
}

LedReport ledReport(std::uint8_t group, std::uint8_t channel, const LedValues& values) {
  LedReport r{};
  r[kLrReportId] = kLedReportId;
  r[kLrGroup] = group;
  r[kLrChannel] = channel;
  r[kLrZero] = 0;
  const std::size_t first = isHighHalf(channel) ? kLowHalfLeds : 0;
  const std::size_t last = isHighHalf(channel) ? kLedCount : kLowHalfLeds;
  for (std::size_t m = first; m < last; ++m) r[kLrValues + m - first] = componentOf(values[m], channel);
  return r;
}

LedReports ledReports(const LedValues& values) {
  LedReports reports{};
  for (std::size_t i = 0; i < kLedReportCount; ++i)
    reports[i] = ledReport(kReportOrder[i].group, kReportOrder[i].channel, values);
  return reports;
}

LedFrameResult sendLedReports(const LedReports& reports, const ReportWriter& write) {
  LedFrameResult result;
  for (const LedReport& report : reports) {
    const int r = write(report);
    if (r == transport::kResultOk) {
      ++result.sent;
      continue;
    }
    if (result.failed++ == 0) result.firstFailure = r;
  }
  return result;
}

LedFrameResult sendLedFrame(transport::HidChannel& ch, const std::vector<lighting::LedColor>& frame) {
  if (!ch.isConnected()) return {};
  return sendLedReports(ledReports(ledValues(frame)), [&ch](const LedReport& report) {
    return ch.writeOutputReport(report.data(), report.size());
  });
}

}  // namespace kavro::headset
