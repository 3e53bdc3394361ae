// The keyboard device's traffic: connection set-up, settings, key tables,
// macros and per-key colours. Each operation takes what its sequence needs
// from the window thread's state, posts the sequence to the command worker
// and applies the result when it comes back. Nothing is posted on a closed
// channel.
#include "devices/keyboard/keyboard_device.h"

#include "devices/keyboard/keyboard_exit_record.h"
#include "devices/keyboard/keyboard_macro_image.h"
#include "devices/keyboard/keyboard_macro_source.h"
#include "platform/debug.h"
#include "transport/command_set.h"

namespace kavro::devices {

namespace {
using transport::kCmdOk;
}  // namespace

// ---- connection set-up --------------------------------------------------------

void CHalvionKeyboardDevice::onConnected() {
  channel.stateFlag = 0;
  keyboard::DeviceTables previous = tables_;
  previous.info = deviceInfo;
  const uint8_t lastSlot = lastSlot_;
  const bool posted = postCommands<keyboard::ArrivalRead>(
      [previous, lastSlot](transport::HidChannel& ch) { return keyboard::readOnArrival(ch, previous, lastSlot); },
      [this](keyboard::ArrivalRead& read) { arrived(&read); }, SequenceKind::StateRead);
  arriving_ = posted;
  // A closed channel reads nothing: the profile is still loaded and shown.
  if (!posted) arrived(nullptr);
}

// The window-thread half of the first connect: the tables and the block came
// back (or nothing was read); maps, profile, settings, page and preview.
void CHalvionKeyboardDevice::arrived(const keyboard::ArrivalRead* read) {
  arriving_ = false;
  if (read) {
    tables_ = read->tables;
    deviceInfo = read->tables.info;
  }
  buildPositionMaps();
  loadProfile();
  if (read) applySettingsRead(read->settings, true);
  showSettings();
  startPreview();
}

void CHalvionKeyboardDevice::buildPositionMaps() {
  keyboard::PositionMap table;
  table.fill(keyboard::kUnmapped);
  keyboard::PositionMap leds = table;
  if (tables_.tablesRead) {
    const size_t keys = tables_.keys;
    const size_t codeBytes = keys * keyboard::kKeyCodeBytes;
    table = keyboard::buildKeyToTablePos(std::span<const uint8_t>(tables_.keyTable.data(), codeBytes), keys);
    leds = keyboard::buildKeyToLed(table, std::span<const uint8_t>(tables_.lightIndex.data(), keys), keys);
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

void CHalvionKeyboardDevice::onRefreshTimer() { postSettingsRead(true); }

void CHalvionKeyboardDevice::onDisconnected() {
  arriving_ = false;  // a result still on its way belongs to the old connection
  previewWorker_.stop();
  stopInput();
}

// ---- settings block -----------------------------------------------------------

void CHalvionKeyboardDevice::readSettings() { postSettingsRead(false); }

void CHalvionKeyboardDevice::postSettingsRead(bool show) {
  channel.stateFlag = 0;
  const uint8_t lastSlot = lastSlot_;
  postCommands<keyboard::SettingsRead>(
      [lastSlot](transport::HidChannel& ch) { return keyboard::readSettingsBlock(ch, lastSlot); },
      [this, show](keyboard::SettingsRead& read) {
        applySettingsRead(read, false);
        if (show) showSettings();
      },
      SequenceKind::StateRead);
}

void CHalvionKeyboardDevice::applySettingsRead(const keyboard::SettingsRead& read, bool firstConnect) {
  lastSlot_ = read.slot;
  // Nothing new was read: the state and the profile keep what they hold.
  if (!read.blockRead) return;
  lastBlock_ = read.block;
  if (firstConnect && keyboard::isOurExitBlock(read.block, keyboard::readExitRecord(userDataFolder()))) {
    dbg::write("keyboard: the block left at exit is unchanged; the profile's lighting goes back\n");
    writeSettings(0, 0);
    return;
  }
  profiles::LightSetting light = light_;
  keyboard::decodeSettingsBlock(read.block, light, system_);
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
  keyboard::SettingsBlock block = keyboard::encodeSettingsBlock(light_, system_);
  block[keyboard::kSbFirstByte] = firstByte;
  const bool posted = postCommands<CommandOutcome>(
      [block, slot](transport::HidChannel& ch) { return CommandOutcome{keyboard::writeSettingsBlock(ch, block, slot)}; },
      {});
  return posted ? kCmdOk : transport::kResultNoAnswer;
}

// ---- key table ------------------------------------------------------------------

int CHalvionKeyboardDevice::writeKeyAssignments() {
  std::vector<uint8_t> image;
  if (tables_.tablesRead) {
    image = keyboard::keyTableImage(
        std::span<const uint8_t>(tables_.keyTable.data(), static_cast<size_t>(tables_.keys) * keyboard::kKeyCodeBytes),
        tables_.keys, tablePositions(), assignments_);
  }
  const keyboard::DeviceInfo info = deviceInfo;
  // The device info is refreshed first, also when there is no table to write.
  const bool posted = postCommands<keyboard::InfoWrite>(
      [info, image](transport::HidChannel& ch) { return keyboard::writeKeyTableImage(ch, info, image); },
      [this](keyboard::InfoWrite& w) {
        if (w.infoRead) deviceInfo = w.info;
      });
  return posted && !image.empty() ? kCmdOk : transport::kResultNoAnswer;
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

int CHalvionKeyboardDevice::writeMacros() { return downloadMacros({}); }

int CHalvionKeyboardDevice::downloadMacros(std::function<void(int result)> failed) {
  const keyboard::MacroSource source = keyboard::loadMacroSource(userDataFolder());
  const keyboard::DeviceInfo info = deviceInfo;
  auto reportFailure = failed;
  const bool posted = postCommands<keyboard::InfoWrite>(
      [info, source](transport::HidChannel& ch) { return keyboard::writeMacroMemory(ch, info, source); },
      [this, failed = std::move(failed)](keyboard::InfoWrite& w) {
        if (w.infoRead) deviceInfo = w.info;
        if (w.result == kCmdOk) return;
        dbg::printf("macro download failed: %d\n", w.result);
        if (failed) failed(w.result);
      });
  // Nothing reached the device (no connection): a caller that waits for
  // the outcome hears so rather than taking silence for success. Without a
  // macro list there was nothing to send.
  if (!posted && source.hasIndex && reportFailure) reportFailure(transport::kResultNoAnswer);
  if (!posted || !source.hasIndex) return 0;
  // The answer for the macro panel: the memory the refreshed device info
  // will give (the read always reports the same size; before the first read
  // the record is still empty).
  uint8_t units = info[transport::kDeviceInfoFixed];
  if (units == 0) units = transport::kDeviceInfoFixedValue;
  const keyboard::MacroDownload plan = keyboard::planMacroDownload(source.macros, units);
  if (plan.overflow > 0) return plan.overflow;
  return plan.image.empty() ? -1 : 0;
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
  // After a failed write the device gets a short rest; the writes in the
  // pause are dropped.
  if (tickMs() < colorPauseUntil_) return transport::kResultNoAnswer;
  const uint8_t bank = light_.customGroup;
  const bool posted = postCommands<CommandOutcome>(
      [buffer, bank](transport::HidChannel& ch) { return CommandOutcome{keyboard::writeColorBank(ch, buffer, bank)}; },
      [this](CommandOutcome& sent) {
        if (sent.result != kCmdOk) colorPauseUntil_ = tickMs() + kFailedFramePauseMs;
      });
  return posted ? kCmdOk : transport::kResultNoAnswer;
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
