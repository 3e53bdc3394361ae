#pragma once
// The emulator rig on a mouse, with the commands of a transfer merged.
#include <cstdint>
#include <vector>

#include "devices/emulator_rig.h"

namespace kavro::mouse::test {

using devices::test::Sent;

class MouseRig : public devices::test::EmulatorRig<sim::DeviceKind::Mouse> {
 protected:
  void makeWireless() { ch.longTimeouts.store(1); }

  // The commands only, with the chunks of one transfer merged (a chunk
  // continues a transfer when it follows a full chunk of the same command).
  std::vector<std::uint8_t> commands() {
    std::vector<std::uint8_t> out;
    Sent last;
    for (const Sent& s : sent()) {
      const bool continues = !out.empty() && s.command == last.command && last.length == kChunk &&
                             s.offset == last.offset + kChunk;
      if (!continues) out.push_back(s.command);
      last = s;
    }
    return out;
  }

  static constexpr std::uint8_t kChunk = 56;
};

}  // namespace kavro::mouse::test
