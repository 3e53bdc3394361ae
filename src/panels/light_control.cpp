#include "panels/light_control.h"

#include "widgets/device_key_button.h"

#include <QGraphicsOpacityEffect>

#include <atomic>

#include "devices/light_change.h"
#include "panels/light_control_palette.h"
#include "platform/debug.h"
#include "transport/command_set.h"
#include "panels/light_layout_rules.h"
#include "skin/controls.h"
#include "skin/dialog_builder.h"

namespace kavro::panels {

using skin::CControlUI;

namespace {

constexpr char kLayoutFile[] = "XML/CustomControlXML/LightControl.xml";
constexpr char kLayoutClass[] = "LightSetControlUI";
constexpr char kPaletteClass[] = "ColorPalette";

constexpr char kModeCombo[] = "light_combo_modeSelect";
constexpr char kBrightSlider[] = "deng_light_slider";
constexpr char kSpeedSlider[] = "deng_speed_slider";
constexpr char kBrightValue[] = "deng_light_value";
constexpr char kSpeedValue[] = "deng_speed_value";
constexpr char kDirLeft[] = "deng_FXL_check";
constexpr char kDirRight[] = "deng_FXR_check";
constexpr char kMultiColor[] = "deng_7color_check";
constexpr char kPalette[] = "deng_Color_Pallet";
constexpr char kColorButton[] = "deng_colordp_btn";
constexpr char kPresetPrefix[] = "color_option_";
constexpr char kZoneCombo[] = "light_combo_ZZCCmodeSelect";
constexpr char kCustomCombo[] = "light_combo_custommodeSelect";
constexpr char kCustomBright[] = "custom_bright_color_btn";
constexpr char kCustomOff[] = "custom_off_color_btn";
constexpr char kSameMode[] = "deng_same_mode";
constexpr char kPanelName[] = "LightControlItem";
constexpr char kSelectEnd[] = "click_select_end";  // the rubber band on the device picture ended
constexpr char kKeyButtonClass[] = "DeviceKeyButton";
// Said on the colour card when the effect chooses its colours itself.
constexpr char kColorNote[] = "light_color_note";
constexpr std::uint8_t kCustomColorEffectIndex = 20;  // keys keep their own colours

constexpr int kItemHeight = 30;
constexpr int kNoSelection = -1;
constexpr qreal kDisabledOpacity = 0.45;

const char* editName(ColorChannel c) {
  switch (c) {
    case ColorChannel::Red: return "deng_edit_R";
    case ColorChannel::Green: return "deng_edit_G";
    case ColorChannel::Blue: return "deng_edit_B";
  }
  return "";
}

// Builds the panel's own layout; the colour picker is the only class of it
// that the toolkit does not know.
class LayoutCallback : public skin::IDialogBuilderCallback {
 public:
  CControlUI* CreateControl(const QString& cls) override {
    return cls.compare(QLatin1String(kPaletteClass), Qt::CaseInsensitive) == 0 ? new CColorPaletteUI : nullptr;
  }
};

CControlUI* buildLightLayout() {
  LayoutCallback callback;
  skin::CDialogBuilder builder;
  return builder.Create(QString::fromLatin1(kLayoutFile), &callback);
}

// Option groups are exclusive across a whole window, and every device page
// holds a lighting panel: each panel's direction pair gets its own group.
QString nextDirectionGroup() {
  static std::atomic<int> counter{0};
  return QStringLiteral("deng_fx_%1").arg(counter.fetch_add(1));
}

void fillCombo(skin::CComboUI* combo, const std::vector<QString>& names, const std::vector<int>* visible) {
  combo->RemoveAll();
  for (size_t i = 0; i < names.size(); ++i) {
    auto* item = new skin::CListLabelElementUI;
    item->SetFixedHeight(kItemHeight);
    item->SetText(names[i]);
    item->SetToolTip(names[i]);
    if (visible && i < visible->size() && (*visible)[i] == 0) item->SetVisible(false);
    combo->Add(item);
  }
}

}  // namespace

CLightControlUI::CLightControlUI(QWidget* parent) : CVerticalLayoutUI(parent) { buildLayout(); }

void CLightControlUI::buildLayout() {
  CControlUI* root = nullptr;
  auto* factory = skin::CControlFactory::GetInstance();
  if (factory->IsRegistered(QString::fromLatin1(kLayoutClass)))
    root = factory->CreateControl(QString::fromLatin1(kLayoutClass));
  if (!root) root = buildLightLayout();
  if (!root) return;  // the builder has said why in the debug output
  Add(root);
  const QString group = nextDirectionGroup();
  if (auto* l = find<skin::COptionUI>(kDirLeft)) l->SetGroup(group);
  if (auto* r = find<skin::COptionUI>(kDirRight)) r->SetGroup(group);
}

template <class T>
T* CLightControlUI::find(const char* name) const {
  return qobject_cast<T*>(findControl(QString::fromLatin1(name)));
}

CControlUI* CLightControlUI::findControl(const QString& name) const {
  return const_cast<CLightControlUI*>(this)->FindControlByName(name);
}

// ---- device panel -------------------------------------------------------------

void CLightControlUI::setDevice(devices::CHalvionUSBDevice* device) { device_ = device; }

int CLightControlUI::deviceType() const {
  if (deviceType_ != 0) return deviceType_;
  return device_ ? device_->deviceType : 0;
}

bool CLightControlUI::isKeyboard() const { return deviceType() == kLightKeyboard; }

ILightCustomColors* CLightControlUI::customColors() const {
  return dynamic_cast<ILightCustomColors*>(device_.data());
}

// The device's state was replaced (connection, profile, a change made on the
// device): the panel shows it, and keys chosen on the picture for the old
// state are no longer marked.
void CLightControlUI::refreshFromDevice() {
  if (!device_) return;
  clearKeySelection();
  showLightParams(device_->getLightParams());
}

CLightControlUI* CLightControlUI::panelOf(devices::CHalvionUSBDevice* device) {
  if (!device) return nullptr;
  for (devices::IDevicePanel* p : device->panels()) {
    if (auto* light = dynamic_cast<CLightControlUI*>(p)) return light;
  }
  return qobject_cast<CLightControlUI*>(device->FindControlByName(QString::fromLatin1(kPanelName)));
}

void CLightControlUI::setSameModeFlag(int flag) {
  sameModeFlag_ = flag;
  applyLayoutRule(getEffectIndex());
}

// ---- filling --------------------------------------------------------------------

void CLightControlUI::initLightPanel(const std::vector<QString>& names, const std::vector<int>& visibleFlags,
                                     int maxBrightness, int maxSpeed) {
  if (auto* combo = find<skin::CComboUI>(kModeCombo)) fillCombo(combo, names, &visibleFlags);
  if (auto* s = find<skin::CSliderUI>(kBrightSlider)) s->SetMaxValue(maxBrightness);
  if (auto* s = find<skin::CSliderUI>(kSpeedSlider)) s->SetMaxValue(maxSpeed);
}

void CLightControlUI::setSecondZoneNames(const std::vector<QString>& names) {
  if (auto* combo = find<skin::CComboUI>(kZoneCombo)) fillCombo(combo, names, nullptr);
}

void CLightControlUI::setCustomGroupNames(const std::vector<QString>& names) {
  if (auto* combo = find<skin::CComboUI>(kCustomCombo)) fillCombo(combo, names, nullptr);
}

void CLightControlUI::showLightSetting(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2) {
  const int effect = wordByte(word0, 0);
  if (auto* combo = find<skin::CComboUI>(kModeCombo)) combo->SelectItem(effect, false, false);
  setBrightness(wordByte(word0, 1));
  setSpeed(wordByte(word0, 2));
  showColor(wordByte(word1, 1), wordByte(word1, 2), wordByte(word1, 3));
  setMultiColor(wordByte(word1, 0));
  setDirection(wordByte(word0, 3));
  setSecondZoneIndex(areaEffectOf(word2));
  if (ILightCustomColors* colors = isKeyboard() ? customColors() : nullptr) {
    setCustomGroupIndex(colors->customGroupIndex());
  }
  applyLayoutRule(effect);
}

void CLightControlUI::showLightParams(const devices::DeviceLightParams& params) {
  const LightWords w = wordsFromParams(params);
  showLightSetting(w.word0, w.word1, w.word2);
}

void CLightControlUI::showColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  setColorEditText(ColorChannel::Red, QString::number(red));
  setColorEditText(ColorChannel::Green, QString::number(green));
  setColorEditText(ColorChannel::Blue, QString::number(blue));
  setPaletteColor(makeArgb({red, green, blue}));
}

