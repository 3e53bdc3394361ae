#pragma once
// A scriptable simulated command interface for the transport tests. It sits
// behind the real socket link, records every request it receives and answers
// each one as its script says: echo (with read data from its memory), answer
// with an error status, stay silent, answer with crossed command bytes first,
// or hold the answer until the test releases it.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/hid/sim_link.h"

namespace kavro::test {

enum class Reply {
  Echo,          // the request back with status 0; read commands carry memory data
  StatusError,   // echo with status 0xFF
  StatusBusy,    // echo with status 0xFE
  Silent,        // no answer
  CrossedOnce,   // an answer to another command, then the echo
  CrossedTwice,  // two answers to other commands (0x12 then 0x13), then the echo
  Hold,          // the echo, sent only when release() is called
  Vanish,        // hang up every connection instead of answering
};

class ScriptDevice : public hid::sim::SimInterface {
 public:
  static constexpr uint8_t kCrossedFirst = 0x12;
  static constexpr uint8_t kCrossedSecond = 0x13;

  explicit ScriptDevice(const std::string& name);
  ~ScriptDevice() override;

  void onOutputReport(const uint8_t* data, size_t len) override;

  // Replies for the next requests, in order; after them every request gets `fallback`.
  void script(std::initializer_list<Reply> replies);
  void setFallback(Reply r);
  // Answer byte 8 for queryLink (0xFF = linked).
  void setLinkByte(uint8_t b);

  std::vector<std::vector<uint8_t>> requests() const;
  // Waits until at least n requests arrived; false after timeoutMs.
  bool waitForRequests(size_t n, int timeoutMs) const;
  // Sends the held answer, if any.
  void release();

  // The device memory read commands take their data from: byte i = pattern(i).
  static uint8_t pattern(size_t i) { return static_cast<uint8_t>(i * 7 + 3); }
  // The full host path of this interface as enumeration lists it.
  std::string hostPath() const;

 private:
  std::vector<uint8_t> echoFor(const uint8_t* data, size_t len) const;

  mutable std::mutex mutex_;
  mutable std::condition_variable arrived_;
  std::vector<std::vector<uint8_t>> requests_;
  std::deque<Reply> script_;
  Reply fallback_ = Reply::Echo;
  uint8_t linkByte_ = 0xFF;
  std::vector<uint8_t> held_;
};

// A registered device with a unique name.
std::shared_ptr<ScriptDevice> makeRegisteredDevice();

}  // namespace kavro::test
