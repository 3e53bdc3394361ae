// The command channel over the simulated link: packet shaping, the echo check,
// time-outs, abort and the debug lines.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "platform/event.h"
#include "transport/channel_rig.h"
#include "transport/command_packet.h"
#include "transport/hid_channel.h"

namespace kavro::transport {
namespace {

using test::ChannelRig;
using test::DebugCapture;
using test::Reply;
using test::ScriptDevice;

// A request of the given command with a recognisable data byte.
std::vector<uint8_t> request(uint8_t cmd, uint8_t mark = 0x5A) { return {4, 0, 0, cmd, 1, 0, 0, 0, mark}; }

TEST(HidChannel, ShortRequestIsZeroFilledAndAnswerEchoes) {
  ChannelRig rig;
  const auto req = request(0x06);
  Packet answer{};
  size_t got = 0;
  ASSERT_EQ(rig.ch.sendAndReceive(req.data(), req.size(), answer.data(), answer.size(), &got), kResultOk);
  EXPECT_EQ(got, kPacketSize);
  EXPECT_EQ(answer[3], 0x06);
  EXPECT_EQ(rig.ch.busy.load(), 0);

  const auto sent = rig.dev->requests();
  ASSERT_EQ(sent.size(), 1u);
  std::vector<uint8_t> expected(kPacketSize, 0);
  std::copy(req.begin(), req.end(), expected.begin());
  EXPECT_EQ(sent[0], expected);  // sent as is: the channel adds no checksum of its own
}

TEST(HidChannel, LongRequestIsCutTo64Bytes) {
  ChannelRig rig;
  std::vector<uint8_t> req(100, 0xAB);
  req[0] = 4;
  req[3] = 0x06;
  Packet answer{};
  ASSERT_EQ(rig.ch.sendAndReceive(req.data(), req.size(), answer.data(), answer.size(), nullptr), kResultOk);
  const auto sent = rig.dev->requests();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].size(), kPacketSize);
  EXPECT_EQ(sent[0][63], 0xAB);
}

TEST(HidChannel, ExchangeWritesCommandAndAnswerLines) {
  ChannelRig rig;
  const auto req = request(0x01, 0x7F);
  Packet answer{};
  DebugCapture cap;
  ASSERT_EQ(rig.ch.sendAndReceive(req.data(), req.size(), answer.data(), answer.size(), nullptr), kResultOk);
  const std::string zeros32 =
      "00 00 00 00   00 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00";
  const std::string head =
      "04 00 00 01   01 00 00 00   7f 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00";
  const std::vector<std::string> expected = {"命令", head, zeros32, "返回", head, zeros32};
  EXPECT_EQ(cap.lines(), expected);
}

TEST(HidChannel, ClosedChannelSendsAndLogsNothing) {
  ChannelRig rig;
  rig.ch.closeChannel();
  EXPECT_FALSE(rig.ch.isConnected());
  const auto req = request(0x01);
  Packet answer{};
  size_t got = 99;
  DebugCapture cap;
  EXPECT_EQ(rig.ch.sendAndReceive(req.data(), req.size(), answer.data(), answer.size(), &got), kResultNoAnswer);
  EXPECT_EQ(rig.ch.sendLightFrame(req.data(), req.size(), answer.data(), answer.size(), &got), kResultNoAnswer);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(rig.ch.busy.load(), 0);
  EXPECT_TRUE(cap.lines().empty());
  EXPECT_TRUE(rig.dev->requests().empty());
}

TEST(HidChannel, CrossedAnswersGetExactlyOneExtraRead) {
  ChannelRig rig;
  const auto req = request(0x06);
  Packet answer{};
  // A foreign answer first, then the echo: the echo is the result.
  rig.dev->script({Reply::CrossedOnce});
  ASSERT_EQ(rig.ch.sendAndReceive(req.data(), req.size(), answer.data(), answer.size(), nullptr), kResultOk);
  EXPECT_EQ(answer[3], 0x06);

  // Two foreign answers: the second is the result, still with success, and the
  // echo that follows is left unread.
  rig.dev->script({Reply::CrossedTwice});
  ASSERT_EQ(rig.ch.sendAndReceive(req.data(), req.size(), answer.data(), answer.size(), nullptr), kResultOk);
  EXPECT_EQ(answer[3], ScriptDevice::kCrossedSecond);
  size_t got = 0;
  ASSERT_TRUE(rig.ch.hid.readReport(answer.size(), &got, answer.data(), test::kAnswerTimeoutMs));
  EXPECT_EQ(answer[3], 0x06);
}

TEST(HidChannel, SilentDeviceCostsTwoReads) {
  ChannelRig rig;
  constexpr int kShort = 40, kLong = 120;
  rig.ch.setTimeouts(kShort, kLong);
  rig.dev->setFallback(Reply::Silent);
  const auto req = request(0x01);
  Packet answer{};

  uint64_t t0 = tickMs();
  EXPECT_EQ(rig.ch.sendAndReceive(req.data(), req.size(), answer.data(), answer.size(), nullptr), kResultNoAnswer);
  EXPECT_GE(tickMs() - t0, 2u * kShort);

  rig.ch.longTimeouts.store(1);
  t0 = tickMs();
  EXPECT_EQ(rig.ch.sendAndReceive(req.data(), req.size(), answer.data(), answer.size(), nullptr), kResultNoAnswer);
  EXPECT_GE(tickMs() - t0, 2u * kLong);
  ASSERT_TRUE(rig.dev->waitForRequests(2, test::kAnswerTimeoutMs));
  EXPECT_EQ(rig.dev->requests().size(), 2u);  // no resend
  EXPECT_EQ(rig.ch.busy.load(), 0);
}

