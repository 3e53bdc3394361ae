#pragma once
// CKeySetControlUI: the key assignment tab of a keyboard or mouse page. It
// shows the function of the key chosen on the device picture and edits it:
// another key with a modifier, a mouse function, a sensitivity step, a media
// or system key, a macro, rapid fire, a gun key or a shortcut. Every change
// is stored in the device's key list and profile at once; the key table and
// the macros reach the device with "key_butt_prosave". Its layout is
// "XML/CustomControlXML/KeySetControl.xml".
//
// The codes are built and shown by the pure rules of macros/key_function.h;
// this class moves a KeySetForm between them and the controls.
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

#include "devices/device_base.h"
#include "devices/device_panel.h"
#include "devices/key_assign_target.h"
#include "hook/hook_records.h"
#include "macros/key_function.h"
#include "panels/macro_control.h"
#include "skin/container.h"

namespace kavro::panels {

// Control names both of the panel's files use.
inline constexpr char kFunctionArea[] = "keyset_layout";
inline constexpr char kFunctionCombo[] = "keyset_function_combo";
inline constexpr char kModifierPrefix[] = "key_ComBox_check_";  // + option number

class CKeySetControlUI : public skin::CVerticalLayoutUI, public devices::IDevicePanel {
  Q_OBJECT
 public:
  explicit CKeySetControlUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("KeySetControl"); }

  // ---- device panel -------------------------------------------------------
  void setDevice(devices::CHalvionUSBDevice* device) override;
  bool onNotify(skin::TNotifyUI& msg) override;
  // The key list may have changed (profile switch, reset): show it again.
  void refreshFromDevice() override;
  static CKeySetControlUI* panelOf(devices::CHalvionUSBDevice* device);

  void setPrompts(std::shared_ptr<IMacroPrompts> prompts) { prompts_ = std::move(prompts); }

  // ---- operations -------------------------------------------------------------
  // Chooses the key at a position of the device's key list and shows it.
  void selectKey(int position);
  int selectedKey() const { return position_; }
  // Reads the macro names again (the macro list changed).
  void refreshMacroNames();
  // Builds the item from the controls and stores it for the selected key.
  void applyControls();
  // Shows the stored default, or the working item again.
  void showDefault();
  void showWorking();
  // A key reported by the capture while "keyset_keyboard_text_edit" has the focus.
  void captureKey(const hook::KeyInput& input);
  // "key_butt_prosave": macros, then the key table, then the profile.
  void saveToDevice();
  macros::KeyCode workingCode() const { return working_; }

  // ---- controls (key_set_control_form.cpp) -------------------------------------
  macros::KeySetForm readForm() const;
  void showForm(const macros::KeySetForm& form);

 private:
  void buildLayout();
  template <class T>
  T* find(const char* name) const {
    return qobject_cast<T*>(const_cast<CKeySetControlUI*>(this)->FindControlByName(QString::fromLatin1(name)));
  }
  void fillMacroCombo();
  void showCode(const macros::KeyCode& code);
  void storeWorking();
  void selectFunctionPage(int function);
  bool handleItemSelect(const QString& name);
  bool handleClick(const QString& name);
  bool handleFocus(const QString& type, const QString& name);
  void sendCaptureSwitch(bool on);
  macros::KeyCode defaultCode() const;

  QPointer<devices::CHalvionUSBDevice> device_;
  devices::IKeyAssignTarget* target_ = nullptr;
  std::shared_ptr<IMacroPrompts> prompts_;
  std::vector<std::string> macroNames_;
  int position_ = -1;
  macros::KeyCode working_{};
  macros::KeyCode selectedStored_{};  // the key's stored code when it was selected
  bool showing_ = false;  // controls are being set: their notifications change nothing
  bool capturing_ = false;
};

// Registers the panel with the control factory: "KeySetControl" and
// "CKeySetControlUI" create it.
void registerKeySetPanel();

}  // namespace kavro::panels
