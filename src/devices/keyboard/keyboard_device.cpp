// The keyboard device object: page binding, profile files, lighting state,
// preview frames and the factory registration.
#include "devices/keyboard/keyboard_device.h"

#include <QShowEvent>

#include "widgets/device_key_button.h"
#include "devices/device_option.h"
#include "devices/discovery/device_tables.h"
#include "devices/profile_files.h"
#include "platform/debug.h"
#include "macros/macro_files.h"
#include "profiles/json_file.h"
#include "profiles/profile_list.h"
#include "profiles/profile_list_repair.h"
#include "profiles/profile_paths.h"
#include "skin/container.h"
#include "skin/dialog_builder.h"

namespace kavro::devices {

void registerKeyboardDevice() {
  auto* f = skin::CControlFactory::GetInstance();
  f->RegistControl(QStringLiteral("HalvionKeyboardDevice"), [] { return new CHalvionKeyboardDevice; });
  f->RegistControl(QStringLiteral("CHalvionKeyboardDevice"), [] { return new CHalvionKeyboardDevice; });
}

CHalvionKeyboardDevice::CHalvionKeyboardDevice(QWidget* parent)
    : CHalvionUSBDevice(parent), preview_(lighting::seededRandom(static_cast<uint32_t>(tickMs()))) {
  tablePos_.fill(keyboard::kUnmapped);
  ledPos_.fill(keyboard::kUnmapped);
}

CHalvionKeyboardDevice::~CHalvionKeyboardDevice() {
  stopCommandWorker();
  previewWorker_.stop();
  stopInput();
}

// ---- page -------------------------------------------------------------------

void CHalvionKeyboardDevice::initPage() {
  keyButtons.assign(static_cast<size_t>(keyCount), nullptr);
  lightButtons.assign(static_cast<size_t>(lightCount), nullptr);
  bindPanels({QString::fromLatin1(kProfilePanelName), QString::fromLatin1(kLightPanelName),
              QString::fromLatin1(kMacroPanelName), QString::fromLatin1(kKeySetPanelName)});
  profilePanel_ = FindControlByName(QString::fromLatin1(kProfilePanelName));
  lightPanel_ = FindControlByName(QString::fromLatin1(kLightPanelName));
  macroPanel_ = FindControlByName(QString::fromLatin1(kMacroPanelName));
  keySetPanel_ = FindControlByName(QString::fromLatin1(kKeySetPanelName));
  skin::CControlUI* panel = FindControlByName(QString::fromLatin1(kKeyboardKeyPanel));
  if (!panel) return;
  panel->ForEach([this](skin::CControlUI* c) {
    if (c->GetClass() != QLatin1String(kKeyButtonClassName)) return;
    auto* button = qobject_cast<widgets::CDeviceKeyButtonUI*>(c);
    if (!button) return;
    const int key = numberAfter(button->GetName(), kKeyButtonPrefix);
    if (key >= 0 && key < keyCount) keyButtons[static_cast<size_t>(key)] = button;
    // A light button is named "light_" n, or carries that name as user data.
    int led = numberAfter(button->GetName(), kLightButtonPrefix);
    if (led < 0) led = numberAfter(button->GetUserData(), kLightButtonPrefix);
    if (led >= 0 && led < lightCount) {
      lightButtons[static_cast<size_t>(led)] = button;
      button->setLight(0xFFFFFF, 255, true);
    }
  });
  // The keys carry their names from the start, before a keyboard answers.
  refreshKeyCaptions();
}

skin::CControlUI* CHalvionKeyboardDevice::sharedPanel(const char* name) const {
  const QString n = QString::fromLatin1(name);
  if (n == QLatin1String(kProfilePanelName)) return profilePanel_;
  if (n == QLatin1String(kLightPanelName)) return lightPanel_;
  if (n == QLatin1String(kMacroPanelName)) return macroPanel_;
  if (n == QLatin1String(kKeySetPanelName)) return keySetPanel_;
  return nullptr;
}

// ---- profile files ----------------------------------------------------------

void CHalvionKeyboardDevice::loadProfile() {
  openProfileFiles();
  readProfileDocuments();
}

void CHalvionKeyboardDevice::reloadProfile() {
  readProfileDocuments();
  showSettings();
}

void CHalvionKeyboardDevice::readProfileDocuments() {
  profile_.loadProfile(profile_.getProfilePath());
  profile_.loadLightConfig(profile_.getLightConfigPath());
  assignments_ = profile_.getKeyAssignments();
  system_ = profile_.getSystemSettings();
  collectNameLists();
  loadLightState();
}

int CHalvionKeyboardDevice::selectProfile(const std::string& id) {
  if (!profiles::isValidProfileId(id)) return 0;
  setProfileId(id);
  loadProfile();
  writeSettings(0, 0);
  writeKeyAssignments();
  const int macros = writeMacros();
  showSettings();
  return macros;
}

void CHalvionKeyboardDevice::setKindIndex(int index) {
  CHalvionUSBDevice::setKindIndex(index);
  profile_.setDeviceIndex(0);
}

void CHalvionKeyboardDevice::collectNameLists() {
  const std::string folder = userDataFolder();
  macroNames_ = macros::namesFromIndex(
      profiles::readJsonDocument(profiles::joinPath(folder, macros::kMacroIndexFileName)));
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

// ---- lighting state ---------------------------------------------------------

profiles::LightSetting CHalvionKeyboardDevice::lightState() const { return light_; }

void CHalvionKeyboardDevice::storeLightState(const profiles::LightSetting& light) {
  light_ = light;
  const profiles::LightSettingWords words = profiles::packLightSetting(light);
  std::lock_guard<std::mutex> lock(lightMutex_);
  params_ = lighting::paramsOf(light);
  // The second word carries the second-zone effect in its top byte.
  lightParam3 = words.word2;
}

void CHalvionKeyboardDevice::loadLightState() {
  storeLightState(profile_.getLightSetting());
  std::vector<profiles::LightListEntry> perKey = profile_.getLightList();
  const std::vector<profiles::KeyColor> colors =
      profile_.getCustomColors(light_.customGroup, static_cast<int>(keyboard::kPositionCount));
  std::vector<profiles::LightEffectStep> steps;
  {
    std::lock_guard<std::mutex> lockB(dataLockB_);
    customSteps_ = profile_.loadEffectSteps();
    steps = customSteps_;
  }
  {
    std::lock_guard<std::mutex> lockA(dataLockA_);
    preview_.setLightState(light_);
    preview_.setPerKeyItems(std::move(perKey));
    preview_.setCustomColors(colors);
    preview_.setCustomSteps(std::move(steps));
  }
  publishFrame();
}

void CHalvionKeyboardDevice::applyLightState() {
  std::lock_guard<std::mutex> lock(dataLockA_);
  preview_.setLightState(light_);
}

void CHalvionKeyboardDevice::setLightParams(const DeviceLightParams& p) {
  CHalvionUSBDevice::setLightParams(p);
  lighting::applyParams(light_, p.light);
  light_.areaEffect = static_cast<uint8_t>(p.param3 >> 24);  // second-zone effect
  profile_.setLightSetting(light_);
}

// ---- per-key custom colours ---------------------------------------------------

int CHalvionKeyboardDevice::customColorKeyCount() const { return static_cast<int>(keyboard::kPositionCount); }

void CHalvionKeyboardDevice::setCustomKeyColor(int position, uint8_t red, uint8_t green, uint8_t blue) {
  if (position < 0 || static_cast<size_t>(position) >= keyboard::kPositionCount) return;
  if (customEdit_.size() != keyboard::kPositionCount) {
    customEdit_ = profile_.getCustomColors(light_.customGroup, static_cast<int>(keyboard::kPositionCount));
    customEdit_.resize(keyboard::kPositionCount);
  }
  auto& c = customEdit_[static_cast<size_t>(position)];
  c.red = red, c.green = green, c.blue = blue;
  std::lock_guard<std::mutex> lock(dataLockA_);
  preview_.paintKey(static_cast<size_t>(position), lighting::Rgb{red, green, blue});
}

void CHalvionKeyboardDevice::refreshCustomPreview() { publishFrame(); }

void CHalvionKeyboardDevice::storeCustomColors(int group) {
  if (group < 0 || customEdit_.size() != keyboard::kPositionCount) return;
  profile_.setCustomColors(customEdit_, group);
  saveChecked(profile_);
  if (group == light_.customGroup && light_.effect == kCustomColorEffect) writeCustomColors();
}

void CHalvionKeyboardDevice::setCustomGroupIndex(int group) {
  if (group < 0 || group > 0xFF) return;
  light_.customGroup = static_cast<uint8_t>(group);
  profile_.setCustomGroupIndex(group);
  profile_.setLightSetting(light_);
  saveChecked(profile_);
}

void CHalvionKeyboardDevice::showCustomGroup(int group) {
  if (group < 0) return;
  customEdit_ = profile_.getCustomColors(group, static_cast<int>(keyboard::kPositionCount));
  customEdit_.resize(keyboard::kPositionCount);
  {
    std::lock_guard<std::mutex> lock(dataLockA_);
    preview_.setCustomColors(customEdit_);
  }
  publishFrame();
  if (group == light_.customGroup && light_.effect == kCustomColorEffect) writeCustomColors();
}

void CHalvionKeyboardDevice::setSystemSettings(const keyboard::KeyboardSystemFields& fields) {
  system_ = keyboard::systemWords(fields);
  profile_.setSystemSettings(system_.word0, system_.word1, system_.word2);
}

void CHalvionKeyboardDevice::setKeyAssignments(const std::vector<profiles::KeyAssignment>& list) {
  assignments_ = list;
  profile_.setKeyAssignments(assignments_);
}

lighting::PreviewState CHalvionKeyboardDevice::previewState() const {
  std::lock_guard<std::mutex> lock(const_cast<std::mutex&>(dataLockA_));
  return preview_.state();
}

// ---- preview frame ----------------------------------------------------------

void CHalvionKeyboardDevice::publishFrame() {
  bool changed = false;
  {
    std::lock_guard<std::mutex> lockA(dataLockA_);
    std::lock_guard<std::mutex> lock(lightMutex_);
    const auto& frame = preview_.frame();
    const size_t n = std::min(frame.size(), engine_.leds.size());
    const auto end = frame.begin() + static_cast<std::ptrdiff_t>(n);
    // Only a frame that differs is published, so an unchanged preview costs
    // no repaint.
    if (!std::equal(frame.begin(), end, engine_.leds.begin())) {
      std::copy(frame.begin(), end, engine_.leds.begin());
      changed = true;
    }
  }
  if (!changed) return;
  frameGeneration_.fetch_add(1);
  if (pageShown_.load()) queuePreviewPaint();
}

void CHalvionKeyboardDevice::queuePreviewPaint() {
  if (paintQueued_.exchange(true)) return;
  // Dropped by Qt if the device is gone before the window thread runs it.
  QMetaObject::invokeMethod(
      this,
      [this] {
        paintQueued_.store(false);
        paintPreview();
      },
      Qt::QueuedConnection);
}

// Synchronised lighting sets the colours from the main window's light
// thread; the picture follows as it follows the preview.
void CHalvionKeyboardDevice::setLedColor(size_t n, uint32_t value) {
  CHalvionUSBDevice::setLedColor(n, value);
  frameGeneration_.fetch_add(1);
  if (pageShown_.load()) queuePreviewPaint();
}

// The page can be seen when it is visible in a window that is neither hidden
// nor minimised, and the window wants repaints (secondEnable).
bool CHalvionKeyboardDevice::pageCanBeSeen() const {
  const QWidget* top = window();
  return secondEnable != 0 && isVisible() && top && !top->isMinimized();
}

void CHalvionKeyboardDevice::updatePageShown() {
  const bool shown = pageCanBeSeen();
  if (shown && !pageShown_.exchange(true)) {
    dbg::write("keyboard page shown: preview running\n");
    wake_.set();
  }
  if (!shown && pageShown_.exchange(false)) dbg::write("keyboard page hidden: preview paused\n");
}

bool CHalvionKeyboardDevice::needsFrames() const { return pageCanBeSeen(); }

int CHalvionKeyboardDevice::frameIntervalMs() const { return kIdleFrameIntervalMs; }

void CHalvionKeyboardDevice::showEvent(QShowEvent* e) {
  CHalvionUSBDevice::showEvent(e);
  updatePageShown();
}

void CHalvionKeyboardDevice::hideEvent(QHideEvent* e) {
  CHalvionUSBDevice::hideEvent(e);
  updatePageShown();
}

void CHalvionKeyboardDevice::paintPreview() {
  const uint64_t generation = frameGeneration_.load();
  if (generation == paintedGeneration_) return;
  // The picture is repainted at most about 30 times a second: smooth to the
  // eye, and half the drawing of following every preview pass.
  const uint64_t now = tickMs();
  if (now - lastPaintMs_ < kPreviewPaintMs) {
    // Too soon after the last one: painted when the interval is over, so
    // the last frame of an animation that stops is never left out.
    if (!paintQueued_.exchange(true)) {
      QTimer::singleShot(static_cast<int>(kPreviewPaintMs - (now - lastPaintMs_)), this, [this] {
        paintQueued_.store(false);
        paintPreview();
      });
    }
    return;
  }
  lastPaintMs_ = now;
  paintedGeneration_ = generation;
  const auto frame = ledSnapshot();
  for (size_t p = 0; p < frame.size(); ++p) {
    widgets::CDeviceKeyButtonUI* b = p < keyButtons.size() && keyButtons[p] ? keyButtons[p] : lightButton(p);
    if (b && b->IsVisible()) b->setLight(lighting::buttonColor(frame[p]), frame[p].brightness, true);
  }
}

void CHalvionKeyboardDevice::streamLights() {
  updatePageShown();
  if (pageShown_.load()) paintPreview();
}

}  // namespace kavro::devices
