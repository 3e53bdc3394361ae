// The keyboard's light thread that animates the preview, and what its sync
// thread (the base's) hears on the notify interface.
#include "devices/device_option.h"
#include "devices/keyboard/keyboard_device.h"
#include "platform/debug.h"

namespace kavro::devices {

namespace {
constexpr char kPreviewExitLine[] = "KB灯光线程设定退出";
constexpr char kSettingsChangedLine[] = "MS设备同步：设备设置已改变\n";
constexpr unsigned kNoticeCycle = 4;
}  // namespace

// ---- light thread ---------------------------------------------------------------

void CHalvionKeyboardDevice::startPreview() {
  if (previewWorker_.running()) return;
  previewWorker_.start([this](Event& stop) { previewLoop(stop); });
}

void CHalvionKeyboardDevice::previewLoop(Event& stop) {
  for (;;) {
    // While nobody can see the page the thread sleeps until it is shown
    // again (or told to stop), so a hidden page costs nothing.
    int waitMs = kPreviewPassMs * kPreviewPassesPerWake;
    if (!channel.isConnected()) waitMs = kPreviewClosedIdleMs;
    else if (!pageShown_.load()) waitMs = -1;
    if (waitAny({stop, wake_}, waitMs) == 0) break;
    if (!channel.isConnected() || channel.stateFlag.load() || !pageShown_.load()) continue;
    {
      // The passes of this wake, each at the time it would have run.
      const auto now = static_cast<uint32_t>(tickMs());
      std::lock_guard<std::mutex> lockA(dataLockA_);
      for (int pass = kPreviewPassesPerWake - 1; pass >= 0; --pass) {
        preview_.tick(now - static_cast<uint32_t>(pass * kPreviewPassMs));
      }
    }
    publishFrame();
  }
  dbg::write(kPreviewExitLine);
}

// ---- sync thread ----------------------------------------------------------------

void CHalvionKeyboardDevice::handleNotifyUsage(uint16_t usage) {
  if (usage == kUsageSettingsChanged) {
    dbg::write(kSettingsChangedLine);
    armTabTimerQueued(kTimerRefresh, kRefreshDelayMs);
  } else if (usage == kUsageNotice) {
    noticeCounter_.store((noticeCounter_.load() + 1) % kNoticeCycle);
  } else if (usage >= kUsageKeyPressBase && usage < kUsageKeyPressBase + 0x100) {
    deviceKeyEvent(static_cast<uint8_t>(usage - kUsageKeyPressBase), lighting::KeyAction::Press);
  } else if (usage >= kUsageKeyReleaseBase && usage < kUsageKeyReleaseBase + 0x100) {
    deviceKeyEvent(static_cast<uint8_t>(usage - kUsageKeyReleaseBase), lighting::KeyAction::Release);
  }
}

void CHalvionKeyboardDevice::deviceKeyEvent(uint8_t deviceKey, lighting::KeyAction action) {
  const int position = keyboard::positionOfDeviceKey(tablePositions(), deviceKey);
  if (position < 0) return;
  std::lock_guard<std::mutex> lock(dataLockA_);
  preview_.keyEvent(static_cast<size_t>(position), action);
}

}  // namespace kavro::devices
