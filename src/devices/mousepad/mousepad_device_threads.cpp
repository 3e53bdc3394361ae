// The mousepad's light thread that renders the zones' frame, and what its
// sync thread (the base's) hears on the notify interface.
#include "devices/device_option.h"
#include "devices/mousepad/mousepad_device.h"
#include "platform/debug.h"

namespace kavro::devices {

namespace {
constexpr char kPreviewExitLine[] = "MS灯光线程设定退出";
constexpr char kSettingsChangedLine[] = "MS设备同步：设备设置已改变\n";
}  // namespace

// ---- light thread ---------------------------------------------------------------

void CHalvionMousePadDevice::startPreview() {
  if (previewWorker_.running()) return;
  previewWorker_.start([this](Event& stop) { previewLoop(stop); });
}

// One effect pass per elapsed millisecond, run in batches: the pace is the
// pad's, the wake-ups a fifth of it. While the lights follow the
// synchronised frames of the main window, the pad's own effect rests.
void CHalvionMousePadDevice::previewLoop(Event& stop) {
  uint64_t last = tickMs();
  for (;;) {
    const bool open = channel.isConnected();
    if (stop.wait(open ? kPadPreviewWakeMs : kPreviewClosedIdleMs)) break;
    const uint64_t now = tickMs();
    const uint64_t elapsed = now - last;
    last = now;
    if (!open || channel.stateFlag.load()) continue;
    runPreviewPasses(static_cast<unsigned>(std::min<uint64_t>(elapsed, kPadPreviewMaxPasses)));
  }
  dbg::write(kPreviewExitLine);
}

// ---- sync thread ----------------------------------------------------------------

void CHalvionMousePadDevice::handleNotifyUsage(uint16_t usage) {
  if (mousepad::notifyAction(usage) != mousepad::NotifyAction::Sync) return;
  dbg::write(kSettingsChangedLine);
  armTabTimerQueued(kTimerRefresh, mousepad::kSyncDelayMs);
}

}  // namespace kavro::devices