void CLightControlUI::setGroupEnabled(CControlUI* group, bool enabled) {
  // The whole group takes the state so that its controls look disabled too;
  // colour swatches have no disabled look of their own, so the group fades.
  group->ForEach([enabled](CControlUI* c) { c->SetEnabled(enabled); });
  if (enabled) {
    group->setGraphicsEffect(nullptr);
  } else if (!group->graphicsEffect()) {
    auto* fade = new QGraphicsOpacityEffect(group);
    fade->setOpacity(kDisabledOpacity);
    group->setGraphicsEffect(fade);
  }
}

void CLightControlUI::applyLayoutRule(int effect) {
  const LightLayout layout = lightLayoutFor(deviceType(), effect, sameModeFlag_ != 0);
  for (size_t i = 0; i < kLightGroupCount; ++i) {
    CControlUI* c = findControl(QString::fromLatin1(lightGroupControl(static_cast<LightGroup>(i))));
    if (!c) continue;
    const GroupState& s = layout.groups[i];
    if (s.enabled != Switch::Keep) setGroupEnabled(c, s.enabled == Switch::On);
    if (s.visible != Switch::Keep) c->SetVisible(s.visible == Switch::On);
  }
  // A colour card without its palette and values says why.
  if (CControlUI* note = findControl(QString::fromLatin1(kColorNote))) {
    const CControlUI* palette = findControl(QString::fromLatin1(lightGroupControl(LightGroup::Palette)));
    const CControlUI* values = findControl(QString::fromLatin1(lightGroupControl(LightGroup::Color)));
    note->SetVisible(palette && values && !palette->IsVisible() && !values->IsVisible());
  }
}

