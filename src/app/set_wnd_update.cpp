// The update page of the settings window: the session's reports are posted
// to the window thread and shown on the rows and the status line.
#include <QMetaObject>
#include <QPointer>

#include "app/set_wnd.h"
#include "app/update_list_item.h"
#include "skin/controls.h"
#include "skin/resource_manager.h"
#include "update/update_rules.h"

namespace kavro::app {

using namespace kavro::skin;

namespace {
// Colours of the status mark (the skin's own: they follow the theme).
constexpr uint32_t kMarkLatest = 0xFF2FBF71;
constexpr uint32_t kMarkOffer = 0xFF2F8CFF;
constexpr uint32_t kMarkNoAnswer = 0xFFE0384F;
}  // namespace

void CSetWnd::startSession() {
  if (session_) return;
  session_ = std::make_unique<update::UpdateSession>(options_.items, options_.config, sessionCallbacks());
  showStatus(update::kStatusChecking, std::string());
  session_->start();
}

// Every report runs later on the window thread; reports that arrive after
// the window has gone are dropped with it.
update::UpdateCallbacks CSetWnd::sessionCallbacks() {
  QPointer<CSetWnd> self(this);
  auto post = [self](std::function<void(CSetWnd*)> fn) {
    if (!self) return;
    QMetaObject::invokeMethod(
        self.data(), [self, fn = std::move(fn)] { if (self) fn(self.data()); }, Qt::QueuedConnection);
  };
  update::UpdateCallbacks c;
  c.status = [post](int status, const std::string& date) { post([=](CSetWnd* w) { w->showStatus(status, date); }); };
  c.row = [post](int row, const update::UpdateRow& shown) { post([=](CSetWnd* w) { w->showRow(row, shown); }); };
  c.updateButton = [post](bool shown, bool enabled) {
    post([=](CSetWnd* w) { w->showUpdateButton(shown, enabled); });
  };
  c.downloadPassDone = [post] { post([](CSetWnd* w) { w->SendMessage(WM_UPDATE_DOWNLOADED); }); };
  c.startFailed = [post](int row, const std::string&) { post([=](CSetWnd* w) { w->startFailed(row); }); };
  return c;
}

CUpdateInfoListItemUI* CSetWnd::rowControl(int row) const {
  return row >= 0 && row < rowCount() ? rowControls_[static_cast<size_t>(row)] : nullptr;
}

void CSetWnd::showRow(int row, const update::UpdateRow& shown) {
  if (row < 0) return;
  auto* list = Find<CListUI>("device_update_list_info");
  while (rowCount() <= row) {
    auto* item = new CUpdateInfoListItemUI;
    if (list) list->Add(item);
    rowControls_.push_back(item);
  }
  rowControls_[static_cast<size_t>(row)]->showRow(shown);
}

void CSetWnd::showStatus(int status, const std::string& lastDate) {
  status_ = status;
  lastDate_ = lastDate;
  const QString key = QString::fromUtf8(update::windowStatusTextKey(status));
  if (CControlUI* text = FindControl("Update_Status_text")) {
    if (status == update::kStatusLatest && !lastDate.empty()) {
      const QString resolved = CResourceManager::GetInstance().ResolveText(key);
      text->SetText(resolved + QLatin1Char(' ') + QString::fromStdString(lastDate));
    } else {
      text->SetText(key);
    }
  }
  const bool busy = status == update::kStatusChecking || status == update::kStatusUpdating;
  if (CControlUI* ring = FindControl("update_status_ring")) ring->SetVisible(busy);
  if (busy) SetTimer(kTimerBusyRing, kBusyRingStepMs);
  else KillTimer(kTimerBusyRing);
  if (CControlUI* mark = FindControl("update_status_image")) {
    mark->SetVisible(!busy);
    mark->SetBkColor(status == update::kStatusLatest ? kMarkLatest
                     : status == update::kStatusHaveUpdate ? kMarkOffer : kMarkNoAnswer);
  }
  // Nothing left to offer: the main window's mark goes.
  if (status == update::kStatusLatest && owner_) owner_->PostMessage(WM_UPDATE_MARK_CLEAR);
}

void CSetWnd::showUpdateButton(bool shown, bool enabled) {
  if (CControlUI* b = FindControl("update_fw_and_ap")) {
    b->SetVisible(shown);
    b->SetEnabled(enabled);
  }
}

void CSetWnd::startFailed(int row) {
  (void)row;
  showMessage(QStringLiteral("update_failed_text"));
}

void CSetWnd::stepBusyRing() {
  auto* ring = Find<CProgressUI>("update_status_ring");
  if (!ring || !ring->IsVisible()) return;
  const int range = ring->GetMaxValue() - ring->GetMinValue();
  if (range <= 0) return;
  ring->SetValue(ring->GetMinValue() + (ring->GetValue() - ring->GetMinValue() + kBusyRingStep) % range);
}

void CSetWnd::openConfirmation() {
  if (auto* tabs = Find<CTabLayoutUI>("get_update_tab_layout")) tabs->SelectItem(1);
}

void CSetWnd::confirmUpdate() {
  if (session_) session_->confirmUpdate();
  if (CControlUI* b = FindControl("update_fw_and_ap")) b->SetEnabled(false);
  if (auto* tabs = Find<CTabLayoutUI>("get_update_tab_layout")) tabs->SelectItem(0);
}

}  // namespace kavro::app
