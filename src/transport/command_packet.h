#pragma once
// The 64-byte request/answer packet of the command channel (same layout both ways).
#include <array>
#include <cstddef>
#include <cstdint>

namespace kavro::transport {

constexpr size_t kPacketSize = 64;
constexpr size_t kChunkSize = 56;  // data bytes per packet

// Byte offsets within a packet.
constexpr size_t kOffReportId = 0;    // report id, always kReportId in a request
constexpr size_t kOffChecksumLo = 1;  // checksum bits 0-7 (request); not checked in answers
constexpr size_t kOffChecksumHi = 2;  // checksum bits 8-15
constexpr size_t kOffCommand = 3;     // command number; echoed by the device
constexpr size_t kOffLength = 4;      // data bytes in this packet (0-56)
constexpr size_t kOffOffsetLo = 5;    // data offset bits 0-7
constexpr size_t kOffOffsetHi = 6;    // data offset bits 8-15
constexpr size_t kOffStatus = 7;      // 0 in a request; device status in an answer
constexpr size_t kOffData = 8;        // first data byte

constexpr uint8_t kReportId = 4;
constexpr uint8_t kStatusError = 0xFF;  // answer status: device refused the request
constexpr uint8_t kStatusBusy = 0xFE;   // answer status: device could not do it now

using Packet = std::array<uint8_t, kPacketSize>;

// Sum of bytes 3..63 as unsigned bytes (bytes 1 and 2 are not part of it).
uint16_t packetChecksum(const uint8_t* packet);
// Writes the checksum of bytes 3..63 into bytes 1 and 2 (low byte first).
void sealPacket(uint8_t* packet);

// Formats a packet as the two debug lines of 32 bytes each.
void logPacket(const char* label, const uint8_t* packet);

}  // namespace kavro::transport
