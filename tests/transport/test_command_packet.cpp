// Request building and the packet debug lines, without I/O.
#include <gtest/gtest.h>

#include "transport/channel_rig.h"
#include "transport/command_packet.h"
#include "transport/command_set.h"

namespace kavro::transport {
namespace {

TEST(CommandPacket, ChecksumCoversBytes3To63LowByteFirst) {
  const Packet begin = singleRequest(kCmdBeginConfig);
  EXPECT_EQ(begin[0], 4);
  EXPECT_EQ(begin[1], 0x01);
  EXPECT_EQ(begin[2], 0x00);
  EXPECT_EQ(begin[3], 0x01);

  Packet p{};
  p.fill(0xFF);  // bytes 0-2 must not count
  sealPacket(p.data());
  EXPECT_EQ(p[1], 0xC3);  // 61 x 0xFF = 0x3CC3
  EXPECT_EQ(p[2], 0x3C);
  EXPECT_EQ(packetChecksum(p.data()), 0x3CC3);
}

TEST(CommandPacket, ReadBlockRequestCarriesLengthAndOffset) {
  const Packet p = singleRequest(kCmdReadBlock, 10, 0x0123);
  const Packet expected = {4, 0x48, 0x00, 0x1A, 10, 0x23, 0x01, 0};  // 0x1A + 10 + 0x23 + 0x01 = 0x48
  EXPECT_EQ(p, expected);
}

TEST(CommandPacket, ShortLastChunkKeepsPreviousChunkTail) {
  uint8_t data[100];
  for (int i = 0; i < 100; ++i) data[i] = static_cast<uint8_t>(i + 1);
  const auto reqs = chunkRequests(kCmdWriteMacroData, data, sizeof data, 0);
  ASSERT_EQ(reqs.size(), 2u);

  Packet first{4, 0x89, 0x06, 0x15, 56, 0, 0, 0};  // 0x15 + 56 + (1+...+56) = 0x0689
  for (int i = 0; i < 56; ++i) first[8 + i] = static_cast<uint8_t>(i + 1);
  EXPECT_EQ(reqs[0], first);

  // Bytes 52-63 still hold values 45-56 of the first chunk, and are summed.
  Packet second = first;
  second[1] = 0x55;  // 0x15 + 44 + 56 + (57+...+100) + (45+...+56) = 0x1055
  second[2] = 0x10;
  second[4] = 44;
  second[5] = 56;
  for (int i = 0; i < 44; ++i) second[8 + i] = static_cast<uint8_t>(57 + i);
  EXPECT_EQ(reqs[1], second);
}

TEST(CommandPacket, ChunkOffsetsAndLengths) {
  struct Case {
    size_t total;
    uint16_t first;
    std::vector<std::pair<int, int>> lengthAndOffset;
  };
  const Case cases[] = {
      {0, 0, {}},
      {1, 7, {{1, 7}}},
      {56, 0, {{56, 0}}},
      {57, 0, {{56, 0}, {1, 56}}},
      {168, 1024, {{56, 1024}, {56, 1080}, {56, 1136}}},
  };
  for (const Case& c : cases) {
    const auto reqs = chunkRequests(kCmdReadSettings, nullptr, c.total, c.first);
    ASSERT_EQ(reqs.size(), c.lengthAndOffset.size()) << c.total;
    for (size_t i = 0; i < reqs.size(); ++i) {
      EXPECT_EQ(reqs[i][4], c.lengthAndOffset[i].first);
      EXPECT_EQ(reqs[i][5] | (reqs[i][6] << 8), c.lengthAndOffset[i].second);
      EXPECT_EQ(packetChecksum(reqs[i].data()), reqs[i][1] | (reqs[i][2] << 8));
    }
  }
}

TEST(CommandPacket, OffsetsBeyond16BitsDoNotFit) {
  EXPECT_TRUE(chunkOffsetsFit(0xFFFF, 56));   // one chunk at 0xFFFF
  EXPECT_FALSE(chunkOffsetsFit(0xFFFF, 57));  // the second would wrap to 0x0037
  EXPECT_TRUE(chunkOffsetsFit(0xFFFF - 56, 112));
  EXPECT_FALSE(chunkOffsetsFit(0x10000, 1));
  EXPECT_TRUE(chunkOffsetsFit(0x10000, 0));
}

TEST(CommandPacket, AnswerMapping) {
  Packet a{};
  EXPECT_EQ(mapAnswer(kResultOk, a.data()), kCmdOk);
  a[kOffStatus] = 0xFF;
  EXPECT_EQ(mapAnswer(kResultOk, a.data()), kCmdStatusError);
  EXPECT_EQ(mapAnswer(kResultNoAnswer, a.data()), 0);  // transport result wins
  EXPECT_EQ(mapAnswer(kResultWriteFailed, a.data()), -1);
  a[kOffStatus] = 0xFE;
  EXPECT_EQ(mapAnswer(kResultOk, a.data()), kCmdStatusBusy);
  a[kOffStatus] = 0x01;  // any other status is success
  EXPECT_EQ(mapAnswer(kResultOk, a.data()), kCmdOk);
}

TEST(CommandPacket, DebugLinesAreTwoRowsOf32Bytes) {
  Packet p{};
  for (size_t i = 0; i < p.size(); ++i) p[i] = static_cast<uint8_t>(i);
  test::DebugCapture cap;
  logPacket("命令", p.data());
  const std::vector<std::string> expected = {
      "命令",
      "00 01 02 03   04 05 06 07   08 09 0a 0b   0c 0d 0e 0f  10 11 12 13  14 15 16 17  18 19 1a 1b  1c 1d 1e 1f",
      "20 21 22 23   24 25 26 27   28 29 2a 2b   2c 2d 2e 2f  30 31 32 33  34 35 36 37  38 39 3a 3b  3c 3d 3e 3f",
  };
  EXPECT_EQ(cap.lines(), expected);
}

}  // namespace
}  // namespace kavro::transport
