#pragma once
// The request/answer channel over one vendor HID interface: writes one 64-byte
// request and reads the answer that echoes its command byte, serialised by the
// channel's locks, bounded by time-outs and logged.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/hid/hid_device.h"

namespace kavro::transport {

constexpr uint16_t kMaxDataLength = 512;
constexpr int kShortTimeoutMs = 1000;
constexpr int kLongTimeoutMs = 5000;

// Transport results of sendAndReceive / sendLightFrame.
constexpr int kResultOk = 1;
constexpr int kResultNoAnswer = 0;  // closed channel, or the read failed
constexpr int kResultWriteFailed = -1;

class HidChannel {
 public:
  HidChannel();
  ~HidChannel();
  HidChannel(const HidChannel&) = delete;
  HidChannel& operator=(const HidChannel&) = delete;

  // Sends a request (zero-filled or cut to 64 bytes) and reads its answer.
  int sendAndReceive(const uint8_t* request, size_t requestLength, uint8_t* answer, size_t answerLength,
                     size_t* bytesRead);
  // Sends one streamed light frame chunk and reads one answer, with no echo
  // check, no logging and without touching busy.
  int sendLightFrame(const uint8_t* request, size_t requestLength, uint8_t* answer, size_t answerLength,
                     size_t* bytesRead);
  // Writes one output report of another report id (byte 0 the id) on the
  // channel's interface, with no answer to read: kResultOk, kResultNoAnswer
  // when the channel is closed, kResultWriteFailed when the write failed.
  // Takes ioLock, so it never falls between a request and its answer.
  int writeOutputReport(const uint8_t* report, size_t length);
  bool setDataLength(uint16_t length);
  bool isConnected() const { return isOpen.load(); }

  // Opens the interface (read, write, overlapped, shared) under ioLock and marks
  // the channel open on success.
  bool openPath(const std::string& path);
  // Closes the interface (a waiting transfer is aborted) and marks it closed.
  void closeChannel();

  std::atomic<uint16_t> dataLength{kMaxDataLength};
  std::atomic<uint8_t> busy{0};
  std::atomic<int> isOpen{0};
  std::atomic<int> stateFlag{0};  // lighting-synchronisation flag owned by the device layer
  hid::HidDeviceInfo hid;
  std::mutex ioLock;
  std::mutex commandLock;
  std::mutex lightLock;
  std::atomic<int> longTimeouts{0};
  uint32_t chunkSize = 56;

  // Replaces the two time-outs (1000 and 5000 ms unless changed). Lets tests and
  // tools bound the wait on a silent device without waiting whole seconds.
  void setTimeouts(int shortMs, int longMs);
  // The time-out of each write and read of sendAndReceive in the current mode.
  int exchangeTimeoutMs() const { return longTimeouts.load() ? longTimeoutMs_.load() : shortTimeoutMs_.load(); }
  // The fixed time-out of the light-frame write and read.
  int lightTimeoutMs() const { return shortTimeoutMs_.load(); }

 private:
  // Reads the answer, with the one extra read when the first one is missing or
  // does not echo the request's command byte. Called with ioLock held.
  bool readAnswer(uint8_t command, uint8_t* answer, size_t answerLength, size_t* bytesRead, int timeoutMs);

  std::atomic<int> shortTimeoutMs_{kShortTimeoutMs};
  std::atomic<int> longTimeoutMs_{kLongTimeoutMs};
};

}  // namespace kavro::transport
