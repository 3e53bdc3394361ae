#include "sim/headset_emulator.h"

#include "platform/event.h"
#include "sim/descriptors.h"
#include "sim/mousepad_emulator.h"

namespace kavro::sim {

namespace {

constexpr uint8_t kHeadsetDescriptor[] = {
    0x05, 0x0C,        // Usage Page (Consumer)
    0x09, 0x01,        // Usage (Consumer Control)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x01,        //   Report ID (1)
    0x19, 0x01,        //   Usage Minimum (1)
    0x2A, 0xFF, 0x07,  //   Usage Maximum (0x7FF)
    0x15, 0x01,        //   Logical Minimum (1)
    0x26, 0xFF, 0x07,  //   Logical Maximum (0x7FF)
    0x75, 0x10,        //   Report Size (16)
    0x95, 0x01,        //   Report Count (1)
    0x81, 0x00,        //   Input (Data, Array, Absolute): one consumer usage, 0 = none
    0x85, 0x04,        //   Report ID (4)
    0x06, 0x1C, 0xFF,  //   Usage Page (Vendor 0xFF1C)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x3F,        //   Report Count (63)
    0x09, 0x01,        //   Usage (0x01): answer bytes
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0x09, 0x02,        //   Usage (0x02): request bytes
    0x91, 0x02,        //   Output (Data, Variable, Absolute)
    0x85, 0xFF,        //   Report ID (0xFF)
    0x95, 0x10,        //   Report Count (16)
    0x09, 0x03,        //   Usage (0x03): LED values
    0x91, 0x02,        //   Output (Data, Variable, Absolute)
    0xC0,              // End Collection
};

}  // namespace

std::vector<uint8_t> headsetDescriptor() { return {std::begin(kHeadsetDescriptor), std::end(kHeadsetDescriptor)}; }

FirmwareConfig headsetConfig() {
  const uint8_t effects[pad::kSlots] = {0, 2, 6, 7};
  return padFamilyConfig("headset", 0x02, 0x10, 7, headset::kLeds, effects);
}

bool applyHeadsetLedReport(const uint8_t* d, size_t len, HeadsetLeds& leds, std::string* why) {
  using namespace headset;
  auto fail = [why](const std::string& text) {
    if (why != nullptr) *why = "LED report: " + text;
    return false;
  };
  if (len < kLedReportSize || len > wire::kPacketSize) return fail(std::to_string(len) + " bytes");
  if (d[0] != kReportLeds) return fail("report id");
  if (d[kOffGroup] != kGroupA && d[kOffGroup] != kGroupB) return fail("LED group");
  const uint8_t channel = d[kOffChannel];
  if (channel < kRedLow || channel > kBlueHigh) return fail("colour byte");
  if (d[kOffZero] != 0) return fail("byte 3 not 0");
  const bool high = channel >= kRedHigh;
  const size_t first = high ? kFirstHalf : 0;
  const size_t count = high ? kLeds - kFirstHalf : kFirstHalf;
  for (size_t i = kOffValues + count; i < len; ++i) {
    if (d[i] != 0) return fail("byte " + std::to_string(i) + " not 0");
  }
  for (size_t i = 0; i < count; ++i) {
    if (d[kOffValues + i] > kMaxValue) return fail("value above 247");
  }
  HeadsetGroupLeds& g = leds.groups[d[kOffGroup] == kGroupA ? 0 : 1];
  const unsigned colour = (channel - kRedLow) % 3;  // 0 red, 1 green, 2 blue
  for (size_t i = 0; i < count; ++i) {
    Rgb& led = g[first + i];
    (colour == 0 ? led.r : colour == 1 ? led.g : led.b) = d[kOffValues + i];
  }
  ++leds.reports;
  leds.recent.push_back({d[kOffGroup], channel});
  if (leds.recent.size() > HeadsetLeds::kReportLog) leds.recent.erase(leds.recent.begin());
  return true;
}

HeadsetEmulator::HeadsetEmulator(std::shared_ptr<Presence> presence, const std::string& namePrefix)
    : Emulator(DeviceKind::Headset, headsetConfig(), std::move(presence), namePrefix) {
  const unsigned iface = addInterface(3, kHeadsetVid, kHeadsetPid, headsetDescriptor());
  setCommandInterface(iface);
  setNotify(iface, headset::kReportButtons);
}

HeadsetEmulator::~HeadsetEmulator() { shutdown(); }

void HeadsetEmulator::onOtherReport(unsigned index, const uint8_t* data, size_t len) {
  if (len > 0 && data[0] == headset::kReportLeds) {
    std::string why;
    {
      std::lock_guard<std::mutex> lock(ledMutex_);
      if (applyHeadsetLedReport(data, len, leds_, &why)) {
        leds_.lastReportMs = tickMs();
        return;
      }
    }
    firmware().noteViolation(why);
    return;
  }
  Emulator::onOtherReport(index, data, len);
}

HeadsetLeds HeadsetEmulator::leds() const {
  std::lock_guard<std::mutex> lock(ledMutex_);
  return leds_;
}

LedView HeadsetEmulator::ledView() const {
  const HeadsetLeds leds = this->leds();
  if (leds.reports == 0 || tickMs() - leds.lastReportMs >= kStreamHoldMs) return Emulator::ledView();
  LedView view;
  view.source = LedView::Source::Reports;
  for (const auto& group : leds.groups) view.leds.insert(view.leds.end(), group.begin(), group.end());
  return view;
}

std::unique_ptr<Emulator> makeHeadset(std::shared_ptr<Presence> presence, const std::string& namePrefix) {
  return std::make_unique<HeadsetEmulator>(std::move(presence), namePrefix);
}

}  // namespace kavro::sim
