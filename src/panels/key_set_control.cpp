#include "panels/key_set_control.h"

#include "hook/hook_modes.h"
#include "macros/macro_key_rules.h"
#include "macros/macro_model.h"
#include "panels/device_profile_prompts.h"
#include "skin/controls.h"
#include "skin/dialog_builder.h"
#include "skin/window.h"
#include "widgets/device_key_button.h"

namespace kavro::panels {

using skin::CControlUI;

namespace {

constexpr char kLayoutFile[] = "XML/CustomControlXML/KeySetControl.xml";
constexpr char kPanelName[] = "KeySetControlItem";
constexpr char kKeyButtonClass[] = "DeviceKeyButton";
constexpr char kSelectedKeyLabel[] = "keyset_selected_key_label";

constexpr char kKeyEdit[] = "keyset_keyboard_text_edit";
constexpr char kMacroCombo[] = "keyset_macro_combo";
constexpr char kPlayModeCombo[] = "keyset_macro_over_combo";

constexpr char kMessageTooLong[] = "message_text_16";
constexpr char kMessageNoImage[] = "message_text_7";

constexpr int kMacroItemHeight = 30;

// Combos whose selection stores the item at once.
constexpr const char* kStoringCombos[] = {
    "keyset_mousekey_combo", "keyset_mouseswing_combo", "keyset_mousewheel_combo", "keyset_mousedpi_combo",
    "keyset_media_combo",    "keyset_system_combo",     "keyset_macro_combo",      "keyset_gunkey_combo",
    "keyset_combokey_combo"};
// Number edits whose loss of focus stores the item.
constexpr const char* kStoringEdits[] = {
    "keyset_mouseswing_num_edit",   "keyset_mouseswing_delay_edit", "keyset_mouseswing_speed_edit",
    "keyset_mousewheel_num_edit",   "keyset_mousewheel_delay_edit", "keyset_mousewheel_speed_edit",
    "keyset_mousefire_interval_edit", "keyset_mousefire_num_edit",  "keyset_macro_cycle_edit"};

template <std::size_t N>
bool oneOf(const QString& name, const char* const (&names)[N]) {
  for (const char* n : names) {
    if (name == QLatin1String(n)) return true;
  }
  return false;
}

}  // namespace

CKeySetControlUI::CKeySetControlUI(QWidget* parent)
    : CVerticalLayoutUI(parent), prompts_(std::make_shared<DialogMacroPrompts>(this)) {
  buildLayout();
}

void CKeySetControlUI::buildLayout() {
  skin::CDialogBuilder builder;
  if (CControlUI* root = builder.Create(QString::fromLatin1(kLayoutFile))) Add(root);
  // Option groups are exclusive across a whole window, and the keyboard and
  // mouse pages each hold this panel: each panel's modifiers get their own group.
  static int serial = 0;
  const QString group = QStringLiteral("key_modifier_%1").arg(serial++);
  for (int n = 0; n < macros::kModifierOptionCount; ++n) {
    const QByteArray name = kModifierPrefix + QByteArray::number(n);
    if (auto* o = find<skin::COptionUI>(name.constData())) o->SetGroup(group);
  }
}

CKeySetControlUI* CKeySetControlUI::panelOf(devices::CHalvionUSBDevice* device) {
  if (!device) return nullptr;
  return qobject_cast<CKeySetControlUI*>(device->FindControlByName(QString::fromLatin1(kPanelName)));
}

// ---- device panel -------------------------------------------------------------

void CKeySetControlUI::setDevice(devices::CHalvionUSBDevice* device) {
  device_ = device;
  target_ = dynamic_cast<devices::IKeyAssignTarget*>(device);
  refreshFromDevice();
}

void CKeySetControlUI::refreshFromDevice() {
  refreshMacroNames();
  const auto list = target_ ? target_->keyAssignmentList() : std::vector<profiles::KeyAssignment>{};
  if (list.empty()) {
    position_ = -1;
    if (auto* area = find<CControlUI>(kFunctionArea)) area->SetVisible(false);
    return;
  }
  selectKey(position_ >= 0 && static_cast<std::size_t>(position_) < list.size() ? position_ : 0);
}

void CKeySetControlUI::refreshMacroNames() {
  macroNames_.clear();
  if (target_) {
    macros::MacroModel model(target_->macroFolder());
    model.loadIndex();
    macroNames_ = model.names();
  }
  fillMacroCombo();
  if (position_ < 0) return;
  // A deleted macro renumbers the stored table: the key being edited then
  // shows its new code, not the number it had before.
  const auto list = target_ ? target_->keyAssignmentList() : std::vector<profiles::KeyAssignment>{};
  const auto at = static_cast<std::size_t>(position_);
  if (at < list.size() && list[at].code != selectedStored_) selectKey(position_);
  else showCode(working_);
}

void CKeySetControlUI::fillMacroCombo() {
  auto* combo = find<skin::CComboUI>(kMacroCombo);
  if (!combo) return;
  showing_ = true;
  combo->RemoveAll();
  for (const std::string& name : macroNames_) {
    auto* item = new skin::CListLabelElementUI;
    item->SetFixedHeight(kMacroItemHeight);
    item->SetText(QString::fromStdString(name));
    combo->Add(item);
  }
  showing_ = false;
}

macros::KeyCode CKeySetControlUI::defaultCode() const {
  if (!target_ || position_ < 0) return {};
  const auto list = target_->keyAssignmentList();
  return static_cast<std::size_t>(position_) < list.size() ? list[static_cast<std::size_t>(position_)].defaultCode
                                                          : macros::KeyCode{};
}

// ---- showing and storing ----------------------------------------------------------

void CKeySetControlUI::selectKey(int position) {
  if (!target_) return;
  const auto list = target_->keyAssignmentList();
  if (position < 0 || static_cast<std::size_t>(position) >= list.size()) return;
  position_ = position;
  working_ = list[static_cast<std::size_t>(position)].code;
  selectedStored_ = working_;
  showCode(working_);
  // The title names the key being edited: the device's name for it, or the
  // caption of its key on the picture.
  const std::string title = target_->keyTitle(position);
  CControlUI* button = device_ ? device_->keyButton(static_cast<std::size_t>(position)) : nullptr;
  if (auto* label = find<CControlUI>(kSelectedKeyLabel)) {
    label->SetText(!title.empty() ? QString::fromStdString(title) : button ? button->GetText() : QString());
  }
}

void CKeySetControlUI::showCode(const macros::KeyCode& code) {
  const macros::KeySetView view = macros::showKeyCode(code, defaultCode(), macroNames_.size());
  showForm(view.form);
  if (code == working_) working_ = view.shown;
}

void CKeySetControlUI::showDefault() {
  if (position_ < 0) return;
  showCode(defaultCode());
}

void CKeySetControlUI::showWorking() {
  if (position_ < 0) return;
  showCode(working_);
}

void CKeySetControlUI::applyControls() {
  if (position_ < 0) return;
  macros::KeySetForm form = readForm();
  // A macro chosen before a play mode plays once.
  if (form.function == macros::kFunctionMacro && form.macroItem >= 0 && form.playModeItem < 0) {
    form.playModeItem = 0;
    showForm(form);
  }
  working_ = macros::buildKeyCode(form, working_, defaultCode(), macroNames_.size());
  storeWorking();
}

void CKeySetControlUI::storeWorking() {
  if (!target_ || position_ < 0) return;
  auto list = target_->keyAssignmentList();
  if (static_cast<std::size_t>(position_) >= list.size()) return;
  list[static_cast<std::size_t>(position_)].code = working_;
  target_->storeKeyAssignments(list);
  selectedStored_ = working_;
  target_->refreshKeyLabels();
}

void CKeySetControlUI::captureKey(const hook::KeyInput& input) {
  // A key counts when it goes down; its release changes nothing.
  if (position_ < 0 || !hook::isKeyDownMessage(input.message)) return;
  const auto captured =
      macros::captureKey(readForm(), working_, input.record.scanCode, hook::isExtended(input.record));
  if (!captured) return;
  working_ = captured->code;
  showForm(captured->form);
  storeWorking();
}

void CKeySetControlUI::saveToDevice() {
  if (!target_ || !device_) return;
  QPointer<CKeySetControlUI> self(this);
  const int macrosResult = target_->downloadMacros([self](int) {
    if (self) self->prompts_->showNotice(QString::fromLatin1(macros::kMessageMacroWriteFailed));
  });
  if (macrosResult > 0) {
    prompts_->showNotice(countMessageText(QString::fromLatin1(kMessageTooLong), macrosResult));
    return;
  }
  if (macrosResult == -1) prompts_->showNotice(QString::fromLatin1(kMessageNoImage));
  target_->writeKeyTable();
  device_->saveProfileData();
}

// ---- notifications ----------------------------------------------------------------------

bool CKeySetControlUI::onNotify(skin::TNotifyUI& msg) {
  CControlUI* sender = msg.pSender;
  if (!sender) return false;
  const QString& type = msg.sType;
  // A key of the device picture chooses the key to edit.
  if (type == QLatin1String(skin::DUI_MSGTYPE_CLICK) && sender->GetClass() == QLatin1String(kKeyButtonClass) &&
      target_ && target_->keyPositionOf(sender) >= 0) {
    selectKey(target_->keyPositionOf(sender));
    return true;
  }
  if (!isAncestorOf(sender)) return false;
  const QString name = sender->GetName();
  if (type == QLatin1String(skin::DUI_MSGTYPE_ITEMSELECT)) return handleItemSelect(name);
  if (type == QLatin1String(skin::DUI_MSGTYPE_CLICK)) return handleClick(name);
  if (type == QLatin1String(skin::DUI_MSGTYPE_SELECTCHANGED) && name.startsWith(QLatin1String(kModifierPrefix))) {
    if (!showing_ && qobject_cast<skin::COptionUI*>(sender)->IsSelected()) applyControls();
    return true;
  }
  return handleFocus(type, name);
}

bool CKeySetControlUI::handleItemSelect(const QString& name) {
  if (showing_) return true;
  if (name == QLatin1String(kFunctionCombo)) {
    const macros::KeySetForm form = readForm();
    showForm(macros::selectFunction(form, form.function));
    applyControls();
    return true;
  }
  if (name == QLatin1String(kPlayModeCombo)) {
    const macros::KeySetForm form = readForm();
    showForm(macros::selectPlayMode(form, form.playModeItem));
    applyControls();
    return true;
  }
  if (!oneOf(name, kStoringCombos)) return false;
  applyControls();
  return true;
}

bool CKeySetControlUI::handleClick(const QString& name) {
  if (name == QLatin1String("key_butt_keysave")) applyControls();
  else if (name == QLatin1String("key_butt_keydefalut")) showDefault();
  else if (name == QLatin1String("key_butt_keycancel")) showWorking();
  else if (name == QLatin1String("key_butt_prosave")) saveToDevice();
  else return false;
  return true;
}

bool CKeySetControlUI::handleFocus(const QString& type, const QString& name) {
  const bool gained = type == QLatin1String(skin::DUI_MSGTYPE_SETFOCUS);
  const bool lost = type == QLatin1String(skin::DUI_MSGTYPE_KILLFOCUS);
  if (!gained && !lost) return false;
  if (name == QLatin1String(kKeyEdit)) {
    sendCaptureSwitch(gained);
    return true;
  }
  if (lost && oneOf(name, kStoringEdits)) {
    if (!showing_) applyControls();
    return true;
  }
  return false;
}

// The main window takes the keyboard while the key edit has the focus and
// reports each key back through captureKey.
void CKeySetControlUI::sendCaptureSwitch(bool on) {
  if (on == capturing_) return;
  auto* owner = qobject_cast<skin::CWindowWnd*>(window());
  if (!owner) return;
  capturing_ = on;
  owner->SendMessage(hook::kHookOnOffMessage, on ? 1 : 0, 0);
}

void registerKeySetPanel() {
  auto* factory = skin::CControlFactory::GetInstance();
  factory->RegistControl(QStringLiteral("KeySetControl"), [] { return new CKeySetControlUI; });
  factory->RegistControl(QStringLiteral("CKeySetControlUI"), [] { return new CKeySetControlUI; });
}

}  // namespace kavro::panels
