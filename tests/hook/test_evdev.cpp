#include <gtest/gtest.h>

#include <condition_variable>
#include <fstream>
#include <mutex>

#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

#include "hook/evdev_reader.h"
#include "macros/temp_folder.h"

namespace kavro::hook {
namespace {

EvdevEvent keyEv(std::uint16_t code, std::int32_t value) { return {EV_KEY, code, value, 7}; }
EvdevEvent syn(std::uint16_t code) { return {EV_SYN, code, 0, 7}; }

TEST(EvdevTranslate, KeysAndButtons) {
  const auto a = std::get<KeyInput>(translateEvdevEvent(keyEv(KEY_A, kEvdevPress)));
  EXPECT_EQ(a.message, kWmKeyDown);
  EXPECT_EQ(a.record.scanCode, 0x1Eu);
  EXPECT_EQ(a.record.time, 7u);
  // Auto-repeat arrives as another press, for the recorder to drop.
  EXPECT_EQ(std::get<KeyInput>(translateEvdevEvent(keyEv(KEY_A, kEvdevRepeat))).message, kWmKeyDown);
  EXPECT_EQ(std::get<KeyInput>(translateEvdevEvent(keyEv(KEY_A, kEvdevRelease))).message, kWmKeyUp);

  const auto side = std::get<MouseInput>(translateEvdevEvent(keyEv(BTN_SIDE, kEvdevPress)));
  EXPECT_EQ(side.message, 0x20Bu);
  EXPECT_EQ(side.record.extendedButton, 1);
  const auto extra = std::get<MouseInput>(translateEvdevEvent(keyEv(BTN_EXTRA, kEvdevRelease)));
  EXPECT_EQ(extra.message, 0x20Cu);
  EXPECT_EQ(extra.record.extendedButton, 2);

  // Not keys: relative motion, touch, odd values, joystick buttons.
  EXPECT_TRUE(std::holds_alternative<std::monostate>(translateEvdevEvent({EV_REL, REL_X, 4, 0})));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(translateEvdevEvent(keyEv(BTN_TOUCH, 1))));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(translateEvdevEvent(keyEv(KEY_A, 3))));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(translateEvdevEvent(keyEv(BTN_TRIGGER, 1))));
}

TEST(EvdevTranslate, EventsAfterADropAreSkippedUntilTheNextReport) {
  EvdevStream s;
  EXPECT_TRUE(std::holds_alternative<KeyInput>(s.feed(keyEv(KEY_B, 1))));
  s.feed(syn(SYN_DROPPED));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(s.feed(keyEv(KEY_B, 0))));
  s.feed(syn(SYN_REPORT));
  EXPECT_TRUE(std::holds_alternative<KeyInput>(s.feed(keyEv(KEY_C, 1))));
}

TEST(EvdevDevices, FilesThatAreNotInputDevicesAreSkipped) {
  macros::test::TempFolder dir;
  std::ofstream(dir.file("event0")) << "not a device";
  std::ofstream(dir.file("mouse0")) << "ignored by name";
  EXPECT_TRUE(openCaptureDevices(dir.path()).empty());
  EXPECT_FALSE(evdevCaptureAvailable(dir.path()));
  EXPECT_TRUE(openCaptureDevices(dir.file("missing")).empty());
}

// Collects what the reader thread delivers.
struct Collected {
  std::mutex m;
  std::condition_variable cv;
  std::vector<CapturedInput> items;
  void add(const CapturedInput& in) {
    std::lock_guard lock(m);
    items.push_back(in);
    cv.notify_all();
  }
  bool waitFor(std::size_t n) {
    std::unique_lock lock(m);
    return cv.wait_for(lock, std::chrono::seconds(5), [&] { return items.size() >= n; });
  }
};

void writeEvents(int fd, const std::vector<EvdevEvent>& events) {
  for (const auto& e : events) {
    input_event ev{};
    ev.type = e.type;
    ev.code = e.code;
    ev.value = e.value;
    ASSERT_EQ(::write(fd, &ev, sizeof ev), static_cast<ssize_t>(sizeof ev));
  }
}

TEST(EvdevReaderTest, ReadsEveryDeviceUntilStopped) {
  int kb[2], ms[2];
  ASSERT_EQ(::pipe2(kb, O_NONBLOCK | O_CLOEXEC), 0);
  ASSERT_EQ(::pipe2(ms, O_NONBLOCK | O_CLOEXEC), 0);
  Collected got;
  EvdevReader reader;
  ASSERT_TRUE(reader.start({kb[0], ms[0]}, [&](const CapturedInput& in) { got.add(in); }));
  EXPECT_FALSE(reader.start({}, [](const CapturedInput&) {}));

  writeEvents(kb[1], {keyEv(KEY_LEFTSHIFT, 1), syn(SYN_REPORT), {EV_MSC, MSC_SCAN, 42, 0}});
  writeEvents(ms[1], {{EV_REL, REL_X, 3, 0}, keyEv(BTN_LEFT, 1), syn(SYN_REPORT)});
  ASSERT_TRUE(got.waitFor(2));
  // A device that goes away leaves the others running.
  ::close(ms[1]);
  writeEvents(kb[1], {keyEv(KEY_LEFTSHIFT, 0), syn(SYN_REPORT)});
  ASSERT_TRUE(got.waitFor(3));
  reader.stop();
  EXPECT_FALSE(reader.running());
  ::close(kb[1]);

  std::lock_guard lock(got.m);
  ASSERT_EQ(got.items.size(), 3u);
  int keys = 0, buttons = 0;
  for (const auto& in : got.items) {
    keys += std::holds_alternative<KeyInput>(in);
    buttons += std::holds_alternative<MouseInput>(in);
  }
  EXPECT_EQ(keys, 2);
  EXPECT_EQ(buttons, 1);
  EXPECT_EQ(std::get<KeyInput>(got.items.back()).message, kWmKeyUp);
}

}  // namespace
}  // namespace kavro::hook
