#include "skin/window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHash>
#include <QMouseEvent>
#include <QMutex>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QWindow>

#include "platform/debug.h"
#include "skin/container.h"
#include "skin/control.h"
#include "skin/render.h"

namespace kavro::skin {
namespace {

class SkinMessageEvent : public QEvent {
 public:
  static QEvent::Type type() {
    static const auto t = static_cast<QEvent::Type>(QEvent::registerEventType());
    return t;
  }
  SkinMessageEvent(UINT m, WPARAM w, LPARAM l) : QEvent(type()), msg(m), wParam(w), lParam(l) {}
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

}  // namespace

UINT RegisterWindowMessage(const QString& name) {
  static QMutex mutex;
  static QHash<QString, UINT> table;
  QMutexLocker lock(&mutex);
  auto it = table.constFind(name);
  if (it != table.constEnd()) return it.value();
  const UINT id = 0xC000 + static_cast<UINT>(table.size());
  table.insert(name, id);
  return id;
}

CWindowWnd::CWindowWnd() : QWidget(nullptr), pm_(this) {
  pm_.AddNotifier(this);
  setMouseTracking(false);
}

CWindowWnd::~CWindowWnd() {
  pm_.RemoveNotifier(this);
  for (int qtId : std::as_const(timers_)) QObject::killTimer(qtId);
  if (modalLoop_) modalLoop_->exit(closeCode_);
}

bool CWindowWnd::Create(QWidget* parent, const QString& caption, uint32_t style, int x, int y, int cx, int cy) {
  Qt::WindowFlags flags = Qt::FramelessWindowHint;
  if (style & UI_WNDSTYLE_TOOL) flags |= Qt::Tool;
  else if (style & UI_WNDSTYLE_DIALOG) flags |= Qt::Dialog;
  else flags |= Qt::Window;
  setParent(parent, flags);
  setWindowTitle(caption);
  setObjectName(GetWindowClassName());

  CDialogBuilder builder;
  CControlUI* root = builder.Create(GetSkinFile(), this, &pm_);
  if (root) pm_.AttachDialog(root);
  else dbg::printf("skin: window %s has no layout: %s\n", qUtf8Printable(GetWindowClassName()),
                   qUtf8Printable(builder.GetLastError()));
  if (pm_.GetRoundCorner() > 0) setAttribute(Qt::WA_TranslucentBackground);

  QSize size(cx, cy);
  if (size.isEmpty()) size = pm_.GetInitSize();
  if (size.isEmpty()) size = QSize(400, 300);
  const double s = pm_.GetScale();
  if (!pm_.GetMinInfo().isEmpty()) setMinimumSize(pm_.GetMinInfo() * s);
  if (!pm_.GetMaxInfo().isEmpty()) setMaximumSize(pm_.GetMaxInfo() * s);
  setGeometry(x, y, qRound(size.width() * s), qRound(size.height() * s));
  InitWindow();
  updateZoomButtons();
  return root != nullptr;
}

CControlUI* CWindowWnd::CreateControl(const QString&) { return nullptr; }

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
  if (!show) {
    hide();
    return;
  }
  if (!takeFocus) setAttribute(Qt::WA_ShowWithoutActivating);
  QWidget::show();
  if (takeFocus) {
    raise();
    activateWindow();
  }
}

void CWindowWnd::CenterWindow() {
  QRect area;
  QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
  if (owner && owner->isVisible()) area = owner->frameGeometry();
  else if (QScreen* sc = screen()) area = sc->availableGeometry();
  if (area.isEmpty()) return;
  QRect g = geometry();
  g.moveCenter(area.center());
  if (QScreen* sc = screen()) {
    const QRect avail = sc->availableGeometry();
    if (g.left() < avail.left()) g.moveLeft(avail.left());
    if (g.top() < avail.top()) g.moveTop(avail.top());
  }
  move(g.topLeft());
}

void CWindowWnd::ResizeClient(int cx, int cy) {
  const double s = pm_.GetScale();
  resize(qRound(cx * s), qRound(cy * s));
}

void CWindowWnd::Close(int code) {
  closeCode_ = code;
  closing_ = true;
  QWidget::close();
}

int CWindowWnd::ShowModal() {
  QEventLoop loop;
  modalLoop_ = &loop;
  setWindowModality(Qt::ApplicationModal);
  ShowWindow(true, true);
  const int code = loop.exec(QEventLoop::DialogExec);
  // The window may have deleted itself; touch nothing that is not local.
  return code;
}

bool CWindowWnd::SetTimer(int id, int elapseMs) {
  KillTimer(id);
  const int qtId = QObject::startTimer(qMax(1, elapseMs), elapseMs < 20 ? Qt::PreciseTimer : Qt::CoarseTimer);
  if (!qtId) return false;
  timers_.insert(id, qtId);
  return true;
}

void CWindowWnd::KillTimer(int id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  QObject::killTimer(it.value());
  timers_.erase(it);
}

void CWindowWnd::timerEvent(QTimerEvent* e) {
  for (auto it = timers_.cbegin(); it != timers_.cend(); ++it)
    if (it.value() == e->timerId()) {
      HandleMessage(WM_TIMER, static_cast<WPARAM>(it.key()), 0);
      return;
    }
  QWidget::timerEvent(e);
}

void CWindowWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  QCoreApplication::postEvent(this, new SkinMessageEvent(msg, wParam, lParam));
}

LRESULT CWindowWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (QThread::currentThread() == thread()) return HandleMessage(msg, wParam, lParam);
  LRESULT result = 0;
  QMetaObject::invokeMethod(
      this, [this, msg, wParam, lParam] { return HandleMessage(msg, wParam, lParam); }, Qt::BlockingQueuedConnection,
      &result);
  return result;
}

