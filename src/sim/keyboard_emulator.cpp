#include "sim/keyboard_emulator.h"

#include "sim/descriptors.h"
#include "sim/keyboard_layout.h"

namespace kavro::sim {

namespace {

constexpr uint8_t kBootKeyboard[] = {
    0x05, 0x01,        // Usage Page (Generic Desktop)
    0x09, 0x06,        // Usage (Keyboard)
    0xA1, 0x01,        // Collection (Application)
    0x05, 0x07,        //   Usage Page (Keyboard/Keypad)
    0x19, 0xE0,        //   Usage Minimum (Left Control)
    0x29, 0xE7,        //   Usage Maximum (Right GUI)
    0x15, 0x00,        //   Logical Minimum (0)
    0x25, 0x01,        //   Logical Maximum (1)
    0x75, 0x01,        //   Report Size (1)
    0x95, 0x08,        //   Report Count (8)
    0x81, 0x02,        //   Input (Data, Variable, Absolute): modifier byte
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x01,        //   Report Count (1)
    0x81, 0x01,        //   Input (Constant): reserved byte
    0x05, 0x08,        //   Usage Page (LEDs)
    0x19, 0x01,        //   Usage Minimum (Num Lock)
    0x29, 0x05,        //   Usage Maximum (Kana)
    0x75, 0x01,        //   Report Size (1)
    0x95, 0x05,        //   Report Count (5)
    0x91, 0x02,        //   Output (Data, Variable, Absolute): lamp bits
    0x75, 0x03,        //   Report Size (3)
    0x95, 0x01,        //   Report Count (1)
    0x91, 0x01,        //   Output (Constant): padding
    0x05, 0x07,        //   Usage Page (Keyboard/Keypad)
    0x19, 0x00,        //   Usage Minimum (0)
    0x2A, 0xFF, 0x00,  //   Usage Maximum (0xFF)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x06,        //   Report Count (6)
    0x81, 0x00,        //   Input (Data, Array, Absolute): up to six key usages
    0xC0,              // End Collection
};

constexpr size_t kBootReportSize = 8;
constexpr size_t kLampReportSize = 2;  // report id 0 + lamp byte
constexpr uint8_t kOrdinaryKey = 0x20;
constexpr uint8_t kErrorRollOver = 0x01;

void putLightingBlock(std::vector<uint8_t>& mem, size_t at, uint8_t effect, Rgb color, uint8_t group) {
  mem[at + block::kEffect] = effect;
  mem[at + block::kBrightness] = kFactoryBrightness;
  mem[at + block::kSpeed] = 2;       // middle speed (stored as 4 - speed)
  mem[at + block::kDirection] = 1;
  mem[at + block::kMultiColor] = 1;
  mem[at + block::kRed] = color.r;
  mem[at + block::kGreen] = color.g;
  mem[at + block::kBlue] = color.b;
  mem[at + kbd::kPollingRate] = 3;   // 1000 reports per second
  mem[at + kbd::kCustomGroup] = group;
}

}  // namespace

std::vector<uint8_t> bootKeyboardDescriptor() { return {std::begin(kBootKeyboard), std::end(kBootKeyboard)}; }

FirmwareConfig keyboardConfig() {
  FirmwareConfig c;
  c.kind = "keyboard";
  const auto& keys = keyboard::deviceKeys();
  c.info[info::kFirmwareLo] = 0x05;
  c.info[info::kFirmwareHi] = 0x01;
  c.info[info::kDeviceType] = 1;
  c.info[info::kSlotCount] = kbd::kSlots;
  c.info[info::kFrameLeds] = kbd::kFrameLeds;
  c.info[info::kKeyCount] = static_cast<uint8_t>(keys.size());
  c.info[info::kMacroUnits] = kbd::kMacroUnits;
  c.info[info::kColorBanks] = kbd::kColorBanks;
  c.settings.assign(kbd::kSettingsSize, 0);
  const uint8_t effects[kbd::kSlots] = {1, 5, kbd::kCustomEffect, 12};
  const Rgb colors[kbd::kSlots] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  for (unsigned s = 0; s < kbd::kSlots; ++s) {
    putLightingBlock(c.settings, s * kbd::kSlotStride, effects[s], colors[s], static_cast<uint8_t>(s));
  }
  c.settings[block::kSlotByte] = 0;
  c.slotCount = kbd::kSlots;
  c.slotStride = kbd::kSlotStride;
  c.blockSize = kbd::kBlockSize;
  for (const auto& k : keys) {
    const auto& code = keyboard::defaultCode(k.position);
    c.keyTable.insert(c.keyTable.end(), code.begin(), code.end());
    c.lightIndex.push_back(k.led);
  }
  c.colorBanks = kbd::kColorBanks;
  c.macroSize = size_t{kbd::kMacroUnits} * info::kMacroUnitSize;
  c.frameLeds = kbd::kFrameLeds;
  c.status = {100, 0, 0, 0, 0, 0};  // wired: full, powered, not wireless, normal
  c.customEffect = kbd::kCustomEffect;
  c.customBankByte = kbd::kCustomGroup;
  c.commands = {wire::kBeginConfig,    wire::kEndConfig,    wire::kReadInfo,       wire::kReadSettings,
                wire::kWriteSettings,  wire::kReadKeyTable, wire::kWriteKeyTable,  wire::kWriteColorBank,
                wire::kStreamFrame,    wire::kExitNotice,   wire::kWriteMacro,     wire::kReadStatus,
                wire::kReadLightIndex, wire::kQueryLink};
  return c;
}

std::array<uint8_t, 8> bootKeyboardReport(const std::set<unsigned>& pressed, const std::vector<uint8_t>& keyTable) {
  std::array<uint8_t, kBootReportSize> r{};
  std::vector<uint8_t> usages;
  for (unsigned k : pressed) {
    if (3 * size_t{k} + 2 >= keyTable.size() || keyTable[3 * k] != kOrdinaryKey) continue;
    r[0] |= keyTable[3 * k + 1];
    if (keyTable[3 * k + 2] != 0) usages.push_back(keyTable[3 * k + 2]);
  }
  for (size_t i = 0; i < 6; ++i) {
    if (usages.size() > 6) r[2 + i] = kErrorRollOver;
    else if (i < usages.size()) r[2 + i] = usages[i];
  }
  return r;
}

KeyboardEmulator::KeyboardEmulator(std::shared_ptr<Presence> presence, const std::string& namePrefix)
    : Emulator(DeviceKind::Keyboard, keyboardConfig(), std::move(presence), namePrefix) {
  bootIndex_ = addInterface(0, kKeyboardVid, kKeyboardPid, bootKeyboardDescriptor());
  const unsigned vendor = addInterface(1, kKeyboardVid, kKeyboardPid, vendorInterfaceDescriptor());
  setCommandInterface(vendor);
  setNotify(vendor, kReportNotify);
}

KeyboardEmulator::~KeyboardEmulator() { shutdown(); }

bool KeyboardEmulator::sendKeys(unsigned deviceKey, bool press) {
  if (deviceKey >= firmware().keyCount()) return false;
  std::array<uint8_t, kBootReportSize> keys;
  {
    std::lock_guard<std::mutex> lock(keysMutex_);
    if (press) pressed_.insert(deviceKey);
    else pressed_.erase(deviceKey);
    keys = bootKeyboardReport(pressed_, firmware().committedKeyTable());
  }
  uint8_t report[1 + kBootReportSize] = {0};  // report id 0: the descriptor has none
  std::copy(keys.begin(), keys.end(), report + 1);
  sendOn(bootIndex_, report, sizeof report);
  const uint16_t usage = static_cast<uint16_t>((press ? kUsageKeyPress : kUsageKeyRelease) + deviceKey);
  return sendNotifyUsage(usage);
}

bool KeyboardEmulator::pressKey(unsigned deviceKey) { return sendKeys(deviceKey, true); }
bool KeyboardEmulator::releaseKey(unsigned deviceKey) { return sendKeys(deviceKey, false); }

uint8_t KeyboardEmulator::lamps() const {
  std::lock_guard<std::mutex> lock(keysMutex_);
  return lamps_;
}

void KeyboardEmulator::onOtherReport(unsigned index, const uint8_t* data, size_t len) {
  if (index == bootIndex_ && len == kLampReportSize && data[0] == 0) {
    std::lock_guard<std::mutex> lock(keysMutex_);
    lamps_ = data[1];
    return;
  }
  Emulator::onOtherReport(index, data, len);
}

std::unique_ptr<Emulator> makeKeyboard(std::shared_ptr<Presence> presence, const std::string& namePrefix) {
  return std::make_unique<KeyboardEmulator>(std::move(presence), namePrefix);
}

}  // namespace kavro::sim
