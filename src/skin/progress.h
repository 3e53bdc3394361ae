#pragma once
// CProgressUI (a bar filled by value within a range) and CSliderUI (a
// progress bar with a thumb: "movevaluechanged" while dragging and
// "valuechanged" when the button is released).
#include "skin/label.h"

namespace kavro::skin {

// Value for a pointer position on a track; the value is clamped to the
// range and rounded to the nearest multiple of step above min.
int sliderValueFromPos(int pos, int trackStart, int trackLength, int min, int max, int step);
// Offset of the thumb centre from the track start for a value.
int sliderPosFromValue(int value, int trackLength, int min, int max);

class CProgressUI : public CLabelUI {
  Q_OBJECT
 public:
  explicit CProgressUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("Progress"); }

  bool IsHorizontal() const { return horizontal_; }
  void SetHorizontal(bool on) { horizontal_ = on; update(); }
  int GetMinValue() const { return min_; }
  int GetMaxValue() const { return max_; }
  void SetMinValue(int v);
  void SetMaxValue(int v);
  int GetValue() const { return value_; }
  // Clamped to the range; sends nothing.
  virtual void SetValue(int v);
  uint32_t GetForeColor() const { return foreColor_; }
  void SetForeColor(uint32_t argb) { foreColor_ = argb; update(); }

  void SetAttribute(const QString& name, const QString& value) override;
  QString GetAttribute(const QString& name) const override;
  void PaintStatusImage(QPainter& p) override;

 protected:
  // Rectangle of the filled part inside track.
  QRect filledRect(const QRect& track) const;

  bool horizontal_ = true;
  int min_ = 0, max_ = 100, value_ = 0;
  uint32_t foreColor_ = 0xFF2F8CFF, foreColor2_ = 0;
  bool stretchFore_ = true;
};

class CSliderUI : public CProgressUI {
  Q_OBJECT
 public:
  explicit CSliderUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("Slider"); }

  int GetChangeStep() const { return step_; }
  void SetChangeStep(int step) { step_ = qMax(1, step); }
  QSize GetThumbSize() const { return thumbSize_; }
  // Thumb rectangle in control coordinates.
  QRect GetThumbRect() const;
  bool IsDragging() const { return dragging_; }

  void SetAttribute(const QString& name, const QString& value) override;
  void PaintStatusImage(QPainter& p) override;

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  QRect trackRect() const;
  int valueAt(const QPoint& pt) const;

  int step_ = 1;
  QSize thumbSize_{14, 14};
  QString thumbImage_, thumbHotImage_, thumbPushedImage_;
  uint32_t thumbColor_ = 0xFFFFFFFF, trackColor_ = 0xFF2A2F3A;
  int trackThickness_ = 4;
  bool dragging_ = false;
};

}  // namespace kavro::skin
