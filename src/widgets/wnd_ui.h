#pragma once
// CWndUI: keeps another widget (a "native" child window) on the control's
// rectangle and shows or hides it with the control. A widget that belongs
// to the same window is placed in window coordinates; a separate top-level
// widget is placed in screen coordinates, without activation.
#include <QPointer>

#include "skin/control.h"

namespace kavro::widgets {

class CWndUI : public skin::CControlUI {
  Q_OBJECT
 public:
  explicit CWndUI(QWidget* parent = nullptr) : CControlUI(parent) {}
  ~CWndUI() override;
  QString GetClass() const override { return QStringLiteral("Wnd"); }

  bool Attach(QWidget* native);
  QWidget* Detach();
  QWidget* GetNativeWindow() const { return native_; }
  void SetVisible(bool visible = true) override;
  // Moves the native widget onto the control's rectangle now.
  void SyncNative();

 protected:
  void moveEvent(QMoveEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;

 private:
  QPointer<QWidget> native_;
};

}  // namespace kavro::widgets
