#include "skin/progress.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include "skin/render.h"

namespace kavro::skin {

int sliderValueFromPos(int pos, int trackStart, int trackLength, int min, int max, int step) {
  if (max <= min || trackLength <= 0) return min;
  const double ratio = qBound(0.0, static_cast<double>(pos - trackStart) / trackLength, 1.0);
  int v = min + static_cast<int>(ratio * (max - min) + 0.5);
  if (step > 1) v = min + ((v - min + step / 2) / step) * step;
  return qBound(min, v, max);
}

int sliderPosFromValue(int value, int trackLength, int min, int max) {
  if (max <= min) return 0;
  const int v = qBound(min, value, max);
  return static_cast<int>(static_cast<double>(v - min) * trackLength / (max - min) + 0.5);
}

// ---- CProgressUI ----

CProgressUI::CProgressUI(QWidget* parent) : CLabelUI(parent) {
  textStyle_ = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}

void CProgressUI::SetMinValue(int v) {
  min_ = v;
  if (max_ < min_) max_ = min_;
  value_ = qBound(min_, value_, max_);
  update();
}

void CProgressUI::SetMaxValue(int v) {
  max_ = v;
  if (min_ > max_) min_ = max_;
  value_ = qBound(min_, value_, max_);
  update();
}

void CProgressUI::SetValue(int v) {
  v = qBound(min_, v, max_);
  if (v == value_) return;
  value_ = v;
  update();
}

void CProgressUI::SetAttribute(const QString& name, const QString& value) {
  uint32_t c = 0;
  if (name == "hor") SetHorizontal(parseBool(value));
  else if (name == "min") SetMinValue(parseInt(value));
  else if (name == "max") SetMaxValue(parseInt(value, 100));
  else if (name == "value") SetValue(parseInt(value));
  else if (name == "forecolor" && parseColor(value, &c)) foreColor_ = c;
  else if (name == "forecolor2" && parseColor(value, &c)) foreColor2_ = c;
  else if (name == "isstretchfore") stretchFore_ = parseBool(value);
  CLabelUI::SetAttribute(name, value);
}

QString CProgressUI::GetAttribute(const QString& name) const {
  if (name == "min") return QString::number(min_);
  if (name == "max") return QString::number(max_);
  if (name == "value") return QString::number(value_);
  return CLabelUI::GetAttribute(name);
}

QRect CProgressUI::filledRect(const QRect& track) const {
  if (max_ <= min_) return QRect();
  const double ratio = static_cast<double>(value_ - min_) / (max_ - min_);
  if (horizontal_) return QRect(track.left(), track.top(), qRound(track.width() * ratio), track.height());
  const int h = qRound(track.height() * ratio);
  return QRect(track.left(), track.bottom() + 1 - h, track.width(), h);
}

void CProgressUI::PaintStatusImage(QPainter& p) {
  const QRect fill = filledRect(rect());
  if (fill.isEmpty()) return;
  if (!foreImage_.isEmpty()) {
    p.save();
    p.setClipRect(fill);
    DrawImage(p, foreImage_, stretchFore_ ? fill : rect());
    p.restore();
    return;
  }
  if (foreColor2_) {
    QLinearGradient g(fill.topLeft(), horizontal_ ? fill.topRight() : fill.bottomLeft());
    g.setColorAt(0, argbColor(foreColor_));
    g.setColorAt(1, argbColor(foreColor2_));
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(fill), BorderRadius(), BorderRadius());
    p.restore();
  } else {
    fillRounded(p, QRectF(fill), argbColor(foreColor_), BorderRadius());
  }
}

// ---- CSliderUI ----

CSliderUI::CSliderUI(QWidget* parent) : CProgressUI(parent) {
  setFocusPolicy(Qt::ClickFocus);
  setCursor(Qt::PointingHandCursor);
}

void CSliderUI::SetAttribute(const QString& name, const QString& value) {
  uint32_t c = 0;
  int w = 0, h = 0;
  if (name == "step") SetChangeStep(parseInt(value, 1));
  else if (name == "thumbsize" && parseSize(value, &w, &h)) thumbSize_ = QSize(w, h);
  else if (name == "thumbimage") thumbImage_ = value;
  else if (name == "thumbhotimage") thumbHotImage_ = value;
  else if (name == "thumbpushedimage") thumbPushedImage_ = value;
  else if (name == "thumbcolor" && parseColor(value, &c)) thumbColor_ = c;
  else if (name == "trackcolor" && parseColor(value, &c)) trackColor_ = c;
  else if (name == "trackthickness") trackThickness_ = parseInt(value, 4);
  CProgressUI::SetAttribute(name, value);
}