// ---- controls ---------------------------------------------------------------------

int CLightControlUI::getEffectIndex() const {
  auto* combo = find<skin::CComboUI>(kModeCombo);
  return combo ? combo->GetCurSel() : kNoSelection;
}

void CLightControlUI::setEffectIndex(int index) {
  if (auto* combo = find<skin::CComboUI>(kModeCombo)) combo->SelectItem(index, false, false);
  applyLayoutRule(index);
}

int CLightControlUI::getBrightness() const {
  auto* s = find<skin::CSliderUI>(kBrightSlider);
  return s ? s->GetValue() : 0;
}

void CLightControlUI::setBrightness(int value) {
  auto* s = find<skin::CSliderUI>(kBrightSlider);
  if (!s) return;
  s->SetValue(value);
  if (auto* label = find<skin::CLabelUI>(kBrightValue)) label->SetText(QString::number(s->GetValue()));
}

int CLightControlUI::getSpeed() const {
  auto* s = find<skin::CSliderUI>(kSpeedSlider);
  return s ? s->GetValue() : 0;
}

void CLightControlUI::setSpeed(int value) {
  auto* s = find<skin::CSliderUI>(kSpeedSlider);
  if (!s) return;
  s->SetValue(value);
  if (auto* label = find<skin::CLabelUI>(kSpeedValue)) label->SetText(QString::number(s->GetValue()));
}

QString CLightControlUI::getColorEditText(ColorChannel channel) const {
  auto* e = find<skin::CEditUI>(editName(channel));
  return e ? e->GetText() : QString();
}

void CLightControlUI::setColorEditText(ColorChannel channel, const QString& text) {
  if (auto* e = find<skin::CEditUI>(editName(channel))) e->SetText(text);
}

std::uint32_t CLightControlUI::getPaletteColor() const {
  auto* p = find<CColorPaletteUI>(kPalette);
  return p ? p->GetSelectColor() : 0;
}

void CLightControlUI::setPaletteColor(std::uint32_t argb) {
  if (auto* p = find<CColorPaletteUI>(kPalette)) p->SetSelectColor(argb);
  if (auto* b = findControl(QString::fromLatin1(kColorButton))) b->SetBkColor(0xFF000000u | argb);
}

