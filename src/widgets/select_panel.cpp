#include "widgets/select_panel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include "widgets/control_rules.h"
#include "widgets/device_key_button.h"
#include "skin/render.h"

namespace kavro::widgets {

using namespace kavro::skin;

// Paints the band above the keys; lets every mouse event through.
class SelectBandOverlay : public QWidget {
 public:
  explicit SelectBandOverlay(CSelectPanelUI* panel) : QWidget(panel), panel_(panel) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (!panel_->dragging_ || panel_->band_.isEmpty()) return;
    QPainter p(this);
    p.fillRect(panel_->band_, argbColor(CSelectPanelUI::kBandFill));
    p.setPen(QPen(argbColor(CSelectPanelUI::kBandFrame), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(panel_->band_).adjusted(1, 1, -1, -1));
  }

 private:
  CSelectPanelUI* panel_;
};

CSelectPanelUI::CSelectPanelUI(QWidget* parent) : CVerticalLayoutUI(parent), overlay_(new SelectBandOverlay(this)) {
  overlay_->hide();
}

QList<CDeviceKeyButtonUI*> CSelectPanelUI::KeyButtons() const {
  QList<CDeviceKeyButtonUI*> out;
  for (CControlUI* c : items_)
    c->ForEach([&](CControlUI* d) {
      if (d->GetClass() == QLatin1String("DeviceKeyButton"))
        if (auto* k = qobject_cast<CDeviceKeyButtonUI*>(d)) out.append(k);
    });
  return out;
}

void CSelectPanelUI::resizeEvent(QResizeEvent* e) {
  CVerticalLayoutUI::resizeEvent(e);
  overlay_->setGeometry(rect());
}

void CSelectPanelUI::ClearSelection() {
  for (CDeviceKeyButtonUI* key : KeyButtons()) key->setSelectedByRubberBand(false);
}

void CSelectPanelUI::BeginBand(const QPoint& press) {
  armed_ = IsEnabled();
  dragging_ = false;
  pressPos_ = press;
}

void CSelectPanelUI::MoveBand(const QPoint& pos) {
  if (!armed_ || (!dragging_ && pos == pressPos_)) return;
  dragging_ = true;
  band_ = selectionRect(pressPos_, pos);
  overlay_->setGeometry(rect());
  overlay_->show();
  overlay_->raise();
  overlay_->update();
}

void CSelectPanelUI::EndBand() {
  if (!armed_) return;
  armed_ = false;
  if (!dragging_) return;
  applySelection();
  dragging_ = false;
  overlay_->hide();
  update();
  SendNotify("click_select_end");
}

void CSelectPanelUI::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !IsEnabled()) return CVerticalLayoutUI::mousePressEvent(e);
  BeginBand(e->position().toPoint());
  e->accept();
}

void CSelectPanelUI::mouseMoveEvent(QMouseEvent* e) {
  if (!armed_) return CVerticalLayoutUI::mouseMoveEvent(e);
  MoveBand(e->position().toPoint());
  e->accept();
}

void CSelectPanelUI::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !armed_) return CVerticalLayoutUI::mouseReleaseEvent(e);
  e->accept();
  EndBand();
}

void CSelectPanelUI::applySelection() {
  for (CDeviceKeyButtonUI* key : KeyButtons()) {
    const QRect keyRect(key->mapTo(this, QPoint(0, 0)), key->size());
    key->setSelectedByRubberBand(key->IsVisible() && keyInSelection(keyRect, band_));
  }
}

}  // namespace kavro::widgets
