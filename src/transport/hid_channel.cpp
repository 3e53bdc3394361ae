#include "transport/hid_channel.h"

#include <algorithm>
#include <cstring>

#include "transport/command_packet.h"

namespace kavro::transport {

namespace {
// Copies a request into a 64-byte packet: zero-filled when shorter, cut when longer.
Packet toPacket(const uint8_t* request, size_t requestLength) {
  Packet packet{};
  if (request != nullptr) std::memcpy(packet.data(), request, std::min(requestLength, kPacketSize));
  return packet;
}

// True when an answer of `got` bytes carries the request's command byte.
bool echoes(const uint8_t* answer, size_t got, uint8_t command) {
  return got > kOffCommand && answer[kOffCommand] == command;
}
}  // namespace

HidChannel::HidChannel() = default;

HidChannel::~HidChannel() {
  isOpen.store(0);
  hid.destroy();
}

void HidChannel::setTimeouts(int shortMs, int longMs) {
  shortTimeoutMs_.store(shortMs);
  longTimeoutMs_.store(longMs);
}

bool HidChannel::setDataLength(uint16_t length) {
  if (length > kMaxDataLength) return false;
  dataLength.store(length);
  return true;
}

bool HidChannel::openPath(const std::string& path) {
  std::lock_guard<std::mutex> io(ioLock);
  // No transfer of this channel runs while ioLock is held, so an abort left
  // over from an earlier close must not cut the first transfer of this opening short.
  hid.clearAbort();
  const bool ok = hid.open(path, /*wantRead=*/true, /*wantWrite=*/true, /*overlapped=*/true, /*exclusive=*/false);
  isOpen.store(ok ? 1 : 0);
  return ok;
}

void HidChannel::closeChannel() {
  // Cleared first so that a transfer woken by the abort makes no further read.
  // ioLock is not taken: a read may be waiting under it, and close wakes it.
  isOpen.store(0);
  hid.close();
}

bool HidChannel::readAnswer(uint8_t command, uint8_t* answer, size_t answerLength, size_t* bytesRead,
                            int timeoutMs) {
  size_t got = 0;
  bool ok = hid.readReport(answerLength, &got, answer, timeoutMs);
  // One extra read absorbs an answer that belongs to a request of another thread
  // (or a missing one); its result is the result of the exchange.
  if (!(ok && echoes(answer, got, command)) && isOpen.load()) {
    got = 0;
    ok = hid.readReport(answerLength, &got, answer, timeoutMs);
  }
  *bytesRead = ok ? got : 0;
  return ok;
}

int HidChannel::sendAndReceive(const uint8_t* request, size_t requestLength, uint8_t* answer,
                               size_t answerLength, size_t* bytesRead) {
  size_t ignored = 0;
  if (bytesRead == nullptr) bytesRead = &ignored;
  busy.store(1);
  *bytesRead = 0;
  if (!isOpen.load()) {
    busy.store(0);
    return kResultNoAnswer;
  }
  Packet packet = toPacket(request, requestLength);
  logPacket("命令", packet.data());
  const int timeoutMs = exchangeTimeoutMs();

  // The echo check needs byte 3; a caller with a shorter (or no) answer buffer
  // gets its part of an answer read into a full packet.
  Packet scratch{};
  const bool direct = answer != nullptr && answerLength > kOffCommand;
  uint8_t* target = direct ? answer : scratch.data();
  const size_t readLength = direct ? answerLength : kPacketSize;
  bool ok;
  {
    // One exchange holds ioLock from its write to its last read, so a
    // request of another thread (a light chunk during a configuration
    // transfer) can no longer take this request's answer and leave both
    // waiting for the time-out.
    std::lock_guard<std::mutex> io(ioLock);
    size_t written = 0;
    if (!hid.writeReport(kPacketSize, &written, packet.data(), timeoutMs)) {
      busy.store(0);
      return kResultWriteFailed;
    }
    ok = readAnswer(packet[kOffCommand], target, readLength, bytesRead, timeoutMs);
  }
  if (!direct && answer != nullptr) {
    std::memcpy(answer, scratch.data(), answerLength);
    *bytesRead = std::min(*bytesRead, answerLength);
  }

  packet.fill(0);
  std::memcpy(packet.data(), target, std::min(readLength, kPacketSize));
  logPacket("返回", packet.data());
  busy.store(0);
  return ok ? kResultOk : kResultNoAnswer;
}

int HidChannel::sendLightFrame(const uint8_t* request, size_t requestLength, uint8_t* answer, size_t answerLength,
                               size_t* bytesRead) {
  size_t ignored = 0;
  if (bytesRead == nullptr) bytesRead = &ignored;
  *bytesRead = 0;
  if (!isOpen.load()) return kResultNoAnswer;
  const Packet packet = toPacket(request, requestLength);
  const int timeoutMs = lightTimeoutMs();

  Packet scratch{};
  uint8_t* target = answer != nullptr ? answer : scratch.data();
  const size_t readLength = answer != nullptr ? answerLength : kPacketSize;
  bool ok;
  {
    std::lock_guard<std::mutex> io(ioLock);  // write and read as one exchange
    size_t written = 0;
    if (!hid.writeReport(kPacketSize, &written, packet.data(), timeoutMs)) return kResultWriteFailed;
    ok = hid.readReport(readLength, bytesRead, target, timeoutMs);
  }
  return ok ? kResultOk : kResultNoAnswer;
}

int HidChannel::writeOutputReport(const uint8_t* report, size_t length) {
  if (!isOpen.load()) return kResultNoAnswer;
  if (report == nullptr || length == 0) return kResultWriteFailed;
  std::lock_guard<std::mutex> io(ioLock);
  size_t written = 0;
  return hid.writeReport(length, &written, report, lightTimeoutMs()) ? kResultOk : kResultWriteFailed;
}

}  // namespace kavro::transport