std::uint32_t CLightControlUI::getPresetColor(int n) const {
  CControlUI* b = findControl(QString::fromLatin1(kPresetPrefix) + QString::number(n));
  return b ? b->GetBkColor() : 0;
}

int CLightControlUI::getMultiColor() const {
  auto* c = find<skin::COptionUI>(kMultiColor);
  return c && c->IsSelected() ? 1 : 0;
}

void CLightControlUI::setMultiColor(int on) {
  if (auto* c = find<skin::COptionUI>(kMultiColor)) c->Selected(on != 0, false);
}

int CLightControlUI::getDirection() const {
  auto* l = find<skin::COptionUI>(kDirLeft);
  return l && l->IsSelected() ? 1 : 0;
}

void CLightControlUI::setDirection(int direction) {
  auto* l = find<skin::COptionUI>(kDirLeft);
  auto* r = find<skin::COptionUI>(kDirRight);
  if (l) l->Selected(direction != 0, false);
  if (r) r->Selected(direction == 0, false);
}

int CLightControlUI::getCustomGroupIndex() const {
  auto* combo = find<skin::CComboUI>(kCustomCombo);
  return combo ? combo->GetCurSel() : kNoSelection;
}

void CLightControlUI::setCustomGroupIndex(int index) {
  if (auto* combo = find<skin::CComboUI>(kCustomCombo)) combo->SelectItem(index, false, false);
}

int CLightControlUI::getSecondZoneIndex() const {
  auto* combo = find<skin::CComboUI>(kZoneCombo);
  return combo ? combo->GetCurSel() : kNoSelection;
}

void CLightControlUI::setSecondZoneIndex(int index) {
  if (auto* combo = find<skin::CComboUI>(kZoneCombo)) combo->SelectItem(index, false, false);
}

// ---- handlers -------------------------------------------------------------------------

bool CLightControlUI::onNotify(skin::TNotifyUI& msg) {
  CControlUI* sender = msg.pSender;
  // Keys chosen with the rubber band on the device picture take the current
  // colour while the custom-colour effect runs.
  if (sender && msg.sType == QLatin1String(kSelectEnd)) return paintSelectedKeys();
  if (sender && msg.sType == QLatin1String(skin::DUI_MSGTYPE_CLICK) && isKeyOfDevice(sender)) {
    return paintClickedKey(sender);
  }
  if (!sender || !isAncestorOf(sender)) return false;
  const QString name = sender->GetName();
  const QString& type = msg.sType;
  if (type == QLatin1String(skin::DUI_MSGTYPE_ITEMSELECT)) return handleItemSelect(name);
  if (type == QLatin1String(skin::DUI_MSGTYPE_VALUECHANGED)) return handleValueChanged(name);
  if (type == QLatin1String(skin::DUI_MSGTYPE_SELECTCHANGED)) return handleSelectChanged(sender, name);
  if (type == QLatin1String(skin::DUI_MSGTYPE_KILLFOCUS)) return handleKillFocus(name);
  if (type == QLatin1String(skin::DUI_MSGTYPE_CLICK)) return handleClick(name);
  if (type == QLatin1String(skin::DUI_MSGTYPE_COLORCHANGED) && name == QLatin1String(kPalette)) {
    applyColor(splitArgb(getPaletteColor()));
    return true;
  }
  return false;
}

void CLightControlUI::applyChange(const std::function<void()>& writeBack,
                                  const std::function<void(devices::DeviceLightParams&)>& change) {
  devices::CHalvionUSBDevice* d = device_;
  if (!d) return;
  if (writeBack) writeBack();
  // A device that is not open shows so on its page; the values are kept.
  if (devices::applyLightChange(*d, change) != transport::kCmdOk) dbg::write("lighting: the device is not open\n");
}

