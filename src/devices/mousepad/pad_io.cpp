#include "devices/mousepad/pad_io.h"

#include "transport/command_set.h"

namespace kavro::mousepad {
namespace {

using transport::HidChannel;
using transport::kCmdOk;

constexpr int kEndArgument = 1;

// begin, the write, end. end is sent whatever the write did; a write that
// went through counts only when the device also closed the frame, since it
// applies the write at the end.
template <typename Write>
SequenceResult framedWrite(HidChannel& ch, Write write) {
  transport::beginConfig(ch);
  int code = write();
  const int end = transport::endConfig(ch, kEndArgument);
  if (code == kCmdOk) code = end;
  return {code};
}

}  // namespace

bool SequenceResult::ok() const { return code == kCmdOk; }

SequenceResult firstConnect(HidChannel& ch, DeviceInfo& info, HeldBlock& held) {
  held = HeldBlock{};
  if (!ch.isConnected()) return {};
  DeviceInfo read{};
  transport::beginConfig(ch);
  const int code = transport::readDeviceInfo(ch, read.data());
  transport::endConfig(ch, kEndArgument);
  if (code == kCmdOk) info = read;
  return {code};
}

SequenceResult readSettingsBlock(HidChannel& ch, HeldBlock& held, const BlockAddressing& addressing) {
  if (!ch.isConnected()) return {};
  std::uint8_t slot = held.slot;
  if (transport::readSettings(ch, &slot, kSlotByteLength, kSlotByteAddress) != kCmdOk) slot = held.slot;
  std::array<std::uint8_t, kBlockReadSize> read{};
  const int code = transport::readSettings(ch, read.data(), read.size(), blockReadAddress(addressing, slot));
  if (code == kCmdOk) {
    std::copy(read.begin(), read.begin() + kBlockSize, held.bytes.begin());
    held.slot = slot;
    held.fromDevice = true;
  }
  return {code};
}

SequenceResult writeSettingsBlock(HidChannel& ch, HeldBlock& held, const profiles::LightSetting& light,
                                  const BlockAddressing& addressing) {
  if (!ch.isConnected()) return {};
  if (!held.fromDevice) {
    const SequenceResult read = readSettingsBlock(ch, held, addressing);
    if (!read.ok()) return read;
  }
  const SettingsBlock block = encodeBlock(light, held.bytes);
  const SequenceResult r = framedWrite(ch, [&] {
    return transport::writeSettings(ch, block.data(), block.size(), blockWriteAddress(addressing, held.slot));
  });
  if (r.ok()) held.bytes = block;
  return r;
}

HeldBlockResult readSharedBlock(HidChannel& ch, SharedHeldBlock& shared) {
  std::lock_guard<std::mutex> lock(shared.mutex);
  HeldBlockResult r;
  r.result = readSettingsBlock(ch, shared.block).code;
  r.held = shared.block;
  return r;
}

HeldBlockResult writeSharedBlock(HidChannel& ch, SharedHeldBlock& shared, const profiles::LightSetting& light) {
  std::lock_guard<std::mutex> lock(shared.mutex);
  HeldBlockResult r;
  r.result = writeSettingsBlock(ch, shared.block, light).code;
  r.held = shared.block;
  return r;
}

SequenceResult pollPower(HidChannel& ch, PowerStatus& status) {
  if (!ch.isConnected()) return {};
  PowerStatus read{};
  const int code = transport::readBlock(ch, read.data(), read.size(), 0);
  if (code != kCmdOk) return {code};
  read[kStatusLongTimeoutsByte] = ch.longTimeouts.load() != 0 ? 1 : 0;
  status = read;
  return {code};
}

SequenceResult streamFrame(HidChannel& ch, const std::vector<lighting::LedColor>& frame) {
  if (!ch.isConnected() || ch.longTimeouts.load() != 0) return {};
  const std::vector<std::uint8_t> bytes = lighting::streamFrameBytes(frame);
  return {transport::streamLightFrame(ch, bytes.data(), bytes.size())};
}

}  // namespace kavro::mousepad
