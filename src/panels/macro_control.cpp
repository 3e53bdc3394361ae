#include "panels/macro_control.h"

#include "macros/macro_key_rules.h"
#include "skin/controls.h"
#include "skin/dialog_builder.h"
#include "skin/menu.h"

namespace kavro::panels {

using skin::CControlUI;

namespace {

constexpr char kLayoutFile[] = "XML/CustomControlXML/MacroControl.xml";
constexpr char kPanelName[] = "MacroControlItem";

constexpr char kNameList[] = "macro_name_list";
constexpr char kNameEdit[] = "macro_edit_macroname";
constexpr char kActionLayout[] = "macro_action_layout";
constexpr char kActionList[] = "macro_action_list";
constexpr char kActionSpacer[] = "macro_action_spacer";
constexpr char kStopButton[] = "macro_btn_stopredio";
constexpr char kRecordButton[] = "macro_btn_starredio";
constexpr char kConstantCheck[] = "macro_check_time";
constexpr char kConstantEdit[] = "macro_fixed_time_edit";
constexpr char kDelayEdit[] = "macro_delay";
// Disabled while recording, besides the list and the record button.
constexpr const char* kRecordingLocked[] = {"macro_name_tab", "macro_tab_macroaction_edit",
                                            "macro_tab_macrodelay_edit"};

constexpr int kNameRowHeight = 30;

QString q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

CMacroControlUI::CMacroControlUI(QWidget* parent)
    : CVerticalLayoutUI(parent), prompts_(std::make_shared<DialogMacroPrompts>(this)) {
  buildLayout();
}

CMacroControlUI::~CMacroControlUI() = default;

void CMacroControlUI::buildLayout() {
  skin::CDialogBuilder builder;
  if (CControlUI* root = builder.Create(QString::fromLatin1(kLayoutFile))) Add(root);
}

template <class T>
T* CMacroControlUI::find(const char* name) const {
  return qobject_cast<T*>(const_cast<CMacroControlUI*>(this)->FindControlByName(QString::fromLatin1(name)));
}

CMacroControlUI* CMacroControlUI::panelOf(devices::CHalvionUSBDevice* device) {
  if (!device) return nullptr;
  return qobject_cast<CMacroControlUI*>(device->FindControlByName(QString::fromLatin1(kPanelName)));
}

// ---- device panel -------------------------------------------------------------

void CMacroControlUI::setDevice(devices::CHalvionUSBDevice* device) {
  device_ = device;
  target_ = dynamic_cast<devices::IKeyAssignTarget*>(device);
  loadMacroList();
}

// Macros belong to the device, not to a profile: the page's state changes
// often, and the list is read again only when it changed on disk; the
// selected macro stays selected.
void CMacroControlUI::refreshFromDevice() {
  if (recording() || !target_) return;  // the list is in use; it is read again next time
  macros::MacroModel fresh(target_->macroFolder());
  fresh.loadIndex();
  if (model_ && fresh.macros() == model_->macros()) return;
  const std::string selectedId = model_ && macro_ ? model_->macros()[*macro_].id : std::string();
  loadMacroList();
  for (std::size_t i = 0; model_ && i < model_->count(); ++i) {
    if (!selectedId.empty() && model_->macros()[i].id == selectedId) selectMacro(i);
  }
}

void CMacroControlUI::loadMacroList() {
  model_.reset();
  macro_.reset();
  steps_ = macros::MacroStepList();
  if (target_) {
    model_ = std::make_unique<macros::MacroModel>(target_->macroFolder());
    model_->loadIndex();
  }
  fillNameList();
  rebuildRows();
  showActionArea(false);
}

void CMacroControlUI::fillNameList() {
  auto* list = find<skin::CListUI>(kNameList);
  if (!list) return;
  list->RemoveAll();
  if (!model_) return;
  for (const std::string& name : model_->names()) {
    auto* row = new skin::CListLabelElementUI;
    row->SetFixedHeight(kNameRowHeight);
    row->SetText(q(name));
    list->Add(row);
  }
}

void CMacroControlUI::notifyListChanged() {
  if (target_) target_->macroListChanged();
  if (listChanged_) listChanged_();
}

void CMacroControlUI::showActionArea(bool show) {
  if (auto* area = find<CControlUI>(kActionLayout)) area->SetVisible(show);
  // Keeps the recording card at the right edge while the step area is hidden.
  if (auto* spacer = find<CControlUI>(kActionSpacer)) spacer->SetVisible(!show);
}

// ---- notifications ----------------------------------------------------------------

bool CMacroControlUI::onNotify(skin::TNotifyUI& msg) {
  CControlUI* sender = msg.pSender;
  if (!sender || !isAncestorOf(sender)) return false;
  const QString& type = msg.sType;
  const QString name = sender->GetName();
  if (type == QLatin1String(skin::DUI_MSGTYPE_CLICK)) return handleClick(name);
  if (type == QLatin1String(skin::DUI_MSGTYPE_ITEMSELECT)) return handleItemSelect(sender);
  if (type == QLatin1String(skin::DUI_MSGTYPE_KILLFOCUS) && name == QLatin1String(kDelayEdit)) {
    if (!rebuilding_) saveSteps();
    return true;
  }
  if (type == QLatin1String(skin::DUI_MSGTYPE_KILLFOCUS) && name == QLatin1String(kConstantEdit)) {
    takeConstantDelay();
    return true;
  }
  if (type == QLatin1String(skin::DUI_MSGTYPE_MENU)) {
    const auto row = rowOf(sender);
    if (!row || recording()) return row.has_value();
    selectStep(row);
    showStepMenu(QPoint(static_cast<int>(msg.wParam), static_cast<int>(msg.lParam)));
    return true;
  }
  return false;
}

bool CMacroControlUI::handleItemSelect(CControlUI* sender) {
  const QString name = sender->GetName();
  if (name == QLatin1String(kNameList)) {
    const int i = static_cast<skin::CListUI*>(sender)->GetCurSel();
    if (i >= 0 && !recording() && (!macro_ || *macro_ != static_cast<std::size_t>(i))) {
      selectMacro(static_cast<std::size_t>(i));
    }
    return true;
  }
  if (name == QLatin1String(kActionList)) {
    const int i = static_cast<skin::CListUI*>(sender)->GetCurSel();
    if (!rebuilding_) steps_.select(i >= 0 ? std::optional<std::size_t>(i) : std::nullopt);
    return true;
  }
  return false;
}

bool CMacroControlUI::handleClick(const QString& name) {
  using macros::MoveDirection;
  const auto is = [&name](const char* n) { return name == QLatin1String(n); };
  if (is("macro_btn_name_add")) addMacro();
  else if (is("macro_btn_name_sub")) deleteMacro();
  else if (is("macro_btn_name_edit")) renameMacro();
  else if (is("macro_btn_save")) saveSteps();
  else if (is("macro_btn_cancel")) reloadSteps();
  else if (is("macro_btn_up") || is("macro_btn_down") || is("macro_btn_uptop") || is("macro_btn_downbottom")) moveStep(name);
  else if (is("macro_btn_delete")) deleteStep();
  else if (is("macro_btn_deleteall")) deleteAllSteps();
  else if (is("macro_btn_export")) exportMacro();
  else if (is("macro_btn_import")) importMacro();
  else if (is("macro_inset_moveleftkey_btn")) insertMove(MoveDirection::Left);
  else if (is("macro_inset_moverightkey_btn")) insertMove(MoveDirection::Right);
  else if (is("macro_inset_moveupkey_btn")) insertMove(MoveDirection::Up);
  else if (is("macro_inset_movedownkey_btn")) insertMove(MoveDirection::Down);
  else if (is(kStopButton)) stopRecording();  // without a window that captures, only the recorder stops
  else return false;
  return true;
}

// ---- macro list ----------------------------------------------------------------------

std::optional<std::size_t> CMacroControlUI::selectedMacro() const { return macro_; }

void CMacroControlUI::selectMacro(std::size_t i) {
  if (!model_ || i >= model_->count()) return;
  macro_ = i;
  if (auto* list = find<skin::CListUI>(kNameList)) list->SelectItem(static_cast<int>(i), false, false);
  steps_ = macros::MacroStepList(model_->loadEvents(i));
  rebuildRows();
  showActionArea(true);
}

void CMacroControlUI::addMacro() {
  if (!model_) return;
  const bool full = model_->count() >= macros::kMaxMacros;
  const std::string name = model_->addMacro();
  if (name.empty()) {
    if (!full) prompts_->showNotice(QString::fromLatin1(macros::kMessageMacroWriteFailed));
    return;
  }
  fillNameList();
  selectMacro(model_->count() - 1);
  notifyListChanged();
}

void CMacroControlUI::deleteMacro() {
  if (!model_ || !prompts_->askConfirmation(QString::fromLatin1(macros::kMessageDeleteMacro))) return;
  if (!macro_) return;
  const std::size_t n = *macro_;
  std::vector<profiles::KeyAssignment> keys;
  if (target_) keys = target_->keyAssignmentList();
  if (macros::anyKeyRunsMacro(keys, n) &&
      !prompts_->askConfirmation(QString::fromLatin1(macros::kMessageMacroInUse))) {
    return;
  }
  // The keys change only once the macro is really gone, so a failed delete
  // leaves both as they were.
  if (!model_->deleteMacro(n)) {
    prompts_->showNotice(QString::fromLatin1(macros::kMessageMacroWriteFailed));
    return;
  }
  const bool keysChanged = macros::renumberAfterMacroDelete(keys, n);
  if (keysChanged && target_) target_->storeKeyAssignments(keys);
  macro_.reset();
  steps_ = macros::MacroStepList();
  fillNameList();
  rebuildRows();
  showActionArea(false);
  notifyListChanged();
  if (keysChanged && target_) {
    target_->refreshKeyLabels();
    if (fullSave_) fullSave_();
  }
}

void CMacroControlUI::renameMacro() {
  auto* edit = find<skin::CEditUI>(kNameEdit);
  if (!model_ || !edit || !macro_) return;
  const auto result = model_->renameMacro(*macro_, edit->GetText().toStdString());
  if (const auto key = macros::renameMessageKey(result)) {
    prompts_->showNotice(QString::fromLatin1(key->data(), static_cast<int>(key->size())));
    return;
  }
  if (result != macros::MacroModel::RenameResult::Renamed) return;
  if (auto* list = find<skin::CListUI>(kNameList)) {
    if (CControlUI* row = list->GetItemAt(static_cast<int>(*macro_))) row->SetText(q(model_->macros()[*macro_].name));
  }
  edit->SetText(QString());
  notifyListChanged();
}

void CMacroControlUI::exportMacro() {
  if (!model_ || !macro_) return;
  const QString path = prompts_->askExportPath(q(model_->macros()[*macro_].name));
  if (path.isEmpty()) return;
  if (!model_->exportMacro(*macro_, path.toStdString())) {
    prompts_->showNotice(QString::fromLatin1(macros::kMessageMacroWriteFailed));
  }
}

void CMacroControlUI::importMacro() {
  if (!model_ || model_->count() >= macros::kMaxMacros) return;
  const QString path = prompts_->askImportPath();
  if (path.isEmpty()) return;
  if (model_->importMacro(path.toStdString()).empty()) {
    prompts_->showNotice(QString::fromLatin1(macros::kMessageMacroWriteFailed));
    return;
  }
  fillNameList();
  selectMacro(model_->count() - 1);
  notifyListChanged();
}

// ---- recording ---------------------------------------------------------------------------

// The constant delay as typed (capped at 65535, and shown as used); inserted
// mouse steps and constant-time recording use it.
void CMacroControlUI::takeConstantDelay() {
  auto* edit = find<skin::CEditUI>(kConstantEdit);
  if (!edit || recording()) return;
  recorder_.setConstantDelay(macros::parseDelayText(edit->GetText().toStdString()));
  edit->SetText(QString::number(recorder_.constantDelay()));
}

bool CMacroControlUI::constantTimeChecked() const {
  auto* check = find<skin::COptionUI>(kConstantCheck);
  return check && check->IsSelected();
}

bool CMacroControlUI::startRecording(hook::RecordDelayMode mode) {
  if (!macro_) return false;
  auto* edit = find<skin::CEditUI>(kConstantEdit);
  const std::string text = edit ? edit->GetText().toStdString() : std::string();
  const int constant = recorder_.start(mode, tickMs(), text);
  if (mode == hook::RecordDelayMode::Constant && edit) edit->SetText(QString::number(constant));
  recorder_.setStopButtonRect(stopButtonRect());
  setRecordingControls(true);
  return true;
}

void CMacroControlUI::stopRecording() {
  const bool was = recorder_.recording();
  recorder_.stop();
  setRecordingControls(false);
  if (was) saveSteps();
}

void CMacroControlUI::setRecordingControls(bool recording) {
  for (const char* name : kRecordingLocked) {
    if (auto* c = find<CControlUI>(name)) c->SetEnabled(!recording);
  }
  if (auto* c = find<CControlUI>(kActionList)) c->SetEnabled(!recording);
  if (auto* c = find<CControlUI>(kRecordButton)) c->SetEnabled(!recording);
  if (auto* c = find<CControlUI>(kStopButton)) c->SetEnabled(recording);
}

hook::ScreenRect CMacroControlUI::stopButtonRect() const {
  auto* stop = find<CControlUI>(kStopButton);
  if (!stop) return {};
  const QPoint topLeft = stop->mapToGlobal(QPoint(0, 0));
  return {topLeft.x(), topLeft.y(), topLeft.x() + stop->width(), topLeft.y() + stop->height()};
}

void CMacroControlUI::recordKey(hook::Placement placement, const hook::KeyInput& input) {
  if (!recorder_.recording()) return;
  applyOutcome(recorder_.recordKey(steps_, placement, input, input.record.time));
}

void CMacroControlUI::recordMouse(hook::Placement placement, const hook::MouseInput& input) {
  if (!recorder_.recording()) return;
  recorder_.setStopButtonRect(stopButtonRect());  // the window may have moved
  applyOutcome(recorder_.recordMouse(steps_, placement, input, input.record.time));
}

// Registration ------------------------------------------------------------------------------

void registerMacroPanel() {
  auto* factory = skin::CControlFactory::GetInstance();
  factory->RegistControl(QStringLiteral("MacroControl"), [] { return new CMacroControlUI; });
  factory->RegistControl(QStringLiteral("CMacroControlUI"), [] { return new CMacroControlUI; });
}

}  // namespace kavro::panels
