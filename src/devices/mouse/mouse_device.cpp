// The mouse device object: page binding, profile files, lighting state,
// preview frames and the factory registration.
#include "devices/mouse/mouse_device.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

#include "devices/discovery/device_tables.h"
#include "devices/profile_files.h"
#include "devices/keyboard/keyboard_captions.h"
#include "macros/macro_files.h"
#include "platform/debug.h"
#include "profiles/json_file.h"
#include "profiles/profile_list.h"
#include "profiles/profile_list_repair.h"
#include "profiles/profile_paths.h"
#include "devices/lighting/preview_state.h"
#include "skin/container.h"
#include "skin/dialog_builder.h"
#include "skin/resource_manager.h"
#include "widgets/device_key_button.h"

namespace kavro::devices {

namespace {
constexpr char kProfilePanel[] = "DeviceProfileItem";
constexpr char kLightPanel[] = "LightControlItem";
constexpr char kMacroPanel[] = "MacroControlItem";
constexpr char kKeySetPanel[] = "KeySetControlItem";
// Language key of the text before an assigned function in a tooltip.
constexpr char kKeySetTextKey[] = "Key_Set";
// The mouse's LEDs at most (the running glow's zones name LEDs up to 18).
constexpr int kMaxMouseLeds = 19;

std::mutex& screenMutex() {
  static std::mutex m;
  return m;
}
mouse::ScreenSize& screenSlot() {
  static mouse::ScreenSize size;
  return size;
}
bool& screenRecorded() {
  static bool recorded = false;
  return recorded;
}
}  // namespace

void registerMouseDevice() {
  auto* f = skin::CControlFactory::GetInstance();
  f->RegistControl(QStringLiteral("HalvionMouseDevice"), [] { return new CHalvionMouseDevice; });
  f->RegistControl(QStringLiteral("CHalvionMouseDevice"), [] { return new CHalvionMouseDevice; });
}

CHalvionMouseDevice::CHalvionMouseDevice(QWidget* parent)
    : CHalvionUSBDevice(parent), preview_(0) {
  hasPowerStatus = 1;
  recordedScreen();  // the screen size is taken once, when the first page is made
}

CHalvionMouseDevice::~CHalvionMouseDevice() {
  stopCommandWorker();
  previewWorker_.stop();
  stopInput();
}

// ---- screen size ------------------------------------------------------------------

mouse::ScreenSize CHalvionMouseDevice::recordedScreen() {
  std::lock_guard<std::mutex> lock(screenMutex());
  if (!screenRecorded()) {
    screenRecorded() = true;
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
      const QSize px = s->size() * s->devicePixelRatio();
      screenSlot() = {px.width(), px.height()};
    }
  }
  return screenSlot();
}

void CHalvionMouseDevice::setRecordedScreen(const mouse::ScreenSize& size) {
  std::lock_guard<std::mutex> lock(screenMutex());
  screenRecorded() = true;
  screenSlot() = size;
}

// ---- page -------------------------------------------------------------------------

void CHalvionMouseDevice::initPage() {
  const int leds = std::clamp(lightCount, 0, kMaxMouseLeds);
  setLightCount(leds);
  keyButtons.assign(mouse::kButtonCount, nullptr);
  {
    std::lock_guard<std::mutex> lock(dataLockA_);
    preview_ = mouse::MousePreview(static_cast<size_t>(leds));
  }
  for (size_t p = 0; p < mouse::kButtonCount; ++p) {
    const QString name = QString::fromLatin1(mouse::kButtonControlNames[p].data(),
                                              static_cast<int>(mouse::kButtonControlNames[p].size()));
    keyButtons[p] = qobject_cast<widgets::CDeviceKeyButtonUI*>(FindControlByName(name));
  }
  // The panels find the buttons of the picture when they bind.
  bindPanels({QString::fromLatin1(kProfilePanel), QString::fromLatin1(kLightPanel), QString::fromLatin1(kMacroPanel),
              QString::fromLatin1(kKeySetPanel), QString::fromLatin1(kShootPanelName)});
  ForEach([this](skin::CControlUI* c) {
    if (c->GetClass() != QLatin1String(kKeyButtonClassName)) return;
    auto* button = qobject_cast<widgets::CDeviceKeyButtonUI*>(c);
    const int led = button ? numberAfter(button->GetName(), kLightButtonPrefix) : -1;
    if (led >= 0 && led < lightCount) {
      lightButtons[static_cast<size_t>(led)] = button;
      button->setLight(0xFFFFFF, 255, true);
    }
  });
  ledIndicator_ = FindControlByName(QString::fromLatin1(kMouseLedIndicator));
  connectionHint_ = FindControlByName(QString::fromLatin1(kConnectionHintLabel));
  if (connectionHint_) connectionHint_->SetVisible(false);
  selectSettingsTab(0);
  refreshKeyCaptions();
}

