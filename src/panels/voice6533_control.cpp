#include "panels/voice6533_control.h"

#include "panels/eq_curve_view.h"
#include "platform/debug.h"
#include "skin/combo.h"
#include "skin/dialog_builder.h"
#include "skin/edit.h"
#include "skin/list.h"
#include "skin/option.h"
#include "skin/progress.h"

namespace kavro::panels {

namespace {
constexpr char kLayoutFile[] = "XML/CustomControlXML/Voice6533Control.xml";
constexpr char kPresetPrefix[] = "6533_eq_option_";
constexpr char kBandPrefix[] = "6533_eq_hz_slider_";
constexpr char kCustomArea[] = "custom_eq_option_layout";
constexpr char kPresetList[] = "custom_eq_name_combo";
constexpr char kNameEdit[] = "custom_eq_name_edit";
constexpr char kMicOption[] = "6533_MicIn_option";
constexpr char kMicSlider[] = "6533_MicIn_slider";
constexpr char kMonitorOption[] = "6533_MicMoniter_option";
constexpr char kMonitorSlider[] = "6533_MicMoniter_slider";
constexpr char kMicDbLabel[] = "6533_MicIn_db_label";
constexpr char kMonitorDbLabel[] = "6533_MicMoniter_db_label";
constexpr char kCurve[] = "6533_eq_curve";
constexpr char kInactiveNote[] = "6533_eq_inactive_label";
constexpr char kCurveClass[] = "EqCurve";
constexpr int kMissing = -1;

// The curve is the panel's own control, known only to its layout.
class LayoutCallback : public skin::IDialogBuilderCallback {
 public:
  skin::CControlUI* CreateControl(const QString& cls) override {
    return cls.compare(QLatin1String(kCurveClass), Qt::CaseInsensitive) == 0 ? new CEqCurveUI : nullptr;
  }
};

QString name(const char* text) { return QString::fromLatin1(text); }
}  // namespace

CVoice6533ControlUI::CVoice6533ControlUI(QWidget* parent) : CHorizontalLayoutUI(parent) {
  LayoutCallback callback;
  skin::CDialogBuilder builder;
  if (skin::CControlUI* root = builder.Create(name(kLayoutFile), &callback)) Add(root);
  else dbg::write("voice panel: its layout could not be built\n");
}

template <class T>
T* CVoice6533ControlUI::find(const QString& n) const {
  return qobject_cast<T*>(const_cast<CVoice6533ControlUI*>(this)->FindControlByName(n));
}

skin::COptionUI* CVoice6533ControlUI::presetOption(int preset) const {
  return find<skin::COptionUI>(name(kPresetPrefix) + QString::number(preset));
}

skin::CSliderUI* CVoice6533ControlUI::bandSlider(int band) const {
  return find<skin::CSliderUI>(name(kBandPrefix) + QString::number(band));
}

skin::CComboUI* CVoice6533ControlUI::presetList() const { return find<skin::CComboUI>(name(kPresetList)); }

// ---- equaliser ------------------------------------------------------------------

void CVoice6533ControlUI::selectPreset(int preset) {
  for (int p = 1; p <= kVoicePresetCount; ++p) {
    if (skin::COptionUI* o = presetOption(p)) o->Selected(false, false);
  }
  const bool valid = preset >= 1 && preset <= kVoicePresetCount;
  preset_ = valid ? preset : 0;
  if (!valid) return;
  if (skin::COptionUI* o = presetOption(preset)) o->Selected(true, false);
}

void CVoice6533ControlUI::enableCustomArea(bool on) {
  if (skin::CControlUI* area = find<skin::CControlUI>(name(kCustomArea))) area->SetEnabled(on);
}

bool CVoice6533ControlUI::customAreaEnabled() const {
  const skin::CControlUI* area = find<skin::CControlUI>(name(kCustomArea));
  return area && area->IsEnabled();
}

void CVoice6533ControlUI::enableBands(bool on) {
  for (int b = 0; b < kVoiceBandCount; ++b) {
    if (skin::CSliderUI* s = bandSlider(b)) s->SetEnabled(on);
  }
}

void CVoice6533ControlUI::setBand(int b, int gain) {
  if (skin::CSliderUI* s = bandSlider(b)) s->SetValue(gain);
  refreshCurve();
}

int CVoice6533ControlUI::band(int b) const {
  const skin::CSliderUI* s = bandSlider(b);
  return s ? s->GetValue() : kMissing;
}

void CVoice6533ControlUI::refreshCurve() {
  auto* curve = find<CEqCurveUI>(name(kCurve));
  if (!curve) return;
  std::array<int, CEqCurveUI::kBands> gains{};
  for (int b = 0; b < kVoiceBandCount; ++b) {
    const skin::CSliderUI* s = bandSlider(b);
    gains[static_cast<size_t>(b)] = s ? s->GetValue() : 0;
  }
  curve->setGains(gains);
}

void CVoice6533ControlUI::showEqualiserActive(bool active) {
  if (skin::CControlUI* note = find<skin::CControlUI>(name(kInactiveNote))) note->SetVisible(!active);
}

// ---- microphone and monitor ---------------------------------------------------------

void CVoice6533ControlUI::setOptionOn(const char* n, bool on) {
  if (skin::COptionUI* o = find<skin::COptionUI>(name(n))) o->Selected(on, false);
}

int CVoice6533ControlUI::sliderValue(const char* n) const {
  const skin::CSliderUI* s = find<skin::CSliderUI>(name(n));
  return s ? s->GetValue() : kMissing;
}

void CVoice6533ControlUI::setSliderValue(const char* n, int value) {
  if (skin::CSliderUI* s = find<skin::CSliderUI>(name(n))) s->SetValue(value);
}

void CVoice6533ControlUI::setMicOn(bool on) { setOptionOn(kMicOption, on); }
void CVoice6533ControlUI::setMicLevel(int level) { setSliderValue(kMicSlider, level); }
int CVoice6533ControlUI::micLevel() const { return sliderValue(kMicSlider); }
void CVoice6533ControlUI::setMonitorOn(bool on) { setOptionOn(kMonitorOption, on); }
void CVoice6533ControlUI::setMonitorLevel(int level) { setSliderValue(kMonitorSlider, level); }

void CVoice6533ControlUI::showLevelTexts(const QString& micDb, const QString& monitorDb) {
  const QString unit = QStringLiteral(" dB");
  if (auto* l = find<skin::CControlUI>(name(kMicDbLabel))) l->SetText(micDb.isEmpty() ? QString() : micDb + unit);
  if (auto* l = find<skin::CControlUI>(name(kMonitorDbLabel)))
    l->SetText(monitorDb.isEmpty() ? QString() : monitorDb + unit);
}

// ---- user presets -------------------------------------------------------------------

void CVoice6533ControlUI::setPresetName(const QString& text) {
  if (auto* e = find<skin::CEditUI>(name(kNameEdit))) e->SetText(text);
}

QString CVoice6533ControlUI::presetName() const {
  const auto* e = find<skin::CEditUI>(name(kNameEdit));
  return e ? e->GetText() : QString();
}

void CVoice6533ControlUI::addUserPreset(const QString& text) {
  skin::CComboUI* list = presetList();
  if (!list) return;
  auto* row = new skin::CListLabelElementUI;
  row->SetFixedHeight(kPresetRowHeight);
  row->SetText(text);
  list->Add(row);
}

int CVoice6533ControlUI::selectedUserPreset() const {
  const skin::CComboUI* list = presetList();
  return list ? list->GetCurSel() : -1;
}

int CVoice6533ControlUI::userPresetCount() const {
  const skin::CComboUI* list = presetList();
  return list ? list->GetCount() : 0;
}

void CVoice6533ControlUI::selectUserPreset(int index) {
  if (skin::CComboUI* list = presetList()) {
    if (index >= 0 && index < list->GetCount()) list->SelectItem(index, false, false);
    else if (list->GetCurSel() >= 0) list->UnSelectItem(list->GetCurSel());
  }
  setPresetName(QString());
}

void CVoice6533ControlUI::removeUserPreset(int index) {
  skin::CComboUI* list = presetList();
  if (list && index >= 0 && index < list->GetCount()) list->RemoveAt(index);
}

void CVoice6533ControlUI::removeAllUserPresets() {
  if (skin::CComboUI* list = presetList()) list->RemoveAll();
}

QString CVoice6533ControlUI::userPresetName(int index) const {
  const skin::CComboUI* list = presetList();
  const skin::CControlUI* row = list && index >= 0 && index < list->GetCount() ? list->GetItemAt(index) : nullptr;
  return row ? row->GetText() : QString();
}

void registerVoicePanel() {
  auto* factory = skin::CControlFactory::GetInstance();
  factory->RegistControl(QStringLiteral("Voice6533Control"), [] { return new CVoice6533ControlUI; });
  factory->RegistControl(QStringLiteral("CVoice6533ControlUI"), [] { return new CVoice6533ControlUI; });
}

}  // namespace kavro::panels
