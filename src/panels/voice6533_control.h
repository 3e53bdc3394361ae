#pragma once
// CVoice6533ControlUI: the headset's voice panel - equaliser presets, ten
// band sliders with their frequencies and the response curve, the user's
// named presets, microphone and monitor. It only shows state and reports
// clicks: the main window turns its notifications into the headset's
// operations, and the headset shows the results through IHeadsetVoiceView.
// Its layout is "XML/CustomControlXML/Voice6533Control.xml".
#include <QPointer>

#include <array>

#include "devices/headset/headset_views.h"
#include "skin/container.h"

namespace kavro::skin {
class CComboUI;
class CEditUI;
class COptionUI;
class CSliderUI;
}  // namespace kavro::skin

namespace kavro::panels {

class CEqCurveUI;

inline constexpr int kVoicePresetCount = 13;
inline constexpr int kVoiceBandCount = 10;
inline constexpr int kPresetRowHeight = 30;

class CVoice6533ControlUI : public skin::CHorizontalLayoutUI, public devices::IHeadsetVoiceView {
  Q_OBJECT
 public:
  explicit CVoice6533ControlUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("Voice6533Control"); }

  void selectPreset(int preset) override;
  void enableCustomArea(bool on) override;
  void enableBands(bool on) override;
  void setBand(int band, int gain) override;
  void setMicOn(bool on) override;
  void setMicLevel(int level) override;
  void setMonitorOn(bool on) override;
  void setMonitorLevel(int level) override;
  QString presetName() const override;
  void addUserPreset(const QString& name) override;
  int selectedUserPreset() const override;
  int userPresetCount() const override;
  void selectUserPreset(int index) override;
  void removeUserPreset(int index) override;
  void removeAllUserPresets() override;
  void showLevelTexts(const QString& micDb, const QString& monitorDb) override;
  void showEqualiserActive(bool active) override;

  // What the panel shows (sliders missing from the layout read as -1).
  int selectedPreset() const { return preset_; }
  int band(int band) const;
  int micLevel() const;
  QString userPresetName(int index) const;
  bool customAreaEnabled() const;
  // The name edit, as the user types into it.
  void setPresetName(const QString& name);
  // The curve follows the sliders as they move.
  void refreshCurve();

 private:
  template <class T>
  T* find(const QString& name) const;
  skin::COptionUI* presetOption(int preset) const;
  skin::CSliderUI* bandSlider(int band) const;
  skin::CComboUI* presetList() const;
  void setOptionOn(const char* name, bool on);
  int sliderValue(const char* name) const;
  void setSliderValue(const char* name, int value);

  int preset_ = 0;
};

// Registers the panel with the control factory.
void registerVoicePanel();

}  // namespace kavro::panels
