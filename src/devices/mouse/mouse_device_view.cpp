// The mouse page's settings controls: the five DPI stages, the polling rate,
// the pointer values and the settings tabs. Changes to the DPI stages and
// the polling rate are stored in the profile and written to the mouse; the
// pointer values are stored, and the window hands them to the desktop.
#include "devices/mouse/mouse_device.h"
#include "platform/debug.h"
#include "skin/controls.h"

namespace kavro::devices {

using skin::CControlUI;

namespace {
constexpr char kDpiSlider[] = "DPI_slider_";
constexpr char kDpiEdit[] = "DPI_edit_";
constexpr char kDpiCheck[] = "DPI_enable_check_";
constexpr char kDpiLayout[] = "DPI_layout_";
constexpr char kDpiCurrent[] = "DPI_select_option_";
constexpr char kPollingRatePrefix[] = "polling_rate_option_";
constexpr char kTabLayout[] = "mouse_device_seting_layout";
constexpr char kTabOptions[] = "mouse_option_layout";
constexpr char kTabOptionPrefix[] = "mouse_device_seting_option_";
constexpr char kPointerSpeed[] = "pointer_speed_slider";
constexpr char kPointerPrecision[] = "pointer_precision_check";
constexpr char kScrollPage[] = "scrolls_page_check";
constexpr char kScrollSpeed[] = "scroll_speed_slider";
constexpr char kDoubleClick[] = "double_click_slider";

QString indexed(const char* prefix, size_t i) { return QString::fromLatin1(prefix) + QString::number(i); }

bool isType(const skin::TNotifyUI& msg, const char* type) { return msg.sType == QLatin1String(type); }

bool selected(CControlUI* c) {
  auto* o = qobject_cast<skin::COptionUI*>(c);
  return o && o->IsSelected();
}

int sliderValue(CControlUI* c) {
  auto* s = qobject_cast<skin::CSliderUI*>(c);
  return s ? s->GetValue() : 0;
}
}  // namespace

// ---- showing ------------------------------------------------------------------------

void CHalvionMouseDevice::showSettings() {
  showDpiStages();
  const mouse::MouseSystemFields f = mouse::systemFields(system_);
  showPollingRate(f.pollingRate);
  auto setSlider = [this](const char* name, int value) {
    if (auto* s = qobject_cast<skin::CSliderUI*>(FindControlByName(QString::fromLatin1(name)))) s->SetValue(value);
  };
  auto setCheck = [this](const char* name, bool on) {
    if (auto* o = qobject_cast<skin::COptionUI*>(FindControlByName(QString::fromLatin1(name)))) o->Selected(on, false);
  };
  setSlider(kPointerSpeed, f.mouseSpeed);
  setCheck(kPointerPrecision, f.pointerPrecision != 0);
  setCheck(kScrollPage, f.scrollPage != 0);
  setSlider(kScrollSpeed, f.wheelLines);
  setSlider(kDoubleClick, f.doubleClickTime);
  refreshKeyCaptions();
  refreshPanels();
}

void CHalvionMouseDevice::showDpiStages() {
  for (size_t i = 0; i < mouse::kStageCount; ++i) showStage(i);
  showStageChecks();
}

void CHalvionMouseDevice::showStage(size_t i) {
  const mouse::DpiRange range = dpiRange();
  const profiles::DpiStage stage = i < stages_.size() ? stages_[i] : profiles::DpiStage{};
  const bool current = static_cast<int>(i) == currentStage_;
  if (auto* s = qobject_cast<skin::CSliderUI*>(FindControlByName(indexed(kDpiSlider, i)))) {
    if (range.known()) s->SetMaxValue(range.maxSlider);
    s->SetValue(stage.dpiX);
    const mouse::SliderImages images = mouse::stageSliderImages(current);
    s->SetAttribute(QStringLiteral("bkimage"), QStringLiteral("file='%1'").arg(QLatin1String(images.bar)));
    s->SetAttribute(QStringLiteral("thumbimage"), QStringLiteral("file='%1'").arg(QLatin1String(images.thumb)));
    s->update();
  }
  if (auto* e = qobject_cast<skin::CEditUI*>(FindControlByName(indexed(kDpiEdit, i)))) {
    if (range.known()) e->SetMaxValue(range.maxDpi());
    e->SetText(QString::number(mouse::dpiOfSlider(range, stage.dpiX)));
  }
  if (auto* o = qobject_cast<skin::COptionUI*>(FindControlByName(indexed(kDpiCurrent, i)))) o->Selected(current, false);
}

void CHalvionMouseDevice::showStageChecks() {
  const mouse::StageChecks checks = mouse::stageChecks(stages_);
  for (size_t i = 0; i < mouse::kStageCount; ++i) {
    if (auto* o = qobject_cast<skin::COptionUI*>(FindControlByName(indexed(kDpiCheck, i)))) {
      o->Selected(checks.selected[i], false);
      o->SetEnabled(checks.enabled[i]);
    }
    if (CControlUI* layout = FindControlByName(indexed(kDpiLayout, i))) layout->SetEnabled(checks.selected[i]);
    if (auto* current = FindControlByName(indexed(kDpiCurrent, i))) current->SetEnabled(checks.selected[i]);
  }
}

void CHalvionMouseDevice::showPollingRate(int index) {
  const int i = mouse::pollingRateIndex(index);
  if (auto* o = qobject_cast<skin::COptionUI*>(FindControlByName(indexed(kPollingRatePrefix, static_cast<size_t>(i))))) {
    o->Selected(true, false);
  }
}

void CHalvionMouseDevice::selectSettingsTab(int index) {
  auto* tabs = qobject_cast<skin::CTabLayoutUI*>(FindControlByName(QString::fromLatin1(kTabLayout)));
  if (!tabs) return;
  const int a = mouse::settingsTabIndex(index, tabs->GetCount());
  tabs->SelectItem(a);
  auto* options = qobject_cast<skin::CContainerUI*>(FindControlByName(QString::fromLatin1(kTabOptions)));
  if (!options) return;
  const QString wanted = indexed(kTabOptionPrefix, static_cast<size_t>(a));
  for (int i = 0; i < options->GetCount(); ++i) {
    auto* o = qobject_cast<skin::COptionUI*>(options->GetItemAt(i));
    if (o && o->GetName() == wanted) o->Selected(true, false);
  }
}

// ---- changing -----------------------------------------------------------------------

void CHalvionMouseDevice::storeStages(std::function<void(int result)> written) {
  profile_.setDpiStages(stages_);
  profile_.setActiveDpiStage(currentStage_);
  saveChecked(profile_);
  const int r = writeSettings(std::move(written));
  if (r != transport::kCmdOk) dbg::printf("mouse DPI write: %d\n", r);
}

void CHalvionMouseDevice::setStageSlider(int stage, int sliderValue) {
  if (stage < 0 || static_cast<size_t>(stage) >= mouse::kStageCount) return;
  const mouse::DpiRange range = dpiRange();
  const int dpi = mouse::dpiOfSlider(range, static_cast<uint16_t>(std::clamp(sliderValue, 0, 0xFFFF)));
  const uint16_t slider = mouse::sliderOfDpi(range, dpi);
  if (stages_.size() <= static_cast<size_t>(stage)) mouse::setStageActive(stages_, static_cast<size_t>(stage), true, range);
  profiles::DpiStage& s = stages_[static_cast<size_t>(stage)];
  if (s.dpiX == slider && s.dpiY == slider) {
    showStage(static_cast<size_t>(stage));  // the text shows the value in use
    return;
  }
  s.dpiX = s.dpiY = slider;
  showStage(static_cast<size_t>(stage));
  storeStages();
}

void CHalvionMouseDevice::setStageText(int stage, const std::string& text) {
  const mouse::DpiRange range = dpiRange();
  setStageSlider(stage, mouse::sliderOfDpi(range, mouse::dpiFromText(range, text)));
}

void CHalvionMouseDevice::setStageEnabled(int stage, bool on) {
  if (stage < 0 || static_cast<size_t>(stage) >= mouse::kStageCount) return;
  const bool changed = mouse::setStageActive(stages_, static_cast<size_t>(stage), on, dpiRange());
  // The current stage may not be one that is off: the first stage still on takes over.
  if (changed && !on && stage == currentStage_) {
    for (size_t i = 0; i < stages_.size(); ++i) {
      if (stages_[i].active) {
        currentStage_ = static_cast<int>(i);
        break;
      }
    }
  }
  showDpiStages();
  if (changed) storeStages();
}

void CHalvionMouseDevice::setCurrentStage(int stage, std::function<void(int result)> written) {
  if (stage < 0 || static_cast<size_t>(stage) >= stages_.size() || !stages_[static_cast<size_t>(stage)].active) {
    showDpiStages();  // the option goes back to the stage in use
    if (written) written(transport::kResultWriteFailed);
    return;
  }
  if (stage == currentStage_) {
    if (written) written(transport::kCmdOk);
    return;
  }
  currentStage_ = stage;
  showDpiStages();
  storeStages(std::move(written));
}

void CHalvionMouseDevice::setPollingRate(int index) {
  mouse::MouseSystemFields f = mouse::systemFields(system_);
  const int i = mouse::pollingRateIndex(index);
  showPollingRate(i);
  if (f.pollingRate == i) return;
  f.pollingRate = static_cast<uint16_t>(i);
  system_ = mouse::systemWords(f);
  profile_.setSystemSettings(system_.word0, system_.word1, system_.word2);
  saveChecked(profile_);
  const int r = writeSettings();
  if (r != transport::kCmdOk) dbg::printf("mouse polling rate write: %d\n", r);
}

void CHalvionMouseDevice::setPointerFields(const mouse::MouseSystemFields& fields) {
  mouse::MouseSystemFields f = fields;
  f.pollingRate = mouse::systemFields(system_).pollingRate;  // the polling rate has its own control
  system_ = mouse::systemWords(f);
  profile_.setSystemSettings(system_.word0, system_.word1, system_.word2);
  saveChecked(profile_);
}

// ---- notifications ---------------------------------------------------------------------

bool CHalvionMouseDevice::handlePageNotify(skin::TNotifyUI& msg) {
  if (!msg.pSender || !isAncestorOf(msg.pSender)) return false;
  const QString name = msg.pSender->GetName();
  if (isType(msg, skin::DUI_MSGTYPE_SELECTCHANGED)) return handleSelectChanged(msg.pSender, name);
  if (isType(msg, skin::DUI_MSGTYPE_VALUECHANGED) || isType(msg, skin::DUI_MSGTYPE_MOVEVALUECHANGED)) {
    if (isType(msg, skin::DUI_MSGTYPE_MOVEVALUECHANGED)) {
      // While dragging only the text follows the slider; the release stores it.
      const int stage = numberAfter(name, kDpiSlider);
      if (stage < 0) return false;
      if (auto* e = qobject_cast<skin::CEditUI*>(FindControlByName(indexed(kDpiEdit, static_cast<size_t>(stage))))) {
        e->SetText(QString::number(mouse::dpiOfSlider(dpiRange(), static_cast<uint16_t>(sliderValue(msg.pSender)))));
      }
      return true;
    }
    return handleValueChanged(msg.pSender, name);
  }
  if (isType(msg, skin::DUI_MSGTYPE_KILLFOCUS) || isType(msg, skin::DUI_MSGTYPE_RETURN)) {
    return handleKillFocus(msg.pSender, name);
  }
  return false;
}

bool CHalvionMouseDevice::handleSelectChanged(CControlUI* sender, const QString& name) {
  const bool on = selected(sender);
  if (int i = numberAfter(name, kDpiCheck); i >= 0) return setStageEnabled(i, on), true;
  if (int i = numberAfter(name, kDpiCurrent); i >= 0) {
    if (on) setCurrentStage(i);
    return true;
  }
  if (int i = numberAfter(name, kPollingRatePrefix); i >= 0) {
    if (on) setPollingRate(i);
    return true;
  }
  if (int i = numberAfter(name, kTabOptionPrefix); i >= 0) {
    if (on) selectSettingsTab(i);
    return true;
  }
  mouse::MouseSystemFields f = systemSettings();
  if (name == QLatin1String(kPointerPrecision)) f.pointerPrecision = on ? 1 : 0;
  else if (name == QLatin1String(kScrollPage)) f.scrollPage = on ? 1 : 0;
  else return false;
  setPointerFields(f);
  return false;  // the window applies it to the desktop
}

bool CHalvionMouseDevice::handleValueChanged(CControlUI* sender, const QString& name) {
  const int value = sliderValue(sender);
  if (int i = numberAfter(name, kDpiSlider); i >= 0) return setStageSlider(i, value), true;
  mouse::MouseSystemFields f = systemSettings();
  const auto v = static_cast<uint16_t>(std::max(value, 0));
  if (name == QLatin1String(kPointerSpeed)) f.mouseSpeed = v;
  else if (name == QLatin1String(kScrollSpeed)) f.wheelLines = v;
  else if (name == QLatin1String(kDoubleClick)) f.doubleClickTime = v;
  else return false;
  setPointerFields(f);
  return false;  // the window applies it to the desktop
}

bool CHalvionMouseDevice::handleKillFocus(CControlUI* sender, const QString& name) {
  const int i = numberAfter(name, kDpiEdit);
  if (i < 0) return false;
  setStageText(i, sender->GetText().toStdString());
  return true;
}

}  // namespace kavro::devices
