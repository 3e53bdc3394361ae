#include "sim/mousepad_emulator.h"

#include "sim/descriptors.h"

namespace kavro::sim {

void putPadBlocks(std::vector<uint8_t>& m, unsigned slots, const uint8_t* effects) {
  for (unsigned s = 0; s < slots; ++s) {
    const size_t at = s * pad::kSlotStride;
    m[at + block::kEffect] = effects[s];
    m[at + block::kBrightness] = kFactoryBrightness;
    m[at + block::kSpeed] = 2;
    m[at + block::kDirection] = 1;
    m[at + block::kMultiColor] = 1;
    m[at + block::kRed] = 0;
    m[at + block::kGreen] = 128;
    m[at + block::kBlue] = 255;
    // The device's own values (zone calibration): distinct within a block and
    // from slot to slot, so that a host that does not send them back
    // unchanged, or sends another slot's, is easy to see.
    for (size_t i = 0; i < pad::kDeviceByteCount; ++i)
      m[at + pad::kDeviceBytes + i] = static_cast<uint8_t>(pad::kDeviceByteBase + s * pad::kDeviceByteSlotStep + i);
  }
  m[block::kSlotByte] = 0;
}

FirmwareConfig padFamilyConfig(const char* kind, uint8_t firmwareLo, uint8_t firmwareHi, uint8_t deviceType,
                               uint8_t leds, const uint8_t (&effects)[pad::kSlots]) {
  FirmwareConfig c;
  c.kind = kind;
  c.info[info::kFirmwareLo] = firmwareLo;
  c.info[info::kFirmwareHi] = firmwareHi;
  c.info[info::kDeviceType] = deviceType;
  c.info[info::kSlotCount] = pad::kSlots;
  c.info[info::kFrameLeds] = leds;
  c.settings.assign(pad::kSettingsSize, 0);
  putPadBlocks(c.settings, pad::kSlots, effects);
  c.slotCount = pad::kSlots;
  c.slotStride = pad::kSlotStride;
  c.blockSize = pad::kBlockSize;
  c.frameLeds = leds;
  c.status = {100, 0, 0, 0, 0, 0};  // powered from USB, no phone on a charging pad
  c.commands = {wire::kBeginConfig, wire::kEndConfig,  wire::kReadInfo,   wire::kReadSettings, wire::kWriteSettings,
                wire::kStreamFrame, wire::kExitNotice, wire::kReadStatus, wire::kQueryLink};
  return c;
}

FirmwareConfig mousepadConfig() {
  const uint8_t effects[pad::kSlots] = {0, 1, 2, 6};
  return padFamilyConfig("mousepad", 0x01, 0x01, 3, pad::kLeds, effects);
}

MousepadEmulator::MousepadEmulator(std::shared_ptr<Presence> presence, const std::string& namePrefix)
    : Emulator(DeviceKind::Mousepad, mousepadConfig(), std::move(presence), namePrefix) {
  const unsigned vendor = addInterface(1, kMousepadVid, kMousepadPid, vendorInterfaceDescriptor());
  setCommandInterface(vendor);
  setNotify(vendor, kReportNotify);
}

MousepadEmulator::~MousepadEmulator() { shutdown(); }

std::unique_ptr<Emulator> makeMousepad(std::shared_ptr<Presence> presence, const std::string& namePrefix) {
  return std::make_unique<MousepadEmulator>(std::move(presence), namePrefix);
}

}  // namespace kavro::sim
