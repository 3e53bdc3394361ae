// The mouse's two workers: the light thread that renders the lighting effect
// (shown on the page and streamed to the mouse), and the sync thread that
// listens on the notify interface for changes made on the mouse itself.
#include <QMetaObject>

#include "devices/device_option.h"
#include "devices/mouse/mouse_device.h"
#include "devices/notify_reader.h"
#include "platform/debug.h"

namespace kavro::devices {

namespace {
constexpr char kPreviewExitLine[] = "MS灯光线程设定退出";
constexpr char kInputExitLine[] = "MS设备同步线程设定退出";
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
    const int waitMs = channel.isConnected() ? kMousePreviewPassMs : kMousePreviewClosedIdleMs;
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

void CHalvionMouseDevice::attachNotifyInterface(const std::string& path) {
  stopInput();
  {
    std::lock_guard<std::mutex> io(notifyChannel.ioLock);
    if (!notifyChannel.hid.open(path, true, false, true, false)) return;
    notifyChannel.isOpen = 1;
  }
  inputWorker_.start([this](Event& stop) { inputLoop(stop); });
}

void CHalvionMouseDevice::detachNotifyInterface() { stopInput(); }

void CHalvionMouseDevice::stopInput() {
  inputWorker_.stop([this] { notifyChannel.hid.abort(); });
  if (notifyChannel.isConnected() || notifyChannel.hid.isOpen()) {
    std::lock_guard<std::mutex> io(notifyChannel.ioLock);
    notifyChannel.hid.close();
    notifyChannel.isOpen = 0;
  }
}

void CHalvionMouseDevice::inputLoop(Event& stop) {
  readNotifyUsages(notifyChannel.hid, stop, [this](uint16_t usage) { handleUsage(usage); });
  dbg::write(kInputExitLine);
}

// Mice report no key events: only the settings change and the notice count.
void CHalvionMouseDevice::handleUsage(uint16_t usage) {
  if (usage == mouse::kUsageSettingsChanged) {
    dbg::write(kSettingsChangedLine);
    QMetaObject::invokeMethod(
        this, [this] { if (CDeviceOptionUI* t = tab()) t->armDeviceTimer(kTimerRefresh, mouse::kSyncDelayMs); },
        Qt::QueuedConnection);
  } else if (usage == kUsageNotice) {
    dbg::write("MS设备同步：通知\n");
  }
}

}  // namespace kavro::devices
