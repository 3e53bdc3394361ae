#include "app/exit_sequence.h"

#include "devices/keyboard/keyboard_device.h"
#include "devices/keyboard/keyboard_exit_record.h"
#include "platform/debug.h"
#include "transport/command_set.h"
#include "transport/hid_channel.h"
#include "transport/sequence_result.h"

namespace kavro::app {

keyboard::SettingsBlock exitLightingBlock(const profiles::LightSetting& light) {
  keyboard::SettingsBlock b{};
  b[keyboard::kSbEffect] = kExitEffect;
  b[keyboard::kSbBrightness] = light.brightness;
  b[keyboard::kSbSpeed] = kExitSpeedByte;
  b[keyboard::kSbMultiColor] = light.multiColor;
  b[keyboard::kSbRed] = light.red;
  b[keyboard::kSbGreen] = light.green;
  b[keyboard::kSbBlue] = light.blue;
  return b;
}

ExitOutcome sendExitSequence(transport::HidChannel& channel, const profiles::LightSetting& light) {
  ExitOutcome out;
  out.block = exitLightingBlock(light);
  out.sent = channel.isConnected();
  transport::sendExitNotice(channel);
  const int second = transport::writeSettings(channel, out.block.data(), out.block.size(), kExitSecondSlotOffset);
  if (second != transport::kCmdOk) dbg::printf("exit block (second slot): %d\n", second);
  if (!channel.isConnected()) return out;
  transport::SequenceResult first;
  first.note(transport::beginConfig(channel));
  first.note(transport::writeSettings(channel, out.block.data(), out.block.size(), kExitFirstSlotOffset));
  first.note(transport::endConfig(channel));
  if (first.value() != transport::kCmdOk) dbg::printf("exit block (first slot): %d\n", first.value());
  out.blockKept = first.value() == transport::kCmdOk;
  return out;
}

void leaveKeyboard(devices::CHalvionKeyboardDevice& keyboard) {
  keyboard.finishCommands(kExitDrainMs);
  const ExitOutcome out = sendExitSequence(keyboard.channel, keyboard.lightState());
  if (!out.sent) return;  // the keyboard was away: what it shows is not this run's doing
  const std::string folder = keyboard.userDataFolder();
  if (out.blockKept) {
    if (!keyboard::writeExitRecord(folder, out.block)) dbg::write("the exit block could not be remembered\n");
  } else {
    keyboard::removeExitRecord(folder);
  }
}

}  // namespace kavro::app
