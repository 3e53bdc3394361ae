#pragma once
// CChartViewUI: a pie or bar chart of labelled values.
// "view" = "histpgram" draws bars, anything else a pie.
#include <QList>
#include <QPair>

#include "skin/control.h"

namespace kavro::widgets {

class CChartViewUI : public skin::CControlUI {
  Q_OBJECT
 public:
  explicit CChartViewUI(QWidget* parent = nullptr) : CControlUI(parent) {}

  bool Add(const QString& label, double value);
  bool AddAt(const QString& label, double value, int index);
  bool Remove(int index);
  void RemoveAll();
  int GetCount() const { return static_cast<int>(items_.size()); }
  bool IsHistogram() const { return histogram_; }

  void SetAttribute(const QString& name, const QString& value) override;
  void PaintStatusImage(QPainter& p) override;

  // Bar rectangles for the current size (used for painting and checks).
  QList<QRect> BarRects() const;

 private:
  void paintPie(QPainter& p);
  void paintBars(QPainter& p);
  void drawLabel(QPainter& p, const QRect& rc, const QString& text, int flags);

  QList<QPair<QString, double>> items_;
  bool histogram_ = false;
  QString shadowImage_, pillarImage_;
  int shadowHeight_ = 0, pillarWidth_ = 24;
  bool showHtml_ = false, showText_ = true;
  int font_ = -1;
};

}  // namespace kavro::widgets
