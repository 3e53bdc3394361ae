#include "sim/firmware_wire.h"

#include <cstring>

namespace kavro::sim::wire {

uint16_t checksum(const uint8_t* packet) {
  uint32_t sum = 0;
  for (size_t i = kOffCommand; i < kPacketSize; ++i) sum += packet[i];
  return static_cast<uint16_t>(sum & 0xFFFF);
}

void seal(Packet& packet) {
  const uint16_t sum = checksum(packet.data());
  packet[kOffChecksumLo] = static_cast<uint8_t>(sum & 0xFF);
  packet[kOffChecksumHi] = static_cast<uint8_t>(sum >> 8);
}

Packet makeRequest(uint8_t command, uint8_t length, uint16_t offset, const uint8_t* data) {
  Packet p{};
  p[kOffReportId] = kReportId;
  p[kOffCommand] = command;
  p[kOffLength] = length;
  p[kOffOffsetLo] = static_cast<uint8_t>(offset & 0xFF);
  p[kOffOffsetHi] = static_cast<uint8_t>(offset >> 8);
  if (data != nullptr && length > 0) std::memcpy(p.data() + kOffData, data, length <= kMaxData ? length : kMaxData);
  seal(p);
  return p;
}

}  // namespace kavro::sim::wire
