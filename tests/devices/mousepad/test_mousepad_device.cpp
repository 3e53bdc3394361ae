// The mousepad device object against the mousepad emulator, through the real
// channel: arrival, block writes in slots 0 and 1, streamed frames, sync from
// the pad, and a pad that stops answering.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

#include "../keyboard_device_fixture.h"
#include "devices/mousepad/mousepad_device.h"
#include "profiles/profile_paths.h"
#include "sim/firmware.h"
#include "sim/mousepad_emulator.h"
#include "sim/sim_test_util.h"
#include "skin/label.h"
#include "skin/qt_app.h"
#include "transport/command_set.h"

using namespace kavro;
using kavro::test::SentCommand;
using Memory = std::vector<uint8_t>;

namespace {

constexpr int kSettleMs = 20000;
constexpr uint8_t kPadLights = 15;
namespace tp = transport;

// A lighting state unlike any block the emulator starts with.
devices::DeviceLightParams chosenParams() {
  devices::DeviceLightParams p;
  p.light.mode = mousepad::kEffectRipple;  // one fixed colour on every zone
  p.light.brightnessLevel = 5;
  p.light.speedLevel = 1;
  p.light.colorful = 0;
  p.light.red = 200;
  p.light.green = 100;
  p.light.blue = 50;
  return p;
}

Memory slice(const Memory& m, size_t at, size_t n) {
  return Memory(m.begin() + static_cast<std::ptrdiff_t>(at), m.begin() + static_cast<std::ptrdiff_t>(at + n));
}

class MousepadDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::qtApp();
    ASSERT_TRUE(dataHome_.isValid());
    setenv("XDG_DATA_HOME", dataHome_.path().toUtf8().constData(), 1);
    static int serial = 0;
    emulator_ = sim::makeEmulator(sim::DeviceKind::Mousepad, sim::inProcessPresence(),
                                  "paddev" + std::to_string(++serial) + "-");
    ASSERT_TRUE(emulator_->plug());
  }
  void TearDown() override {
    if (emulator_) EXPECT_EQ(emulator_->violations(), 0u);
    emulator_.reset();
  }
  // A pad device object with a status line, configured as the manager does,
  // its channel open on the emulator.
  std::unique_ptr<devices::CHalvionMousePadDevice> makeOpenDevice() {
    auto d = std::make_unique<devices::CHalvionMousePadDevice>();
    d->setLightCount(kPadLights);
    d->setTypeName(profiles::kMousePadTypeName);
    d->setKindIndex(2);
    statusLine_ = new skin::CLabelUI;
    statusLine_->SetName(QString::fromLatin1(devices::kDeviceStatusLabel));
    statusLine_->SetVisible(false);
    d->Add(statusLine_);
    EXPECT_TRUE(d->channel.openPath(sim::test::commandPath(*emulator_)));
    d->commandInterfaceOpened();
    return d;
  }
  void connect(devices::CHalvionMousePadDevice& d) {
    d.onConnected();
    ASSERT_TRUE(d.waitForCommands(kSettleMs));
  }
  Memory settings() const { return emulator_->firmware().memory(sim::Area::Settings); }
  bool saysNotAnswering() const {
    return statusLine_->IsVisible() && statusLine_->GetText() == QLatin1String(devices::kNotAnsweringTextKey);
  }

  std::unique_ptr<sim::Emulator> emulator_;
  test::DebugRecorder recorder_;
  QTemporaryDir dataHome_;
  skin::CLabelUI* statusLine_ = nullptr;
};

TEST_F(MousepadDeviceTest, ArrivalReadsTheInformationAndTheBlockOfTheSlotInUseAndShowsIt) {
  ASSERT_TRUE(emulator_->firmware().setActiveSlot(1));
  auto d = makeOpenDevice();
  connect(*d);

  EXPECT_EQ(recorder_.commands(),
            (std::vector<SentCommand>{{tp::kCmdBeginConfig, 0, 0},
                                      {tp::kCmdReadDeviceInfo, 34, 0},
                                      {tp::kCmdEndConfig, 0, 0},
                                      {tp::kCmdReadSettings, 1, 0},
                                      {tp::kCmdReadSettings, 26, sim::pad::kSlotStride}}));
  const Memory slot1 = slice(settings(), sim::pad::kSlotStride, sim::pad::kBlockSize);
  EXPECT_EQ(d->deviceInfo[sim::info::kDeviceType], 3);
  const mousepad::HeldBlock held = d->heldBlock();
  EXPECT_EQ(held.slot, 1);
  EXPECT_EQ(Memory(held.bytes.begin(), held.bytes.end()), slot1);
  // The page and the profile show what the pad runs.
  EXPECT_EQ(d->lightState().effect, slot1[mousepad::kBlkEffect]);
  EXPECT_EQ(d->profileData().currentLightSetting().effect, slot1[mousepad::kBlkEffect]);
  EXPECT_EQ(d->getLightParams().light.mode, slot1[mousepad::kBlkEffect]);
  EXPECT_TRUE(d->previewRunning());
}

