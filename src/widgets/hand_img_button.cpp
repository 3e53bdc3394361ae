#include "widgets/hand_img_button.h"

#include <QMouseEvent>
#include <QPainter>

#include "widgets/control_rules.h"
#include "skin/render.h"

namespace kavro::widgets {

using namespace kavro::skin;

CHandImgButtonUI::CHandImgButtonUI(QWidget* parent) : CButtonUI(parent) { setMouseTracking(true); }

QRect CHandImgButtonUI::GetDeleteRect() const { return handDeleteZone(rect(), GetScale()); }

void CHandImgButtonUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "handimage") handImage_ = value;
  else if (name == "deletenormalimage") deleteNormalImage_ = value;
  else if (name == "deletehotimage") deleteHotImage_ = value;
  CButtonUI::SetAttribute(name, value);
}

void CHandImgButtonUI::PaintStatusImage(QPainter& p) {
  CButtonUI::PaintStatusImage(p);
  DrawImage(p, handImage_);
  if (deleteEnabled_ && isHot()) paintDeleteMark(p);
}

void CHandImgButtonUI::paintDeleteMark(QPainter& p) {
  const QRect zone = GetDeleteRect();
  if (DrawImage(p, deleteHot_ ? deleteHotImage_ : deleteNormalImage_, zone)) return;
  const qreal s = GetScale();
  fillRounded(p, QRectF(zone), deleteHot_ ? QColor(0xF2, 0x4C, 0x6A) : QColor(0x3A, 0x40, 0x4C), zone.width() / 2.0);
  drawGlyph(p, Glyph::Close, QRectF(zone).adjusted(6 * s, 6 * s, -6 * s, -6 * s), QColor(255, 255, 255), 1.5 * s);
}

void CHandImgButtonUI::OnMouseEnter() { SendNotify("msenter"); }

void CHandImgButtonUI::OnMouseLeave() {
  deleteHot_ = false;
  SendNotify("msleave");
}

void CHandImgButtonUI::mouseMoveEvent(QMouseEvent* e) {
  const bool inZone = GetDeleteRect().contains(e->position().toPoint());
  if (inZone != deleteHot_) {
    deleteHot_ = inZone;
    update();
  }
  CButtonUI::mouseMoveEvent(e);
}

void CHandImgButtonUI::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && IsCaptured() && deleteEnabled_ &&
      GetDeleteRect().contains(e->position().toPoint())) {
    SetCaptured(false);
    SetPushed(false);
    e->accept();
    SendNotify("click_handdelete");
    return;
  }
  CButtonUI::mouseReleaseEvent(e);
}

}  // namespace kavro::widgets
