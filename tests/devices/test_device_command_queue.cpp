// The ordered command queue of a device: jobs run one after the other on
// the worker in the order they were posted, stopping drops what is queued
// and cuts a waiting job short through the nudge.
#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

#include "devices/device_command_queue.h"
#include "platform/event.h"
#include "transport/sequence_result.h"

namespace kavro::devices {
namespace {

TEST(DeviceCommandQueue, RunsJobsInOrderOnItsOwnThread) {
  DeviceCommandQueue q;
  EXPECT_FALSE(q.post([] {}));  // not started: nothing is taken
  q.start();
  std::mutex m;
  std::vector<int> order;
  std::vector<std::thread::id> threads;
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(q.post([&, i] {
      std::lock_guard<std::mutex> lock(m);
      order.push_back(i);
      threads.push_back(std::this_thread::get_id());
    }));
  }
  ASSERT_TRUE(q.waitIdle(5000));
  EXPECT_TRUE(q.idle());
  ASSERT_EQ(order.size(), 50u);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(order[static_cast<size_t>(i)], i);
  for (auto id : threads) {
    EXPECT_NE(id, std::this_thread::get_id());
    EXPECT_EQ(id, threads.front());
  }
}

TEST(DeviceCommandQueue, StoppingDropsWhatIsQueuedAndCutsTheRunningJobShort) {
  DeviceCommandQueue q;
  q.start();
  Event release(Event::Reset::Manual);
  Event started(Event::Reset::Manual);
  bool cutShort = false;
  int laterJobsRun = 0;
  // A job that waits on the device until it is aborted (as a transfer is).
  q.post([&] {
    started.set();
    cutShort = release.wait(10000);
  });
  for (int i = 0; i < 5; ++i) q.post([&] { ++laterJobsRun; });
  ASSERT_TRUE(started.wait(5000));
  EXPECT_FALSE(q.idle());
  EXPECT_FALSE(q.waitIdle(50));
  EXPECT_EQ(q.cancelPending(), 5u);
  q.stop([&] { release.set(); });
  EXPECT_TRUE(cutShort);
  EXPECT_EQ(laterJobsRun, 0);
  EXPECT_FALSE(q.running());
  EXPECT_TRUE(q.idle());
  EXPECT_FALSE(q.post([] {}));
  q.start();  // a queue starts again for the next connection
  EXPECT_TRUE(q.post([&] { ++laterJobsRun; }));
  ASSERT_TRUE(q.waitIdle(5000));
  EXPECT_EQ(laterJobsRun, 1);
}

TEST(SequenceResult, KeepsTheFirstFailureAndKnowsWhatSilenceLooksLike) {
  transport::SequenceResult seq;
  EXPECT_EQ(seq.value(), transport::kCmdOk);
  EXPECT_EQ(seq.note(transport::kCmdOk), transport::kCmdOk);
  EXPECT_EQ(seq.note(transport::kCmdStatusBusy), transport::kCmdStatusBusy);
  seq.note(transport::kResultNoAnswer);
  EXPECT_EQ(seq.value(), transport::kCmdStatusBusy);
  for (int r : {transport::kResultNoAnswer, transport::kResultWriteFailed, transport::kCmdStatusError,
                transport::kCmdStatusBusy}) {
    EXPECT_TRUE(transport::isNoAnswerResult(r)) << r;
  }
  EXPECT_FALSE(transport::isNoAnswerResult(transport::kCmdOk));
  EXPECT_FALSE(transport::isNoAnswerResult(transport::kCmdRefused));
}

}  // namespace
}  // namespace kavro::devices