void CHalvionMouseDevice::refreshKeyCaptions() {
  auto& rm = skin::CResourceManager::GetInstance();
  for (size_t p = 0; p < mouse::kButtonCount; ++p) {
    widgets::CDeviceKeyButtonUI* b = keyButton(p);
    if (!b) continue;
    const bool changed = p < assignments_.size() && assignments_[p].code != assignments_[p].defaultCode;
    b->setKeyMarkHidden(!changed);
    // The tooltip names the button (its control name is its language key)
    // and, when it was given another function, that function.
    QString tip = rm.ResolveText(b->GetName());
    if (changed) {
      tip += QLatin1Char('\n') + rm.ResolveText(QString::fromLatin1(kKeySetTextKey)) +
             assignedName(assignments_[p].code);
    }
    b->SetToolTip(tip);
  }
}

// A function of the mouse's own buttons is named after its button; any
// other function as the keyboard page names it.
QString CHalvionMouseDevice::assignedName(const profiles::KeyCodeBytes& code) const {
  auto& rm = skin::CResourceManager::GetInstance();
  const int own = mouse::positionOfDefaultCode(code);
  if (own >= 0) {
    const std::string_view key = mouse::kButtonControlNames[static_cast<size_t>(own)];
    return rm.ResolveText(QString::fromLatin1(key.data(), static_cast<int>(key.size())));
  }
  const keyboard::FunctionName name = keyboard::functionName(code, macroNames_);
  QStringList parts;
  for (const std::string& key : name.nameKeys) parts << rm.ResolveText(QString::fromStdString(key));
  if (!name.text.empty()) parts << QString::fromStdString(name.text);
  return parts.join(QLatin1Char('+'));
}

std::string CHalvionMouseDevice::recoilFactoryFolder() const { return folderOf(defaultDataPath()); }

// ---- profile files ----------------------------------------------------------------

void CHalvionMouseDevice::loadProfile() {
  openProfileFiles();
  readProfileDocuments();
}

void CHalvionMouseDevice::reloadProfile() {
  readProfileDocuments();
  showSettings();
}

void CHalvionMouseDevice::readProfileDocuments() {
  profile_.loadProfile(profile_.getProfilePath());
  profile_.loadLightConfig(profile_.getLightConfigPath());
  assignments_ = profile_.getKeyAssignments();
  system_ = profile_.getSystemSettings();
  stages_ = profile_.getDpiStages();
  corrections_ = profile_.getCorrections();
  currentStage_ = mouse::currentStageIndex(profile_.getActiveDpiStage());
  // A profile with every stage off would leave the mouse without a DPI.
  if (mouse::ensureActiveStage(stages_, currentStage_, dpiRange())) profile_.setDpiStages(stages_);
  collectNameLists();
  storeLightState(profile_.getLightSetting());
  {
    std::lock_guard<std::mutex> lock(dataLockA_);
    preview_.setLightState(light_);
  }
  publishFrame();
}

int CHalvionMouseDevice::selectProfile(const std::string& id) {
  if (!profiles::isValidProfileId(id)) return 0;
  setProfileId(id);
  loadProfile();
  writeSettings();
  writeKeyAssignments();
  const int macros = writeMacros();
  showSettings();
  return macros;
}

void CHalvionMouseDevice::collectNameLists() {
  const std::string folder = userDataFolder();
  macroNames_ = macros::namesFromIndex(
      profiles::readJsonDocument(profiles::joinPath(folder, macros::kMacroIndexFileName)));
  lightNames_.clear();
  const Json::Value& custom = profile_.lightConfig()["LightInfo"];
  if (custom.isArray() && custom.size() > 0 && custom[0].isArray()) {
    for (const Json::Value& item : custom[0]) {
      if (item.isObject() && item["LightName"].isString()) lightNames_.push_back(item["LightName"].asString());
    }
  }
}

void CHalvionMouseDevice::setKeyAssignments(const std::vector<profiles::KeyAssignment>& list) {
  assignments_ = list;
  profile_.setKeyAssignments(assignments_);
  refreshKeyCaptions();
}

// ---- lighting state -----------------------------------------------------------------

void CHalvionMouseDevice::storeLightState(const profiles::LightSetting& light) {
  light_ = light;
  std::lock_guard<std::mutex> lock(lightMutex_);
  params_ = lighting::paramsOf(light);
}

void CHalvionMouseDevice::applyLightState() {
  {
    std::lock_guard<std::mutex> lock(dataLockA_);
    preview_.setLightState(light_);
  }
  publishFrame();
}

void CHalvionMouseDevice::setLightParams(const DeviceLightParams& p) {
  CHalvionUSBDevice::setLightParams(p);
  lighting::applyParams(light_, p.light);
  profile_.setLightSetting(light_);
  std::lock_guard<std::mutex> lock(dataLockA_);
  preview_.setLightState(light_);
}

// ---- preview frame ------------------------------------------------------------------

void CHalvionMouseDevice::publishFrame() {
  std::lock_guard<std::mutex> lockA(dataLockA_);
  copyToLeds(preview_.frame());
}

void CHalvionMouseDevice::streamLights() {
  const auto frame = ledSnapshot();
  paintLightButtons(frame);
  // The indicator shows the first LED's colour: the mouse's logo light.
  if (auto* indicator = qobject_cast<widgets::CDeviceKeyButtonUI*>(ledIndicator_.data()); indicator && !frame.empty()) {
    indicator->setLight(lighting::buttonColor(frame.front()), frame.front().brightness, true);
  }
  if (streamEnabled) sendFrame(frame);
}

}  // namespace kavro::devices
