// The mouse's light thread that renders the lighting effect (shown on the
// page and streamed to the mouse), and what its sync thread (the base's)
// hears on the notify interface of changes made on the mouse itself.
#include "devices/device_option.h"
#include "devices/mouse/mouse_device.h"
#include "platform/debug.h"

namespace kavro::devices {

namespace {
constexpr char kPreviewExitLine[] = "MS灯光线程设定退出";
constexpr char kSettingsChangedLine[] = "MS设备同步：设备设置已改变\n";
constexpr uint16_t kUsageNotice = 0x404;
}  // namespace

// ---- light thread ---------------------------------------------------------------

void CHalvionMouseDevice::startPreview() {
  if (previewWorker_.running()) return;
  previewWorker_.start([this](Event& stop) { previewLoop(stop); });
}

void CHalvionMouseDevice::previewLoop(Event& stop) {
  for (;;) {
    const int waitMs = channel.isConnected() ? kMousePreviewPassMs : kPreviewClosedIdleMs;
    if (stop.wait(waitMs)) break;
    // While the lighting is synchronised (stateFlag) the common effect owns the frame.
    if (!channel.isConnected() || channel.stateFlag.load()) continue;
    bool stepped = false;
    {
      std::lock_guard<std::mutex> lock(dataLockA_);
      stepped = preview_.tick(static_cast<uint32_t>(tickMs()));
    }
    if (stepped) publishFrame();
  }
  dbg::write(kPreviewExitLine);
}

// ---- sync thread ----------------------------------------------------------------

// Mice report no key events: only the settings change and the notice count.
void CHalvionMouseDevice::handleNotifyUsage(uint16_t usage) {
  if (usage == mouse::kUsageSettingsChanged) {
    dbg::write(kSettingsChangedLine);
    armTabTimerQueued(kTimerRefresh, mouse::kSyncDelayMs);
  } else if (usage == kUsageNotice) {
    dbg::write("MS设备同步：通知\n");
  }
}

}  // namespace kavro::devices
