#include "app/main_wnd.h"

#include "app/app_messages.h"
#include "app/control_registry.h"
#include "platform/debug.h"
#include "platform/hid/hid_device.h"
#include "skin/controls.h"

namespace kavro::app {

using namespace kavro::skin;

CControlUI* CMainWnd::CreateControl(const QString& className) { return createCustomControl(className); }

void CMainWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == QLatin1String(DUI_MSGTYPE_WINDOWINIT)) RefreshInterfaces();
  else if (msg.sType == QLatin1String(DUI_MSGTYPE_CLICK) && msg.pSender && msg.pSender->GetName() == "refresh_btn")
    RefreshInterfaces();
  CWindowWnd::Notify(msg);
}

void CMainWnd::RefreshInterfaces() {
  auto* list = Find<CListUI>("hid_interface_list");
  if (!list) return;
  list->RemoveAll();
  hid::HidDeviceInfo info;
  int count = 0;
  if (info.enumerate()) {
    while (const std::string* path = info.nextPath()) {
      auto* item = new CListLabelElementUI;
      item->SetText(QString::fromStdString(*path));
      item->SetFixedHeight(30);
      list->Add(item);
      ++count;
    }
  }
  if (CControlUI* status = FindControl("hid_interface_count"))
    status->SetText(count == 0 ? QStringLiteral("main_no_interface") : QStringLiteral("%1").arg(count));
}

LRESULT CMainWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (msg != 0 && msg == registeredMessages().instance) {
    bringToFront(wParam, lParam);
    handled = true;
    return 0;
  }
  return CWindowWnd::HandleCustomMessage(msg, wParam, lParam, handled);
}

void CMainWnd::bringToFront(WPARAM wParam, LPARAM lParam) {
  dbg::printf("软件标示 %d，%xd%xd", registeredMessages().instance, static_cast<unsigned>(wParam),
              static_cast<unsigned>(lParam));
  HandleMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
  raise();
  activateWindow();
}

}  // namespace kavro::app
