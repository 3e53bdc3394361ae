// The main window's part of the settings: the language at start and on
// message 3089, the skin, the settings window ("setbtn", message 3093) and
// the skin frame ("skinbtn").
#include <QAction>
#include <QMenu>

#include "app/app_messages.h"
#include "app/app_settings.h"
#include "app/main_wnd_settings.h"
#include "devices/device_base.h"
#include "devices/device_manager.h"
#include "platform/debug.h"
#include "skin/controls.h"
#include "skin/resource_manager.h"

namespace kavro::app {

using namespace kavro::skin;

namespace {
// Menus built from layouts keep their items' text keys; they are re-texted
// with the windows.
void retextMenus(QWidget* owner) {
  const auto& rm = CResourceManager::GetInstance();
  for (QAction* a : owner->findChildren<QAction*>()) {
    const QString key = a->property("textKey").toString();
    if (!key.isEmpty()) a->setText(rm.ResolveText(key));
  }
}
}  // namespace

CMainWnd::SettingsOptions& CMainWnd::settingsOptions() {
  if (!settingsOptions_) settingsOptions_ = std::make_unique<SettingsOptions>();
  return *settingsOptions_;
}
CSetWnd* CMainWnd::settingsWindow() const { return settingsOptions_ ? settingsOptions_->settingsWnd.data() : nullptr; }
CSkinFrame* CMainWnd::skinFrame() const { return settingsOptions_ ? settingsOptions_->skinFrame.data() : nullptr; }
bool CMainWnd::hasUpdateMark() const { return settingsOptions_ && settingsOptions_->updateMark; }
int CMainWnd::languageIndex() const { return settingsOptions_ ? settingsOptions_->languageIndex : 0; }

// The stored skin, and the stored language (the desktop's while none is
// stored; the first of the list for an id the list does not know).
void CMainWnd::applyStartSettings() {
  SetSkinTheme(storedSkinTheme());
  SettingsOptions& o = settingsOptions();
  o.languages = readLanguageList(o.languageConfig.isEmpty() ? languageConfigPath() : o.languageConfig);
  if (o.languages.empty()) {
    // Without a language list the texts still follow the desktop.
    const bool chinese = desktopLanguageId() == kChineseLanguageId;
    CResourceManager::GetInstance().LoadLanguage(chinese ? QStringLiteral("lan_cn.xml") : QStringLiteral("lan_en.xml"));
    CPaintManagerUI::ReloadAllText();
    return;
  }
  o.languageIndex = startLanguageIndex(o.languages, storedLanguageId(), desktopLanguageId());
  if (!applyLanguageEntry(o.languages[static_cast<size_t>(o.languageIndex)])) CPaintManagerUI::ReloadAllText();
}

// Message 3089: every open window shows the language's texts, the device
// pages their key captions and the settings window its own texts.
void CMainWnd::applyLanguageIndex(int index) {
  SettingsOptions& o = settingsOptions();
  if (index < 0 || index >= static_cast<int>(o.languages.size())) return;
  const LanguageEntry& entry = o.languages[static_cast<size_t>(index)];
  if (!applyLanguageEntry(entry)) return;
  o.languageIndex = index;
  // Kept only once it took, so the next start does not begin with a language that fails.
  if (!storeLanguageId(entry.id)) dbg::write("language: the choice could not be stored\n");
  retextMenus(this);
  if (devices_) {
    for (devices::CHalvionUSBDevice* d : devices_->allDevices()) d->refreshKeyCaptions();
  }
  if (o.settingsWnd) o.settingsWnd->SendMessage(WM_LANGUAGE_CHANGED, static_cast<WPARAM>(index), 0);
  update();
}

void CMainWnd::openSettingsWindow(bool centred) {
  SettingsOptions& o = settingsOptions();
  if (o.settingsWnd) {
    o.settingsWnd->raise();
    o.settingsWnd->activateWindow();
    return;
  }
  CSetWnd::Options so;
  so.items = collectUpdateItems();
  so.config = o.updateConfig;
  so.languages = o.languages;
  so.languageIndex = o.languageIndex;
  for (const update::UpdateItem& item : so.items) {
    if (item.isApp()) so.versionText = item.installedText;
  }
  auto* w = new CSetWnd(std::move(so));
  w->setOwnerWindow(this);
  if (o.settingsMessage) w->setMessageSink(o.settingsMessage);
  w->setAttribute(Qt::WA_DeleteOnClose);
  if (!w->Create(this, QStringLiteral("SetWnd"), UI_WNDSTYLE_DIALOG, 0, 0, kSetWndWidth, kSetWndHeight)) {
    delete w;
    return;
  }
  o.settingsWnd = w;
  if (centred) w->showUpdateNotice();
  if (centred || !isVisible()) {
    w->CenterWindow();
  } else {
    const double s = pm_.GetScale();
    const QRect main = frameGeometry();
    const int x = main.right() + 1 - qRound(kSetWndRightInset * s) - w->width();
    w->move(x, main.top() + qRound(kSetWndTopOffset * s));
  }
  if (o.settingsModal) w->ShowModal();
  else w->ShowWindow(true, true);
}

void CMainWnd::closeSettingsWindow() {
  if (CSetWnd* w = settingsWindow()) w->closeWindow();
}

// Below "skinbtn", its right edge with the button's.
void CMainWnd::openSkinFrame() {
  SettingsOptions& o = settingsOptions();
  if (o.skinFrame) {
    o.skinFrame->Close(0);
    return;
  }
  auto* f = new CSkinFrame;
  f->setAttribute(Qt::WA_DeleteOnClose);
  if (!f->Create(this, QStringLiteral("SkinFrame"), UI_WNDSTYLE_TOOL)) {
    delete f;
    return;
  }
  o.skinFrame = f;
  if (skinBtn_) {
    const QPoint below = skinBtn_->mapToGlobal(QPoint(skinBtn_->width(), skinBtn_->height()));
    f->move(below.x() - f->width(), below.y() + qRound(4 * pm_.GetScale()));
  } else {
    f->CenterWindow();
  }
  f->ShowWindow(true, true);
}

bool CMainWnd::handleSettingsMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != 0 && msg == registeredMessages().updateStatus) {
    if (CSetWnd* w = settingsWindow()) w->PostMessage(msg, wParam, lParam);
    return true;
  }
  switch (msg) {
    case WM_LANGUAGE_CHANGED: applyLanguageIndex(static_cast<int>(wParam)); return true;
    case WM_OPEN_SETTINGS_CENTRED: openSettingsWindow(true); return true;
    case WM_UPDATE_MARK_CLEAR: showUpdateMark(false); return true;
    default: return false;
  }
}

}  // namespace kavro::app
