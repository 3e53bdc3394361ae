#include "widgets/chart_view.h"

#include <QPainter>
#include <QTextDocument>

#include "skin/render.h"

namespace kavro::widgets {

using namespace kavro::skin;

namespace {
const QColor kPalette[] = {QColor(0x2F, 0x8C, 0xFF), QColor(0x00, 0xC2, 0xA8), QColor(0xFF, 0xB0, 0x20),
                           QColor(0xF2, 0x4C, 0x6A), QColor(0x9B, 0x6B, 0xFF), QColor(0x5E, 0xD0, 0x5B)};
}

bool CChartViewUI::Add(const QString& label, double value) { return AddAt(label, value, GetCount()); }

bool CChartViewUI::AddAt(const QString& label, double value, int index) {
  if (index < 0 || index > items_.size() || value < 0) return false;
  items_.insert(index, {label, value});
  update();
  return true;
}

bool CChartViewUI::Remove(int index) {
  if (index < 0 || index >= items_.size()) return false;
  items_.removeAt(index);
  update();
  return true;
}

void CChartViewUI::RemoveAll() {
  items_.clear();
  update();
}

void CChartViewUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "view") histogram_ = value == "histpgram";
  else if (name == "shadowimage") shadowImage_ = value;
  else if (name == "shadowimageheight") shadowHeight_ = parseInt(value);
  else if (name == "pillarimage") pillarImage_ = value;
  else if (name == "pillarimagewidth") pillarWidth_ = parseInt(value, 24);
  else if (name == "showhtml") showHtml_ = parseBool(value);
  else if (name == "showtext") showText_ = parseBool(value);
  else if (name == "font") font_ = parseInt(value, -1);
  CControlUI::SetAttribute(name, value);
  update();
}

void CChartViewUI::PaintStatusImage(QPainter& p) {
  if (items_.isEmpty()) return;
  if (histogram_) paintBars(p);
  else paintPie(p);
}

void CChartViewUI::drawLabel(QPainter& p, const QRect& rc, const QString& text, int flags) {
  if (!showText_ || text.isEmpty()) return;
  p.save();
  p.setFont(ScaledFont(font_));
  p.setPen(QColor(0xC9, 0xCE, 0xD8));
  if (showHtml_) {
    QTextDocument doc;
    doc.setDefaultFont(p.font());
    doc.setHtml(text);
    doc.setTextWidth(rc.width());
    p.translate(rc.left(), rc.top());
    doc.drawContents(&p);
  } else {
    p.drawText(rc, flags | Qt::TextSingleLine, p.fontMetrics().elidedText(text, Qt::ElideRight, rc.width()));
  }
  p.restore();
}

QList<QRect> CChartViewUI::BarRects() const {
  QList<QRect> out;
  if (items_.isEmpty()) return out;
  double maxValue = 0;
  for (const auto& it : items_) maxValue = qMax(maxValue, it.second);
  const int labelH = showText_ ? Scaled(20) : 0;
  const int top = Scaled(8), bottom = height() - labelH - Scaled(4) - Scaled(shadowHeight_);
  const int slot = width() / static_cast<int>(items_.size());
  const int barW = qMin(Scaled(pillarWidth_), qMax(2, slot - Scaled(8)));
  for (int i = 0; i < items_.size(); ++i) {
    const int h = maxValue > 0 ? static_cast<int>((bottom - top) * items_[i].second / maxValue) : 0;
    out.append(QRect(slot * i + (slot - barW) / 2, bottom - h, barW, h));
  }
  return out;
}

void CChartViewUI::paintBars(QPainter& p) {
  const QList<QRect> bars = BarRects();
  const int slot = width() / static_cast<int>(items_.size());
  for (int i = 0; i < bars.size(); ++i) {
    const QRect& bar = bars[i];
    if (!shadowImage_.isEmpty())
      DrawImage(p, shadowImage_, QRect(bar.left(), bar.bottom() + 1, bar.width(), Scaled(shadowHeight_)));
    if (pillarImage_.isEmpty() || !DrawImage(p, pillarImage_, bar)) {
      QLinearGradient g(bar.topLeft(), bar.bottomLeft());
      g.setColorAt(0, kPalette[i % 6].lighter(115));
      g.setColorAt(1, kPalette[i % 6].darker(140));
      p.save();
      p.setPen(Qt::NoPen);
      p.setBrush(g);
      p.drawRoundedRect(QRectF(bar), Scaled(3), Scaled(3));
      p.restore();
    }
    drawLabel(p, QRect(slot * i, height() - Scaled(20), slot, Scaled(20)), items_[i].first, Qt::AlignCenter);
  }
}

void CChartViewUI::paintPie(QPainter& p) {
  double total = 0;
  for (const auto& it : items_) total += it.second;
  if (total <= 0) return;
  const int legendW = showText_ ? qMin(width() / 2, Scaled(120)) : 0;
  const int side = qMin(width() - legendW, height()) - Scaled(8);
  if (side <= 0) return;
  const QRectF pie(Scaled(4), (height() - side) / 2.0, side, side);
  p.save();
  p.setPen(QPen(QColor(0x14, 0x16, 0x1B), qMax(1, Scaled(2))));
  double start = 90.0;
  for (int i = 0; i < items_.size(); ++i) {
    const double span = items_[i].second / total * 360.0;
    p.setBrush(kPalette[i % 6]);
    p.drawPie(pie, qRound(start * 16), -qRound(span * 16));
    start -= span;
  }
  p.restore();
  const int rowH = Scaled(18);
  for (int i = 0; i < items_.size() && showText_; ++i) {
    const QRect row(int(pie.right()) + Scaled(12), Scaled(6) + i * rowH, legendW - Scaled(12), rowH);
    fillRounded(p, QRectF(row.left(), row.center().y() - Scaled(4), Scaled(8), Scaled(8)), kPalette[i % 6], Scaled(2));
    drawLabel(p, row.adjusted(Scaled(14), 0, 0, 0), items_[i].first, Qt::AlignVCenter | Qt::AlignLeft);
  }
}

}  // namespace kavro::widgets