QRect CSliderUI::trackRect() const {
  const int tw = Scaled(thumbSize_.width()), th = Scaled(thumbSize_.height());
  if (horizontal_) return QRect(tw / 2, 0, qMax(1, width() - tw), height());
  return QRect(0, th / 2, width(), qMax(1, height() - th));
}

QRect CSliderUI::GetThumbRect() const {
  const QRect track = trackRect();
  const int tw = Scaled(thumbSize_.width()), th = Scaled(thumbSize_.height());
  if (horizontal_) {
    const int cx = track.left() + sliderPosFromValue(value_, track.width(), min_, max_);
    return QRect(cx - tw / 2, (height() - th) / 2, tw, th);
  }
  const int cy = track.bottom() + 1 - sliderPosFromValue(value_, track.height(), min_, max_);
  return QRect((width() - tw) / 2, cy - th / 2, tw, th);
}

int CSliderUI::valueAt(const QPoint& pt) const {
  const QRect track = trackRect();
  if (horizontal_) return sliderValueFromPos(pt.x(), track.left(), track.width(), min_, max_, step_);
  // Vertical sliders grow upwards.
  return sliderValueFromPos(track.bottom() + 1 - pt.y(), 0, track.height(), min_, max_, step_);
}

void CSliderUI::PaintStatusImage(QPainter& p) {
  const QRect track = trackRect();
  const int t = Scaled(trackThickness_);
  QRect groove = horizontal_ ? QRect(track.left(), (height() - t) / 2, track.width(), t)
                             : QRect((width() - t) / 2, track.top(), t, track.height());
  if (bkImage_.isEmpty()) fillRounded(p, QRectF(groove), argbColor(trackColor_), t / 2.0);
  const QRect fill = filledRect(groove);
  if (!fill.isEmpty()) {
    if (!foreImage_.isEmpty()) DrawImage(p, foreImage_, fill);
    else fillRounded(p, QRectF(fill), argbColor(IsEnabled() ? foreColor_ : 0xFF4A505E), t / 2.0);
  }
  const QRect thumb = GetThumbRect();
  QString img = thumbImage_;
  if (dragging_ && !thumbPushedImage_.isEmpty()) img = thumbPushedImage_;
  else if (isHot() && !thumbHotImage_.isEmpty()) img = thumbHotImage_;
  if (!img.isEmpty() && DrawImage(p, img, thumb)) return;
  const QRectF rc(thumb);
  if (isHot() || dragging_) fillRounded(p, rc.adjusted(-3, -3, 3, 3), QColor(47, 140, 255, 60), rc.width() / 2 + 3);
  fillRounded(p, rc, argbColor(IsEnabled() ? thumbColor_ : 0xFF6B7180), rc.width() / 2);
  frameRounded(p, rc, argbColor(IsEnabled() ? foreColor_ : 0xFF4A505E), qMax<qreal>(1.5, 2 * GetScale()), rc.width() / 2);
}

void CSliderUI::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !IsEnabled()) return CProgressUI::mousePressEvent(e);
  dragging_ = true;
  const int v = valueAt(e->position().toPoint());
  e->accept();
  if (v != value_) {
    SetValue(v);
    SendNotify(DUI_MSGTYPE_MOVEVALUECHANGED, static_cast<WPARAM>(value_));
  }
  update();
}

void CSliderUI::mouseMoveEvent(QMouseEvent* e) {
  if (!dragging_) return CProgressUI::mouseMoveEvent(e);
  e->accept();
  const int v = valueAt(e->position().toPoint());
  if (v == value_) return;
  SetValue(v);
  SendNotify(DUI_MSGTYPE_MOVEVALUECHANGED, static_cast<WPARAM>(value_));
}

void CSliderUI::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !dragging_) return CProgressUI::mouseReleaseEvent(e);
  dragging_ = false;
  e->accept();
  update();
  SendNotify(DUI_MSGTYPE_VALUECHANGED, static_cast<WPARAM>(value_));
}

void CSliderUI::keyPressEvent(QKeyEvent* e) {
  int delta = 0;
  if (e->key() == Qt::Key_Left || e->key() == Qt::Key_Down) delta = -step_;
  else if (e->key() == Qt::Key_Right || e->key() == Qt::Key_Up) delta = step_;
  if (!delta || !IsEnabled()) return CProgressUI::keyPressEvent(e);
  const int old = value_;
  SetValue(value_ + delta);
  if (value_ != old) SendNotify(DUI_MSGTYPE_VALUECHANGED, static_cast<WPARAM>(value_));
}

}  // namespace kavro::skin
