// The headset device object: page binding, profile files, lighting state,
// preview frames and the factory registration.
#include "devices/headset/headset_device.h"

#include <QShowEvent>

#include "devices/headset/headset_preview.h"
#include "platform/debug.h"
#include "profiles/profile_list.h"
#include "profiles/profile_list_repair.h"
#include "profiles/profile_paths.h"
#include "skin/dialog_builder.h"
#include "widgets/device_key_button.h"

namespace kavro::devices {

namespace {
constexpr char kProfilePanel[] = "DeviceProfileItem";
constexpr char kLightPanel[] = "LightControlItem";
constexpr uint32_t kUnlitButtonColor = 0xFFFFFF;
constexpr uint8_t kFullBrightness = 255;

}  // namespace

void registerHeadsetDevice() {
  auto* f = skin::CControlFactory::GetInstance();
  f->RegistControl(QStringLiteral("HalvionHS6533Device"), [] { return new CHalvionHS6533Device; });
  f->RegistControl(QStringLiteral("CHalvionHS6533Device"), [] { return new CHalvionHS6533Device; });
}

CHalvionHS6533Device::CHalvionHS6533Device(QWidget* parent)
    : CHalvionUSBDevice(parent), preview_(headset::makeHeadsetPreview()) {
  inputExitLine_ = "HS设备同步线程设定退出";
  setLightCount(static_cast<int>(headset::kLedCount));
}

CHalvionHS6533Device::~CHalvionHS6533Device() {
  stopCommandWorker();
  previewWorker_.stop();
  stopInput();
  audioQueue_.stop();
  headsetAudio_.reset();
  confLib_.reset();
}

// ---- page -------------------------------------------------------------------

void CHalvionHS6533Device::initPage() {
  if (lightCount < static_cast<int>(headset::kLedCount)) setLightCount(static_cast<int>(headset::kLedCount));
  bindPanels({QString::fromLatin1(kProfilePanel), QString::fromLatin1(kLightPanel)});
  if (skin::CControlUI* panel = FindControlByName(QString::fromLatin1(kHeadsetLedPanel))) {
    panel->ForEach([this](skin::CControlUI* c) {
      auto* button = qobject_cast<widgets::CDeviceKeyButtonUI*>(c);
      if (!button || c->GetClass() != QLatin1String(kKeyButtonClassName)) return;
      const int led = numberAfter(button->GetName(), kLightButtonPrefix);
      if (led < 0 || led >= lightCount) return;
      lightButtons[static_cast<size_t>(led)] = button;
      button->setLight(kUnlitButtonColor, kFullBrightness, true);
    });
  }
  startAudio();
}

IHeadsetVoiceView* CHalvionHS6533Device::voiceView() const {
  return dynamic_cast<IHeadsetVoiceView*>(
      const_cast<CHalvionHS6533Device*>(this)->FindControlByName(QString::fromLatin1(kVoicePanelName)));
}

IHeadsetMagicView* CHalvionHS6533Device::magicView() const {
  return dynamic_cast<IHeadsetMagicView*>(
      const_cast<CHalvionHS6533Device*>(this)->FindControlByName(QString::fromLatin1(kMagicPanelName)));
}

// ---- profile files ----------------------------------------------------------

void CHalvionHS6533Device::readProfileDocuments() {
  profile_.loadProfile(profile_.getProfilePath());
  profile_.loadLightConfig(profile_.getLightConfigPath());
  loadLightState();
  loadAudioProfile();
}

// A profile switch, reset or import: lighting and audio settings of the
// profile are shown and the audio settings go to the chip.
void CHalvionHS6533Device::reloadProfile() {
  readProfileDocuments();
  applyAudioProfile(true);
  showAudioState();
}

// ---- lighting state ---------------------------------------------------------

void CHalvionHS6533Device::storeLightState(const profiles::LightSetting& light) {
  light_ = light;
  std::lock_guard<std::mutex> lock(lightMutex_);
  params_ = lighting::paramsOf(light);
}

void CHalvionHS6533Device::loadLightState() {
  storeLightState(profile_.getLightSetting());
  std::vector<profiles::LightListEntry> zones = profile_.getLightList();
  std::vector<profiles::LightEffectStep> steps = profile_.loadEffectSteps();
  {
    std::lock_guard<std::mutex> lock(dataLockA_);
    preview_.setLightState(light_);
    preview_.setZoneItems(std::move(zones));
    preview_.setCustomSteps(std::move(steps));
  }
  publishFrame();
}

void CHalvionHS6533Device::applyLightState() {
  {
    std::lock_guard<std::mutex> lock(dataLockA_);
    preview_.setLightState(light_);
  }
  publishFrame();
}

void CHalvionHS6533Device::setLightParams(const DeviceLightParams& p) {
  CHalvionUSBDevice::setLightParams(p);
  lighting::applyParams(light_, p.light);
  profile_.setLightSetting(light_);
}

// ---- preview frame ----------------------------------------------------------

void CHalvionHS6533Device::publishFrame() {
  bool changed = false;
  {
    std::lock_guard<std::mutex> lockA(dataLockA_);
    std::lock_guard<std::mutex> lock(lightMutex_);
    const auto& frame = preview_.frame();
    if (engine_.leds != frame) {
      engine_.leds = frame;
      changed = true;
    }
  }
  if (changed) frameGeneration_.fetch_add(1);
}

void CHalvionHS6533Device::setLedColor(size_t n, uint32_t value) {
  CHalvionUSBDevice::setLedColor(n, value);
  frameGeneration_.fetch_add(1);
}

bool CHalvionHS6533Device::pageCanBeSeen() const {
  const QWidget* top = window();
  return secondEnable != 0 && isVisible() && top && !top->isMinimized();
}

void CHalvionHS6533Device::updatePageShown() {
  const bool shown = pageCanBeSeen();
  if (shown && !pageShown_.exchange(true)) wake_.set();
  if (!shown) pageShown_.store(false);
}

bool CHalvionHS6533Device::needsFrames() const { return pageCanBeSeen(); }

void CHalvionHS6533Device::showEvent(QShowEvent* e) {
  CHalvionUSBDevice::showEvent(e);
  updatePageShown();
}

void CHalvionHS6533Device::hideEvent(QHideEvent* e) {
  CHalvionUSBDevice::hideEvent(e);
  updatePageShown();
}

// Every frame tick while the page is shown: the LED buttons show the preview
// and, while the program drives the lighting, the LEDs get the same frame.
void CHalvionHS6533Device::streamLights() {
  updatePageShown();
  if (!pageShown_.load()) return;
  const auto frame = ledSnapshot();
  const uint64_t generation = frameGeneration_.load();
  if (generation != paintedGeneration_) {
    paintedGeneration_ = generation;
    paintLightButtons(frame);
  }
  if (streamEnabled) sendLeds(frame);
}

}  // namespace kavro::devices
