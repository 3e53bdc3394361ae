#include "devices/keyboard/keyboard_sequences.h"

#include <algorithm>

#include "transport/hid_channel.h"
#include "transport/sequence_result.h"

namespace kavro::keyboard {

namespace {
using transport::kCmdOk;
using transport::SequenceResult;

// The end of a configuration frame takes the argument 1.
constexpr int kEndArgument = 1;

DeviceTables readTables(transport::HidChannel& ch, const DeviceTables& previous, SequenceResult& seq) {
  DeviceTables t = previous;
  seq.note(transport::beginConfig(ch));
  seq.note(transport::readDeviceInfo(ch, t.info.data()));
  t.keys = t.info[transport::kDeviceInfoKeyCount];
  if (ch.setDataLength(static_cast<std::uint16_t>(t.keys * kKeyCodeBytes))) {
    seq.note(transport::readKeyTable(ch, t.keyTable.data()));
    seq.note(transport::readKeyIndexTable(ch, t.lightIndex.data()));
    t.tablesRead = keyTableFits(t.keys);
  } else {
    // A table longer than the buffer: nothing is read and no key is mapped.
    t.tablesRead = false;
  }
  seq.note(transport::endConfig(ch, kEndArgument));
  return t;
}
}  // namespace

SettingsRead readSettingsBlock(transport::HidChannel& ch, std::uint8_t lastSlot) {
  SettingsRead r;
  SequenceResult seq;
  r.slot = lastSlot;
  std::uint8_t slot = lastSlot;
  if (seq.note(transport::readSettings(ch, &slot, kSlotByteLength, kSlotByteAddress)) == kCmdOk) r.slot = slot;
  r.blockRead = seq.note(transport::readSettings(ch, r.block.data(), r.block.size(), settingsBlockAddress(r.slot))) ==
                kCmdOk;
  r.result = seq.value();
  return r;
}

ArrivalRead readOnArrival(transport::HidChannel& ch, const DeviceTables& previous, std::uint8_t lastSlot) {
  ArrivalRead a;
  SequenceResult seq;
  a.tables = readTables(ch, previous, seq);
  a.settings = readSettingsBlock(ch, lastSlot);
  seq.note(a.settings.result);
  a.result = seq.value();
  return a;
}

int writeSettingsBlock(transport::HidChannel& ch, const SettingsBlock& block, std::uint8_t slot) {
  SequenceResult seq;
  seq.note(transport::beginConfig(ch));
  seq.note(transport::writeSettings(ch, block.data(), block.size(), settingsBlockAddress(slot)));
  seq.note(transport::endConfig(ch, kEndArgument));
  return seq.value();
}

InfoWrite writeKeyTableImage(transport::HidChannel& ch, DeviceInfo info, const std::vector<std::uint8_t>& image) {
  InfoWrite w;
  SequenceResult seq;
  w.infoRead = seq.note(transport::readDeviceInfo(ch, info.data())) == kCmdOk;
  w.info = info;
  if (!image.empty()) {
    // The channel sends dataLength bytes; the image is exactly that long.
    TableBuffer buffer{};
    std::copy_n(image.begin(), std::min(image.size(), buffer.size()), buffer.begin());
    ch.setDataLength(static_cast<std::uint16_t>(image.size()));
    seq.note(transport::beginConfig(ch));
    seq.note(transport::writeKeyTable(ch, buffer.data(), 0));
    seq.note(transport::endConfig(ch, kEndArgument));
  }
  w.result = seq.value();
  return w;
}

InfoWrite writeMacroMemory(transport::HidChannel& ch, DeviceInfo info, const MacroSource& source) {
  InfoWrite w;
  SequenceResult seq;
  w.infoRead = seq.note(transport::readDeviceInfo(ch, info.data())) == kCmdOk;
  w.info = info;
  if (!source.hasIndex) {
    w.result = seq.value();
    return w;
  }
  const MacroDownload plan = planMacroDownload(source.macros, info[transport::kDeviceInfoFixed]);
  w.overflow = plan.overflow;
  if (plan.overflow == 0 && !plan.image.empty()) {
    seq.note(transport::beginConfig(ch));
    seq.note(transport::writeMacroData(ch, plan.image.data(), plan.image.size()));
    seq.note(transport::endConfig(ch, kEndArgument));
  }
  w.result = seq.value();
  return w;
}

int writeColorBank(transport::HidChannel& ch, const ColorBuffer& buffer, std::uint8_t bank) {
  return transport::writeLedColors(ch, buffer.data(), kCustomColorSendLength, bank, kCustomColorBankStride);
}

}  // namespace kavro::keyboard
