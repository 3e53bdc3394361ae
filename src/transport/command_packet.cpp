#include "transport/command_packet.h"

#include "platform/debug.h"

namespace kavro::transport {

uint16_t packetChecksum(const uint8_t* packet) {
  uint16_t sum = 0;
  for (size_t i = kOffCommand; i < kPacketSize; ++i) sum = static_cast<uint16_t>(sum + packet[i]);
  return sum;
}

void sealPacket(uint8_t* packet) {
  const uint16_t sum = packetChecksum(packet);
  packet[kOffChecksumLo] = static_cast<uint8_t>(sum & 0xFF);
  packet[kOffChecksumHi] = static_cast<uint8_t>(sum >> 8);
}

namespace {
// One line of 32 bytes: groups of four, three spaces between the first four
// groups and two between the last four.
constexpr char kHexLine[] =
    "%02x %02x %02x %02x   %02x %02x %02x %02x   %02x %02x %02x %02x   %02x %02x %02x %02x  "
    "%02x %02x %02x %02x  %02x %02x %02x %02x  %02x %02x %02x %02x  %02x %02x %02x %02x";

std::string hexLine(const uint8_t* b) {
  return dbg::format(kHexLine, b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12],
                     b[13], b[14], b[15], b[16], b[17], b[18], b[19], b[20], b[21], b[22], b[23], b[24], b[25],
                     b[26], b[27], b[28], b[29], b[30], b[31]);
}
}  // namespace

void logPacket(const char* label, const uint8_t* packet) {
  if (!dbg::enabled()) return;  // formatting is skipped when nobody listens
  dbg::write(label);
  dbg::write(hexLine(packet));
  dbg::write(hexLine(packet + kPacketSize / 2));
}

}  // namespace kavro::transport
