// The keyboard device's traffic: connection set-up, settings, key tables,
// macros and per-key colours. Every sequence is skipped on a closed channel;
// the results of its commands do not stop it and end is always sent.
#include "devices/keyboard/keyboard_device.h"

#include "devices/keyboard/keyboard_macro_image.h"
#include "devices/keyboard/keyboard_macro_source.h"
#include "platform/debug.h"
#include "transport/command_set.h"

namespace kavro::devices {

namespace {
using transport::kCmdOk;
}  // namespace

// ---- connection set-up --------------------------------------------------------

void CHalvionKeyboardDevice::readDeviceTables() {
  if (!channel.isConnected()) return;
  transport::beginConfig(channel);
  transport::readDeviceInfo(channel, deviceInfo.data());
  const uint8_t keys = deviceInfo[transport::kDeviceInfoKeyCount];
  if (channel.setDataLength(static_cast<uint16_t>(keys * keyboard::kKeyCodeBytes))) {
    deviceKeys_ = keys;
    transport::readKeyTable(channel, keyTable_.data());
    transport::readKeyIndexTable(channel, lightIndex_.data());
    tablesRead_ = keyboard::keyTableFits(keys);
  } else {
    // A table longer than the buffer: nothing is read and no key is mapped.
    deviceKeys_ = keys;
    tablesRead_ = false;
  }
  transport::endConfig(channel, 1);
}

void CHalvionKeyboardDevice::buildPositionMaps() {
  keyboard::PositionMap table;
  table.fill(keyboard::kUnmapped);
  keyboard::PositionMap leds = table;
  if (tablesRead_) {
    const size_t codeBytes = static_cast<size_t>(deviceKeys_) * keyboard::kKeyCodeBytes;
    table = keyboard::buildKeyToTablePos(std::span<const uint8_t>(keyTable_.data(), codeBytes), deviceKeys_);
    leds = keyboard::buildKeyToLed(table, std::span<const uint8_t>(lightIndex_.data(), deviceKeys_), deviceKeys_);
  }
  {
    std::lock_guard<std::mutex> lock(mapMutex_);
    tablePos_ = table;
    ledPos_ = leds;
  }
  keyToTablePos.clear();
  keyToLed.clear();
  for (size_t p = 0; p < keyboard::kPositionCount; ++p) {
    keyToTablePos[static_cast<int>(p)] = table[p];
    keyToLed[static_cast<int>(p)] = leds[p];
  }
}

keyboard::PositionMap CHalvionKeyboardDevice::tablePositions() const {
  std::lock_guard<std::mutex> lock(mapMutex_);
  return tablePos_;
}

keyboard::PositionMap CHalvionKeyboardDevice::ledPositions() const {
  std::lock_guard<std::mutex> lock(mapMutex_);
  return ledPos_;
}

void CHalvionKeyboardDevice::onConnected() {
  readDeviceTables();
  buildPositionMaps();
  loadProfile();
  readSettings();
  showSettings();
  startPreview();
}

void CHalvionKeyboardDevice::onRefreshTimer() {
  readSettings();
  showSettings();
}

void CHalvionKeyboardDevice::onDisconnected() {
  previewWorker_.stop();
  stopInput();
}

// ---- settings block -----------------------------------------------------------

void CHalvionKeyboardDevice::readSettings() {
  channel.stateFlag = 0;
  if (!channel.isConnected()) return;
  uint8_t slot = lastSlot_;
  if (transport::readSettings(channel, &slot, keyboard::kSlotByteLength, keyboard::kSlotByteAddress) == kCmdOk) {
    lastSlot_ = slot;
  }
  keyboard::SettingsBlock block{};
  if (transport::readSettings(channel, block.data(), block.size(), keyboard::settingsBlockAddress(lastSlot_)) !=
      kCmdOk) {
    // Nothing new was read: the state and the profile keep what they hold.
    return;
  }
  lastBlock_ = block;
  profiles::LightSetting light = light_;
  keyboard::decodeSettingsBlock(block, light, system_);
  storeLightState(light);
  {
    std::lock_guard<std::mutex> lock(dataLockA_);
    preview_.setLightState(light_);  // a new effect resets the preview and runs its start step
  }
  publishFrame();
  profile_.setLightSetting(light_);
  profile_.setSystemSettings(system_.word0, system_.word1, system_.word2);
  saveChecked(profile_);
}

int CHalvionKeyboardDevice::writeSettings(uint8_t slot, uint8_t firstByte) {
  if (!channel.isConnected()) return transport::kResultNoAnswer;
  keyboard::SettingsBlock block = keyboard::encodeSettingsBlock(light_, system_);
  block[keyboard::kSbFirstByte] = firstByte;
  transport::beginConfig(channel);
  const int r = transport::writeSettings(channel, block.data(), block.size(), keyboard::settingsBlockAddress(slot));
  transport::endConfig(channel, 1);
  return r;
}

// ---- key table ------------------------------------------------------------------

int CHalvionKeyboardDevice::writeKeyAssignments() {
  if (!channel.isConnected()) return transport::kResultNoAnswer;
  transport::readDeviceInfo(channel, deviceInfo.data());
  if (!tablesRead_) return transport::kResultNoAnswer;
  const std::vector<uint8_t> image = keyboard::keyTableImage(
      std::span<const uint8_t>(keyTable_.data(), static_cast<size_t>(deviceKeys_) * keyboard::kKeyCodeBytes),
      deviceKeys_, tablePositions(), assignments_);
  if (image.empty()) return transport::kResultNoAnswer;
  // The channel sends dataLength bytes; the image is exactly that long.
  std::array<uint8_t, keyboard::kDeviceTableBufferSize> buffer{};
  std::copy(image.begin(), image.end(), buffer.begin());
  channel.setDataLength(static_cast<uint16_t>(image.size()));
  transport::beginConfig(channel);
  const int r = transport::writeKeyTable(channel, buffer.data(), 0);
  transport::endConfig(channel, 1);
  return r;
}

int CHalvionKeyboardDevice::resetKeyAssignments() {
  for (profiles::KeyAssignment& a : assignments_) a.code = a.defaultCode;
  profile_.setKeyAssignments(assignments_);
  saveChecked(profile_);
  refreshKeyCaptions();
  return writeKeyAssignments();
}

bool CHalvionKeyboardDevice::resetDanglingMacroKeys() {
  collectNameLists();
  if (!keyboard::resetDanglingMacroKeys(assignments_, macroNames_.size())) return false;
  profile_.setKeyAssignments(assignments_);
  saveChecked(profile_);
  refreshKeyCaptions();
  return true;
}

// ---- macros ---------------------------------------------------------------------

int CHalvionKeyboardDevice::writeMacros() {
  if (!channel.isConnected()) return 0;
  transport::readDeviceInfo(channel, deviceInfo.data());
  const keyboard::MacroSource source = keyboard::loadMacroSource(userDataFolder());
  if (!source.hasIndex) return 0;
  const keyboard::MacroDownload plan =
      keyboard::planMacroDownload(source.macros, deviceInfo[transport::kDeviceInfoFixed]);
  if (plan.overflow > 0) return plan.overflow;
  if (plan.image.empty()) return -1;
  transport::beginConfig(channel);
  const int r = transport::writeMacroData(channel, plan.image.data(), plan.image.size());
  transport::endConfig(channel, 1);
  if (r != kCmdOk) {
    dbg::printf("macro download failed: %d\n", r);
    return -1;
  }
  return 0;
}

// ---- custom colours (effect 20) ------------------------------------------------

std::vector<keyboard::PreviewColor> CHalvionKeyboardDevice::customBank() {
  const auto colors = profile_.getCustomColors(light_.customGroup, static_cast<int>(keyboard::kPositionCount));
  std::vector<keyboard::PreviewColor> out(keyboard::kPositionCount);
  for (size_t p = 0; p < out.size() && p < colors.size(); ++p) {
    out[p] = {colors[p].red, colors[p].green, colors[p].blue, 255};
  }
  return out;
}

int CHalvionKeyboardDevice::sendColors(const keyboard::ColorBuffer& buffer) {
  if (!channel.isConnected() || channel.longTimeouts.load()) return transport::kResultNoAnswer;
  // After a failed write the device gets a short rest; the window thread is
  // not put to sleep for it, the writes in the pause are dropped instead.
  if (tickMs() < colorPauseUntil_) return transport::kResultNoAnswer;
  const int r = transport::writeLedColors(channel, buffer.data(), keyboard::kCustomColorSendLength,
                                          light_.customGroup, keyboard::kCustomColorBankStride);
  if (r != kCmdOk) colorPauseUntil_ = tickMs() + kFailedFramePauseMs;
  return r;
}

int CHalvionKeyboardDevice::paintCustomKey(size_t position, uint32_t colorRef) {
  if (light_.effect != kCustomColorEffect || position >= keyboard::kPositionCount) return 0;
  const lighting::Rgb color{static_cast<uint8_t>(colorRef & 0xFF), static_cast<uint8_t>((colorRef >> 8) & 0xFF),
                            static_cast<uint8_t>((colorRef >> 16) & 0xFF)};
  {
    std::lock_guard<std::mutex> lock(dataLockA_);
    preview_.paintKey(position, color);
  }
  publishFrame();
  auto colors = profile_.getCustomColors(light_.customGroup, static_cast<int>(keyboard::kPositionCount));
  colors[position].red = color.red;
  colors[position].green = color.green;
  colors[position].blue = color.blue;
  profile_.setCustomColors(colors, light_.customGroup);
  saveChecked(profile_);
  return writeCustomColors();
}

int CHalvionKeyboardDevice::writeCustomColors() {
  return sendColors(keyboard::customColorBuffer(customBank(), ledPositions()));
}

int CHalvionKeyboardDevice::writeScaledColors() {
  const auto frame = ledSnapshot();
  std::vector<keyboard::PreviewColor> colors(keyboard::kPositionCount);
  for (size_t p = 0; p < colors.size() && p < frame.size(); ++p) {
    colors[p] = {frame[p].red, frame[p].green, frame[p].blue, frame[p].brightness};
  }
  return sendColors(keyboard::scaledColorBuffer(colors, ledPositions()));
}

}  // namespace kavro::devices
