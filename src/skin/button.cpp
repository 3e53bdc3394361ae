#include "skin/button.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace kavro::skin {

CButtonUI::CButtonUI(QWidget* parent) : CLabelUI(parent) {
  textStyle_ = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}

void CButtonUI::SetAttribute(const QString& name, const QString& value) {
  uint32_t c = 0;
  if (name == "normalimage") normalImage_ = value;
  else if (name == "hotimage") hotImage_ = value;
  else if (name == "pushedimage") pushedImage_ = value;
  else if (name == "focusedimage") focusedImage_ = value;
  else if (name == "disabledimage") disabledImage_ = value;
  else if (name == "hotforeimage") hotForeImage_ = value;
  else if (name == "pushedforeimage") pushedForeImage_ = value;
  else if (name == "hotbkcolor" && parseColor(value, &c)) hotBkColor_ = c;
  else if (name == "pushedbkcolor" && parseColor(value, &c)) pushedBkColor_ = c;
  else if (name == "disabledbkcolor" && parseColor(value, &c)) disabledBkColor_ = c;
  else if (name == "hottextcolor" && parseColor(value, &c)) hotTextColor_ = c;
  else if (name == "pushedtextcolor" && parseColor(value, &c)) pushedTextColor_ = c;
  else if (name == "glyph") glyph_ = glyphFromName(value);
  else if (name == "glyphcolor" && parseColor(value, &c)) glyphColor_ = c;
  else if (name == "hotglyphcolor" && parseColor(value, &c)) hotGlyphColor_ = c;
  else if (name == "glyphsize") glyphSize_ = parseInt(value, 10);
  CLabelUI::SetAttribute(name, value);
}

bool CButtonUI::Activate() {
  if (!CControlUI::Activate()) return false;
  SendNotify(DUI_MSGTYPE_CLICK);
  return true;
}

uint32_t CButtonUI::currentBkColor() const {
  if (!IsEnabled() && disabledBkColor_) return disabledBkColor_;
  if (pushed_ && pushedBkColor_) return pushedBkColor_;
  if ((pushed_ || isHot()) && hotBkColor_) return hotBkColor_;
  return bkColor_;
}

void CButtonUI::PaintBkColor(QPainter& p) {
  const uint32_t c = currentBkColor();
  if (c == 0) return;
  if (bkColor2_ && c == bkColor_) fillRoundedGradient(p, QRectF(rect()), argbColor(c), argbColor(bkColor2_), BorderRadius());
  else fillRounded(p, QRectF(rect()), argbColor(c), BorderRadius());
}

QString CButtonUI::currentStatusImage() const {
  if (!IsEnabled() && !disabledImage_.isEmpty()) return disabledImage_;
  if (pushed_ && !pushedImage_.isEmpty()) return pushedImage_;
  if ((pushed_ || isHot()) && !hotImage_.isEmpty()) return hotImage_;
  if (hasFocus() && !focusedImage_.isEmpty()) return focusedImage_;
  return normalImage_;
}

void CButtonUI::PaintStatusImage(QPainter& p) {
  DrawImage(p, currentStatusImage());
  QString fore = foreImage_;
  if (pushed_ && !pushedForeImage_.isEmpty()) fore = pushedForeImage_;
  else if (isHot() && !hotForeImage_.isEmpty()) fore = hotForeImage_;
  DrawImage(p, fore);
  paintGlyph(p);
}

void CButtonUI::paintGlyph(QPainter& p) {
  if (glyph_ == Glyph::None) return;
  const uint32_t c = (isHot() || pushed_) && hotGlyphColor_ ? hotGlyphColor_ : glyphColor_;
  const qreal s = glyphSize_ * GetScale();
  QRectF box(0, 0, s, s);
  box.moveCenter(QRectF(textRect()).center());
  if (!GetDisplayText().isEmpty()) box.moveLeft(textRect().left());
  drawGlyph(p, glyph_, box, argbColor(IsEnabled() ? c : disabledTextColor_), qMax<qreal>(1.2, 1.4 * GetScale()));
}

uint32_t CButtonUI::currentTextColor() const {
  if (!IsEnabled()) return disabledTextColor_;
  if (pushed_ && pushedTextColor_) return pushedTextColor_;
  if (isHot() && hotTextColor_) return hotTextColor_;
  return textColor_;
}

void CButtonUI::PaintText(QPainter& p) {
  const QString text = GetDisplayText();
  if (text.isEmpty()) return;
  QRect rc = textRect();
  if (glyph_ != Glyph::None) rc.setLeft(rc.left() + qRound((glyphSize_ + 8) * GetScale()));
  drawText(p, text, rc, currentTextColor());
}

void CButtonUI::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !IsEnabled()) return CLabelUI::mousePressEvent(e);
  pushed_ = true;
  captured_ = true;
  update();
  e->accept();
}

void CButtonUI::mouseMoveEvent(QMouseEvent* e) {
  if (captured_) {
    const bool inside = rect().contains(e->position().toPoint());
    if (inside != pushed_) {
      pushed_ = inside;
      update();
    }
    e->accept();
    return;
  }
  CLabelUI::mouseMoveEvent(e);
}

void CButtonUI::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !captured_) return CLabelUI::mouseReleaseEvent(e);
  captured_ = false;
  const bool inside = rect().contains(e->position().toPoint());
  pushed_ = false;
  update();
  e->accept();
  if (inside) Activate();  // may delete this control: nothing after it
}

void CButtonUI::keyPressEvent(QKeyEvent* e) {
  if (IsEnabled() && (e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
    Activate();
    return;
  }
  CLabelUI::keyPressEvent(e);
}

}  // namespace kavro::skin
