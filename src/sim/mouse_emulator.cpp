#include "sim/mouse_emulator.h"

#include "sim/descriptors.h"

namespace kavro::sim {

namespace {

constexpr uint8_t kBootMouse[] = {
    0x05, 0x01,  // Usage Page (Generic Desktop)
    0x09, 0x02,  // Usage (Mouse)
    0xA1, 0x01,  // Collection (Application)
    0x09, 0x01,  //   Usage (Pointer)
    0xA1, 0x00,  //   Collection (Physical)
    0x05, 0x09,  //     Usage Page (Button)
    0x19, 0x01,  //     Usage Minimum (1)
    0x29, 0x05,  //     Usage Maximum (5)
    0x15, 0x00,  //     Logical Minimum (0)
    0x25, 0x01,  //     Logical Maximum (1)
    0x75, 0x01,  //     Report Size (1)
    0x95, 0x05,  //     Report Count (5)
    0x81, 0x02,  //     Input (Data, Variable, Absolute): buttons
    0x75, 0x03,  //     Report Size (3)
    0x95, 0x01,  //     Report Count (1)
    0x81, 0x01,  //     Input (Constant): padding
    0x05, 0x01,  //     Usage Page (Generic Desktop)
    0x09, 0x30,  //     Usage (X)
    0x09, 0x31,  //     Usage (Y)
    0x09, 0x38,  //     Usage (Wheel)
    0x15, 0x81,  //     Logical Minimum (-127)
    0x25, 0x7F,  //     Logical Maximum (127)
    0x75, 0x08,  //     Report Size (8)
    0x95, 0x03,  //     Report Count (3)
    0x81, 0x06,  //     Input (Data, Variable, Relative)
    0xC0,        //   End Collection
    0xC0,        // End Collection
};

// The mouse's buttons in the firmware's own order, with their factory codes.
constexpr uint8_t kButtons[][3] = {
    {0x10, 0x01, 0x00},  // left
    {0x10, 0x02, 0x00},  // right
    {0x10, 0x04, 0x00},  // middle
    {0x10, 0x08, 0x00},  // back
    {0x10, 0x10, 0x00},  // forward
    {0x13, 0x03, 0x00},  // DPI loop
    {0x13, 0x01, 0x00},  // DPI up
    {0x13, 0x02, 0x00},  // DPI down
    {0x16, 0x90, 0x01},  // M8
    {0xA0, 0x1B, 0x00},  // game mode
};

constexpr uint16_t kStageDpi[mouse::kStageCount] = {400, 800, 1600, 3200, 6400};
constexpr Rgb kStageColor[mouse::kStageCount] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {255, 0, 255}};

void putLe16(std::vector<uint8_t>& m, size_t at, uint16_t v) {
  m[at] = static_cast<uint8_t>(v & 0xFF);
  m[at + 1] = static_cast<uint8_t>(v >> 8);
}

void putBlock(std::vector<uint8_t>& m, size_t at, uint8_t effect) {
  m[at + block::kEffect] = effect;
  m[at + block::kBrightness] = kFactoryBrightness;
  m[at + block::kSpeed] = 2;
  m[at + block::kDirection] = 1;
  m[at + block::kMultiColor] = 1;
  m[at + block::kRed] = 255;
  m[at + mouse::kPollingRate] = 3;
  m[at + mouse::kDpiStage] = 1;
  for (size_t i = 0; i < mouse::kStageCount; ++i) {
    const size_t s = at + mouse::kStages + i * mouse::kStageSize;
    const auto slider = static_cast<uint16_t>(kStageDpi[i] / mouse::kDpiStep);
    m[s] = 1;  // active
    m[s + 1] = 0;  // same DPI on both axes
    putLe16(m, s + 2, slider);
    putLe16(m, s + 4, slider);
    m[s + 6] = kStageColor[i].r;
    m[s + 7] = kStageColor[i].g;
    m[s + 8] = kStageColor[i].b;
  }
  m[at + mouse::kScreenFlag] = 1;
  putLe16(m, at + mouse::kScreenWidth, 1920);
  putLe16(m, at + mouse::kScreenHeight, 1080);
}

}  // namespace

std::vector<uint8_t> bootMouseDescriptor() { return {std::begin(kBootMouse), std::end(kBootMouse)}; }

FirmwareConfig mouseConfig() {
  FirmwareConfig c;
  c.kind = "mouse";
  constexpr size_t keyCount = sizeof kButtons / sizeof kButtons[0];
  c.info[info::kFirmwareLo] = 0x02;
  c.info[info::kFirmwareHi] = 0x01;
  c.info[info::kDeviceType] = 2;
  c.info[info::kSlotCount] = mouse::kSlots;
  c.info[info::kFrameLeds] = mouse::kLeds;
  c.info[info::kKeyCount] = keyCount;
  c.info[info::kMacroUnits] = mouse::kMacroUnits;
  c.info[info::kDpiStep] = mouse::kDpiStep;
  c.info[info::kDpiMaxLo] = mouse::kDpiMaxSlider & 0xFF;
  c.info[info::kDpiMaxHi] = mouse::kDpiMaxSlider >> 8;
  c.info[info::kDpiMinLo] = mouse::kDpiMin & 0xFF;
  c.info[info::kDpiMinHi] = mouse::kDpiMin >> 8;
  c.settings.assign(mouse::kSettingsSize, 0);
  const uint8_t effects[mouse::kSlots] = {0, 2, 5, 1};
  for (unsigned s = 0; s < mouse::kSlots; ++s) putBlock(c.settings, s * mouse::kSlotStride, effects[s]);
  c.settings[block::kSlotByte] = 0;
  c.slotCount = mouse::kSlots;
  c.slotStride = mouse::kSlotStride;
  c.blockSize = mouse::kBlockSize;
  for (const auto& b : kButtons) c.keyTable.insert(c.keyTable.end(), b, b + 3);
  c.macroSize = size_t{mouse::kMacroUnits} * info::kMacroUnitSize;
  c.frameLeds = mouse::kLeds;
  c.status = {85, 2, 0, 1, 0, 0};  // 85 %, on battery, wireless, normal
  c.commands = {wire::kBeginConfig,   wire::kEndConfig,     wire::kReadInfo,    wire::kReadSettings,
                wire::kWriteSettings, wire::kReadKeyTable,  wire::kWriteKeyTable, wire::kStreamFrame,
                wire::kExitNotice,    wire::kWriteMacro,    wire::kReadStatus,  wire::kQueryLink};
  return c;
}

MouseEmulator::MouseEmulator(std::shared_ptr<Presence> presence, const std::string& namePrefix)
    : Emulator(DeviceKind::Mouse, mouseConfig(), std::move(presence), namePrefix) {
  addInterface(0, kMouseVid, kMousePid, bootMouseDescriptor());
  const unsigned vendor = addInterface(1, kMouseVid, kMousePid, vendorInterfaceDescriptor());
  setCommandInterface(vendor);
  setNotify(vendor, kReportNotify);
}

MouseEmulator::~MouseEmulator() { shutdown(); }

std::unique_ptr<Emulator> makeMouse(std::shared_ptr<Presence> presence, const std::string& namePrefix) {
  return std::make_unique<MouseEmulator>(std::move(presence), namePrefix);
}

}  // namespace kavro::sim
