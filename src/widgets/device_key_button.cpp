#include "widgets/device_key_button.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

#include "widgets/control_rules.h"
#include "widgets/select_panel.h"
#include "skin/render.h"
#include "skin/resource_manager.h"

namespace kavro::widgets {

using namespace kavro::skin;

namespace {
constexpr int kCapGlowAlpha = 150;        // the glowing cap lets the key show through
constexpr int kEdgeLighterPercent = 130;  // its outline is this much brighter
}  // namespace

CDeviceKeyButtonUI::CDeviceKeyButtonUI(QWidget* parent) : CButtonUI(parent) {}

void CDeviceKeyButtonUI::setLight(uint32_t colorRef, int brightness, bool shown) {
  const uint32_t color = colorRef & 0xFFFFFF;
  const int level = qBound(0, brightness, 255);
  if (color == lightColor_ && level == lightBrightness_ && shown == lightShown_) return;  // nothing to repaint
  lightColor_ = color;
  lightBrightness_ = level;
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
  paintOverlays(p);
}

void CDeviceKeyButtonUI::paintOverlays(QPainter& p) {
  if (!keyMarkHidden_) paintKeyMark(p);
  if (rubberSelected_) {
    frameRounded(p, QRectF(rect()), QColor(0x00, 0x99, 0xFF), qMax<qreal>(1.5, 2 * GetScale()), BorderRadius());
  }
}

CDeviceKeyButtonUI::LayerKey CDeviceKeyButtonUI::layerKey() const {
  return {size(),           devicePixelRatioF(), GetScale(),           isHot(),          IsPushed(),
          IsEnabled(),      currentBkColor(),    GetBorderColor(),     currentStatusImage(), GetDisplayText(),
          CurrentSkinTheme()};
}

static QPixmap transparentLayer(const QSize& size, qreal dpr) {
  QPixmap px(size * dpr);
  px.setDevicePixelRatio(dpr);
  px.fill(Qt::transparent);
  return px;
}

void CDeviceKeyButtonUI::rebuildLayers() {
  const qreal dpr = devicePixelRatioF();
  under_ = transparentLayer(size(), dpr);
  over_ = transparentLayer(size(), dpr);
  {
    QPainter q(&under_);
    q.setRenderHint(QPainter::Antialiasing);
    PaintBkColor(q);
    PaintBkImage(q);
    DrawImage(q, currentStatusImage());
  }
  {
    QPainter q(&over_);
    q.setRenderHint(QPainter::Antialiasing);
    q.setRenderHint(QPainter::TextAntialiasing);
    PaintText(q);
    PaintBorder(q);
  }
}

void CDeviceKeyButtonUI::DoPaint(QPainter& p) {
  if (width() <= 0 || height() <= 0) return;
  LayerKey key = layerKey();
  if (!layersValid_ || !(key == layerKey_)) {
    layerKey_ = std::move(key);
    layersValid_ = true;
    rebuildLayers();
  }
  p.drawPixmap(0, 0, under_);
  if (lightShown_) paintLight(p);
  p.drawPixmap(0, 0, over_);
  paintOverlays(p);
}

// The light's shapes at the current size, drawn once in opaque white: with a
// light image its alpha; without one the inset cap and its outline.
void CDeviceKeyButtonUI::updateLightMasks() {
  const qreal dpr = devicePixelRatioF();
  const qreal s = GetScale();
  MaskKey key{lightImage_, size(), dpr, s, qRound(BorderRadius() * 1000)};
  if (masksValid_ && key == maskKey_) return;
  maskKey_ = std::move(key);
  masksValid_ = true;
  ImageSpec desc;
  const QImage* img = parseImageSpec(lightImage_, &desc) ? CResourceManager::GetInstance().GetImage(desc.file) : nullptr;
  QImage fill = emptyMask(size(), dpr);
  QPainter fp(&fill);
  fp.setRenderHint(QPainter::Antialiasing);
  if (img) {
    drawImageSpec(fp, desc, rect(), s);
    fp.end();
    light_.setMasks(std::move(fill), QImage());
    return;
  }
  const QRectF rc = QRectF(rect()).adjusted(2 * s, 2 * s, -2 * s, -2 * s);
  const qreal radius = qMax<qreal>(0, BorderRadius() - 2 * s);
  fillRounded(fp, rc, Qt::white, radius);
  fp.end();
  QImage edge = emptyMask(size(), dpr);
  QPainter ep(&edge);
  ep.setRenderHint(QPainter::Antialiasing);
  frameRounded(ep, rc, Qt::white, qMax<qreal>(1.0, 1.2 * s), radius);
  ep.end();
  light_.setMasks(std::move(fill), std::move(edge));
}

void CDeviceKeyButtonUI::paintLight(QPainter& p) {
  const QColor tint = keyLightColor(lightColor_, lightBrightness_);
  updateLightMasks();
  // Without a light image the key cap glows in the LED colour, half covered,
  // inside a brighter outline; with one the image's alpha takes the colour.
  QColor fill = tint, edge = tint.lighter(kEdgeLighterPercent);
  if (light_.hasEdge()) fill.setAlpha(kCapGlowAlpha);
  const QImage& layer = light_.compose(fill, edge);
  p.drawImage(QPointF(0, 0), layer);
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

CaptionMetrics captionMetrics(const QFont& font) {
  auto at = [font](int px) {
    QFont f = font;
    f.setPixelSize(px);
    return QFontMetricsF(f);
  };
  return {[at](const QString& text, int px) { return at(px).horizontalAdvance(text); },
          [at](int px) { return at(px).height(); }};
}

CaptionLayout CDeviceKeyButtonUI::captionLayout() const {
  const QFont font = ScaledFont(GetFont());
  const double s = GetScale();
  const QRectF box = QRectF(textRect()).adjusted(kCaptionMarginPx * s, kCaptionMarginPx * s, -kCaptionMarginPx * s,
                                                 -kCaptionMarginPx * s);
  return fitCaption(GetDisplayText(), box.size(), font.pixelSize(), qMax(1, qRound(kCaptionSmallestPx * s)),
                    captionMetrics(font));
}

void CDeviceKeyButtonUI::PaintText(QPainter& p) {
  const QString text = GetDisplayText();
  if (text.isEmpty()) return;
  const CaptionLayout layout = captionLayout();
  QFont font = ScaledFont(GetFont());
  font.setPixelSize(layout.pixelSize);
  p.save();
  p.setFont(font);
  p.setPen(argbColor(currentTextColor()));
  const QRect rc = textRect();
  const QFontMetricsF fm(font);
  const double lineHeight = fm.height();
  double y = rc.top() + (rc.height() - lineHeight * layout.lines.size()) / 2;
  for (const QString& line : layout.lines) {
    const QRectF lineRect(rc.left(), y, rc.width(), lineHeight);
    const QString shown = layout.fits ? line : fm.elidedText(line, Qt::ElideRight, rc.width());
    p.drawText(lineRect, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    y += lineHeight;
  }
  p.restore();
}

CSelectPanelUI* CDeviceKeyButtonUI::selectPanel() const {
  for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
    if (auto* panel = qobject_cast<CSelectPanelUI*>(w)) return panel;
  }
  return nullptr;
}

void CDeviceKeyButtonUI::mousePressEvent(QMouseEvent* e) {
  pressed_ = e->button() == Qt::LeftButton && IsEnabled();
  band_ = nullptr;
  pressGlobal_ = e->globalPosition().toPoint();
  CButtonUI::mousePressEvent(e);
}

void CDeviceKeyButtonUI::mouseMoveEvent(QMouseEvent* e) {
  const QPoint global = e->globalPosition().toPoint();
  if (pressed_ && !band_ && (global - pressGlobal_).manhattanLength() >= QApplication::startDragDistance()) {
    if (CSelectPanelUI* panel = selectPanel(); panel && panel->IsEnabled()) {
      // From here on the drag is the panel's band and no longer a click.
      band_ = panel;
      SetPushed(false);
      SetCaptured(false);
      panel->BeginBand(panel->mapFromGlobal(pressGlobal_));
    }
  }
  if (band_) {
    band_->MoveBand(band_->mapFromGlobal(global));
    e->accept();
    return;
  }
  CButtonUI::mouseMoveEvent(e);
}

void CDeviceKeyButtonUI::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) pressed_ = false;
  if (band_ && e->button() == Qt::LeftButton) {
    CSelectPanelUI* panel = band_;
    band_ = nullptr;
    e->accept();
    panel->EndBand();
    return;
  }
  CButtonUI::mouseReleaseEvent(e);
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

}  // namespace kavro::widgets
