// The mousepad's two workers: the light thread that renders the zones'
// frame, and the sync thread that listens on the notify interface.
#include <QMetaObject>

#include "devices/device_option.h"
#include "devices/mousepad/mousepad_device.h"
#include "devices/notify_reader.h"
#include "platform/debug.h"

namespace kavro::devices {

namespace {
constexpr char kPreviewExitLine[] = "MS灯光线程设定退出";
constexpr char kInputExitLine[] = "MS设备同步线程设定退出";
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
    if (stop.wait(open ? kPadPreviewWakeMs : kPadPreviewClosedIdleMs)) break;
    const uint64_t now = tickMs();
    const uint64_t elapsed = now - last;
    last = now;
    if (!open || channel.stateFlag.load()) continue;
    runPreviewPasses(static_cast<unsigned>(std::min<uint64_t>(elapsed, kPadPreviewMaxPasses)));
  }
  dbg::write(kPreviewExitLine);
}

// ---- sync thread ----------------------------------------------------------------

void CHalvionMousePadDevice::attachNotifyInterface(const std::string& path) {
  stopInput();
  {
    std::lock_guard<std::mutex> io(notifyChannel.ioLock);
    if (!notifyChannel.hid.open(path, true, false, true, false)) return;
    notifyChannel.isOpen = 1;
  }
  inputWorker_.start([this](Event& stop) { inputLoop(stop); });
}

void CHalvionMousePadDevice::detachNotifyInterface() { stopInput(); }

void CHalvionMousePadDevice::stopInput() {
  // The abort cuts a read in progress short; the thread then sees its stop event.
  inputWorker_.stop([this] { notifyChannel.hid.abort(); });
  if (notifyChannel.isConnected() || notifyChannel.hid.isOpen()) {
    std::lock_guard<std::mutex> io(notifyChannel.ioLock);
    notifyChannel.hid.close();
    notifyChannel.isOpen = 0;
  }
}

void CHalvionMousePadDevice::inputLoop(Event& stop) {
  readNotifyUsages(notifyChannel.hid, stop, [this](uint16_t usage) { handleUsage(usage); });
  dbg::write(kInputExitLine);
}

void CHalvionMousePadDevice::handleUsage(uint16_t usage) {
  if (mousepad::notifyAction(usage) != mousepad::NotifyAction::Sync) return;
  dbg::write(kSettingsChangedLine);
  // Timers belong to the window thread; the call is queued to it and
  // dropped if the device is gone by then.
  QMetaObject::invokeMethod(
      this, [this] { if (CDeviceOptionUI* t = tab()) t->armDeviceTimer(kTimerRefresh, mousepad::kSyncDelayMs); },
      Qt::QueuedConnection);
}

}  // namespace kavro::devices
