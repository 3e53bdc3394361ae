#include "devices/mouse/mouse_io.h"

#include <algorithm>

#include "macros/macro_image.h"
#include "transport/command_set.h"

namespace kavro::mouse {
namespace {

using transport::HidChannel;
using transport::kCmdOk;

constexpr int kEndArgument = 1;

// What a sequence gives back when an online check failed.
constexpr SequenceResult kStopped{transport::kResultNoAnswer, true};

// begin, the write, end, each after an online check. A failed command does
// not stop the frame (end is always sent), and the write's result is what
// the frame reports - or end's, when the write went through but the mouse did
// not close the frame, since it has then not applied the write.
template <typename Write>
SequenceResult framedWrite(HidChannel& ch, Write write) {
  if (!online(ch)) return kStopped;
  transport::beginConfig(ch);
  if (!online(ch)) return kStopped;
  int code = write();
  if (!online(ch)) return kStopped;
  const int end = transport::endConfig(ch, kEndArgument);
  if (code == kCmdOk) code = end;
  return {code, false};
}

// Command 0x03 before a download; a failed read keeps the record of the
// connection.
void refreshDeviceInfo(HidChannel& ch, DeviceTables& tables) {
  std::array<std::uint8_t, kDeviceInfoSize> info{};
  if (transport::readDeviceInfo(ch, info.data()) == kCmdOk) tables.info = info;
}

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
  DeviceTables read;
  if (!online(ch)) return kStopped;
  transport::beginConfig(ch);
  if (!online(ch)) return kStopped;
  const int infoCode = transport::readDeviceInfo(ch, read.info.data());
  int code = infoCode;
  if (infoCode == kCmdOk) {
    read.keyCount = read.info[transport::kDeviceInfoKeyCount];
    const auto length = static_cast<std::uint16_t>(read.keyCount * kKeyCodeBytes);
    if (!keyTableFits(read.keyCount) || !ch.setDataLength(length)) {
      code = transport::kCmdRefused;
    } else {
      if (!online(ch)) return kStopped;
      code = transport::readKeyTable(ch, read.keyTable.data());
      read.keyTableRead = code == kCmdOk;
    }
  }
  if (!online(ch)) return kStopped;
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
  if (!online(ch)) return kStopped;
  std::uint8_t b = slot;
  if (transport::readSettings(ch, &b, kSlotByteLength, kSlotByteAddress) == kCmdOk) slot = b;
  if (!online(ch)) return kStopped;
  SettingsBlock read{};
  const int code = transport::readSettings(ch, read.data(), read.size(), settingsBlockAddress(slot));
  if (code == kCmdOk) block = read;
  return {code, false};
}

SequenceResult writeSettingsBlock(HidChannel& ch, const SettingsBlock& block, std::uint8_t slot) {
  if (!ch.isConnected()) return {};
  return framedWrite(ch, [&] {
    return transport::writeSettings(ch, block.data(), kSettingsWriteSize, settingsBlockAddress(slot));
  });
}

SequenceResult writeKeyAssignments(HidChannel& ch, DeviceTables& tables, const std::vector<KeyAssignment>& assignments) {
  if (!ch.isConnected() || !tables.keyTableRead) return {};
  const std::size_t length = tables.keyCount * kKeyCodeBytes;
  const std::vector<std::uint8_t> image = keyTableImage(
      std::span<const std::uint8_t>(tables.keyTable.data(), length), tables.keyCount, tables.buttons, assignments);
  // The channel sends dataLength bytes; the image is exactly that long.
  if (image.empty() || !ch.setDataLength(static_cast<std::uint16_t>(image.size()))) return {};
  std::array<std::uint8_t, kKeyTableBufferSize> buffer{};
  std::copy(image.begin(), image.end(), buffer.begin());
  if (!online(ch)) return kStopped;
  refreshDeviceInfo(ch, tables);
  return framedWrite(ch, [&] { return transport::writeKeyTable(ch, buffer.data(), 0); });
}

SequenceResult downloadMacros(HidChannel& ch, DeviceTables& tables, const macros::MacroSource& source) {
  if (!ch.isConnected()) return {kMacrosFailed, false};
  if (!source.hasIndex) return {kMacrosSent, false};
  const SequenceResult offline{kMacrosFailed, true};
  if (!online(ch)) return offline;
  refreshDeviceInfo(ch, tables);
  const macros::MacroDownload plan = macros::planMacroDownload(source.macros, tables.info[transport::kDeviceInfoFixed]);
  if (plan.overflow > 0) return {plan.overflow, false};
  if (plan.image.empty()) return {kMacrosFailed, false};
  const SequenceResult r =
      framedWrite(ch, [&] { return transport::writeMacroData(ch, plan.image.data(), plan.image.size()); });
  if (r.offline) return offline;
  return {r.code == kCmdOk ? kMacrosSent : kMacrosFailed, false};
}

SequenceResult pollPower(HidChannel& ch, std::array<std::uint8_t, kPowerStatusSize>& status) {
  if (!ch.isConnected()) return {};
  if (!online(ch)) return kStopped;
  std::array<std::uint8_t, kPowerStatusSize> read{};
  const int code = transport::readBlock(ch, read.data(), read.size(), 0);
  if (code != kCmdOk) return {code, false};
  read[kStatusWirelessByte] = isWireless(ch) ? 1 : 0;
  status = read;
  return {code, false};
}

}  // namespace kavro::mouse