bool CLightControlUI::handleItemSelect(const QString& name) {
  if (name == QLatin1String(kModeCombo)) {
    const int index = getEffectIndex();
    if (index < 0) return true;
    clearKeySelection();
    applyChange([this, index] { setEffectIndex(index); },
                [index](devices::DeviceLightParams& p) { p.light.mode = static_cast<std::uint8_t>(index); });
    return true;
  }
  if (name == QLatin1String(kZoneCombo)) {
    const int index = getSecondZoneIndex();
    if (index < 0 || !isKeyboard()) return true;
    applyChange([this, index] { setSecondZoneIndex(index); },
                [index](devices::DeviceLightParams& p) {
                  p.param3 = withAreaEffect(p.param3, static_cast<std::uint8_t>(index));
                });
    return true;
  }
  if (name == QLatin1String(kCustomCombo)) {
    selectCustomGroup(getCustomGroupIndex());
    return true;
  }
  return false;
}

bool CLightControlUI::handleValueChanged(const QString& name) {
  const bool bright = name == QLatin1String(kBrightSlider);
  if (!bright && name != QLatin1String(kSpeedSlider)) return false;
  const int value = bright ? getBrightness() : getSpeed();
  applyChange([this, bright, value] { bright ? setBrightness(value) : setSpeed(value); },
              [bright, value](devices::DeviceLightParams& p) {
                (bright ? p.light.brightnessLevel : p.light.speedLevel) = static_cast<std::uint8_t>(value);
              });
  return true;
}

bool CLightControlUI::handleSelectChanged(CControlUI* sender, const QString& name) {
  auto* option = qobject_cast<skin::COptionUI*>(sender);
  if (!option) return false;
  if (name == QLatin1String(kDirLeft) || name == QLatin1String(kDirRight)) {
    // Only the newly selected member of the pair carries the change.
    if (!option->IsSelected()) return true;
    const int direction = name == QLatin1String(kDirLeft) ? 1 : 0;
    applyChange([this, direction] { setDirection(direction); },
                [direction](devices::DeviceLightParams& p) { p.light.direction = static_cast<std::uint8_t>(direction); });
    return true;
  }
  if (name == QLatin1String(kMultiColor)) {
    const int on = option->IsSelected() ? 1 : 0;
    applyChange([this, on] { setMultiColor(on); },
                [on](devices::DeviceLightParams& p) { p.light.colorful = static_cast<std::uint8_t>(on); });
    return true;
  }
  return false;
}

bool CLightControlUI::handleKillFocus(const QString& name) {
  for (ColorChannel c : {ColorChannel::Red, ColorChannel::Green, ColorChannel::Blue}) {
    if (name == QLatin1String(editName(c))) {
      commitColorEdit(c);
      return true;
    }
  }
  return false;
}

void CLightControlUI::commitColorEdit(ColorChannel channel) {
  if (!device_) return;
  const ColorCommit commit = commitColorText(getColorEditText(channel));
  // Leaving a field without changing it (focus moves on by a click
  // elsewhere) is no colour choice: the colour cycle stays as it is.
  const lighting::LightParams shown = device_->getLightParams().light;
  const std::uint8_t current = channel == ColorChannel::Red     ? shown.red
                               : channel == ColorChannel::Green ? shown.green
                                                                : shown.blue;
  if (!commit.rewrite && commit.value == current) return;
  applyChange(
      [this, channel, commit] {
        if (commit.rewrite) setColorEditText(channel, commit.text);
      },
      [channel, commit](devices::DeviceLightParams& p) {
        std::uint8_t& slot = channel == ColorChannel::Red     ? p.light.red
                             : channel == ColorChannel::Green ? p.light.green
                                                              : p.light.blue;
        slot = commit.value;
        p.light.colorful = 0;
      });
  setMultiColor(0);
  const auto now = device_ ? device_->getLightParams().light : lighting::LightParams{};
  setPaletteColor(makeArgb({now.red, now.green, now.blue}));
}

void CLightControlUI::applyColor(const RgbColor& color) {
  if (!device_) return;
  applyChange(nullptr, [color](devices::DeviceLightParams& p) {
    p.light.red = color.red;
    p.light.green = color.green;
    p.light.blue = color.blue;
    p.light.colorful = 0;
  });
  setMultiColor(0);
  showColor(color.red, color.green, color.blue);
}

