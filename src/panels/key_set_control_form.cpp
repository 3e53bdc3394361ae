// The key assignment panel's controls as a KeySetForm, and back.
#include "panels/key_set_control.h"

#include "skin/controls.h"
#include "skin/resource_manager.h"

namespace kavro::panels {

using skin::CControlUI;
using macros::KeySetForm;

namespace {

constexpr char kFunctionTabs[] = "function_switch_tablayout";

// A combo's selected item, or kNoSelection.
int comboItem(skin::CComboUI* combo) { return combo ? combo->GetCurSel() : macros::kNoSelection; }

void selectComboItem(skin::CComboUI* combo, int item) {
  if (!combo) return;
  if (item >= 0 && item < combo->GetCount()) combo->SelectItem(item, false, false);
  else if (combo->GetCurSel() >= 0) combo->UnSelectItem(combo->GetCurSel());
}

int editNumber(CControlUI* edit) { return edit ? edit->GetText().trimmed().toInt() : 0; }

}  // namespace

KeySetForm CKeySetControlUI::readForm() const {
  KeySetForm f;
  if (auto* combo = find<skin::CComboUI>(kFunctionCombo)) {
    const int item = combo->GetCurSel();
    CControlUI* selected = item >= 0 ? combo->GetItemAt(item) : nullptr;
    bool ok = false;
    const int function = selected ? selected->GetUserData().toInt(&ok) : 0;
    f.function = ok ? function : macros::kFunctionDefault;
  }
  f.mouseKeyItem = comboItem(find<skin::CComboUI>("keyset_mousekey_combo"));
  f.swingDirectionItem = std::max(comboItem(find<skin::CComboUI>("keyset_mouseswing_combo")), 0);
  f.swingCount = editNumber(find<CControlUI>("keyset_mouseswing_num_edit"));
  f.swingDelay = editNumber(find<CControlUI>("keyset_mouseswing_delay_edit"));
  f.swingSpeed = editNumber(find<CControlUI>("keyset_mouseswing_speed_edit"));
  f.wheelDirectionItem = std::max(comboItem(find<skin::CComboUI>("keyset_mousewheel_combo")), 0);
  f.wheelCount = editNumber(find<CControlUI>("keyset_mousewheel_num_edit"));
  f.wheelDelay = editNumber(find<CControlUI>("keyset_mousewheel_delay_edit"));
  f.wheelSpeed = editNumber(find<CControlUI>("keyset_mousewheel_speed_edit"));
  f.dpiItem = comboItem(find<skin::CComboUI>("keyset_mousedpi_combo"));
  f.fireInterval = editNumber(find<CControlUI>("keyset_mousefire_interval_edit"));
  f.fireCount = editNumber(find<CControlUI>("keyset_mousefire_num_edit"));
  for (int n = 0; n < macros::kModifierOptionCount; ++n) {
    const QByteArray name = kModifierPrefix + QByteArray::number(n);
    auto* o = find<skin::COptionUI>(name.constData());
    if (o && o->IsSelected()) f.modifierOption = n;
  }
  // The edit shows the key's name; its language key travels as user data.
  if (auto* edit = find<CControlUI>("keyset_keyboard_text_edit")) {
    f.keyNameKey = edit->GetText().isEmpty() ? std::string() : edit->GetUserData().toStdString();
  }
  f.mediaItem = comboItem(find<skin::CComboUI>("keyset_media_combo"));
  f.systemItem = comboItem(find<skin::CComboUI>("keyset_system_combo"));
  f.macroItem = comboItem(find<skin::CComboUI>("keyset_macro_combo"));
  f.playModeItem = comboItem(find<skin::CComboUI>("keyset_macro_over_combo"));
  f.repeatCount = editNumber(find<CControlUI>("keyset_macro_cycle_edit"));
  if (auto* layout = find<CControlUI>("keyset_macro_cycle_layout")) f.repeatLayoutVisible = layout->IsVisible();
  f.gunKeyItem = comboItem(find<skin::CComboUI>("keyset_gunkey_combo"));
  f.shortcutItem = comboItem(find<skin::CComboUI>("keyset_combokey_combo"));
  return f;
}

void CKeySetControlUI::showForm(const KeySetForm& f) {
  showing_ = true;
  const auto setNumber = [this](const char* name, int value) {
    if (auto* c = find<CControlUI>(name)) c->SetText(QString::number(value));
  };
  selectComboItem(find<skin::CComboUI>("keyset_mousekey_combo"), f.mouseKeyItem);
  selectComboItem(find<skin::CComboUI>("keyset_mouseswing_combo"), f.swingDirectionItem);
  setNumber("keyset_mouseswing_num_edit", f.swingCount);
  setNumber("keyset_mouseswing_delay_edit", f.swingDelay);
  setNumber("keyset_mouseswing_speed_edit", f.swingSpeed);
  selectComboItem(find<skin::CComboUI>("keyset_mousewheel_combo"), f.wheelDirectionItem);
  setNumber("keyset_mousewheel_num_edit", f.wheelCount);
  setNumber("keyset_mousewheel_delay_edit", f.wheelDelay);
  setNumber("keyset_mousewheel_speed_edit", f.wheelSpeed);
  selectComboItem(find<skin::CComboUI>("keyset_mousedpi_combo"), f.dpiItem);
  setNumber("keyset_mousefire_interval_edit", f.fireInterval);
  setNumber("keyset_mousefire_num_edit", f.fireCount);
  for (int n = 0; n < macros::kModifierOptionCount; ++n) {
    const QByteArray name = kModifierPrefix + QByteArray::number(n);
    if (auto* o = find<skin::COptionUI>(name.constData())) o->Selected(n == f.modifierOption, false);
  }
  if (auto* edit = find<CControlUI>("keyset_keyboard_text_edit")) {
    const QString key = QString::fromStdString(f.keyNameKey);
    edit->SetUserData(key);
    edit->SetText(key.isEmpty() ? QString() : skin::CResourceManager::GetInstance().ResolveText(key));
  }
  selectComboItem(find<skin::CComboUI>("keyset_media_combo"), f.mediaItem);
  selectComboItem(find<skin::CComboUI>("keyset_system_combo"), f.systemItem);
  selectComboItem(find<skin::CComboUI>("keyset_macro_combo"), f.macroItem);
  selectComboItem(find<skin::CComboUI>("keyset_macro_over_combo"), f.playModeItem);
  setNumber("keyset_macro_cycle_edit", f.repeatCount);
  if (auto* layout = find<CControlUI>("keyset_macro_cycle_layout")) layout->SetVisible(f.repeatLayoutVisible);
  selectComboItem(find<skin::CComboUI>("keyset_gunkey_combo"), f.gunKeyItem);
  selectComboItem(find<skin::CComboUI>("keyset_combokey_combo"), f.shortcutItem);
  selectFunctionPage(f.function);
  showing_ = false;
}

// Selects the function combo's item with that number and its tab page; the
// function area is hidden when no item has it.
void CKeySetControlUI::selectFunctionPage(int function) {
  auto* area = find<CControlUI>(kFunctionArea);
  auto* combo = find<skin::CComboUI>(kFunctionCombo);
  int item = -1;
  for (int i = 0; combo && i < combo->GetCount(); ++i) {
    bool ok = false;
    if (combo->GetItemAt(i)->GetUserData().toInt(&ok) == function && ok) {
      item = i;
      break;
    }
  }
  if (area) area->SetVisible(item >= 0);
  if (item < 0) return;
  combo->SelectItem(item, false, false);
  if (auto* tabs = find<skin::CTabLayoutUI>(kFunctionTabs)) tabs->SelectItem(function);
}

}  // namespace kavro::panels
