// The mousepad device object: page binding, profile files, lighting state,
// the preview frame and the factory registration.
#include "devices/mousepad/mousepad_device.h"

#include "devices/profile_files.h"
#include "widgets/device_key_button.h"
#include "devices/lighting/preview_state.h"
#include "macros/macro_model.h"
#include "profiles/json_file.h"
#include "profiles/profile_list.h"
#include "profiles/profile_list_repair.h"
#include "profiles/profile_paths.h"
#include "skin/dialog_builder.h"

namespace kavro::devices {

namespace {
constexpr char kProfilePanel[] = "DeviceProfileItem";
constexpr char kLightPanel[] = "LightControlItem";
constexpr unsigned kFullBrightness = 255;
constexpr uint32_t kWhite = 0xFFFFFF;

}  // namespace

void registerMousepadDevice() {
  auto* f = skin::CControlFactory::GetInstance();
  f->RegistControl(QStringLiteral("HalvionMousePadDevice"), [] { return new CHalvionMousePadDevice; });
  f->RegistControl(QStringLiteral("CHalvionMousePadDevice"), [] { return new CHalvionMousePadDevice; });
}

CHalvionMousePadDevice::CHalvionMousePadDevice(QWidget* parent) : CHalvionUSBDevice(parent) {
  // The pad reports its power and the phone on its charging area.
  hasPowerStatus = 1;
}

CHalvionMousePadDevice::~CHalvionMousePadDevice() {
  stopCommandWorker();
  previewWorker_.stop();
  stopInput();
}

// ---- page -------------------------------------------------------------------

void CHalvionMousePadDevice::initPage() {
  keyButtons.assign(static_cast<size_t>(keyCount), nullptr);
  lightButtons.assign(static_cast<size_t>(lightCount), nullptr);
  bindPanels({QString::fromLatin1(kProfilePanel), QString::fromLatin1(kLightPanel)});
  skin::CControlUI* panel = FindControlByName(QString::fromLatin1(kMousepadZonePanel));
  if (!panel) return;
  panel->ForEach([this](skin::CControlUI* c) {
    if (c->GetClass() != QLatin1String(kKeyButtonClassName)) return;
    auto* button = qobject_cast<widgets::CDeviceKeyButtonUI*>(c);
    if (!button) return;
    int zone = numberAfter(button->GetName(), kLightButtonPrefix);
    if (zone < 0) zone = numberAfter(button->GetUserData(), kLightButtonPrefix);
    if (zone >= 0 && zone < lightCount) {
      lightButtons[static_cast<size_t>(zone)] = button;
      button->setLight(kWhite, kFullBrightness, true);
    }
  });
}

// ---- profile files ----------------------------------------------------------

void CHalvionMousePadDevice::loadProfile() {
  openProfileFiles();
  readProfileDocuments();
}

void CHalvionMousePadDevice::reloadProfile() {
  readProfileDocuments();
  showSettings();
}

void CHalvionMousePadDevice::readProfileDocuments() {
  profile_.loadProfile(profile_.getProfilePath());
  profile_.loadLightConfig(profile_.getLightConfigPath());
  collectNameLists();
  loadLightState();
}

void CHalvionMousePadDevice::setKindIndex(int index) {
  CHalvionUSBDevice::setKindIndex(index);
  profile_.setDeviceIndex(0);
}

void CHalvionMousePadDevice::collectNameLists() {
  macroNames_ = macros::readVexorMacroNames(userDataFolder());
  lightNames_.clear();
  const Json::Value builtin = profiles::readJsonDocument(
      profiles::joinPath(folderOf(defaultDataPath()), profiles::kDefaultLightFileName));
  const Json::Value& models = builtin["DefaultLightName"];
  if (models.isArray() && models.size() > static_cast<Json::ArrayIndex>(kindIndex)) {
    for (const Json::Value& item : models[static_cast<Json::ArrayIndex>(kindIndex)]) {
      if (item.isObject() && item["LightName"].isString()) lightNames_.push_back(item["LightName"].asString());
    }
  }
  const Json::Value& custom = profile_.lightConfig()["LightInfo"];
  if (custom.isArray() && custom.size() > 0 && custom[0].isArray()) {
    for (const Json::Value& item : custom[0]) {
      if (item.isObject() && item["LightName"].isString()) lightNames_.push_back(item["LightName"].asString());
    }
  }
}

void CHalvionMousePadDevice::showSettings() { refreshPanels(); }

// ---- lighting state ---------------------------------------------------------

void CHalvionMousePadDevice::storeLightState(const profiles::LightSetting& light) {
  light_ = light;
  std::lock_guard<std::mutex> lock(lightMutex_);
  params_ = lighting::paramsOf(light);
  lightParam3 = profiles::packLightSetting(light).word2;
}

void CHalvionMousePadDevice::loadLightState() {
  storeLightState(profile_.getLightSetting());
  std::vector<profiles::LightListEntry> zones = profile_.getLightList();
  std::vector<profiles::LightEffectStep> steps = profile_.loadEffectSteps();
  {
    std::lock_guard<std::mutex> lockA(dataLockA_);
    preview_.setLightState(light_);
    preview_.setZoneItems(std::move(zones));
    preview_.setCustomSteps(std::move(steps));
  }
  publishFrame();
}

void CHalvionMousePadDevice::applyLightState() {
  // Choosing the custom effect starts its step list from the first step.
  std::vector<profiles::LightEffectStep> steps;
  const bool custom = light_.effect == mousepad::kEffectCustom;
  if (custom) steps = profile_.loadEffectSteps();
  std::lock_guard<std::mutex> lock(dataLockA_);
  if (custom && light_.effect != preview_.lightState().effect) preview_.setCustomSteps(std::move(steps));
  preview_.setLightState(light_);
}

void CHalvionMousePadDevice::setLightParams(const DeviceLightParams& p) {
  CHalvionUSBDevice::setLightParams(p);
  lighting::applyParams(light_, p.light);
  profile_.setLightSetting(light_);
}

// ---- preview frame ----------------------------------------------------------

void CHalvionMousePadDevice::publishFrame() {
  std::lock_guard<std::mutex> lockA(dataLockA_);
  copyToLeds(preview_.frame());
}

void CHalvionMousePadDevice::runPreviewPasses(unsigned passes) {
  {
    std::lock_guard<std::mutex> lockA(dataLockA_);
    const auto now = static_cast<uint32_t>(tickMs());
    for (unsigned i = 0; i < passes; ++i) preview_.tick(now);
  }
  publishFrame();
}

}  // namespace kavro::devices
