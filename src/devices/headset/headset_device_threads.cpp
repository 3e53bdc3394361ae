// The headset's light thread that renders the preview, and what its sync
// thread (the base's) hears on the notify interface.
#include <algorithm>

#include "devices/device_option.h"
#include "devices/headset/headset_device.h"
#include "devices/mousepad/pad_block.h"
#include "platform/debug.h"

namespace kavro::devices {

namespace {
constexpr char kPreviewExitLine[] = "HS灯光线程设定退出";
}  // namespace

// ---- light thread ---------------------------------------------------------------

void CHalvionHS6533Device::startPreview() {
  if (previewWorker_.running()) return;
  previewWorker_.start([this](Event& stop) { previewLoop(stop); });
}

// One effect pass per elapsed millisecond while the page can be seen, run in
// batches as often as the window takes a frame; a hidden page sleeps until it
// is shown again. While the lights follow the synchronised frames of the main
// window, the headset's own effect rests.
void CHalvionHS6533Device::previewLoop(Event& stop) {
  uint64_t last = tickMs();
  for (;;) {
    int waitMs = kHeadsetWakeMs;
    if (!channel.isConnected()) waitMs = kPreviewClosedIdleMs;
    else if (!pageShown_.load()) waitMs = -1;
    if (waitAny({stop, wake_}, waitMs) == 0) break;
    const uint64_t now = tickMs();
    const auto passes = static_cast<unsigned>(std::clamp<uint64_t>(now - last, 1, kHeadsetMaxPasses));
    last = now;
    if (!channel.isConnected() || channel.stateFlag.load() || !pageShown_.load()) continue;
    {
      std::lock_guard<std::mutex> lockA(dataLockA_);
      for (unsigned i = 0; i < passes; ++i) preview_.tick(static_cast<uint32_t>(now));
    }
    publishFrame();
  }
  dbg::write(kPreviewExitLine);
}

// ---- sync thread ----------------------------------------------------------------

// Usage 0x401 (settings changed on the headset) reads the block again after
// 500 ms; every other usage is ignored.
void CHalvionHS6533Device::handleNotifyUsage(uint16_t usage) {
  if (mousepad::notifyAction(usage) != mousepad::NotifyAction::Sync) return;
  armTabTimerQueued(kTimerRefresh, mousepad::kSyncDelayMs);
}

}  // namespace kavro::devices
