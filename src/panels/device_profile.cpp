#include "panels/device_profile.h"

#include <atomic>

#include "devices/device_base.h"
#include "skin/combo.h"
#include "skin/dialog_builder.h"
#include "skin/edit.h"
#include "skin/list.h"
#include "skin/option.h"
#include "widgets/save_failure_reporter.h"

namespace kavro::panels {

namespace pf = kavro::profiles;
using skin::CControlUI;

namespace {

const QString kCombo = QStringLiteral("device_profile_combo");
const QString kNameEdit = QStringLiteral("device_profile_name_edit");
const QString kMenuLayout = QStringLiteral("profile_menu_layout");
const QString kAddBtn = QStringLiteral("device_add_btn");
const QString kDeleteBtn = QStringLiteral("device_sub_btn");
const QString kCopyBtn = QStringLiteral("device_copy_btn");
const QString kImportBtn = QStringLiteral("device_import_btn");
const QString kExportBtn = QStringLiteral("device_export_btn");
const QString kResetBtn = QStringLiteral("device_reset_btn");
const QString kRenameBtn = QStringLiteral("device_profile_edit_save_btn");
const QString kSpreadBtn = QStringLiteral("profile_fun_spread_btn");
// Questions before the commands that lose a profile's settings ("%1" = its name).
constexpr char kDeleteConfirmKey[] = "profile_delete_confirm";
constexpr char kResetConfirmKey[] = "profile_reset_confirm";
// The device page's tab layout with one page per feature tab it shows.
const QString kFeatureLayoutSuffix = QStringLiteral("_function_tablayout");

constexpr int kTypeHeadsetAudioChip = 7;

// Set while the panel's layout file is being built, so that the panel made
// for the file's root does not try to fill itself again.
bool g_buildingLayout = false;

std::string toStd(const QString& s) { return s.toStdString(); }

}  // namespace

CDeviceProfileUI::CDeviceProfileUI(QWidget* parent) : skin::CVerticalLayoutUI(parent) {}

CDeviceProfileUI::~CDeviceProfileUI() = default;

// ---- content ---------------------------------------------------------------------

void CDeviceProfileUI::ensureContent() {
  if (contentChecked_ || g_buildingLayout) return;
  contentChecked_ = true;
  if (GetCount() > 0) return;
  g_buildingLayout = true;
  skin::CDialogBuilder builder;
  CControlUI* root = builder.Create(QLatin1String(kDeviceProfileXml));
  g_buildingLayout = false;
  auto* layout = qobject_cast<CDeviceProfileUI*>(root);
  if (!layout) {
    delete root;
    return;
  }
  // The page's own attributes win over the layout file's.
  for (auto it = layout->attrs_.cbegin(); it != layout->attrs_.cend(); ++it) {
    if (!attrs_.contains(it.key()) && it.key() != QLatin1String("name")) SetAttribute(it.key(), it.value());
  }
  while (layout->GetCount() > 0) {
    CControlUI* child = layout->GetItemAt(0);
    layout->Remove(child, true);
    Add(child);
  }
  delete layout;
  // Option groups are exclusive across the whole window and every device page
  // has this panel: each panel's feature tabs get a group of their own, so a
  // tab chosen on one page leaves the other pages' tabs as they were.
  static std::atomic<int> groups{0};
  const QString group = QStringLiteral("device_feature_tabs_%1").arg(groups.fetch_add(1));
  for (int tab = 1; tab <= kFeatureTabCount; ++tab) {
    if (auto* o = qobject_cast<skin::COptionUI*>(FindControlByName(QLatin1String(featureTabName(tab))))) o->SetGroup(group);
  }
}

void CDeviceProfileUI::DoInit() {
  ensureContent();
  skin::CVerticalLayoutUI::DoInit();
}

skin::CComboUI* CDeviceProfileUI::combo() const {
  return qobject_cast<skin::CComboUI*>(const_cast<CDeviceProfileUI*>(this)->FindControlByName(kCombo));
}

skin::CEditUI* CDeviceProfileUI::nameEdit() const {
  return qobject_cast<skin::CEditUI*>(const_cast<CDeviceProfileUI*>(this)->FindControlByName(kNameEdit));
}

bool CDeviceProfileUI::ownsControl(const CControlUI* control) const {
  return control && !control->GetName().isEmpty() &&
         const_cast<CDeviceProfileUI*>(this)->FindControlByName(control->GetName()) == control;
}

IProfilePrompts& CDeviceProfileUI::prompts() {
  if (prompts_) return *prompts_;
  if (!defaultPrompts_) defaultPrompts_ = std::make_unique<DialogProfilePrompts>();
  defaultPrompts_->setOwner(device_ && device_->ownerWindow ? device_->ownerWindow.data() : window());
  return *defaultPrompts_;
}

profiles::ISaveFailureSink& CDeviceProfileUI::saveSink() {
  return saveSink_ ? *saveSink_ : widgets::saveFailureReporter();
}

void CDeviceProfileUI::reportWriteFailure(const std::string& path, profiles::SaveFailure what) {
  saveSink().saveFailed(path, what);
}

// ---- set-up ----------------------------------------------------------------------

void CDeviceProfileUI::setDevice(devices::CHalvionUSBDevice* device) {
  ensureContent();
  device_ = device;
  if (!device_) return;
  device_->setSaveFailureSink(&saveSink());
  setFolders(device_->userDataFolder(), device_->defaultDataPath());
  setDeviceType(device_->deviceType);
  initProfileList();
  selectFeatureTab(kTabLighting);
  device_->setProfileId(selectedId_);
}

void CDeviceProfileUI::setFolders(const std::string& profileFolder, const std::string& factoryProfilePath) {
  store_ = ProfileStore(profileFolder, factoryProfilePath);
}

void CDeviceProfileUI::initProfileList() {
  ensureContent();
  const pf::OpenedProfileList opened = store_.init();
  // The list works from memory this time; the user is told it is not kept.
  if (!opened.kept) reportWriteFailure(store_.listPath());
  const pf::ProfileList& list = opened.list;
  fillCombo(list, -1);
  selectProfile(list.select, false);
  applyTabVisibility();
}

// ---- list and selection ------------------------------------------------------------

void CDeviceProfileUI::fillCombo(const pf::ProfileList& list, int select) {
  skin::CComboUI* box = combo();
  if (!box) return;
  box->RemoveAll();
  for (const auto& entry : list.entries) {
    auto* item = new skin::CListLabelElementUI;
    item->SetFixedHeight(kProfileItemHeight);
    item->SetText(QString::fromStdString(entry.name));
    box->Add(item);
  }
  if (select >= 0) box->SelectItem(select, false, false);
}

void CDeviceProfileUI::selectProfile(int index, bool notify) {
  ensureContent();
  if (skin::CComboUI* box = combo()) box->SelectItem(index, false, notify);
  setNameEditText(profileName(index));
  bool stored = false;
  const std::string id = store_.select(index, &stored);
  if (id.empty()) return;
  selectedId_ = id;
  if (!stored) reportWriteFailure(store_.listPath());
}

int CDeviceProfileUI::currentProfileIndex() const {
  const skin::CComboUI* box = combo();
  return box ? box->GetCurSel() : -1;
}

int CDeviceProfileUI::profileCount() const {
  const skin::CComboUI* box = combo();
  return box ? box->GetCount() : 0;
}

QString CDeviceProfileUI::profileName(int index) const {
  const skin::CComboUI* box = combo();
  const CControlUI* item = box ? box->GetItemAt(index) : nullptr;
  return item ? item->GetText() : QString();
}

// ---- commands ----------------------------------------------------------------------

// The new profile is selected and applied at once, so the list, the combo
// and the device agree on which profile is in use.
bool CDeviceProfileUI::addProfile() {
  if (profileCount() >= pf::kMaxProfiles) return false;
  const ProfileStore::Change change = store_.add();
  if (change.writeFailed) reportWriteFailure(store_.listPath());
  if (!change.done) return false;
  fillCombo(change.list, -1);
  selectProfile(change.index, false);
  applyProfileToDevice();
  return true;
}

bool CDeviceProfileUI::deleteProfile() {
  const ProfileStore::Change change = store_.remove(currentProfileIndex());
  if (change.writeFailed) reportWriteFailure(store_.listPath());
  if (!change.done) return false;
  fillCombo(change.list, -1);
  // The deleted profile was the device's: the device moves to the new selection.
  selectProfile(change.index, false);
  applyProfileToDevice();
  return true;
}

bool CDeviceProfileUI::copyProfile() {
  const int selected = currentProfileIndex();
  const ProfileStore::Change change = store_.copy(selected);
  if (change.writeFailed) reportWriteFailure(store_.listPath());
  if (change.done) fillCombo(change.list, selected);
  return change.done;
}

bool CDeviceProfileUI::importProfile(const QString& path) {
  const int selected = currentProfileIndex();
  const ProfileStore::Change change = store_.importFrom(toStd(path), selected);
  if (change.writeFailed) reportWriteFailure(store_.listPath());
  if (change.done) fillCombo(change.list, selected);
  return change.done;
}

bool CDeviceProfileUI::exportProfile(const QString& path) {
  return store_.exportTo(toStd(path), currentProfileIndex());
}

bool CDeviceProfileUI::resetProfile() {
  const ProfileStore::Result r = store_.reset(currentProfileIndex(), deviceType_ == kTypeHeadsetAudioChip);
  if (r == ProfileStore::Result::WriteFailed) reportWriteFailure(store_.documentPath(selectedId_), profiles::SaveFailure::Changes);
  if (r != ProfileStore::Result::Done) return false;
  applyProfileToDevice();
  return true;
}

bool CDeviceProfileUI::renameProfile(const QString& name) {
  const int selected = currentProfileIndex();
  const ProfileStore::Result r = store_.rename(selected, toStd(name));
  if (r == ProfileStore::Result::WriteFailed) reportWriteFailure(store_.listPath());
  if (r != ProfileStore::Result::Done) return false;
  if (skin::CComboUI* box = combo()) {
    if (CControlUI* item = box->GetItemAt(selected)) item->SetText(name);
    box->Invalidate();
  }
  return true;
}

int CDeviceProfileUI::applyProfileToDevice() {
  if (!device_ || selectedId_.empty()) return 0;
  device_->setProfileId(selectedId_);
  device_->openProfileFiles();
  device_->reloadProfile();
  device_->applyLightState();
  device_->writeLightSettings();
  const int failures = device_->writeMacros();
  device_->writeKeyAssignments();
  device_->refreshPanels();
  reportFailureCount(failures);
  return failures;
}

void CDeviceProfileUI::reportFailureCount(int count) {
  if (count == 0) return;
  if (count == -1) prompts().showNotice(QStringLiteral("message_text_7"));
  else prompts().showNotice(countMessageText(QStringLiteral("message_text_16"), count));
}

// ---- controls ----------------------------------------------------------------------

QString CDeviceProfileUI::getNameEditText() const {
  const skin::CEditUI* edit = nameEdit();
  return edit ? edit->GetText() : QString();
}

void CDeviceProfileUI::setNameEditText(const QString& text) {
  if (skin::CEditUI* edit = nameEdit()) edit->SetText(text);
}

void CDeviceProfileUI::showProfileMenu(bool show) {
  if (CControlUI* menu = FindControlByName(kMenuLayout)) menu->SetVisible(show);
}

bool CDeviceProfileUI::isProfileMenuShown() const {
  const CControlUI* menu = const_cast<CDeviceProfileUI*>(this)->FindControlByName(kMenuLayout);
  return menu && menu->IsVisible();
}

void CDeviceProfileUI::selectFeatureTab(int tab) {
  for (int t = 1; t <= kFeatureTabCount; ++t) {
    auto* option = qobject_cast<skin::COptionUI*>(FindControlByName(QLatin1String(featureTabName(t))));
    if (option) option->Selected(t == tab, false);
  }
}

int CDeviceProfileUI::selectedFeatureTab() const {
  for (int t = 1; t <= kFeatureTabCount; ++t) {
    auto* option = qobject_cast<skin::COptionUI*>(
        const_cast<CDeviceProfileUI*>(this)->FindControlByName(QLatin1String(featureTabName(t))));
    if (option && option->IsSelected()) return t;
  }
  return 0;
}

void CDeviceProfileUI::applyTabVisibility() {
  const TabVisibility v = tabVisibilityFor(deviceType_);
  for (int tab : v.hidden) {
    if (CControlUI* c = FindControlByName(QLatin1String(featureTabName(tab)))) c->SetVisible(false);
  }
  for (int tab : v.shown) {
    if (CControlUI* c = FindControlByName(QLatin1String(featureTabName(tab)))) c->SetVisible(true);
  }
}

// A page names its tab in its user data ("key_Op_tab"), so a page whose
// panel is missing cannot shift the others; pages without that mark are
// taken in the order of the device type's tabs.
void CDeviceProfileUI::showFeaturePage(int tab) {
  if (!device_) return;
  skin::CTabLayoutUI* pages = nullptr;
  device_->ForEach([&](CControlUI* c) {
    if (!pages && c->GetName().endsWith(kFeatureLayoutSuffix)) pages = qobject_cast<skin::CTabLayoutUI*>(c);
  });
  if (!pages) return;
  const QLatin1String tabName(featureTabName(tab));
  for (int i = 0; i < pages->GetCount(); ++i) {
    if (pages->GetItemAt(i)->GetUserData() == tabName) {
      pages->SelectItem(i);
      return;
    }
  }
  const int page = featurePageIndex(deviceType_, tab);
  if (page >= 0 && page < pages->GetCount()) pages->SelectItem(page);
}

// ---- notifications -------------------------------------------------------------------

bool CDeviceProfileUI::onNotify(skin::TNotifyUI& msg) {
  if (!ownsControl(msg.pSender)) return false;
  const QString name = msg.pSender->GetName();
  if (msg.sType == QLatin1String(skin::DUI_MSGTYPE_CLICK)) return onClick(name);
  if (msg.sType == QLatin1String(skin::DUI_MSGTYPE_ITEMSELECT) && name == kCombo) {
    // Quick successive choices restart the wait: only the last one is applied.
    SetTimer(kProfileApplyTimerId, kProfileApplyDelayMs);
    return true;
  }
  if (msg.sType == QLatin1String(skin::DUI_MSGTYPE_RETURN) && name == kNameEdit) {
    onRenameRequested();
    return true;
  }
  if (msg.sType == QLatin1String(skin::DUI_MSGTYPE_SELECTCHANGED)) {
    const int tab = featureTabNumber(toStd(name));
    if (tab == 0) return false;
    auto* option = qobject_cast<skin::COptionUI*>(msg.pSender);
    if (option && option->IsSelected()) {
      selectFeatureTab(tab);
      showFeaturePage(tab);
    }
    return true;
  }
  return false;
}

bool CDeviceProfileUI::onClick(const QString& name) {
  if (name == kAddBtn) addProfile();
  else if (name == kDeleteBtn) {
    if (confirmOnSelected(kDeleteConfirmKey, 2)) deleteProfile();
  } else if (name == kCopyBtn) copyProfile();
  else if (name == kResetBtn) {
    if (confirmOnSelected(kResetConfirmKey, 1)) resetProfile();
  }
  else if (name == kRenameBtn) onRenameRequested();
  else if (name == kSpreadBtn) showProfileMenu(!isProfileMenuShown());
  else if (name == kImportBtn) {
    if (currentProfileIndex() < 0) return true;
    const QString path = prompts().askImportPath();
    if (!path.isEmpty()) importProfile(path);
  } else if (name == kExportBtn) {
    if (currentProfileIndex() < 0) return true;
    const QString path = prompts().askExportPath(profileName(currentProfileIndex()));
    if (!path.isEmpty()) exportProfile(path);
  } else {
    return false;
  }
  return true;
}

// Delete and reset lose the profile's settings: one misclick must not do
// that. Nothing is asked when the command would do nothing anyway (no
// selection, or fewer profiles than it needs).
bool CDeviceProfileUI::confirmOnSelected(const char* key, int minimumProfiles) {
  const int selected = currentProfileIndex();
  if (selected < 0 || profileCount() < minimumProfiles) return false;
  return prompts().askConfirmation(nameMessageText(QLatin1String(key), profileName(selected)));
}

void CDeviceProfileUI::onRenameRequested() {
  const QString name = getNameEditText();
  if (!isUsableProfileName(toStd(name)) || currentProfileIndex() < 0) return;
  // Only a clash gets the name message; a failed write was reported as such.
  if (!renameProfile(name) && renameClashes(profileNames(store_.read()), currentProfileIndex(), toStd(name))) {
    prompts().showNotice(QStringLiteral("message_text_5"));
  }
}

void CDeviceProfileUI::OnTimer(int id) {
  if (id != kProfileApplyTimerId) return skin::CVerticalLayoutUI::OnTimer(id);
  KillTimer(id);
  selectProfile(currentProfileIndex(), false);
  applyProfileToDevice();
}

// ---- registration ---------------------------------------------------------------------

void registerProfilePanel() {
  auto* factory = skin::CControlFactory::GetInstance();
  factory->RegistControl(QStringLiteral("DeviceProfile"), [] { return new CDeviceProfileUI; });
  factory->RegistControl(QStringLiteral("CDeviceProfileUI"), [] { return new CDeviceProfileUI; });
  factory->RegistControl(QStringLiteral("DeviceProfileUI"), []() -> CControlUI* {
    g_buildingLayout = true;
    skin::CDialogBuilder builder;
    CControlUI* root = builder.Create(QLatin1String(kDeviceProfileXml));
    g_buildingLayout = false;
    return root;
  });
}

}  // namespace kavro::panels