TEST(HidChannel, BusyIsSetOnlyDuringTheExchange) {
  ChannelRig rig;
  rig.dev->script({Reply::Hold});
  const auto req = request(0x01);
  auto pending = std::async(std::launch::async, [&] {
    Packet answer{};
    return rig.ch.sendAndReceive(req.data(), req.size(), answer.data(), answer.size(), nullptr);
  });
  ASSERT_TRUE(rig.dev->waitForRequests(1, test::kAnswerTimeoutMs));
  EXPECT_EQ(rig.ch.busy.load(), 1);
  rig.dev->release();
  EXPECT_EQ(pending.get(), kResultOk);
  EXPECT_EQ(rig.ch.busy.load(), 0);
}

TEST(HidChannel, CloseWakesAWaitingReadWithoutTakingIoLock) {
  ChannelRig rig;
  constexpr int kVeryLong = 20000;
  rig.ch.setTimeouts(kVeryLong, kVeryLong);
  rig.dev->setFallback(Reply::Silent);
  const auto req = request(0x01);
  const uint64_t t0 = tickMs();
  auto pending = std::async(std::launch::async, [&] {
    Packet answer{};
    return rig.ch.sendAndReceive(req.data(), req.size(), answer.data(), answer.size(), nullptr);
  });
  ASSERT_TRUE(rig.dev->waitForRequests(1, test::kAnswerTimeoutMs));
  rig.ch.closeChannel();
  EXPECT_EQ(pending.get(), kResultNoAnswer);
  EXPECT_LT(tickMs() - t0, static_cast<uint64_t>(kVeryLong));  // woken, not timed out
  EXPECT_FALSE(rig.ch.isConnected());
}

TEST(HidChannel, DeviceVanishingMidTransferEndsTheRead) {
  ChannelRig rig;
  constexpr int kVeryLong = 20000;
  rig.ch.setTimeouts(kVeryLong, kVeryLong);
  rig.dev->script({Reply::Vanish});
  const auto req = request(0x01);
  Packet answer{};
  const uint64_t t0 = tickMs();
  EXPECT_EQ(rig.ch.sendAndReceive(req.data(), req.size(), answer.data(), answer.size(), nullptr), kResultNoAnswer);
  EXPECT_LT(tickMs() - t0, static_cast<uint64_t>(kVeryLong));  // the hang-up ends the wait

  // The channel is still marked open: the next write fails.
  EXPECT_EQ(rig.ch.sendAndReceive(req.data(), req.size(), answer.data(), answer.size(), nullptr),
            kResultWriteFailed);
  EXPECT_EQ(rig.ch.busy.load(), 0);
  EXPECT_EQ(rig.dev->requests().size(), 1u);
}

TEST(HidChannel, ReopenAfterCloseWorks) {
  ChannelRig rig;
  rig.ch.closeChannel();
  ASSERT_TRUE(rig.ch.openPath(rig.dev->hostPath()));
  const auto req = request(0x01);
  Packet answer{};
  EXPECT_EQ(rig.ch.sendAndReceive(req.data(), req.size(), answer.data(), answer.size(), nullptr), kResultOk);
  EXPECT_FALSE(rig.ch.openPath("sim:no-such-interface#vid_0c45&pid_7666&mi_01"));
  EXPECT_FALSE(rig.ch.isConnected());
}

TEST(HidChannel, LightFrameTakesFirstAnswerUnloggedAndLeavesBusy) {
  ChannelRig rig;
  rig.dev->script({Reply::CrossedOnce});
  const auto req = request(0x12);
  Packet answer{};
  size_t got = 0;
  DebugCapture cap;
  rig.ch.busy.store(1);  // the light path neither reads nor writes it
  EXPECT_EQ(rig.ch.sendLightFrame(req.data(), req.size(), answer.data(), answer.size(), &got), kResultOk);
  EXPECT_EQ(answer[3], ScriptDevice::kCrossedFirst);  // no echo check
  EXPECT_EQ(rig.ch.busy.load(), 1);
  EXPECT_TRUE(cap.lines().empty());
}

TEST(HidChannel, OutputReportGoesOutWholeWithItsIdAndNoAnswerIsAwaited) {
  ChannelRig rig;
  rig.dev->script({Reply::Silent});  // an output report has no answer
  std::vector<uint8_t> report(17, 0);
  report[0] = 0xFF;
  report[1] = 0x22;
  report[16] = 0x7E;
  DebugCapture cap;
  EXPECT_EQ(rig.ch.writeOutputReport(report.data(), report.size()), kResultOk);
  ASSERT_TRUE(rig.dev->waitForRequests(1, test::kAnswerTimeoutMs));
  EXPECT_EQ(rig.dev->requests()[0], report);  // not padded to a command packet
  EXPECT_TRUE(cap.lines().empty());

  EXPECT_EQ(rig.ch.writeOutputReport(nullptr, 0), kResultWriteFailed);
  rig.ch.closeChannel();
  EXPECT_EQ(rig.ch.writeOutputReport(report.data(), report.size()), kResultNoAnswer);
  EXPECT_EQ(rig.dev->requests().size(), 1u);
}

TEST(HidChannel, DataLengthIsCappedAt512) {
  HidChannel ch;
  EXPECT_EQ(ch.dataLength.load(), 512);
  EXPECT_TRUE(ch.setDataLength(300));
  EXPECT_FALSE(ch.setDataLength(513));
  EXPECT_EQ(ch.dataLength.load(), 300);
  EXPECT_TRUE(ch.setDataLength(512));
  EXPECT_EQ(ch.dataLength.load(), 512);
}

}  // namespace
}  // namespace kavro::transport
