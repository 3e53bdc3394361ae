#include "skin/paint_manager.h"

#include <QDateTime>
#include <QTimer>

#include "platform/debug.h"
#include "skin/container.h"
#include "skin/control.h"

namespace kavro::skin {
namespace {
QList<CPaintManagerUI*>& managers() {
  static QList<CPaintManagerUI*> list;
  return list;
}
int g_dpi = 96;  // the scaling new windows start with
}  // namespace

CPaintManagerUI::CPaintManagerUI(QWidget* paintWindow) : paintWindow_(paintWindow), dpi_(g_dpi) {
  managers().append(this);
}

CPaintManagerUI::~CPaintManagerUI() {
  managers().removeAll(this);
  if (root_) {
    CControlUI* root = root_;
    root_ = nullptr;
    root->ForEach([](CControlUI* c) { c->SetManager(nullptr, c->GetParent(), false); });
  }
}

bool CPaintManagerUI::AttachDialog(CControlUI* root) {
  if (root_ && root_ != root) {
    CControlUI* old = root_;
    root_ = nullptr;
    old->ForEach([](CControlUI* c) { c->SetManager(nullptr, c->GetParent(), false); });
    old->deleteLater();
  }
  root_ = root;
  if (!root_) return false;
  if (paintWindow_) {
    root_->setParent(paintWindow_);
    root_->setGeometry(paintWindow_->rect());
    if (root_->IsVisible()) root_->QWidget::setVisible(true);
  }
  InitControls(root_, nullptr);
  return true;
}

void CPaintManagerUI::InitControls(CControlUI* control, CControlUI* parent) {
  if (control) control->SetManager(this, parent, true);
}

CControlUI* CPaintManagerUI::FindControl(const QString& name) const {
  return root_ ? root_->FindControlByName(name) : nullptr;
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, const QString& name) const {
  auto* container = qobject_cast<CContainerUI*>(parent);
  if (!container) return nullptr;
  for (int i = 0; i < container->GetCount(); ++i)
    if (CControlUI* found = container->GetItemAt(i)->FindControlByName(name)) return found;
  return nullptr;
}

QList<CControlUI*> CPaintManagerUI::FindControlsByClass(const QString& controlClass) const {
  QList<CControlUI*> out;
  if (root_)
    root_->ForEach([&](CControlUI* c) {
      if (c->GetClass() == controlClass) out.append(c);
    });
  return out;
}

void CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
  if (notifier && !notifiers_.contains(notifier)) notifiers_.append(notifier);
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) { notifiers_.removeAll(notifier); }

void CPaintManagerUI::SendNotify(CControlUI* sender, const QString& type, WPARAM wParam, LPARAM lParam, bool async) {
  TNotifyUI msg;
  msg.sType = type;
  msg.pSender = sender;
  msg.wParam = wParam;
  msg.lParam = lParam;
  SendNotify(msg, async);
}

void CPaintManagerUI::SendNotify(TNotifyUI& msg, bool async) {
  msg.dwTimestamp = static_cast<uint64_t>(QDateTime::currentMSecsSinceEpoch());
  if (paintWindow_) msg.ptMouse = paintWindow_->mapFromGlobal(QCursor::pos());
  if (async) {
    QPointer<CControlUI> sender(msg.pSender);
    TNotifyUI copy = msg;
    QTimer::singleShot(0, paintWindow_, [this, sender, copy]() mutable {
      if (copy.pSender && !sender) return;
      SendNotify(copy, false);
    });
    return;
  }
  const auto list = notifiers_;
  for (INotifyUI* n : list) {
    if (!notifiers_.contains(n)) continue;
    n->Notify(msg);
  }
}

bool CPaintManagerUI::IsValidDPI(int dpi) {
  switch (dpi) {
    case 48: case 72: case 96: case 120: case 144: case 168: case 192: return true;
    default: return false;
  }
}

void CPaintManagerUI::SetDPI(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  const double ratio = static_cast<double>(dpi) / dpi_;
  dpi_ = dpi;
  if (paintWindow_ && paintWindow_->isWindow()) {
    const QRect g = paintWindow_->geometry();
    paintWindow_->resize(qRound(g.width() * ratio), qRound(g.height() * ratio));
  }
  if (root_) {
    root_->OnScaleChanged();
    if (auto* c = qobject_cast<CContainerUI*>(root_)) c->NeedUpdate();
  }
}

void CPaintManagerUI::SetAllDPI(int dpi) {
  if (dpi <= 0) return;
  g_dpi = dpi;
  for (CPaintManagerUI* pm : managers()) pm->SetDPI(dpi);
}

QList<CPaintManagerUI*> CPaintManagerUI::GetPaintManagers() { return managers(); }

void CPaintManagerUI::ReloadAllText() {
  for (CPaintManagerUI* pm : managers())
    if (pm->root_) pm->root_->ReloadText();
}

void CPaintManagerUI::SetWindowAttribute(const QString& name, const QString& value) {
  int w = 0, h = 0;
  Rect4 r;
  if (name == "caption" && parseRect4(value, &r)) caption_ = r;
  else if (name == "sizebox" && parseRect4(value, &r)) sizeBox_ = r;
  else if (name == "roundcorner") roundCorner_ = parseSize(value, &w, &h) ? w : parseInt(value);
  else if (name == "size" && parseSize(value, &w, &h)) initSize_ = QSize(w, h);
  else if (name == "mininfo" && parseSize(value, &w, &h)) minInfo_ = QSize(w, h);
  else if (name == "maxinfo" && parseSize(value, &w, &h)) maxInfo_ = QSize(w, h);
}

void CPaintManagerUI::AddDefaultAttributeList(const QString& controlClass, const QString& list) {
  defaults_[controlClass.toLower()] = list;
}

QString CPaintManagerUI::GetDefaultAttributeList(const QString& controlClass) const {
  return defaults_.value(controlClass.toLower());
}

void CPaintManagerUI::ControlDestroyed(CControlUI* control) {
  if (control == root_) root_ = nullptr;
}

}  // namespace kavro::skin
