// The step rows of the macro editor and the edits of the step list: every
// change is made in the step list first, the rows follow it, and the steps
// are written to the macro's event file.
#include "panels/macro_control.h"

#include "macros/macro_key_rules.h"
#include "skin/controls.h"
#include "skin/menu.h"
#include "skin/window.h"

namespace kavro::panels {

using skin::CControlUI;

namespace {

constexpr char kActionList[] = "macro_action_list";
constexpr char kRowName[] = "macro_action";
constexpr char kDelayEdit[] = "macro_delay";
constexpr char kStepCount[] = "macro_step_count";
constexpr char kMenuFile[] = "XML/Menus/macro_action_menu.xml";

constexpr int kRowHeight = 30;
constexpr int kDelayEditWidth = 90;
constexpr int kDelayEditHeight = 25;
constexpr int kDelayEditChars = 6;
constexpr uint32_t kDelayEditColor = 0xFF444444;  // red, green and blue 0x44
constexpr int kDirectionIndex = 0;
constexpr int kNameIndex = 1;
constexpr int kDelayIndex = 2;

constexpr char kDownStyle[] = "macro_label_down_style";
constexpr char kUpStyle[] = "macro_label_up_style";
constexpr char kKeyStyle[] = "macro_label_keyboard_style";
constexpr char kMouseStyle[] = "macro_label_mouse_style";
constexpr char kTextStyle[] = "macro_label_text_style";
constexpr char kDownMark[] = "\u2193";  // pressed
constexpr char kUpMark[] = "\u2191";    // released

void applyStyle(CControlUI* c, const char* style) {
  c->SetAttribute(QStringLiteral("style"), QString::fromLatin1(style));
}

}  // namespace

// ---- rows -----------------------------------------------------------------------------------

CControlUI* CMacroControlUI::makeRow(const macros::MacroStep& step) {
  auto* row = new skin::CListContainerElementUI;
  row->SetName(QString::fromLatin1(kRowName));
  row->SetFixedHeight(kRowHeight);
  row->SetAttribute(QStringLiteral("menu"), QStringLiteral("true"));
  row->SetAttribute(QStringLiteral("childvalign"), QStringLiteral("vcenter"));
  auto* direction = new skin::CLabelUI;
  direction->SetMouseEnabled(false);
  auto* name = new skin::CLabelUI;
  name->SetMouseEnabled(false);
  auto* delay = new skin::CEditUI;
  delay->SetName(QString::fromLatin1(kDelayEdit));
  applyStyle(delay, kTextStyle);
  delay->SetBkColor(kDelayEditColor);
  delay->SetFixedWidth(kDelayEditWidth);
  delay->SetFixedHeight(kDelayEditHeight);
  delay->SetMaxChar(kDelayEditChars);
  delay->SetNumberOnly(true);
  delay->SetMinValue(0);
  delay->SetMaxValue(macros::kMaxDelay);
  row->Add(direction);
  row->Add(name);
  row->Add(delay);
  fillRow(row, step);
  return row;
}

// The direction mark (or a move's distance), the name and the delay of a step.
void CMacroControlUI::fillRow(CControlUI* row, const macros::MacroStep& step) {
  auto* box = qobject_cast<skin::CContainerUI*>(row);
  if (!box || box->GetCount() <= kDelayIndex) return;
  CControlUI* direction = box->GetItemAt(kDirectionIndex);
  CControlUI* name = box->GetItemAt(kNameIndex);
  const macros::StepLabel label = macros::describeStep(step.event);
  const bool move = label.kind == macros::StepKind::MouseMove;
  applyStyle(direction, move ? kTextStyle : (step.event.down ? kDownStyle : kUpStyle));
  if (move) direction->SetFixedWidth(kDelayEditWidth / 2);
  direction->SetText(move ? QString::fromStdString(label.distanceText)
                          : QString::fromUtf8(step.event.down ? kDownMark : kUpMark));
  applyStyle(name, label.kind == macros::StepKind::Key ? kKeyStyle : kMouseStyle);
  name->SetText(QString::fromStdString(label.nameKey));
  box->GetItemAt(kDelayIndex)->SetText(QString::number(step.event.delay));
}

void CMacroControlUI::rebuildRows() {
  auto* list = find<skin::CListUI>(kActionList);
  if (!list) return;
  rebuilding_ = true;
  list->RemoveAll();
  for (const macros::MacroStep& step : steps_.steps()) list->Add(makeRow(step));
  rebuilding_ = false;
  markSelectedRow();
}

void CMacroControlUI::insertRow(std::size_t index) {
  auto* list = find<skin::CListUI>(kActionList);
  if (!list || index >= steps_.size()) return;
  rebuilding_ = true;
  list->AddAt(makeRow(steps_.at(index)), static_cast<int>(index));
  rebuilding_ = false;
}

void CMacroControlUI::refreshRow(std::size_t index) {
  auto* list = find<skin::CListUI>(kActionList);
  if (!list || index >= steps_.size()) return;
  if (CControlUI* row = list->GetItemAt(static_cast<int>(index))) fillRow(row, steps_.at(index));
}

void CMacroControlUI::markSelectedRow() {
  auto* list = find<skin::CListUI>(kActionList);
  if (list) {
    rebuilding_ = true;
    const auto sel = steps_.selected();
    if (sel) {
      list->SelectItem(static_cast<int>(*sel), false, false);
      list->EnsureVisible(static_cast<int>(*sel));
    } else if (list->GetCurSel() >= 0) {
      list->UnSelectItem(list->GetCurSel());
    }
    rebuilding_ = false;
  }
  if (auto* count = find<CControlUI>(kStepCount)) {
    count->SetText(QStringLiteral("%1 / %2").arg(steps_.size()).arg(macros::kMaxRecordedSteps));
  }
}

std::optional<std::size_t> CMacroControlUI::rowOf(CControlUI* control) const {
  auto* list = find<skin::CListUI>(kActionList);
  for (CControlUI* c = control; c && list; c = c->GetParent()) {
    if (c->GetParent() == list || c->GetName() == QLatin1String(kRowName)) {
      const int i = list->ItemIndex(c);
      if (i >= 0) return static_cast<std::size_t>(i);
    }
  }
  return std::nullopt;
}

// The delays as the user typed them go into the steps.
void CMacroControlUI::takeDelayEdits() {
  auto* list = find<skin::CListUI>(kActionList);
  if (!list) return;
  for (std::size_t i = 0; i < steps_.size() && static_cast<int>(i) < list->GetCount(); ++i) {
    auto* row = qobject_cast<skin::CContainerUI*>(list->GetItemAt(static_cast<int>(i)));
    CControlUI* edit = row && row->GetCount() > kDelayIndex ? row->GetItemAt(kDelayIndex) : nullptr;
    if (!edit) continue;
    const int typed = macros::parseDelayText(edit->GetText().toStdString());
    if (typed != steps_.at(i).event.delay || steps_.at(i).delayForm != macros::DelayForm::Text) {
      steps_.setDelay(i, typed);
    }
    edit->SetText(QString::number(steps_.at(i).event.delay));
  }
}

void CMacroControlUI::applyOutcome(const hook::RecordOutcome& outcome) {
  using Kind = hook::RecordOutcome::Kind;
  if (outcome.kind == Kind::Dropped) return;
  if (outcome.kind == Kind::Inserted) insertRow(outcome.index);
  else refreshRow(outcome.index);
  if (outcome.delayChangedAt) refreshRow(*outcome.delayChangedAt);
  markSelectedRow();
  if (!steps_.selected()) {
    if (auto* list = find<skin::CListUI>(kActionList)) list->EnsureVisible(static_cast<int>(outcome.index));
  }
}

// ---- step edits ---------------------------------------------------------------------------

void CMacroControlUI::selectStep(std::optional<std::size_t> i) {
  steps_.select(i);
  markSelectedRow();
}

bool CMacroControlUI::saveSteps() {
  if (!model_ || !macro_) return false;
  takeDelayEdits();
  if (model_->saveEvents(*macro_, steps_.eventsForSave())) return true;
  prompts_->showNotice(QString::fromLatin1(macros::kMessageMacroWriteFailed));
  return false;
}

void CMacroControlUI::reloadSteps() {
  if (macro_) selectMacro(*macro_);
}

void CMacroControlUI::moveStep(const QString& button) {
  takeDelayEdits();
  bool moved = false;
  if (button == QLatin1String("macro_btn_up")) moved = steps_.moveUp();
  else if (button == QLatin1String("macro_btn_down")) moved = steps_.moveDown();
  else if (button == QLatin1String("macro_btn_uptop")) moved = steps_.moveTop();
  else if (button == QLatin1String("macro_btn_downbottom")) moved = steps_.moveBottom();
  if (!moved) return;
  rebuildRows();
  saveSteps();
}

void CMacroControlUI::deleteStep() {
  takeDelayEdits();
  if (!steps_.deleteSelected()) return;
  rebuildRows();
  saveSteps();
}

void CMacroControlUI::deleteAllSteps() {
  if (!macro_) return;
  steps_.clear();
  rebuildRows();
  saveSteps();
}

void CMacroControlUI::insertMove(macros::MoveDirection direction) {
  if (!macro_) return;
  static constexpr const char* kEdits[] = {"mouse_x_left_edit", "mouse_x_right_edit", "mouse_y_up_edit",
                                           "mouse_y_down_edit"};
  auto* edit = find<CControlUI>(kEdits[static_cast<int>(direction)]);
  takeDelayEdits();
  takeConstantDelay();
  macros::insertMouseMove(steps_, direction, edit ? edit->GetText().toStdString() : std::string(),
                          recorder_.constantDelay());
  rebuildRows();
  saveSteps();
}

bool CMacroControlUI::insertMouseItem(const QString& item) {
  if (!macro_) return false;
  takeDelayEdits();
  takeConstantDelay();
  if (!macros::insertMouseMenuItem(steps_, item.toStdString(), recorder_.constantDelay())) return false;
  rebuildRows();
  saveSteps();
  return true;
}

void CMacroControlUI::showStepMenu(const QPoint& globalPos) {
  auto* owner = qobject_cast<skin::CWindowWnd*>(window());
  if (!owner) return;
  menu_ = std::make_unique<skin::CMenuWnd>(owner);
  if (menu_->Init(QString::fromLatin1(kMenuFile))) menu_->Popup(globalPos);
}

}  // namespace kavro::panels
