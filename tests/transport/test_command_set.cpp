// The command set over the simulated link: exact requests of every command,
// result mapping, refused arguments and the light-frame drop rules.
#include <gtest/gtest.h>

#include <functional>
#include <future>

#include "platform/event.h"
#include "transport/channel_rig.h"
#include "transport/command_set.h"

namespace kavro::transport {
namespace {

using test::ChannelRig;
using test::DebugCapture;
using test::Reply;
using test::ScriptDevice;

uint8_t src(size_t i) { return static_cast<uint8_t>(i * 13 + 5); }

struct Chunk {
  int length;
  int offset;
};

struct CommandCase {
  const char* name;
  uint8_t command;
  uint16_t dataLength;          // channel dataLength for the table commands
  const uint8_t* writtenFrom;   // source of a write, for the data check; null otherwise
  std::function<int(HidChannel&, const uint8_t* in, uint8_t* out)> run;
  std::vector<Chunk> chunks;
  size_t readBytes;  // bytes a read delivers into `out`, from the device's wire offset 0..
  int readOffset;    // first device offset of a read
};

TEST(CommandSet, EveryCommandSendsItsExactRequests) {
  std::vector<uint8_t> in(1024);
  for (size_t i = 0; i < in.size(); ++i) in[i] = src(i);
  const uint8_t* W = in.data();
  const std::vector<CommandCase> cases = {
      {"beginConfig", 0x01, 512, nullptr, [](HidChannel& c, auto, auto) { return beginConfig(c); }, {{0, 0}}, 0, 0},
      {"endConfig", 0x02, 512, nullptr, [](HidChannel& c, auto, auto) { return endConfig(c, 7); }, {{0, 0}}, 0, 0},
      {"readDeviceInfo", 0x03, 512, nullptr, [](HidChannel& c, auto, uint8_t* o) { return readDeviceInfo(c, o); },
       {{34, 0}}, 0, 0},  // content checked in its own test
      {"readSettings", 0x05, 512, nullptr,
       [](HidChannel& c, auto, uint8_t* o) { return readSettings(c, o, 60, 200); }, {{56, 200}, {4, 256}}, 60, 200},
      {"writeSettings", 0x06, 512, W, [](HidChannel& c, const uint8_t* i, auto) { return writeSettings(c, i, 26, 25); },
       {{26, 25}}, 0, 0},
      {"readKeyTable", 0x07, 120, nullptr, [](HidChannel& c, auto, uint8_t* o) { return readKeyTable(c, o); },
       {{56, 0}, {56, 56}, {8, 112}}, 120, 0},
      {"writeKeyTable", 0x09, 120, W, [](HidChannel& c, const uint8_t* i, auto) { return writeKeyTable(c, i, 0); },
       {{56, 0}, {56, 56}, {8, 112}}, 0, 0},
      {"writeLedColors", 0x0B, 512, W,
       [](HidChannel& c, const uint8_t* i, auto) { return writeLedColors(c, i, 130, 2, 512); },
       {{56, 1024}, {56, 1080}, {18, 1136}}, 0, 0},
      {"streamLightFrame", 0x12, 512, W,
       [](HidChannel& c, const uint8_t* i, auto) { return streamLightFrame(c, i, 378); },
       {{56, 0}, {56, 56}, {56, 112}, {56, 168}, {56, 224}, {56, 280}, {42, 336}}, 0, 0},
      {"sendExitNotice", 0x13, 512, nullptr, [](HidChannel& c, auto, auto) { return sendExitNotice(c); }, {{0, 0}}, 0,
       0},
      {"writeMacroData", 0x15, 512, W, [](HidChannel& c, const uint8_t* i, auto) { return writeMacroData(c, i, 100); },
       {{56, 0}, {44, 56}}, 0, 0},
      {"readBlock", 0x1A, 512, nullptr, [](HidChannel& c, auto, uint8_t* o) { return readBlock(c, o, 10, 0x123); },
       {{10, 0x123}}, 10, 0x123},
      {"readKeyIndexTable", 0x1B, 300, nullptr, [](HidChannel& c, auto, uint8_t* o) { return readKeyIndexTable(c, o); },
       {{56, 0}, {44, 56}}, 100, 0},
      {"queryLink", 0xAA, 512, nullptr, [](HidChannel& c, auto, auto) { return queryLink(c) ? 1 : 0; }, {{0, 0}}, 0,
       0},
  };
  for (const CommandCase& c : cases) {
    SCOPED_TRACE(c.name);
    ChannelRig rig;
    ASSERT_TRUE(rig.ch.setDataLength(c.dataLength));
    std::vector<uint8_t> out(1024, 0xEE);
    EXPECT_EQ(c.run(rig.ch, in.data(), out.data()), kCmdOk);

    const auto sent = rig.dev->requests();
    ASSERT_EQ(sent.size(), c.chunks.size());
    size_t p = 0;
    for (size_t k = 0; k < sent.size(); ++k) {
      const auto& r = sent[k];
      ASSERT_EQ(r.size(), kPacketSize);
      EXPECT_EQ(r[0], 4);
      EXPECT_EQ(r[3], c.command);
      EXPECT_EQ(r[4], c.chunks[k].length);
      EXPECT_EQ(r[5] | (r[6] << 8), c.chunks[k].offset);
      EXPECT_EQ(r[7], 0);
      EXPECT_EQ(r[1] | (r[2] << 8), packetChecksum(r.data()));
      if (c.writtenFrom != nullptr) {
        for (int i = 0; i < c.chunks[k].length; ++i) {
          EXPECT_EQ(r[8 + i], c.writtenFrom[p + i]) << "chunk " << k;
        }
      } else {
        for (size_t i = 8; i < kPacketSize; ++i) {
          EXPECT_EQ(r[i], 0) << "chunk " << k;
        }
      }
      p += c.chunks[k].length;
    }
    for (size_t i = 0; i < c.readBytes; ++i) ASSERT_EQ(out[i], ScriptDevice::pattern(c.readOffset + i)) << i;
    if (c.readBytes > 0) {
      EXPECT_EQ(out[c.readBytes], 0xEE);  // nothing beyond the transfer
    }
  }
}

TEST(CommandSet, DeviceInfoByte6IsAlways72) {
  ChannelRig rig;
  uint8_t record[kDeviceInfoSize] = {};
  ASSERT_EQ(readDeviceInfo(rig.ch, record), kCmdOk);
  ASSERT_NE(ScriptDevice::pattern(6), 72);
  EXPECT_EQ(record[6], 72);
  EXPECT_EQ(record[5], ScriptDevice::pattern(5));
  EXPECT_EQ(record[33], ScriptDevice::pattern(33));
}

TEST(CommandSet, StatusErrorsEndTheTransferAtThatChunk) {
  std::vector<uint8_t> data(200, 1);
  for (auto [reply, code] : {std::pair{Reply::StatusError, kCmdStatusError}, {Reply::StatusBusy, kCmdStatusBusy}}) {
    ChannelRig rig;
    rig.dev->script({Reply::Echo, reply});
    EXPECT_EQ(writeSettings(rig.ch, data.data(), data.size(), 0), code);
    EXPECT_EQ(rig.dev->requests().size(), 2u);  // the third and fourth chunk are never sent
  }
  ChannelRig rig;
  rig.dev->script({Reply::StatusBusy});
  EXPECT_EQ(beginConfig(rig.ch), kCmdStatusBusy);
}

TEST(CommandSet, RefusedArgumentsSendNothing) {
  ChannelRig rig;
  std::vector<uint8_t> buf(4096);
  EXPECT_EQ(writeKeyTable(rig.ch, buf.data(), 1), kCmdRefused);
  EXPECT_EQ(readBlock(rig.ch, buf.data(), 57, 0), kCmdRefused);
  // 128 x 512 = 0x10000 does not fit the 16-bit offset of the packet.
  EXPECT_EQ(writeLedColors(rig.ch, buf.data(), 10, 128, 512), kCmdRefused);
  EXPECT_EQ(writeSettings(rig.ch, buf.data(), 200, 0xFFD0), kCmdRefused);
  EXPECT_EQ(writeMacroData(rig.ch, nullptr, 10), kCmdRefused);
  EXPECT_TRUE(rig.dev->requests().empty());
}

TEST(CommandSet, TransportResultsPassThrough) {
  ChannelRig rig;
  rig.ch.closeChannel();
  uint8_t buf[64] = {};
  EXPECT_EQ(beginConfig(rig.ch), 0);
  EXPECT_EQ(writeSettings(rig.ch, buf, 10, 0), 0);
  EXPECT_EQ(sendExitNotice(rig.ch), kCmdOk);  // ignores everything
  EXPECT_FALSE(queryLink(rig.ch));
  EXPECT_TRUE(rig.dev->requests().empty());
}

TEST(CommandSet, SilentDeviceGivesNoAnswerExceptForExitNotice) {
  ChannelRig rig;
  rig.ch.setTimeouts(20, 20);
  rig.dev->setFallback(Reply::Silent);
  uint8_t buf[100] = {};
  EXPECT_EQ(readSettings(rig.ch, buf, sizeof buf, 0), 0);
  // The device thread may record the request after the host gave up on it.
  ASSERT_TRUE(rig.dev->waitForRequests(1, test::kAnswerTimeoutMs));
  EXPECT_EQ(rig.dev->requests().size(), 1u);  // the transfer ended at its first chunk
  EXPECT_EQ(sendExitNotice(rig.ch), kCmdOk);
}

TEST(CommandSet, QueryLinkNeedsStatusOkAndLinkedByte) {
  ChannelRig rig;
  EXPECT_TRUE(queryLink(rig.ch));
  rig.dev->script({Reply::StatusBusy});
  EXPECT_FALSE(queryLink(rig.ch));  // byte 8 is still 0xFF
  rig.dev->script({Reply::StatusError});
  EXPECT_FALSE(queryLink(rig.ch));
  rig.dev->setLinkByte(0x00);
  EXPECT_FALSE(queryLink(rig.ch));
}

TEST(CommandSet, EndConfigWaitsBeforeSending) {
  ChannelRig rig;
  const uint64_t t0 = tickMs();
  EXPECT_EQ(endConfig(rig.ch), kCmdOk);
  EXPECT_GE(tickMs() - t0, kEndConfigDelayMs);
}

TEST(CommandSet, LightFrameChunksAreDroppedWhileBusyOrInLongMode) {
  ChannelRig rig;
  std::vector<uint8_t> frame(100, 0x33);
  rig.dev->script({Reply::Hold});
  auto config = std::async(std::launch::async, [&] { return beginConfig(rig.ch); });
  ASSERT_TRUE(rig.dev->waitForRequests(1, test::kAnswerTimeoutMs));
  {
    DebugCapture cap;
    EXPECT_EQ(streamLightFrame(rig.ch, frame.data(), frame.size()), kCmdOk);
    EXPECT_EQ(cap.lines(), (std::vector<std::string>{"放弃灯光数据", "放弃灯光数据"}));
  }
  rig.dev->release();
  EXPECT_EQ(config.get(), kCmdOk);
  EXPECT_EQ(rig.dev->requests().size(), 1u);

  rig.ch.longTimeouts.store(1);
  DebugCapture cap;
  EXPECT_EQ(streamLightFrame(rig.ch, frame.data(), frame.size()), kCmdOk);
  EXPECT_TRUE(cap.lines().empty());
  EXPECT_EQ(rig.dev->requests().size(), 1u);
}

TEST(CommandSet, LightAndConfigurationTransfersShareTheChannel) {
  ChannelRig rig;
  std::vector<uint8_t> settings(560, 0x11), colors(560, 0x22);
  auto config = std::async(std::launch::async, [&] { return writeSettings(rig.ch, settings.data(), 560, 0); });
  auto light = std::async(std::launch::async, [&] { return writeLedColors(rig.ch, colors.data(), 560, 1, 512); });
  EXPECT_EQ(config.get(), kCmdOk);
  EXPECT_EQ(light.get(), kCmdOk);
  size_t settingsChunks = 0, colorChunks = 0;
  for (const auto& r : rig.dev->requests()) {
    settingsChunks += r[3] == kCmdWriteSettings;
    colorChunks += r[3] == kCmdWriteLedColors;
  }
  EXPECT_EQ(settingsChunks, 10u);
  EXPECT_EQ(colorChunks, 10u);
}

}  // namespace
}  // namespace kavro::transport
