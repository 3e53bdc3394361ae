#include "app/set_wnd.h"

#include <QCloseEvent>

#include "app/app_settings.h"
#include "app/control_registry.h"
#include "app/update_list_item.h"
#include "platform/debug.h"
#include "skin/controls.h"
#include "widgets/msg_wnd.h"

namespace kavro::app {

using namespace kavro::skin;

CSetWnd::CSetWnd(Options options) : options_(std::move(options)) {
  languageIndex_ = options_.languageIndex;
  if (languageIndex_ < 0 || languageIndex_ >= static_cast<int>(options_.languages.size())) languageIndex_ = 0;
  options_.scaling = widgets::CMsgWnd::CheckScaling(options_.scaling);
}

CSetWnd::~CSetWnd() {
  if (session_) session_->stop();
}

// The program's own controls by their short names ("CircleProgress").
CControlUI* CSetWnd::CreateControl(const QString& className) {
  if (CControlUI* c = createCustomControl(className)) return c;
  return CWindowWnd::CreateControl(className);
}

void CSetWnd::InitWindow() {
  fillLanguageList();
  if (auto* check = Find<CCheckBoxUI>("capture_evdev_check")) check->SetCheck(storedSystemWideCapture(), false);
  if (CControlUI* v = FindControl("set_version_value")) v->SetText(QString::fromStdString(options_.versionText));
  if (CControlUI* tip = FindControl("update_tishi_layout")) tip->SetVisible(false);
  if (CControlUI* b = FindControl("update_fw_and_ap")) b->SetVisible(false);
  startSession();
}

void CSetWnd::showUpdateNotice() {
  if (CControlUI* tip = FindControl("update_tishi_layout")) tip->SetVisible(true);
}

void CSetWnd::fillLanguageList() {
  auto* combo = Find<CComboUI>("Language_combox_info");
  if (!combo) return;
  combo->RemoveAll();
  for (const LanguageEntry& e : options_.languages) {
    auto* item = new CListLabelElementUI;
    item->SetText(e.text);
    combo->Add(item);
  }
  if (!options_.languages.empty()) combo->SelectItem(languageIndex_, false, false);
}

void CSetWnd::Notify(TNotifyUI& msg) {
  if (msg.pSender && msg.sType == QLatin1String(DUI_MSGTYPE_ITEMSELECT) &&
      msg.pSender->GetName() == QLatin1String("Language_combox_info")) {
    chooseLanguage(static_cast<CComboUI*>(msg.pSender)->GetCurSel());
    return;
  }
  if (msg.pSender && msg.sType == QLatin1String(DUI_MSGTYPE_SELECTCHANGED) &&
      msg.pSender->GetName() == QLatin1String("check_name_select")) {
    tickChanged(msg.pSender);
    return;
  }
  if (msg.pSender && msg.sType == QLatin1String(DUI_MSGTYPE_SELECTCHANGED) &&
      msg.pSender->GetName() == QLatin1String("capture_evdev_check")) {
    chooseCaptureSource(static_cast<CCheckBoxUI*>(msg.pSender));
    return;
  }
  CWindowWnd::Notify(msg);
}

// The next recording or key capture reads the choice; one that cannot be
// stored goes back and says so.
void CSetWnd::chooseCaptureSource(CCheckBoxUI* check) {
  if (storeSystemWideCapture(check->GetCheck())) return;
  check->SetCheck(!check->GetCheck(), false);
  showMessage(QStringLiteral("set_save_failed"));
}

void CSetWnd::OnClick(TNotifyUI& msg) {
  if (!msg.pSender) return;
  const QString name = msg.pSender->GetName();
  if (name == QLatin1String("closebtn") || name == QLatin1String("laterbtn")) closeWindow();
  else if (name == QLatin1String("set_in_update_wnd_btn")) {
    if (CControlUI* tip = FindControl("update_tishi_layout")) tip->SetVisible(false);
    ResizeClient(kSetWndWidth, kSetWndHeight);
  } else if (name == QLatin1String("update_fw_and_ap")) openConfirmation();
  else if (name == QLatin1String("update_OK_btn")) confirmUpdate();
  else if (name == QLatin1String("update_cancel_btn")) {
    if (auto* tabs = Find<CTabLayoutUI>("get_update_tab_layout")) tabs->SelectItem(0);
  } else if (name == QLatin1String("homepage_btn") || name == QLatin1String("menubtn")) return;
  else CWindowWnd::OnClick(msg);
}

// A language chosen in the list is applied to every open window (this one
// included) and then kept; the same language changes nothing.
void CSetWnd::chooseLanguage(int index) {
  if (index < 0 || index >= static_cast<int>(options_.languages.size()) || index == languageIndex_) return;
  // The main window applies the language to every window, keeps the choice
  // once it took and tells this window (message 3089 back).
  if (owner_) {
    owner_->SendMessage(WM_LANGUAGE_CHANGED, static_cast<WPARAM>(index), 0);
    return;
  }
  const LanguageEntry& entry = options_.languages[static_cast<size_t>(index)];
  if (!applyLanguageEntry(entry)) return;
  languageIndex_ = index;
  if (!storeLanguageId(entry.id)) dbg::write("language: the choice could not be stored\n");
  retext();
}

// Texts the window puts together itself follow the language.
void CSetWnd::retext() {
  showStatus(status_, lastDate_);
  if (auto* combo = Find<CComboUI>("Language_combox_info")) {
    if (combo->GetCurSel() != languageIndex_) combo->SelectItem(languageIndex_, false, false);
  }
}

void CSetWnd::tickChanged(CControlUI* sender) {
  for (size_t i = 0; i < rowControls_.size(); ++i) {
    CUpdateInfoListItemUI* row = rowControls_[i];
    if (!row || row->tickBox() != sender) continue;
    const bool ticked = row->tickBox()->IsSelected();
    if (!session_ || !session_->setTicked(static_cast<int>(i), ticked)) row->tickBox()->Selected(!ticked, false);
    return;
  }
}

LRESULT CSetWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (msg == WM_LANGUAGE_CHANGED) {
    if (static_cast<int>(wParam) < static_cast<int>(options_.languages.size())) languageIndex_ = static_cast<int>(wParam);
    retext();
    return 0;
  }
  if (msg == WM_UPDATE_DOWNLOADED) return 0;  // the start worker takes the downloaded packages
  if (msg == WM_TIMER && wParam == kTimerBusyRing) {
    stepBusyRing();
    return 0;
  }
  return CWindowWnd::HandleCustomMessage(msg, wParam, lParam, handled);
}

void CSetWnd::showMessage(const QString& key) {
  if (message_) message_(key);
  else widgets::CMsgWnd::ShowMessage(this, QString(), key, options_.scaling);
}

void CSetWnd::closeWindow() {
  if (session_ && !sessionStopped_) session_->stop();
  sessionStopped_ = true;
  KillTimer(kTimerBusyRing);
  Close(0);
}

void CSetWnd::closeEvent(QCloseEvent* e) {
  if (session_ && !sessionStopped_) session_->stop();
  sessionStopped_ = true;
  CWindowWnd::closeEvent(e);
}

}  // namespace kavro::app
