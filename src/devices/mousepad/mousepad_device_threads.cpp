// The mousepad's two workers: the light thread that renders the zones'
// frame, and the sync thread that listens on the notify interface.
#include <QMetaObject>

#include "devices/device_option.h"
#include "devices/mousepad/mousepad_device.h"
#include "platform/debug.h"

namespace kavro::devices {

namespace {
constexpr char kPreviewExitLine[] = "MS灯光线程设定退出";
constexpr char kInputExitLine[] = "MS设备同步线程设定退出";
constexpr char kSettingsChangedLine[] = "MS设备同步：设备设置已改变\n";
constexpr int kNotifyReadTimeoutMs = 500;
constexpr int kNotifyRetryMs = 100;
constexpr size_t kMinReportBytes = 64;
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
  hid::HidDeviceInfo& dev = notifyChannel.hid;
  std::vector<uint8_t> report(std::max<size_t>(dev.caps.inputReportByteLength, kMinReportBytes));
  std::vector<hid::HidDataItem> items = dev.input.data;
  while (!stop.isSet()) {
    size_t got = 0;
    const uint64_t began = tickMs();
    const bool ok = dev.readReport(report.size(), &got, report.data(), kNotifyReadTimeoutMs);
    if (stop.isSet()) break;
    if (!ok) {
      // A read that failed at once (interface gone, error) must not spin.
      if (tickMs() - began < static_cast<uint64_t>(kNotifyRetryMs) && stop.wait(kNotifyRetryMs)) break;
      continue;
    }
    const hid::CollectionCaps* caps = dev.preparsedData();
    if (!caps || !hid::unpackReport(report.data(), got, hid::ReportType::Input, items, *caps)) continue;
    for (const hid::HidDataItem& item : items) {
      if (!item.isButton || item.reportId != report[0]) continue;
      for (uint16_t usage : item.usages) {
        if (usage == 0) break;
        handleUsage(usage);
      }
    }
  }
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
