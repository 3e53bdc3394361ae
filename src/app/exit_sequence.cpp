#include "app/exit_sequence.h"

#include "transport/command_set.h"
#include "transport/hid_channel.h"

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

void sendExitSequence(transport::HidChannel& channel, const profiles::LightSetting& light) {
  transport::sendExitNotice(channel);
  const keyboard::SettingsBlock block = exitLightingBlock(light);
  transport::writeSettings(channel, block.data(), block.size(), kExitSecondSlotOffset);
  if (!channel.isConnected()) return;
  transport::beginConfig(channel);
  transport::writeSettings(channel, block.data(), block.size(), kExitFirstSlotOffset);
  transport::endConfig(channel);
}

}  // namespace kavro::app
