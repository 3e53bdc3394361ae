#include "devices/device_base.h"

#include <QCoreApplication>
#include <QEvent>

#include "widgets/device_key_button.h"
#include "widgets/select_panel.h"
#include "devices/device_option.h"
#include "devices/device_panel.h"
#include "devices/device_power.h"
#include "devices/notify_reader.h"
#include "devices/profile_files.h"
#include "platform/debug.h"
#include "platform/event.h"
#include "profiles/basic_profile_data.h"
#include "profiles/json_file.h"
#include "profiles/profile_paths.h"
#include "profiles/save_failure.h"
#include "skin/window.h"
#include "transport/command_set.h"
#include "transport/sequence_result.h"

namespace kavro::devices {

namespace {
constexpr char kFunctionSwitch[] = "device_function_switch";
constexpr char kKeyFunctionSwitch[] = "device_key_function_switch";
constexpr uint8_t kWirelessByte = 3;   // status block: replaced by the channel's long-mode flag
constexpr uint8_t kPowerEventByte = 4;  // status block: sent with the power message
}  // namespace

int numberAfter(const QString& text, const char* prefix) {
  const QString p = QString::fromLatin1(prefix);
  if (!text.startsWith(p, Qt::CaseInsensitive)) return -1;
  bool ok = false;
  const int n = text.mid(p.size()).toInt(&ok);
  return ok && n >= 0 ? n : -1;
}

CHalvionUSBDevice::CHalvionUSBDevice(QWidget* parent) : CHorizontalLayoutUI(parent) {
  probeTimer_.setSingleShot(true);
  probeTimer_.setInterval(kSilentProbeMs);
  connect(&probeTimer_, &QTimer::timeout, this, [this] { onProbeTimer(); });
}

CHalvionUSBDevice::~CHalvionUSBDevice() {
  stopCommandWorker();
  stopInput();
  notifyChannel.closeChannel();
}

void CHalvionUSBDevice::stopCommandWorker() {
  // Closing first cuts a sequence that waits on the device short.
  channel.closeChannel();
  commands_.stop();
}

// ---- notify interface ------------------------------------------------------------

void CHalvionUSBDevice::attachNotifyInterface(const std::string& path) {
  stopInput();
  {
    std::lock_guard<std::mutex> io(notifyChannel.ioLock);
    if (!notifyChannel.hid.open(path, true, false, true, false)) return;
    notifyChannel.isOpen = 1;
  }
  inputWorker_.start([this](Event& stop) {
    readNotifyUsages(notifyChannel.hid, stop, [this](uint16_t usage) { handleNotifyUsage(usage); });
    dbg::write(inputExitLine_);
  });
}

void CHalvionUSBDevice::stopInput() {
  // The abort cuts a read in progress short; the thread then sees its stop event.
  inputWorker_.stop([this] { notifyChannel.hid.abort(); });
  if (notifyChannel.isConnected() || notifyChannel.hid.isOpen()) {
    std::lock_guard<std::mutex> io(notifyChannel.ioLock);
    notifyChannel.hid.close();
    notifyChannel.isOpen = 0;
  }
}

void CHalvionUSBDevice::armTabTimerQueued(int id, int ms) {
  QMetaObject::invokeMethod(
      this, [this, id, ms] { if (CDeviceOptionUI* t = tab()) t->armDeviceTimer(id, ms); }, Qt::QueuedConnection);
}

// ---- page -----------------------------------------------------------------------

void CHalvionUSBDevice::initPage() {
  keyButtons.assign(static_cast<size_t>(keyCount), nullptr);
  lightButtons.assign(static_cast<size_t>(lightCount), nullptr);
  if (pageXml.isEmpty()) {
    setKeyCount(0);
    setLightCount(0);
    return;
  }
  widgets::CSelectPanelUI* panel = nullptr;
  for (CControlUI* child : items_) {
    if (child->GetClass() == QLatin1String("SelectPanel")) {
      panel = qobject_cast<widgets::CSelectPanelUI*>(child);
      break;
    }
  }
  if (!panel) return;
  for (widgets::CDeviceKeyButtonUI* button : panel->KeyButtons()) {
    const int key = numberAfter(button->GetName(), kKeyButtonPrefix);
    if (key >= 0 && key < keyCount) keyButtons[static_cast<size_t>(key)] = button;
    const int led = numberAfter(button->GetUserData(), kLightButtonPrefix);
    if (led >= 0 && led < lightCount) {
      lightButtons[static_cast<size_t>(led)] = button;
      button->setLight(0xFFFFFF, 255, true);
    }
  }
}

void CHalvionUSBDevice::effectBreathing() {
  std::lock_guard<std::mutex> lock(lightMutex_);
  lighting::effectBreathing(engine_, params_);
}
void CHalvionUSBDevice::effectBreathCycle() {
  std::lock_guard<std::mutex> lock(lightMutex_);
  lighting::effectBreathCycle(engine_, params_);
}
void CHalvionUSBDevice::effectRipple() {
  std::lock_guard<std::mutex> lock(lightMutex_);
  lighting::effectRipple(engine_, params_);
}
void CHalvionUSBDevice::effectSpectrum() {
  std::lock_guard<std::mutex> lock(lightMutex_);
  lighting::effectSpectrum(engine_, params_);
}
void CHalvionUSBDevice::effectBlinkWheel() {
  std::lock_guard<std::mutex> lock(lightMutex_);
  lighting::effectBlinkWheel(engine_, params_, static_cast<uint32_t>(tickMs()));
}
void CHalvionUSBDevice::effectBlinkFour() {
  std::lock_guard<std::mutex> lock(lightMutex_);
  lighting::effectBlinkFour(engine_, params_, static_cast<uint32_t>(tickMs()));
}
void CHalvionUSBDevice::effectOff() {
  std::lock_guard<std::mutex> lock(lightMutex_);
  lighting::effectOff(engine_);
}

std::vector<lighting::LedColor> CHalvionUSBDevice::ledSnapshot() const {
  std::lock_guard<std::mutex> lock(lightMutex_);
  return engine_.leds;
}

void CHalvionUSBDevice::paintLightButtons(const std::vector<lighting::LedColor>& frame) {
  for (size_t n = 0; n < frame.size() && n < lightButtons.size(); ++n) {
    widgets::CDeviceKeyButtonUI* b = lightButtons[n];
    if (b && b->IsVisible()) b->setLight(lighting::buttonColor(frame[n]), frame[n].brightness, true);
  }
}

void CHalvionUSBDevice::sendFrame(const std::vector<lighting::LedColor>& frame) {
  if (channel.longTimeouts.load()) return;
  if (tickMs() < framePauseUntil_) return;
  std::vector<uint8_t> bytes = lighting::streamFrameBytes(frame);
  // A still effect sends the same frame tick after tick; the device keeps
  // what it was sent, so it gets it again only now and then.
  const uint64_t now = tickMs();
  if (bytes == lastFrame_ && now - lastFrameAtMs_ < kFrameRefreshMs) return;
  lastFrame_ = bytes;
  lastFrameAtMs_ = now;
  {
    // Only the newest frame is worth sending: one waiting for the worker is
    // replaced instead of queueing another.
    std::lock_guard<std::mutex> lock(frameMutex_);
    nextFrame_ = std::move(bytes);
  }
  if (framePending_) return;
  struct FrameSent {
    int result = transport::kCmdOk;
  };
  framePending_ = postCommands<FrameSent>(
      [this](transport::HidChannel& ch) {
        std::vector<uint8_t> bytes;
        {
          std::lock_guard<std::mutex> lock(frameMutex_);
          bytes.swap(nextFrame_);
        }
        return FrameSent{transport::streamLightFrame(ch, bytes.data(), bytes.size())};
      },
      [this](FrameSent& sent) {
        framePending_ = false;
        if (sent.result != transport::kCmdOk) {
          framePauseUntil_ = tickMs() + kFailedFramePauseMs;
          lastFrame_.clear();  // the device may not have it: send it again
          return;
        }
        // A frame that came while this one was on its way has not been sent;
        // the next tick must not take it for the frame the device has.
        std::lock_guard<std::mutex> lock(frameMutex_);
        if (!nextFrame_.empty()) lastFrame_.clear();
      },
      SequenceKind::Background);
}

void CHalvionUSBDevice::copyToLeds(const std::vector<lighting::LedColor>& frame) {
  std::lock_guard<std::mutex> lock(lightMutex_);
  const size_t n = std::min(frame.size(), engine_.leds.size());
  std::copy(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(n), engine_.leds.begin());
}

int CHalvionUSBDevice::frameIntervalMs() const { return needsFrames() ? kFrameIntervalMs : kIdleFrameIntervalMs; }

void CHalvionUSBDevice::streamLights() {
  if (!streamEnabled) return;
  const auto frame = ledSnapshot();
  paintLightButtons(frame);
  sendFrame(frame);
}

void CHalvionUSBDevice::setLedColor(size_t n, uint32_t value) {
  std::lock_guard<std::mutex> lock(lightMutex_);
  lighting::setLedColor(engine_, n, value);
}

uint32_t CHalvionUSBDevice::getLedColor(size_t n) const {
  std::lock_guard<std::mutex> lock(lightMutex_);
  return lighting::getLedColor(engine_, n);
}

void CHalvionUSBDevice::pollStatus() {
  if (!channel.isConnected() || statusPollPending_) return;
  struct StatusRead {
    int result = transport::kResultNoAnswer;
    std::array<uint8_t, kPowerStatusBytes> status{};
  };
  statusPollPending_ = postCommands<StatusRead>(
      [](transport::HidChannel& ch) {
        StatusRead r;
        r.result = transport::readBlock(ch, r.status.data(), r.status.size(), 0);
        r.status[kWirelessByte] = ch.longTimeouts.load() ? 1 : 0;
        return r;
      },
      [this](StatusRead& r) {
        statusPollPending_ = false;
        if (r.result != transport::kCmdOk) return;  // a failed read changes nothing
        notePowerStatus(r.status);
        if (powerControl) powerControl->setStatus(r.status);
        sendToOwner(kMsgPowerStatus, r.status[kPowerEventByte], 0);
      },
      SequenceKind::StateRead);
}

bool CHalvionUSBDevice::lastPowerStatus(std::array<uint8_t, kPowerStatusBytes>* out) const {
  if (powerStatusRead_) *out = powerStatus_;
  return powerStatusRead_;
}

void CHalvionUSBDevice::sendToOwner(unsigned msg, uintptr_t wParam, intptr_t lParam) {
  if (auto* w = qobject_cast<skin::CWindowWnd*>(ownerWindow.data())) w->SendMessage(msg, wParam, lParam);
}

void CHalvionUSBDevice::openProfileFiles() {
  if (profiles::CBasicProfiledata* p = profileStore()) openProfileFilesOf(*p, profileId, defaultDataPath(), userDataFolder());
}

std::string CHalvionUSBDevice::profileText() {
  profiles::CBasicProfiledata* p = profileStore();
  return p ? profiles::styledJsonText(p->deviceNode()) : std::string();
}

void CHalvionUSBDevice::saveProfileData() {
  if (profiles::CBasicProfiledata* p = profileStore()) saveChecked(*p);
}

bool CHalvionUSBDevice::saveChecked(profiles::CBasicProfiledata& data) {
  if (data.save() == 0) return true;
  if (saveFailureSink_) saveFailureSink_->saveFailed(data.getProfilePath(), profiles::SaveFailure::Changes);
  return false;
}

// ---- device I/O -----------------------------------------------------------------

void CHalvionUSBDevice::noteSequenceResult(int result, SequenceKind kind) {
  if (kind == SequenceKind::Background) return;
  if (transport::isNoAnswerResult(result)) {
    if (answering_) {
      answering_ = false;
      showAnswering(false);
    }
    if (!probeTimer_.isActive()) probeTimer_.start();
    return;
  }
  if (result != transport::kCmdOk || answering_) return;
  answering_ = true;
  probeTimer_.stop();
  showAnswering(true);
  if (kind == SequenceKind::Write) reanswered();
}

void CHalvionUSBDevice::onProbeTimer() {
  if (answering_ || !channel.isConnected()) return;
  // Asked again only when no sequence is on its way to the device; its
  // result tells as much.
  if (sequencesPending_ == 0) probeSilentDevice();
  else probeTimer_.start();
}

void CHalvionUSBDevice::showAnswering(bool answering) {
  skin::CControlUI* line = FindControlByName(QString::fromLatin1(kDeviceStatusLabel));
  if (!line) return;
  if (!answering) line->SetText(QString::fromLatin1(kNotAnsweringTextKey));
  line->SetVisible(!answering);
}

void CHalvionUSBDevice::commandInterfaceOpened() {
  ++connection_;
  sequencesPending_ = 0;
  statusPollPending_ = false;
  powerStatusRead_ = false;
  framePending_ = false;
  lastFrame_.clear();  // a device that came back has no frame yet
  if (!answering_) {
    answering_ = true;
    showAnswering(true);
  }
  probeTimer_.stop();
}

void CHalvionUSBDevice::commandInterfaceGone() {
  commands_.stop();
  commandInterfaceOpened();  // the same fresh state for the next arrival
}

void CHalvionUSBDevice::finishCommands(int drainMs) {
  if (commands_.running() && answering_ && drainMs > 0) commands_.waitIdle(drainMs);
  commands_.cancelPending();
  if (!commands_.idle() && channel.isConnected()) {
    // A sequence still waits on the device: closing the channel ends it at
    // once, and the channel is opened again for the commands that follow.
    const std::string path = channel.hid.devicePath;
    channel.closeChannel();
    commands_.stop();
    if (!channel.openPath(path)) dbg::printf("the command interface could not be opened again: %s\n", path.c_str());
  } else {
    commands_.stop();
  }
  ++connection_;  // results still on their way are dropped
  sequencesPending_ = 0;
  probeTimer_.stop();
}

bool CHalvionUSBDevice::waitForCommands(int timeoutMs) {
  const uint64_t deadline = tickMs() + static_cast<uint64_t>(std::max(timeoutMs, 0));
  do {
    const uint64_t now = tickMs();
    if (now >= deadline || !commands_.waitIdle(static_cast<int>(deadline - now))) return false;
    // Every finished sequence has queued its result by now; a handler may
    // post the next sequence, hence the loop.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
  } while (!commands_.idle());
  return true;
}

void CHalvionUSBDevice::setKeyFunctionMap(const std::map<int, int>& map) { keyFunctionMap = map; }

void CHalvionUSBDevice::decayKeyGlow(size_t key, bool fine) {
  std::lock_guard<std::mutex> lock(lightMutex_);
  lighting::decayKeyGlow(engine_, key, fine);
}
void CHalvionUSBDevice::lightGlowingColumns() {
  std::lock_guard<std::mutex> lock(lightMutex_);
  lighting::lightGlowingColumns(engine_);
}
void CHalvionUSBDevice::shiftColumns(bool right) {
  std::lock_guard<std::mutex> lock(lightMutex_);
  lighting::shiftColumns(engine_, right);
}
void CHalvionUSBDevice::clearGlow() {
  std::lock_guard<std::mutex> lock(lightMutex_);
  lighting::clearGlow(engine_);
}

void CHalvionUSBDevice::selectFunctionPanel(int type) {
  functionMode = type;
  if (!switchesLooked_) {
    switchesLooked_ = true;
    functionSwitch_ = qobject_cast<skin::CTabLayoutUI*>(FindControlByName(kFunctionSwitch));
    keyFunctionSwitch_ = qobject_cast<skin::CTabLayoutUI*>(FindControlByName(kKeyFunctionSwitch));
  }
  int first = 0, second = 0;
  bool touchSecond = true;
  switch (type) {
    case kTypeMouse:
    case kTypeMouseLong: first = 0, second = 1; break;
    case kTypeMousepad:
    case kTypeHeadset: first = 1, touchSecond = false; break;
    case kTypeHeadsetPlain: first = 0, second = 2; break;
    case kTypeHub: first = 2, touchSecond = false; break;
    default: break;
  }
  if (functionSwitch_) functionSwitch_->SelectItem(first);
  if (touchSecond && keyFunctionSwitch_) keyFunctionSwitch_->SelectItem(second);
}

void CHalvionUSBDevice::setLightParams(const DeviceLightParams& p) {
  std::lock_guard<std::mutex> lock(lightMutex_);
  params_ = p.light;
  lightParam3 = p.param3;
  lightParam4 = p.param4;
}

DeviceLightParams CHalvionUSBDevice::getLightParams() const {
  std::lock_guard<std::mutex> lock(lightMutex_);
  return {params_, lightParam3, lightParam4};
}

void CHalvionUSBDevice::bindPanels(const std::vector<QString>& names) {
  panels_.clear();
  for (const QString& name : names) {
    auto* panel = dynamic_cast<IDevicePanel*>(FindControlByName(name));
    if (!panel) continue;
    panel->setDevice(this);
    panels_.push_back(panel);
  }
}

bool CHalvionUSBDevice::forwardNotify(skin::TNotifyUI& msg) {
  for (IDevicePanel* p : panels_) {
    if (p->onNotify(msg)) return true;
  }
  return false;
}

void CHalvionUSBDevice::refreshPanels() {
  for (IDevicePanel* p : panels_) p->refreshFromDevice();
}

void CHalvionUSBDevice::setKeyCount(int n) {
  keyCount = std::max(n, 0);
  keyButtons.assign(static_cast<size_t>(keyCount), nullptr);
}

void CHalvionUSBDevice::setLightCount(int n) {
  lightCount = std::max(n, 0);
  lightButtons.assign(static_cast<size_t>(lightCount), nullptr);
  ledAux.assign(static_cast<size_t>(lightCount), {});
  std::lock_guard<std::mutex> lock(lightMutex_);
  lighting::setLightCount(engine_, static_cast<size_t>(lightCount));
}

void CHalvionUSBDevice::setPowerControl(CMpDevicePowerUI* control) { powerControl = control; }

void CHalvionUSBDevice::setInterfaceRow(const DeviceInterfaceRow& row) {
  interfaceRow = row;
  deviceType = row.type;
  role = row.role;
}

std::string CHalvionUSBDevice::programFolder() {
  const QString dir = QCoreApplication::applicationDirPath();
  return dir.toStdString();
}

std::string CHalvionUSBDevice::defaultDataPath() const {
  return profiles::joinPath(profiles::defaultDataFolderFor(programFolder()), typeName + profiles::kProfileExtension);
}

std::string CHalvionUSBDevice::userDataFolder() const {
  const std::string folder = profiles::deviceProfileFolder(typeName);
  profiles::ensureFolder(folder);
  return folder + "/";
}

}  // namespace kavro::devices