// The pad keeps a block per slot at slot x 64; a change goes to the slot in
// use, with the pad's own bytes exactly as read and the other slots untouched.
TEST_F(MousepadDeviceTest, ALightingChangeWritesExactlyTheBytesThePadThenHoldsInSlotZeroAndOne) {
  for (unsigned slot : {0u, 1u}) {
    SCOPED_TRACE(slot);
    ASSERT_TRUE(emulator_->firmware().setActiveSlot(slot));
    auto d = makeOpenDevice();
    connect(*d);
    const Memory before = settings();
    recorder_.clear();

    d->setLightParams(chosenParams());
    d->applyLightState();
    EXPECT_EQ(d->writeLightSettings(), tp::kCmdOk);
    ASSERT_TRUE(d->waitForCommands(kSettleMs));

    const uint16_t at = static_cast<uint16_t>(slot * sim::pad::kSlotStride);
    EXPECT_EQ(recorder_.commands(), (std::vector<SentCommand>{{tp::kCmdBeginConfig, 0, 0},
                                                              {tp::kCmdWriteSettings, mousepad::kBlockSize, at},
                                                              {tp::kCmdEndConfig, 0, 0}}));
    Memory expected = before;
    expected[at + mousepad::kBlkEffect] = mousepad::kEffectRipple;
    expected[at + mousepad::kBlkBrightness] = 5;
    expected[at + mousepad::kBlkSpeed] = mousepad::kMaxSpeed - 1;
    expected[at + mousepad::kBlkMultiColor] = 0;
    expected[at + mousepad::kBlkRed] = 200;
    expected[at + mousepad::kBlkGreen] = 100;
    expected[at + mousepad::kBlkBlue] = 50;
    EXPECT_EQ(settings(), expected);
    const mousepad::HeldBlock held = d->heldBlock();
    EXPECT_EQ(Memory(held.bytes.begin(), held.bytes.end()), slice(expected, at, sim::pad::kBlockSize));
    // The change is the profile's too.
    EXPECT_EQ(d->profileData().currentLightSetting().effect, mousepad::kEffectRipple);
    d.reset();
  }
}

TEST_F(MousepadDeviceTest, ThePreviewFrameIsStreamedToThePadUnlessStreamingIsOffOrTheChannelIsSlow) {
  auto d = makeOpenDevice();
  connect(*d);
  d->setLightParams(chosenParams());
  d->applyLightState();
  d->runPreviewPasses(64);  // past the effect's threshold
  const auto frame = d->ledSnapshot();
  ASSERT_EQ(frame.size(), kPadLights);
  EXPECT_EQ(frame[0].red, 200);
  EXPECT_EQ(frame[0].brightness, 255);

  d->streamLights();
  ASSERT_TRUE(d->waitForCommands(kSettleMs));
  const sim::LedView view = emulator_->firmware().ledView();
  EXPECT_EQ(view.source, sim::LedView::Source::Stream);
  const std::vector<uint8_t> bytes = lighting::streamFrameBytes(frame);
  ASSERT_EQ(view.leds.size(), kPadLights);
  for (size_t z = 0; z < kPadLights; ++z) {
    EXPECT_EQ(view.leds[z], (sim::Rgb{bytes[3 * z], bytes[3 * z + 1], bytes[3 * z + 2]})) << "zone " << z;
  }

  const uint64_t frames = emulator_->firmware().stats().streamFrames;
  d->setStreamEnabled(false);
  d->streamLights();
  d->setStreamEnabled(true);
  d->channel.longTimeouts = 1;
  d->streamLights();
  ASSERT_TRUE(d->waitForCommands(kSettleMs));
  EXPECT_EQ(emulator_->firmware().stats().streamFrames, frames);
}

// A still frame is not sent tick after tick; a changed one goes out at once,
// and a device that came back gets the frame again.
TEST_F(MousepadDeviceTest, AnUnchangedFrameIsNotSentAgainUntilItChangesOrThePadReconnects) {
  auto d = makeOpenDevice();
  connect(*d);
  d->channel.stateFlag = 1;  // the pad's own effect rests: the colours set here stay
  d->setLightParams(chosenParams());
  d->applyLightState();
  d->runPreviewPasses(64);
  d->streamLights();
  ASSERT_TRUE(d->waitForCommands(kSettleMs));
  const uint64_t first = emulator_->firmware().stats().streamFrames;
  EXPECT_GE(first, 1u);
  for (int tick = 0; tick < 5; ++tick) d->streamLights();
  ASSERT_TRUE(d->waitForCommands(kSettleMs));
  EXPECT_EQ(emulator_->firmware().stats().streamFrames, first);

  d->setLedColor(0, 0x00FF00);
  d->streamLights();
  ASSERT_TRUE(d->waitForCommands(kSettleMs));
  EXPECT_EQ(emulator_->firmware().stats().streamFrames, first + 1);

  d->commandInterfaceOpened();  // as after the pad came back
  d->streamLights();
  ASSERT_TRUE(d->waitForCommands(kSettleMs));
  EXPECT_EQ(emulator_->firmware().stats().streamFrames, first + 2);
}

