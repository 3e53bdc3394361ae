#pragma once
// CMacroControlUI: the macro tab of a keyboard or mouse page. It lists the
// device's macros, shows the steps of the selected one, records new steps
// from captured input, lets the user insert mouse steps, edit delays,
// reorder and delete steps, and imports and exports macros. Every change to
// the steps is written to the macro's event file at once. Its layout is
// "XML/CustomControlXML/MacroControl.xml".
//
// The model (macro list and files, step list, recorder) is pure; this class
// keeps the skin rows in step with it.
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "devices/device_base.h"
#include "devices/device_panel.h"
#include "devices/key_assign_target.h"
#include "hook/hook_modes.h"
#include "hook/hook_records.h"
#include "hook/macro_recorder.h"
#include "macros/macro_model.h"
#include "macros/macro_steps.h"
#include "panels/device_profile_prompts.h"
#include "skin/container.h"

namespace kavro::skin {
class CListUI;
class CEditUI;
class CMenuWnd;
}  // namespace kavro::skin

namespace kavro::panels {

// What the macro panel asks of the user.
using IMacroPrompts = IFilePrompts;

// File dialogs with the filter "Macro Files(*.mac)" and the message dialog.
class DialogMacroPrompts : public DialogFilePrompts {
 public:
  explicit DialogMacroPrompts(QWidget* owner = nullptr);
};

class CMacroControlUI : public skin::CVerticalLayoutUI, public devices::IDevicePanel {
  Q_OBJECT
 public:
  explicit CMacroControlUI(QWidget* parent = nullptr);
  ~CMacroControlUI() override;
  QString GetClass() const override { return QStringLiteral("MacroControl"); }

  // ---- device panel -------------------------------------------------------
  void setDevice(devices::CHalvionUSBDevice* device) override;
  bool onNotify(skin::TNotifyUI& msg) override;
  // The macro folder may have changed (profile switch): read it again.
  void refreshFromDevice() override;
  // The macro panel of a device page, or nullptr.
  static CMacroControlUI* panelOf(devices::CHalvionUSBDevice* device);

  void setPrompts(std::shared_ptr<IMacroPrompts> prompts) { prompts_ = std::move(prompts); }
  // Runs after the macro list changed (added, deleted, renamed, imported),
  // so the key assignment panel can list the names again.
  void setMacroListChanged(std::function<void()> changed) { listChanged_ = std::move(changed); }
  // Runs after deleting a macro changed key assignments: the full save of
  // the key assignment panel (macros, key table, profile).
  void setFullSave(std::function<void()> save) { fullSave_ = std::move(save); }

  // ---- macro list ----------------------------------------------------------
  const macros::MacroModel* model() const { return model_.get(); }
  std::optional<std::size_t> selectedMacro() const;
  void selectMacro(std::size_t i);
  void addMacro();
  void deleteMacro();
  void renameMacro();
  void exportMacro();
  void importMacro();

  // ---- steps -----------------------------------------------------------------
  const macros::MacroStepList& steps() const { return steps_; }
  void selectStep(std::optional<std::size_t> i);
  // Writes the steps (delays as the edits show them) to the event file.
  // False, with a notice, when the file could not be written.
  bool saveSteps();
  void reloadSteps();
  void moveStep(const QString& button);
  void deleteStep();
  void deleteAllSteps();
  void insertMove(macros::MoveDirection direction);
  // A mouse button menu item ("left_down" ... "back_click"); false for others.
  bool insertMouseItem(const QString& item);

  // ---- recording (the main window installs and removes the capture) ---------
  // Starts the recorder; false when no macro is selected.
  bool startRecording(hook::RecordDelayMode mode);
  void stopRecording();
  bool recording() const { return recorder_.recording(); }
  bool constantTimeChecked() const;
  void recordKey(hook::Placement placement, const hook::KeyInput& input);
  void recordMouse(hook::Placement placement, const hook::MouseInput& input);
  // The stop button's rectangle on the screen.
  hook::ScreenRect stopButtonRect() const;
  // Opens the step menu at a screen position, owned by window.
  void showStepMenu(const QPoint& globalPos);

 private:
  void buildLayout();
  template <class T>
  T* find(const char* name) const;
  void loadMacroList();
  void fillNameList();
  void notifyListChanged();
  bool handleClick(const QString& name);
  bool handleItemSelect(skin::CControlUI* sender);
  void showActionArea(bool show);
  void setRecordingControls(bool recording);
  void takeConstantDelay();

  // macro_control_rows.cpp
  void rebuildRows();
  void insertRow(std::size_t index);
  void refreshRow(std::size_t index);
  skin::CControlUI* makeRow(const macros::MacroStep& step);
  void fillRow(skin::CControlUI* row, const macros::MacroStep& step);
  void markSelectedRow();
  void takeDelayEdits();
  std::optional<std::size_t> rowOf(skin::CControlUI* control) const;
  void applyOutcome(const hook::RecordOutcome& outcome);
  bool deleteMacroKeys(std::size_t n);

  QPointer<devices::CHalvionUSBDevice> device_;
  devices::IKeyAssignTarget* target_ = nullptr;
  std::unique_ptr<macros::MacroModel> model_;
  macros::MacroStepList steps_;
  std::optional<std::size_t> macro_;  // the macro whose steps are shown
  hook::MacroRecorder recorder_;
  std::shared_ptr<IMacroPrompts> prompts_;
  std::function<void()> listChanged_, fullSave_;
  std::unique_ptr<skin::CMenuWnd> menu_;
  bool rebuilding_ = false;
};

// Registers the panel with the control factory: "MacroControl" and
// "CMacroControlUI" create it.
void registerMacroPanel();

}  // namespace kavro::panels
