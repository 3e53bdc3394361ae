#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "platform/debug.h"
#include "platform/event.h"

using namespace kavro;

TEST(Event, AutoResetIsConsumedByOneWaitManualStaysSet) {
  Event autoEv(Event::Reset::Auto), manual(Event::Reset::Manual);
  autoEv.set();
  manual.set();
  EXPECT_TRUE(autoEv.wait(0));
  EXPECT_FALSE(autoEv.wait(0));
  EXPECT_TRUE(manual.wait(0));
  EXPECT_TRUE(manual.wait(0));
  manual.reset();
  EXPECT_FALSE(manual.isSet());
  // Setting twice is still one set: a single wait consumes it.
  autoEv.set();
  autoEv.set();
  EXPECT_TRUE(autoEv.wait(0));
  EXPECT_FALSE(autoEv.isSet());
}

TEST(Event, WaitAnyReportsFirstReadyInListOrderAndTimesOut) {
  Event a(Event::Reset::Auto), b(Event::Reset::Manual);
  int p[2];
  ASSERT_EQ(pipe(p), 0);
  EXPECT_EQ(waitAny({a, b, Waitable::descriptor(p[0])}, 10), kWaitTimeout);
  ASSERT_EQ(write(p[1], "x", 1), 1);
  b.set();
  EXPECT_EQ(waitAny({a, b, Waitable::descriptor(p[0])}, 0), 1);
  a.set();
  EXPECT_EQ(waitAny({a, b, Waitable::descriptor(p[0])}, 0), 0);
  b.reset();
  EXPECT_EQ(waitAny({a, b, Waitable::descriptor(p[0])}, 0), 2);
  close(p[0]);
  close(p[1]);
}

TEST(Event, SetFromAnotherThreadWakesWaiter) {
  Event stop(Event::Reset::Manual);
  const uint64_t t0 = tickMs();
  std::thread t([&] {
    sleepMs(20);
    stop.set();
  });
  EXPECT_TRUE(stop.wait(5000));
  EXPECT_LT(tickMs() - t0, 4000u);
  t.join();
}

TEST(Debug, CaptureSeesLinesEvenWhenOutputIsOff) {
  std::vector<std::string> lines;
  dbg::setEnabled(false);
  dbg::setCapture([&](const std::string& s) { lines.push_back(s); });
  dbg::printf("readjsonFile 错误吗：：%d\n", 2);
  dbg::setCapture(nullptr);
  dbg::printf("not captured\n");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "readjsonFile 错误吗：：2\n");
  EXPECT_FALSE(dbg::enabled());
}
