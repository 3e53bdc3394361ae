#pragma once
// The device end of the 64-byte command report: byte layout, command numbers
// and status codes as the firmware sees them. The emulators keep their own
// copy of these facts (rather than borrowing the host's) so that a mistake on
// either side shows up as a disagreement in the tests.
#include <array>
#include <cstddef>
#include <cstdint>

namespace kavro::sim::wire {

constexpr size_t kPacketSize = 64;  // report id byte included
constexpr size_t kMaxData = 56;     // data bytes one packet can carry
constexpr uint8_t kReportId = 4;    // report id of command requests and answers

// Byte offsets within a request (host -> device) and an answer (device -> host).
constexpr size_t kOffReportId = 0;    // always kReportId
constexpr size_t kOffChecksumLo = 1;  // sum of bytes 3..63, bits 0-7
constexpr size_t kOffChecksumHi = 2;  // bits 8-15
constexpr size_t kOffCommand = 3;     // command number; echoed in the answer
constexpr size_t kOffLength = 4;      // data bytes in this packet (0..56)
constexpr size_t kOffOffsetLo = 5;    // address of the first data byte, bits 0-7
constexpr size_t kOffOffsetHi = 6;    // bits 8-15
constexpr size_t kOffStatus = 7;      // 0 in a request; result in an answer
constexpr size_t kOffData = 8;        // first data byte

enum Command : uint8_t {
  kBeginConfig = 0x01,     // opens a configuration frame
  kEndConfig = 0x02,       // closes it: the frame's writes take effect
  kReadInfo = 0x03,        // reads the 34-byte information record
  kReadSettings = 0x05,    // reads settings memory
  kWriteSettings = 0x06,   // writes settings memory
  kReadKeyTable = 0x07,    // reads the key code table (3 bytes per device key)
  kWriteKeyTable = 0x09,   // writes the key code table
  kWriteColorBank = 0x0B,  // writes per-key colour banks (bank x 512 + byte)
  kStreamFrame = 0x12,     // one chunk of a streamed light frame
  kExitNotice = 0x13,      // the host program is ending
  kWriteMacro = 0x15,      // writes macro memory
  kReadStatus = 0x1A,      // reads the power/status block
  kReadLightIndex = 0x1B,  // reads the light index table (1 byte per device key)
  kQueryLink = 0xAA,       // is the device reachable (wireless link up)
};

// Answer status byte.
constexpr uint8_t kStatusOk = 0x00;
constexpr uint8_t kStatusRefused = 0xFF;  // request rejected
constexpr uint8_t kStatusBusy = 0xFE;     // request could not be carried out now

// Answer data byte 0 of kQueryLink.
constexpr uint8_t kLinkUp = 0xFF;
constexpr uint8_t kLinkDown = 0x00;

using Packet = std::array<uint8_t, kPacketSize>;

// Sum of bytes 3..63 as unsigned bytes, truncated to 16 bits.
uint16_t checksum(const uint8_t* packet);
// Writes checksum() into bytes 1 and 2, low byte first.
void seal(Packet& packet);
// A sealed request: for tests and tools that speak to the firmware directly.
Packet makeRequest(uint8_t command, uint8_t length = 0, uint16_t offset = 0, const uint8_t* data = nullptr);

}  // namespace kavro::sim::wire
