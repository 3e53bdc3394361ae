#include "transport/command_set.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/debug.h"
#include "platform/event.h"

namespace kavro::transport {

// ---- request building ---------------------------------------------------

namespace {
void setHeader(uint8_t* packet, uint8_t length, uint16_t offset) {
  packet[kOffLength] = length;
  packet[kOffOffsetLo] = static_cast<uint8_t>(offset & 0xFF);
  packet[kOffOffsetHi] = static_cast<uint8_t>(offset >> 8);
}

Packet blankRequest(uint8_t command) {
  Packet p{};
  p[kOffReportId] = kReportId;
  p[kOffCommand] = command;
  p[kOffStatus] = 0;
  return p;
}
}  // namespace

Packet singleRequest(uint8_t command, uint8_t length, uint16_t offset) {
  Packet p = blankRequest(command);
  setHeader(p.data(), length, offset);
  sealPacket(p.data());
  return p;
}

bool chunkOffsetsFit(uint64_t firstOffset, size_t total) {
  if (total == 0) return true;
  const uint64_t lastChunkStart = (total - 1) / kChunkSize * kChunkSize;
  return firstOffset + lastChunkStart <= kMaxWireOffset;
}

std::vector<Packet> chunkRequests(uint8_t command, const uint8_t* source, size_t total, uint16_t firstOffset) {
  std::vector<Packet> out;
  out.reserve((total + kChunkSize - 1) / kChunkSize);
  Packet request = blankRequest(command);  // zeroed once, never cleared between chunks
  for (size_t p = 0; p < total; p += kChunkSize) {
    const size_t n = std::min(kChunkSize, total - p);
    setHeader(request.data(), static_cast<uint8_t>(n), static_cast<uint16_t>(firstOffset + p));
    if (source != nullptr) std::memcpy(request.data() + kOffData, source + p, n);
    sealPacket(request.data());
    out.push_back(request);
  }
  return out;
}

int mapAnswer(int transportResult, const uint8_t* answer) {
  if (transportResult != kResultOk) return transportResult;
  if (answer[kOffStatus] == kStatusError) return kCmdStatusError;
  if (answer[kOffStatus] == kStatusBusy) return kCmdStatusBusy;
  return kCmdOk;
}

// ---- sending ------------------------------------------------------------

namespace {
// One request/answer under the given lock (commandLock or lightLock), taken
// for this packet only. Returns the transport result; answer is zeroed first.
int exchange(HidChannel& ch, std::mutex& lock, const Packet& request, Packet& answer) {
  answer.fill(0);
  size_t got = 0;
  std::lock_guard<std::mutex> guard(lock);
  return ch.sendAndReceive(request.data(), request.size(), answer.data(), answer.size(), &got);
}

int singleCommand(HidChannel& ch, uint8_t command, Packet* answerOut = nullptr) {
  Packet answer;
  const int r = mapAnswer(exchange(ch, ch.commandLock, singleRequest(command), answer), answer.data());
  if (answerOut != nullptr) *answerOut = answer;
  return r;
}

// A chunked transfer: `source` for a write, `destination` for a read (the
// destination receives each chunk's answer data at the chunk's position).
struct Transfer {
  uint8_t command;
  const uint8_t* source;
  uint8_t* destination;
  size_t total;
  uint64_t firstOffset;
};

bool transferValid(const Transfer& t) {
  if (t.total == 0) return true;
  if (t.source == nullptr && t.destination == nullptr) return false;
  return chunkOffsetsFit(t.firstOffset, t.total);
}

int runChunked(HidChannel& ch, const Transfer& t) {
  if (!transferValid(t)) return kCmdRefused;
  const auto requests = chunkRequests(t.command, t.source, t.total, static_cast<uint16_t>(t.firstOffset));
  Packet answer;
  for (size_t i = 0; i < requests.size(); ++i) {
    const int r = mapAnswer(exchange(ch, ch.commandLock, requests[i], answer), answer.data());
    if (r != kCmdOk) return r;
    if (t.destination != nullptr) {
      const size_t p = i * kChunkSize;
      std::memcpy(t.destination + p, answer.data() + kOffData, requests[i][kOffLength]);
    }
  }
  return kCmdOk;
}

// writeLedColors: the same chunking under lightLock.
int runChunkedLight(HidChannel& ch, const Transfer& t) {
  if (!transferValid(t)) return kCmdRefused;
  Packet answer;
  for (const Packet& request : chunkRequests(t.command, t.source, t.total, static_cast<uint16_t>(t.firstOffset))) {
    const int r = mapAnswer(exchange(ch, ch.lightLock, request, answer), answer.data());
    if (r != kCmdOk) return r;
  }
  return kCmdOk;
}

// One streamed chunk: dropped (as a success) while another request is in
// progress or while the channel is in long mode.
int streamChunk(HidChannel& ch, const Packet& request) {
  if (ch.busy.load() != 0) {
    dbg::write("放弃灯光数据");
    return kCmdOk;
  }
  if (ch.longTimeouts.load() != 0) return kCmdOk;
  Packet answer{};
  size_t got = 0;
  int transport;
  {
    std::lock_guard<std::mutex> guard(ch.lightLock);
    transport = ch.sendLightFrame(request.data(), request.size(), answer.data(), answer.size(), &got);
  }
  return mapAnswer(transport, answer.data());
}
}  // namespace

// ---- commands -----------------------------------------------------------

int beginConfig(HidChannel& ch) { return singleCommand(ch, kCmdBeginConfig); }

int endConfig(HidChannel& ch, int /*unused*/) {
  // The device needs a moment after the last write before the frame is closed.
  sleepMs(kEndConfigDelayMs);
  return singleCommand(ch, kCmdEndConfig);
}

int readDeviceInfo(HidChannel& ch, uint8_t* record34) {
  if (record34 == nullptr) return kCmdRefused;
  uint8_t record[kDeviceInfoSize] = {};
  const int r = runChunked(ch, {kCmdReadDeviceInfo, nullptr, record, kDeviceInfoSize, 0});
  if (r != kCmdOk) return r;
  record[kDeviceInfoFixed] = kDeviceInfoFixedValue;
  std::memcpy(record34, record, kDeviceInfoSize);
  return kCmdOk;
}

int readSettings(HidChannel& ch, uint8_t* buffer, size_t length, uint16_t offset) {
  return runChunked(ch, {kCmdReadSettings, nullptr, buffer, length, offset});
}

int writeSettings(HidChannel& ch, const uint8_t* buffer, size_t length, uint16_t offset) {
  return runChunked(ch, {kCmdWriteSettings, buffer, nullptr, length, offset});
}

int readKeyTable(HidChannel& ch, uint8_t* buffer) {
  return runChunked(ch, {kCmdReadKeyTable, nullptr, buffer, ch.dataLength.load(), 0});
}

int writeKeyTable(HidChannel& ch, const uint8_t* buffer, int profileIndex) {
  if (profileIndex != 0) return kCmdRefused;  // the device keeps one key table
  return runChunked(ch, {kCmdWriteKeyTable, buffer, nullptr, ch.dataLength.load(), 0});
}

int writeLedColors(HidChannel& ch, const uint8_t* buffer, size_t length, uint32_t base, uint32_t stride) {
  const uint64_t first = static_cast<uint64_t>(base) * stride;
  return runChunkedLight(ch, {kCmdWriteLedColors, buffer, nullptr, length, first});
}

int streamLightFrame(HidChannel& ch, const uint8_t* buffer, size_t length) {
  if (!transferValid({kCmdStreamLightFrame, buffer, nullptr, length, 0})) return kCmdRefused;
  for (const Packet& request : chunkRequests(kCmdStreamLightFrame, buffer, length, 0)) {
    const int r = streamChunk(ch, request);
    if (r != kCmdOk) return r;
  }
  return kCmdOk;
}

int sendExitNotice(HidChannel& ch) {
  (void)singleCommand(ch, kCmdExitNotice);  // the program is ending: the answer does not matter
  return kCmdOk;
}

int writeMacroData(HidChannel& ch, const uint8_t* buffer, size_t length) {
  return runChunked(ch, {kCmdWriteMacroData, buffer, nullptr, length, 0});
}

int readBlock(HidChannel& ch, uint8_t* buffer, size_t length, uint16_t offset) {
  // One packet carries at most 56 data bytes; a longer read would overrun the answer.
  if (length > kChunkSize || (buffer == nullptr && length != 0)) return kCmdRefused;
  Packet answer;
  const Packet request = singleRequest(kCmdReadBlock, static_cast<uint8_t>(length), offset);
  const int r = mapAnswer(exchange(ch, ch.commandLock, request, answer), answer.data());
  if (r == kCmdOk && length != 0) std::memcpy(buffer, answer.data() + kOffData, length);
  return r;
}

int readKeyIndexTable(HidChannel& ch, uint8_t* buffer) {
  return runChunked(ch, {kCmdReadKeyIndexTable, nullptr, buffer, ch.dataLength.load() / 3u, 0});
}

bool queryLink(HidChannel& ch) {
  constexpr uint8_t kLinked = 0xFF;  // answer byte 8 when the wireless device is linked
  Packet answer;
  const int r = singleCommand(ch, kCmdQueryLink, &answer);
  return r == kCmdOk && answer[kOffData] == kLinked;
}

}  // namespace kavro::transport
