#pragma once
// The command vocabulary spoken over a HidChannel: one function per command
// number. Each fills requests, splits larger transfers into 56-byte chunks,
// sends them under the command's lock and maps the answer to a result code.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "transport/command_packet.h"
#include "transport/hid_channel.h"

namespace kavro::transport {

// Command numbers (byte 3 of a request).
enum Command : uint8_t {
  kCmdBeginConfig = 0x01,        // no data: opens a configuration write
  kCmdEndConfig = 0x02,          // no data: closes it (sent 10 ms after the call)
  kCmdReadDeviceInfo = 0x03,     // device -> host: 34-byte information record
  kCmdReadSettings = 0x05,       // device -> host: settings memory at an offset
  kCmdWriteSettings = 0x06,      // host -> device: settings memory at an offset
  kCmdReadKeyTable = 0x07,       // device -> host: dataLength bytes of key codes
  kCmdWriteKeyTable = 0x09,      // host -> device: dataLength bytes of key codes
  kCmdWriteLedColors = 0x0B,     // host -> device: per-key colours at base x stride
  kCmdStreamLightFrame = 0x12,   // host -> device: one streamed light frame
  kCmdExitNotice = 0x13,         // no data: the program is ending
  kCmdWriteMacroData = 0x15,     // host -> device: macro memory image
  kCmdReadBlock = 0x1A,          // device -> host: up to 56 bytes at an offset
  kCmdReadKeyIndexTable = 0x1B,  // device -> host: dataLength / 3 bytes of light indices
  kCmdQueryLink = 0xAA,          // no data: is the wireless device linked (answer byte 8 = 0xFF)
};

// Result codes.
constexpr int kCmdOk = 1;
constexpr int kCmdStatusError = -102;  // answer status 0xFF
constexpr int kCmdStatusBusy = -103;   // answer status 0xFE
constexpr int kCmdRefused = -201;      // argument refused, nothing sent

constexpr size_t kDeviceInfoSize = 34;
constexpr size_t kDeviceInfoKeyCount = 5;  // record byte: number of keys (key table = 3 bytes per key)
constexpr size_t kDeviceInfoFixed = 6;     // record byte forced to kDeviceInfoFixedValue after reading
constexpr uint8_t kDeviceInfoFixedValue = 72;
constexpr unsigned kEndConfigDelayMs = 10;
constexpr uint32_t kMaxWireOffset = 0xFFFF;  // the packet carries a 16-bit offset

// Request building, free of I/O.

// A sealed request with no data: report id, command, length and offset set.
Packet singleRequest(uint8_t command, uint8_t length = 0, uint16_t offset = 0);
// True when every chunk of a transfer of `total` bytes starting at wire offset
// `firstOffset` has an offset the packet can carry.
bool chunkOffsetsFit(uint64_t firstOffset, size_t total);
// The sealed requests of a chunked transfer, in order. `source` (may be null
// for a read) supplies the data of a write. One request buffer is reused for
// every chunk, so a shorter last chunk still carries the previous chunk's
// trailing bytes after its data, covered by the checksum.
std::vector<Packet> chunkRequests(uint8_t command, const uint8_t* source, size_t total, uint16_t firstOffset);
// Maps an exchange to a command result: a transport result other than success
// unchanged, then answer status 0xFF -> kCmdStatusError, 0xFE -> kCmdStatusBusy.
int mapAnswer(int transportResult, const uint8_t* answer);

// Commands. Results: kCmdOk, the transport results of HidChannel (0, -1)
// unchanged, kCmdStatusError, kCmdStatusBusy, or kCmdRefused (nothing sent).

int beginConfig(HidChannel& ch);
int endConfig(HidChannel& ch, int unused = 0);
int readDeviceInfo(HidChannel& ch, uint8_t* record34);
int readSettings(HidChannel& ch, uint8_t* buffer, size_t length, uint16_t offset);
int writeSettings(HidChannel& ch, const uint8_t* buffer, size_t length, uint16_t offset);
int readKeyTable(HidChannel& ch, uint8_t* buffer);  // dataLength bytes
int writeKeyTable(HidChannel& ch, const uint8_t* buffer, int profileIndex);  // dataLength bytes
int writeLedColors(HidChannel& ch, const uint8_t* buffer, size_t length, uint32_t base, uint32_t stride);
int streamLightFrame(HidChannel& ch, const uint8_t* buffer, size_t length);
int sendExitNotice(HidChannel& ch);
int writeMacroData(HidChannel& ch, const uint8_t* buffer, size_t length);
int readBlock(HidChannel& ch, uint8_t* buffer, size_t length, uint16_t offset);  // length <= 56
int readKeyIndexTable(HidChannel& ch, uint8_t* buffer);  // dataLength / 3 bytes
bool queryLink(HidChannel& ch);

}  // namespace kavro::transport
