#include "skin/label.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>

#include "skin/render.h"

namespace kavro::skin {
namespace {

// Colours every label starts with, so that a layout without colours is
// readable on the dark skin.
constexpr uint32_t kDefaultTextColor = 0xFFE6E8EE;
constexpr uint32_t kDefaultDisabledTextColor = 0xFF6B7180;

UINT alignFromAttr(UINT style, const QString& value, bool vertical) {
  const QString v = value.trimmed().toLower();
  if (vertical) {
    style &= ~(DT_VCENTER | DT_BOTTOM);
    if (v == "center" || v == "vcenter") style |= DT_VCENTER;
    else if (v == "bottom") style |= DT_BOTTOM;
  } else {
    style &= ~(DT_CENTER | DT_RIGHT);
    if (v == "center") style |= DT_CENTER;
    else if (v == "right") style |= DT_RIGHT;
  }
  return style;
}

}  // namespace

CLabelUI::CLabelUI(QWidget* parent) : CControlUI(parent) {
  textColor_ = kDefaultTextColor;
  disabledTextColor_ = kDefaultDisabledTextColor;
}

void CLabelUI::SetAttribute(const QString& name, const QString& value) {
  uint32_t c = 0;
  Rect4 r;
  if (name == "align") textStyle_ = alignFromAttr(textStyle_, value, false);
  else if (name == "valign") textStyle_ = alignFromAttr(textStyle_, value, true);
  else if (name == "textcolor" && parseColor(value, &c)) textColor_ = c;
  else if (name == "disabledtextcolor" && parseColor(value, &c)) disabledTextColor_ = c;
  else if (name == "font") font_ = parseInt(value, -1);
  else if (name == "textpadding" && parseRect4(value, &r)) textPadding_ = r;
  else if (name == "showhtml") showHtml_ = parseBool(value);
  else if (name == "endellipsis") textStyle_ = parseBool(value) ? textStyle_ | DT_END_ELLIPSIS : textStyle_ & ~DT_END_ELLIPSIS;
  else if (name == "wordbreak" || name == "multiline") {
    textStyle_ = parseBool(value) ? (textStyle_ | DT_WORDBREAK) & ~DT_SINGLELINE : (textStyle_ & ~DT_WORDBREAK) | DT_SINGLELINE;
  }
  CControlUI::SetAttribute(name, value);
  update();
}

QString CLabelUI::GetAttribute(const QString& name) const {
  if (name == "textcolor") return colorToString(textColor_);
  if (name == "font") return QString::number(font_);
  return CControlUI::GetAttribute(name);
}

QRect CLabelUI::textRect() const {
  const double s = GetScale();
  return rect().adjusted(qRound(textPadding_.l * s), qRound(textPadding_.t * s), -qRound(textPadding_.r * s),
                         -qRound(textPadding_.b * s));
}

uint32_t CLabelUI::currentTextColor() const { return IsEnabled() ? textColor_ : disabledTextColor_; }

void CLabelUI::PaintText(QPainter& p) {
  const QString text = GetDisplayText();
  if (text.isEmpty()) return;
  drawText(p, text, textRect(), currentTextColor());
}

void CLabelUI::drawText(QPainter& p, const QString& text, const QRect& rc, uint32_t color) {
  p.save();
  const QFont font = ScaledFont(font_);
  p.setFont(font);
  p.setPen(argbColor(color));
  if (showHtml_) {
    QTextDocument doc;
    doc.setDefaultFont(font);
    doc.setDefaultStyleSheet(QStringLiteral("body{color:%1}").arg(argbColor(color).name()));
    doc.setHtml(text);
    doc.setTextWidth(rc.width());
    const qreal h = doc.size().height();
    qreal y = rc.top();
    if (textStyle_ & DT_VCENTER) y += (rc.height() - h) / 2;
    else if (textStyle_ & DT_BOTTOM) y += rc.height() - h;
    p.translate(rc.left(), y);
    QAbstractTextDocumentLayout::PaintContext ctx;
    ctx.palette.setColor(QPalette::Text, argbColor(color));
    doc.documentLayout()->draw(&p, ctx);
    p.restore();
    return;
  }
  int flags = 0;
  flags |= (textStyle_ & DT_CENTER) ? Qt::AlignHCenter : (textStyle_ & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
  flags |= (textStyle_ & DT_VCENTER) ? Qt::AlignVCenter : (textStyle_ & DT_BOTTOM) ? Qt::AlignBottom : Qt::AlignTop;
  QString shown = text;
  if (textStyle_ & DT_WORDBREAK) flags |= Qt::TextWordWrap;
  else {
    flags |= Qt::TextSingleLine;
    if (textStyle_ & DT_END_ELLIPSIS) shown = p.fontMetrics().elidedText(text, Qt::ElideRight, rc.width());
  }
  p.drawText(rc, flags, shown);
  p.restore();
}

}  // namespace kavro::skin