LRESULT CWindowWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  bool handled = false;
  const LRESULT r = HandleCustomMessage(msg, wParam, lParam, handled);
  if (handled) return r;
  if (msg == WM_SYSCOMMAND) {
    switch (wParam & 0xFFF0) {
      case SC_MINIMIZE: showMinimized(); return 0;
      case SC_MAXIMIZE: showMaximized(); return 0;
      case SC_RESTORE:
        if (isMinimized() || isMaximized()) showNormal();
        else QWidget::show();
        return 0;
      case SC_CLOSE: Close(0); return 0;
      default: break;
    }
  }
  return 0;
}

LRESULT CWindowWnd::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

bool CWindowWnd::event(QEvent* e) {
  if (e->type() == SkinMessageEvent::type()) {
    auto* m = static_cast<SkinMessageEvent*>(e);
    HandleMessage(m->msg, m->wParam, m->lParam);
    return true;
  }
  return QWidget::event(e);
}

void CWindowWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == QLatin1String(DUI_MSGTYPE_CLICK)) OnClick(msg);
}

void CWindowWnd::OnClick(TNotifyUI& msg) {
  if (!msg.pSender) return;
  const QString name = msg.pSender->GetName();
  if (name == "closebtn") Close(0);
  else if (name == "minbtn") HandleMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
  else if (name == "maxbtn") HandleMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  else if (name == "restorebtn") HandleMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
}

void CWindowWnd::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!initSent_) {
    initSent_ = true;
    pm_.SendNotify(pm_.GetRoot(), DUI_MSGTYPE_WINDOWINIT);
  }
}

void CWindowWnd::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (CControlUI* root = pm_.GetRoot()) root->setGeometry(rect());
  if (initSent_) pm_.SendNotify(pm_.GetRoot(), DUI_MSGTYPE_WINDOWSIZE);
}

void CWindowWnd::closeEvent(QCloseEvent* e) {
  QWidget::closeEvent(e);
  if (!closing_) closeCode_ = 0;  // closed by the system, not by Close()
  closing_ = false;
  if (modalLoop_) {
    QEventLoop* loop = modalLoop_;
    modalLoop_ = nullptr;
    loop->exit(closeCode_);
  }
  OnFinalMessage();
}

void CWindowWnd::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::WindowStateChange) updateZoomButtons();
}

void CWindowWnd::updateZoomButtons() {
  CControlUI* maxBtn = FindControl("maxbtn");
  CControlUI* restoreBtn = FindControl("restorebtn");
  // A layout that hides both (a fixed-size dialog) keeps them hidden.
  if (!maxBtn || !restoreBtn || (!maxBtn->IsVisible() && !restoreBtn->IsVisible())) return;
  maxBtn->SetVisible(!isMaximized());
  restoreBtn->SetVisible(isMaximized());
}

bool CWindowWnd::inCaption(const QPoint& pos) const {
  const Rect4 c = pm_.GetCaptionRect();
  if (c.isNull()) return false;
  const double s = pm_.GetScale();
  const QRect rc(QPoint(qRound(c.l * s), qRound(c.t * s)), QPoint(width() - 1 - qRound(c.r * s), qRound(c.b * s) - 1));
  return rc.contains(pos);
}

Qt::Edges CWindowWnd::sizeEdges(const QPoint& pos) const {
  const Rect4 b = pm_.GetSizeBox();
  Qt::Edges edges;
  if (b.isNull() || isMaximized()) return edges;
  const double s = pm_.GetScale();
  if (pos.x() < qRound(b.l * s)) edges |= Qt::LeftEdge;
  if (pos.x() >= width() - qRound(b.r * s)) edges |= Qt::RightEdge;
  if (pos.y() < qRound(b.t * s)) edges |= Qt::TopEdge;
  if (pos.y() >= height() - qRound(b.b * s)) edges |= Qt::BottomEdge;
  return edges;
}

void CWindowWnd::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
  const QPoint pos = e->position().toPoint();
  const Qt::Edges edges = sizeEdges(pos);
  if (edges && windowHandle() && windowHandle()->startSystemResize(edges)) return;
  if (!inCaption(pos)) return QWidget::mousePressEvent(e);
  // The window manager moves the window when it can; otherwise we do.
  if (windowHandle() && windowHandle()->startSystemMove()) return;
  manualDrag_ = true;
  dragOffset_ = e->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CWindowWnd::mouseMoveEvent(QMouseEvent* e) {
  if (manualDrag_ && (e->buttons() & Qt::LeftButton)) {
    move(e->globalPosition().toPoint() - dragOffset_);
    return;
  }
  QWidget::mouseMoveEvent(e);
}

void CWindowWnd::mouseReleaseEvent(QMouseEvent* e) {
  manualDrag_ = false;
  QWidget::mouseReleaseEvent(e);
}

void CWindowWnd::mouseDoubleClickEvent(QMouseEvent* e) {
  CControlUI* maxBtn = FindControl("maxbtn");
  if (e->button() == Qt::LeftButton && inCaption(e->position().toPoint()) && maxBtn) {
    HandleMessage(WM_SYSCOMMAND, isMaximized() ? SC_RESTORE : SC_MAXIMIZE, 0);
    return;
  }
  QWidget::mouseDoubleClickEvent(e);
}

void CWindowWnd::paintEvent(QPaintEvent* e) {
  // With rounded corners the window is translucent and the root paints
  // itself; otherwise a plain background keeps uncovered areas dark.
  if (pm_.GetRoundCorner() == 0) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0x14, 0x16, 0x1B));
  }
  QWidget::paintEvent(e);
}

}  // namespace kavro::skin
