#pragma once
// CMsgWnd: the modal message dialog with one confirm button, or confirm and
// cancel. Returns 1 when "confirm_btn" closed it and 0 otherwise.
#include "skin/window.h"

namespace kavro::widgets {

class CMsgWnd : public skin::CWindowWnd {
  Q_OBJECT
 public:
  enum ButtonMode { kConfirmOnly = 0, kConfirmCancel = 1 };

  // Shows the dialog centred on owner (or the screen) and waits for it.
  // title and text may be language keys; an empty title keeps the layout's.
  // scaling is one of 48, 72, 96, 120, 144, 168, 192 (others give 96) and is
  // applied to every window. textFlag takes DT_ flags for the message text.
  static int ShowMessage(QWidget* owner, const QString& title, const QString& text, int scaling = 96,
                         skin::UINT textFlag = skin::DT_CENTER | skin::DT_VCENTER | skin::DT_WORDBREAK,
                         int buttonMode = kConfirmOnly);
  // Scaling check shared with the other windows: the value, or 96 with the
  // debug line "MSG_WND DPI SET ERROR".
  static int CheckScaling(int scaling);

  QString GetWindowClassName() const override { return QStringLiteral("MsgWnd"); }
  QString GetSkinFile() const override { return QStringLiteral("XML_MSG"); }

 protected:
  void OnClick(skin::TNotifyUI& msg) override;
  void OnFinalMessage() override;

 private:
  CMsgWnd() = default;
};

}  // namespace kavro::widgets
