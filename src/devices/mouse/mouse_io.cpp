#include "devices/mouse/mouse_io.h"

#include <algorithm>

#include "macros/macro_image.h"
#include "transport/command_set.h"

namespace kavro::mouse {
namespace {

using transport::HidChannel;
using transport::kCmdOk;

constexpr int kEndArgument = 1;

// The online check before a step; a failed one ends the sequence.
struct Steps {
  HidChannel& ch;
  bool offline = false;
  bool next() {
    if (!offline && !online(ch)) offline = true;
    return !offline;
  }
  SequenceResult stopped() const { return {transport::kResultNoAnswer, true}; }
};

}  // namespace

bool isWireless(const HidChannel& ch) { return ch.longTimeouts.load() != 0; }

bool online(HidChannel& ch) { return !isWireless(ch) || transport::queryLink(ch); }

ButtonMap DeviceTables::unmappedButtons() {
  ButtonMap map;
  map.fill(kNoDeviceKey);
  return map;
}

SequenceResult readDeviceTables(HidChannel& ch, DeviceTables& tables) {
  if (!ch.isConnected()) return {};
  Steps step{ch};
  DeviceTables read;
  if (!step.next()) return step.stopped();
  transport::beginConfig(ch);
  if (!step.next()) return step.stopped();
  const int infoCode = transport::readDeviceInfo(ch, read.info.data());
  int code = infoCode;
  if (infoCode == kCmdOk) {
    read.keyCount = read.info[transport::kDeviceInfoKeyCount];
    const auto length = static_cast<std::uint16_t>(read.keyCount * kKeyCodeBytes);
    if (!keyTableFits(read.keyCount) || !ch.setDataLength(length)) {
      code = transport::kCmdRefused;
    } else {
      if (!step.next()) return step.stopped();
      code = transport::readKeyTable(ch, read.keyTable.data());
      read.keyTableRead = code == kCmdOk;
    }
  }
  if (!step.next()) return step.stopped();
  transport::endConfig(ch, kEndArgument);
  if (infoCode != kCmdOk) return {code, false};  // no device information: the old tables stay
  if (read.keyTableRead) {
    read.buttons = buildButtonMap(
        std::span<const std::uint8_t>(read.keyTable.data(), read.keyCount * kKeyCodeBytes), read.keyCount);
  }
  tables = read;
  return {code, false};
}

SequenceResult readSettingsBlock(HidChannel& ch, SettingsBlock& block, std::uint8_t& slot) {
  if (!ch.isConnected()) return {};
  Steps step{ch};
  if (!step.next()) return step.stopped();
  std::uint8_t b = slot;
  if (transport::readSettings(ch, &b, kSlotByteLength, kSlotByteAddress) == kCmdOk) slot = b;
  if (!step.next()) return step.stopped();
  SettingsBlock read{};
  const int code = transport::readSettings(ch, read.data(), read.size(), settingsBlockAddress(slot));
  if (code == kCmdOk) block = read;
  return {code, false};
}

SequenceResult writeSettingsBlock(HidChannel& ch, const SettingsBlock& block, std::uint8_t slot) {
  if (!ch.isConnected()) return {};
  Steps step{ch};
  if (!step.next()) return step.stopped();
  transport::beginConfig(ch);
  if (!step.next()) return step.stopped();
  const int code = transport::writeSettings(ch, block.data(), kSettingsWriteSize, settingsBlockAddress(slot));
  if (!step.next()) return step.stopped();
  transport::endConfig(ch, kEndArgument);
  return {code, false};
}

SequenceResult writeKeyAssignments(HidChannel& ch, DeviceTables& tables, const std::vector<KeyAssignment>& assignments) {
  if (!ch.isConnected() || !tables.keyTableRead) return {};
  const std::size_t length = tables.keyCount * kKeyCodeBytes;
  const std::vector<std::uint8_t> image = keyTableImage(
      std::span<const std::uint8_t>(tables.keyTable.data(), length), tables.keyCount, tables.buttons, assignments);
  if (image.empty()) return {};
  Steps step{ch};
  if (!step.next()) return step.stopped();
  std::array<std::uint8_t, kDeviceInfoSize> info{};
  if (transport::readDeviceInfo(ch, info.data()) == kCmdOk) tables.info = info;
  // The channel sends dataLength bytes; the image is exactly that long.
  std::array<std::uint8_t, kKeyTableBufferSize> buffer{};
  std::copy(image.begin(), image.end(), buffer.begin());
  if (!ch.setDataLength(static_cast<std::uint16_t>(image.size()))) return {};
  if (!step.next()) return step.stopped();
  transport::beginConfig(ch);
  if (!step.next()) return step.stopped();
  const int code = transport::writeKeyTable(ch, buffer.data(), 0);
  if (!step.next()) return step.stopped();
  transport::endConfig(ch, kEndArgument);
  return {code, false};
}

SequenceResult downloadMacros(HidChannel& ch, DeviceTables& tables, const macros::MacroSource& source) {
  if (!ch.isConnected()) return {kMacrosFailed, false};
  if (!source.hasIndex) return {kMacrosSent, false};
  Steps step{ch};
  const SequenceResult offline{kMacrosFailed, true};
  if (!step.next()) return offline;
  std::array<std::uint8_t, kDeviceInfoSize> info{};
  if (transport::readDeviceInfo(ch, info.data()) == kCmdOk) tables.info = info;
  const macros::MacroDownload plan = macros::planMacroDownload(source.macros, tables.info[transport::kDeviceInfoFixed]);
  if (plan.overflow > 0) return {plan.overflow, false};
  if (plan.image.empty()) return {kMacrosFailed, false};
  if (!step.next()) return offline;
  transport::beginConfig(ch);
  if (!step.next()) return offline;
  const int r = transport::writeMacroData(ch, plan.image.data(), plan.image.size());
  if (!step.next()) return offline;
  transport::endConfig(ch, kEndArgument);
  return {r == kCmdOk ? kMacrosSent : kMacrosFailed, false};
}

SequenceResult pollPower(HidChannel& ch, std::array<std::uint8_t, kPowerStatusSize>& status) {
  if (!ch.isConnected()) return {};
  Steps step{ch};
  if (!step.next()) return step.stopped();
  std::array<std::uint8_t, kPowerStatusSize> read{};
  const int code = transport::readBlock(ch, read.data(), read.size(), 0);
  if (code != kCmdOk) return {code, false};
  read[kStatusWirelessByte] = isWireless(ch) ? 1 : 0;
  status = read;
  return {code, false};
}

}  // namespace kavro::mouse
