#include "widgets/wnd_ui.h"

namespace kavro::widgets {

CWndUI::~CWndUI() { Detach(); }

bool CWndUI::Attach(QWidget* native) {
  if (!native || native == this || native->isAncestorOf(this)) return false;
  native_ = native;
  SyncNative();
  return true;
}

QWidget* CWndUI::Detach() {
  QWidget* w = native_;
  native_ = nullptr;
  return w;
}

void CWndUI::SyncNative() {
  if (!native_) return;
  QWidget* top = window();
  const bool sameWindow = native_->window() == top && native_ != top;
  if (sameWindow) {
    QWidget* host = native_->parentWidget();
    native_->setGeometry(QRect(mapTo(host, QPoint(0, 0)), size()));
  } else {
    native_->setAttribute(Qt::WA_ShowWithoutActivating);
    native_->setGeometry(QRect(mapToGlobal(QPoint(0, 0)), size()));
  }
  const bool show = IsVisible() && isVisible();
  if (show != native_->isVisible()) native_->setVisible(show);
}

void CWndUI::SetVisible(bool visible) {
  CControlUI::SetVisible(visible);
  SyncNative();
}

void CWndUI::moveEvent(QMoveEvent* e) {
  CControlUI::moveEvent(e);
  SyncNative();
}

void CWndUI::resizeEvent(QResizeEvent* e) {
  CControlUI::resizeEvent(e);
  SyncNative();
}

void CWndUI::showEvent(QShowEvent* e) {
  CControlUI::showEvent(e);
  SyncNative();
}

void CWndUI::hideEvent(QHideEvent* e) {
  CControlUI::hideEvent(e);
  if (native_) native_->hide();
}

}  // namespace kavro::widgets
