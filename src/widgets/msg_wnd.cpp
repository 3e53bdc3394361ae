#include "widgets/msg_wnd.h"

#include "platform/debug.h"
#include "skin/controls.h"

namespace kavro::widgets {

using namespace kavro::skin;

int CMsgWnd::CheckScaling(int scaling) {
  if (CPaintManagerUI::IsValidDPI(scaling)) return scaling;
  dbg::write("MSG_WND DPI SET ERROR");
  return 96;
}

int CMsgWnd::ShowMessage(QWidget* owner, const QString& title, const QString& text, int scaling, UINT textFlag,
                         int buttonMode) {
  CPaintManagerUI::SetAllDPI(CheckScaling(scaling));
  auto* wnd = new CMsgWnd;
  if (!wnd->Create(owner, QStringLiteral("msgwnd"), UI_WNDSTYLE_TOOL)) {
    // Without its layout the dialog has no buttons and could never be closed.
    delete wnd;
    return 0;
  }
  if (!title.isEmpty())
    if (CControlUI* t = wnd->FindControl("MessageTitle")) t->SetText(title);
  if (!text.isEmpty()) {
    if (CControlUI* m = wnd->FindControl("MessageText")) {
      m->SetText(text);
      if (auto* label = qobject_cast<CLabelUI*>(m)) label->SetTextStyle(textFlag);
    }
  }
  if (CControlUI* cancel = wnd->FindControl("cancel_btn")) cancel->SetVisible(buttonMode != kConfirmOnly);
  if (CControlUI* confirm = wnd->FindControl("confirm_btn")) confirm->SetVisible(true);
  wnd->CenterWindow();
  return wnd->ShowModal();
}

void CMsgWnd::OnClick(TNotifyUI& msg) {
  const QString name = msg.pSender ? msg.pSender->GetName() : QString();
  if (name == "confirm_btn") Close(1);
  else if (name == "cancel_btn" || name == "closebtn") Close(0);
  else CWindowWnd::OnClick(msg);
}

void CMsgWnd::OnFinalMessage() { deleteLater(); }

}  // namespace kavro::widgets