bool CLightControlUI::handleClick(const QString& name) {
  const QString prefix = QString::fromLatin1(kPresetPrefix);
  if (name.startsWith(prefix)) {
    bool ok = false;
    const int n = name.mid(prefix.size()).toInt(&ok);
    if (!ok || n < 0) return false;
    applyColor(splitArgb(getPresetColor(n)));
    return true;
  }
  if (name == QLatin1String(kCustomBright) || name == QLatin1String(kCustomOff)) {
    fillCustomColors(name == QLatin1String(kCustomBright));
    return true;
  }
  if (name == QLatin1String(kSameMode)) {
    if (!sameModeHandler_) return false;
    sameModeHandler_();
    return true;
  }
  return false;
}

void CLightControlUI::fillCustomColors(bool bright) {
  ILightCustomColors* colors = isKeyboard() ? customColors() : nullptr;
  if (!device_ || !colors) return;
  const lighting::LightParams now = device_->getLightParams().light;
  const RgbColor c = bright ? RgbColor{now.red, now.green, now.blue} : RgbColor{};
  for (int p = 0; p < colors->customColorKeyCount(); ++p) colors->setCustomKeyColor(p, c.red, c.green, c.blue);
  colors->refreshCustomPreview();
  const int group = getCustomGroupIndex();
  if (group == kNoSelection) return;  // nothing to store the colours in
  colors->storeCustomColors(group);
  device_->saveProfileData();
}

bool CLightControlUI::isKeyOfDevice(CControlUI* control) const {
  return device_ && control->GetClass() == QLatin1String(kKeyButtonClass) && device_->isAncestorOf(control);
}

void CLightControlUI::clearKeySelection() {
  if (!device_) return;
  for (widgets::CDeviceKeyButtonUI* key : device_->keyButtons) {
    if (key) key->setSelectedByRubberBand(false);
  }
}

// A single click on a key of the picture paints that key (and makes it the
// selection), as a band around it would.
bool CLightControlUI::paintClickedKey(CControlUI* key) {
  if (!customColorsActive()) return false;
  for (widgets::CDeviceKeyButtonUI* k : device_->keyButtons) {
    if (k) k->setSelectedByRubberBand(k == key);
  }
  return paintSelectedKeys();
}

bool CLightControlUI::customColorsActive() const {
  return device_ && isKeyboard() && customColors() &&
         device_->getLightParams().light.mode == kCustomColorEffectIndex;
}

bool CLightControlUI::paintSelectedKeys() {
  if (!customColorsActive()) return false;
  ILightCustomColors* colors = customColors();
  const lighting::LightParams now = device_->getLightParams().light;
  bool painted = false;
  for (size_t p = 0; p < device_->keyButtons.size(); ++p) {
    widgets::CDeviceKeyButtonUI* key = device_->keyButtons[p];
    if (!key || !key->isSelectedByRubberBand()) continue;
    colors->setCustomKeyColor(static_cast<int>(p), now.red, now.green, now.blue);
    painted = true;
  }
  if (!painted) return false;
  colors->refreshCustomPreview();
  const int group = getCustomGroupIndex();
  if (group != kNoSelection) colors->storeCustomColors(group);
  return true;
}

// The group becomes the lighting setting's custom group: its colours go to
// its bank first, then the settings block tells the keyboard to show it.
void CLightControlUI::selectCustomGroup(int index) {
  ILightCustomColors* colors = isKeyboard() ? customColors() : nullptr;
  if (!device_ || !colors || index < 0) return;
  device_->channel.stateFlag.store(0);
  colors->setCustomGroupIndex(index);
  device_->saveProfileData();
  colors->showCustomGroup(index);
  device_->writeLightSettings();
}

// ---- registration ------------------------------------------------------------------------

void registerLightPanel() {
  auto* factory = skin::CControlFactory::GetInstance();
  factory->RegistControl(QStringLiteral("LightControl"), [] { return new CLightControlUI; });
  factory->RegistControl(QStringLiteral("CLightControlUI"), [] { return new CLightControlUI; });
  factory->RegistControl(QString::fromLatin1(kLayoutClass), [] { return buildLightLayout(); });
  factory->RegistControl(QString::fromLatin1(kPaletteClass), [] { return new CColorPaletteUI; });
}

}  // namespace kavro::panels
