#include "app/controls/device_key_button.h"

#include <QMouseEvent>
#include <QPainter>

#include "app/controls/control_rules.h"
#include "skin/render.h"
#include "skin/resource_manager.h"

namespace kavro::app {

using namespace kavro::skin;

CDeviceKeyButtonUI::CDeviceKeyButtonUI(QWidget* parent) : CButtonUI(parent) {}

void CDeviceKeyButtonUI::setLight(uint32_t colorRef, int brightness, bool shown) {
  lightColor_ = colorRef & 0xFFFFFF;
  lightBrightness_ = qBound(0, brightness, 255);
  lightShown_ = shown;
  update();
}

void CDeviceKeyButtonUI::setKeyMarkHidden(bool hidden) {
  keyMarkHidden_ = hidden;
  update();
}

void CDeviceKeyButtonUI::setSelectedByRubberBand(bool selected) {
  if (rubberSelected_ == selected) return;
  rubberSelected_ = selected;
  update();
}

void CDeviceKeyButtonUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "lightimage") lightImage_ = value;
  else if (name == "keysetimage") keySetImage_ = value;
  else if (name == "gmnametextcolor") {
    uint32_t ignored = 0;
    parseColor(value, &ignored);  // accepted for older layouts; it has no effect
  }
  CButtonUI::SetAttribute(name, value);
}

void CDeviceKeyButtonUI::PaintStatusImage(QPainter& p) {
  DrawImage(p, currentStatusImage());
  if (lightShown_) paintLight(p);
  if (!keyMarkHidden_) paintKeyMark(p);
  if (rubberSelected_) {
    frameRounded(p, QRectF(rect()), QColor(0x00, 0x99, 0xFF), qMax<qreal>(1.5, 2 * GetScale()), BorderRadius());
  }
}

void CDeviceKeyButtonUI::paintLight(QPainter& p) {
  const QColor tint = keyLightColor(lightColor_, lightBrightness_);
  ImageSpec desc;
  const QImage* img = parseImageSpec(lightImage_, &desc) ? CResourceManager::GetInstance().GetImage(desc.file) : nullptr;
  if (!img) {
    // Without a light image the key cap glows in the LED colour.
    const qreal s = GetScale();
    QRectF rc = QRectF(rect()).adjusted(2 * s, 2 * s, -2 * s, -2 * s);
    QColor fill = tint;
    fill.setAlpha(150);
    fillRounded(p, rc, fill, qMax<qreal>(0, BorderRadius() - 2 * s));
    QColor edge = tint.lighter(130);
    frameRounded(p, rc, edge, qMax<qreal>(1.0, 1.2 * s), qMax<qreal>(0, BorderRadius() - 2 * s));
    return;
  }
  // Tint: keep the image's alpha, replace its colour by the LED colour.
  QImage layer(size() * devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
  layer.setDevicePixelRatio(devicePixelRatioF());
  layer.fill(Qt::transparent);
  {
    QPainter lp(&layer);
    drawImageSpec(lp, desc, rect(), GetScale());
    lp.setCompositionMode(QPainter::CompositionMode_SourceIn);
    lp.fillRect(rect(), tint);
  }
  p.drawImage(rect(), layer);
}

void CDeviceKeyButtonUI::paintKeyMark(QPainter& p) {
  if (DrawImage(p, keySetImage_)) return;
  // Default mark: a small accent triangle in the top right corner.
  const qreal s = GetScale();
  const qreal m = 8 * s, r = width() - 3 * s, t = 3 * s;
  QPolygonF tri({QPointF(r - m, t), QPointF(r, t), QPointF(r, t + m)});
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xFF, 0xB0, 0x20));
  p.drawPolygon(tri);
  p.restore();
}

void CDeviceKeyButtonUI::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && IsEnabled() && rect().contains(e->position().toPoint())) {
    SetPushed(true);
    SetCaptured(true);
    e->accept();
    SendNotify("dbclick");
    return;
  }
  CButtonUI::mouseDoubleClickEvent(e);
}

}  // namespace kavro::app
