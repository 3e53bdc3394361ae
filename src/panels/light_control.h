#pragma once
// CLightControlUI: the lighting tab of a device page. It shows the device's
// light setting (effect, brightness, speed, direction, multi-colour, colour,
// second zone effect) in its controls, enables and shows groups of controls
// by device type and effect, and turns user changes into the device's apply
// sequence. Its layout is "XML/CustomControlXML/LightControl.xml".
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

#include "devices/device_base.h"
#include "devices/custom_colors.h"
#include "devices/device_panel.h"
#include "panels/light_control_values.h"
#include "skin/container.h"

namespace kavro::skin {
class CComboUI;
class CSliderUI;
class CEditUI;
class COptionUI;
}  // namespace kavro::skin

namespace kavro::panels {

class CColorPaletteUI;

// The per-key custom colours of the keyboard's custom colour effect. The
// keyboard device implements this next to CHalvionUSBDevice; the panel's
// custom colour buttons and group combo use it and do nothing for devices
// without it.
using devices::ILightCustomColors;

// The three colour edits.
enum class ColorChannel { Red, Green, Blue };

class CLightControlUI : public skin::CVerticalLayoutUI, public devices::IDevicePanel {
  Q_OBJECT
 public:
  explicit CLightControlUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("LightControl"); }

  // ---- device panel -------------------------------------------------------
  void setDevice(devices::CHalvionUSBDevice* device) override;
  bool onNotify(skin::TNotifyUI& msg) override;
  // Shows the device's current lighting parameters.
  void refreshFromDevice() override;
  devices::CHalvionUSBDevice* device() const { return device_; }
  // The lighting panel of a device page, or nullptr.
  static CLightControlUI* panelOf(devices::CHalvionUSBDevice* device);

  // ---- configuration --------------------------------------------------------
  // Device type in the device table numbering; 0 takes the device's own.
  void setDeviceType(int type) { deviceType_ = type; }
  int deviceType() const;
  // "deng_same_mode" is offered only while this flag is non-zero.
  void setSameModeFlag(int flag);
  int sameModeFlag() const { return sameModeFlag_; }
  // Runs on a "deng_same_mode" click (lighting synchronisation of the main
  // window). Without one the click is left to the window.
  void setSameModeHandler(std::function<void()> handler) { sameModeHandler_ = std::move(handler); }

  // ---- filling ----------------------------------------------------------------
  // One effect combo item per name (hidden where the flag is 0); slider maxima.
  void initLightPanel(const std::vector<QString>& names, const std::vector<int>& visibleFlags, int maxBrightness,
                      int maxSpeed);
  // Items of the second zone combo and of the custom colour group combo.
  void setSecondZoneNames(const std::vector<QString>& names);
  void setCustomGroupNames(const std::vector<QString>& names);
  // Sets every control from a light setting in word form, then applies the
  // layout rule of its effect. Sends no notifications.
  void showLightSetting(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2);
  void showLightParams(const devices::DeviceLightParams& params);
  // Enables, disables, shows and hides the groups for an effect.
  void applyLayoutRule(int effect);

  // ---- controls (setters send no notifications) -------------------------------
  int getEffectIndex() const;  // -1 without the combo
  void setEffectIndex(int index);  // also applies the layout rule
  int getBrightness() const;
  void setBrightness(int value);
  int getSpeed() const;
  void setSpeed(int value);
  QString getColorEditText(ColorChannel channel) const;
  void setColorEditText(ColorChannel channel, const QString& text);
  std::uint32_t getPaletteColor() const;
  // The palette and "deng_colordp_btn" show the colour.
  void setPaletteColor(std::uint32_t argb);
  // Background colour of "color_option_" + n; 0 when there is no such button.
  std::uint32_t getPresetColor(int n) const;
  int getMultiColor() const;
  void setMultiColor(int on);
  int getDirection() const;  // 1 when "deng_FXL_check" is selected
  void setDirection(int direction);
  int getCustomGroupIndex() const;  // -1 without the combo or a selection
  void setCustomGroupIndex(int index);
  int getSecondZoneIndex() const;  // -1 without the combo or a selection
  void setSecondZoneIndex(int index);

 private:
  void buildLayout();
  template <class T>
  T* find(const char* name) const;
  skin::CControlUI* findControl(const QString& name) const;
  void setGroupEnabled(skin::CControlUI* group, bool enabled);
  void showColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

  // The apply sequence: leave synchronised lighting, write the value back to
  // the panel, change the device's parameters, store, save, reload, send.
  void applyChange(const std::function<void()>& writeBack,
                   const std::function<void(devices::DeviceLightParams&)>& change);
  void applyColor(const RgbColor& color);

  bool handleItemSelect(const QString& name);
  bool handleValueChanged(const QString& name);
  bool handleSelectChanged(skin::CControlUI* sender, const QString& name);
  bool handleKillFocus(const QString& name);
  bool handleClick(const QString& name);
  void commitColorEdit(ColorChannel channel);
  void fillCustomColors(bool bright);
  void selectCustomGroup(int index);
  ILightCustomColors* customColors() const;
  // Paints the keys selected on the device picture (custom-colour effect).
  bool paintSelectedKeys();
  bool paintClickedKey(skin::CControlUI* key);
  // A key button of the device's picture.
  bool isKeyOfDevice(skin::CControlUI* control) const;
  // The keyboard shows its custom colours (effect 20).
  bool customColorsActive() const;
  // No key of the picture stays marked as selected.
  void clearKeySelection();
  bool isKeyboard() const;

  QPointer<devices::CHalvionUSBDevice> device_;
  int deviceType_ = 0;
  int sameModeFlag_ = 0;
  std::function<void()> sameModeHandler_;
};

// Registers the panel with the control factory: "LightControl" and
// "CLightControlUI" create the panel, "LightSetControlUI" builds its layout
// file and returns the root, "ColorPalette" creates the colour picker.
void registerLightPanel();

}  // namespace kavro::panels