// A frame that changes while the one before is still on its way to the pad
// goes out with the next tick, not a second later.
TEST_F(MousepadDeviceTest, AFrameChangedWhileTheLastIsInFlightGoesOutWithTheNextTick) {
  auto d = makeOpenDevice();
  connect(*d);
  d->channel.stateFlag = 1;
  d->setLightParams(chosenParams());
  d->applyLightState();
  d->runPreviewPasses(64);
  const uint64_t chunks = emulator_->firmware().stats().streamChunks;
  const uint64_t frames = emulator_->firmware().stats().streamFrames;
  emulator_->firmware().addFault({sim::FaultKind::Slow, -1, tp::kCmdStreamLightFrame, 200});
  d->streamLights();
  // The worker has taken the first frame once a part of it reached the pad.
  ASSERT_TRUE(test::waitFor([&] { return emulator_->firmware().stats().streamChunks > chunks; }, kSettleMs));
  d->setLedColor(0, 0xFF00FF00);  // full green
  const std::vector<uint8_t> changed = lighting::streamFrameBytes(d->ledSnapshot());
  d->streamLights();
  ASSERT_TRUE(d->waitForCommands(kSettleMs));
  emulator_->firmware().clearFaults();
  ASSERT_EQ(emulator_->firmware().stats().streamFrames, frames + 1);

  d->streamLights();
  ASSERT_TRUE(d->waitForCommands(kSettleMs));
  EXPECT_EQ(emulator_->firmware().stats().streamFrames, frames + 2);
  const sim::LedView view = emulator_->firmware().ledView();
  ASSERT_EQ(view.leds.size(), kPadLights);
  EXPECT_EQ(view.leds[0], (sim::Rgb{changed[0], changed[1], changed[2]}));
  EXPECT_GT(changed[1], 0);
}

TEST_F(MousepadDeviceTest, SyncFromThePadShowsItsNewEffectAndAFailedReadKeepsTheLastOne) {
  auto d = makeOpenDevice();
  connect(*d);
  ASSERT_TRUE(emulator_->firmware().setEffect(mousepad::kEffectPairGlow));
  d->onRefreshTimer();
  ASSERT_TRUE(d->waitForCommands(kSettleMs));
  EXPECT_EQ(d->lightState().effect, mousepad::kEffectPairGlow);
  EXPECT_EQ(d->profileData().currentLightSetting().effect, mousepad::kEffectPairGlow);
  // Effects 6 and 7 start with a glow running, so the zones are not dark.
  d->runPreviewPasses(200);
  bool lit = false;
  for (const auto& led : d->ledSnapshot()) lit = lit || led.brightness > 0;
  EXPECT_TRUE(lit);

  emulator_->firmware().addFault({sim::FaultKind::Refuse, 2, tp::kCmdReadSettings, 0});  // the slot byte and the block
  ASSERT_TRUE(emulator_->firmware().setEffect(mousepad::kEffectSpectrum));
  const mousepad::HeldBlock held = d->heldBlock();
  d->onRefreshTimer();
  ASSERT_TRUE(d->waitForCommands(kSettleMs));
  EXPECT_EQ(d->lightState().effect, mousepad::kEffectPairGlow);
  EXPECT_EQ(d->heldBlock(), held);
}

TEST_F(MousepadDeviceTest, ASilentPadShowsTheNotAnsweringLineUntilItAnswersWithItsOwnState) {
  auto d = makeOpenDevice();
  connect(*d);
  const uint8_t before = d->lightState().effect;
  emulator_->firmware().addFault({sim::FaultKind::Silence, -1, 0, 0});

  d->setLightParams(chosenParams());
  d->applyLightState();
  EXPECT_EQ(d->writeLightSettings(), tp::kCmdOk);  // queued: the window does not wait
  ASSERT_TRUE(test::waitFor([&] { return saysNotAnswering(); }, kSettleMs));
  EXPECT_FALSE(d->isAnswering());

  emulator_->firmware().clearFaults();
  ASSERT_TRUE(test::waitFor([&] { return !statusLine_->IsVisible(); }, kSettleMs));
  EXPECT_TRUE(d->isAnswering());
  ASSERT_TRUE(d->waitForCommands(kSettleMs));
  // The change never reached the pad: the page shows what the pad runs.
  EXPECT_EQ(d->lightState().effect, before);
  EXPECT_EQ(settings()[mousepad::kBlkEffect], before);
}

}  // namespace
