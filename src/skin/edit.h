#pragma once
// CEditUI: one-line text entry with number-only, length and value limits.
// Typing sends "textchanged", Enter "return"; focus changes send "setfocus"
// and "killfocus". Value limits are applied when the entry is committed
// (Enter or focus loss), so that typing may pass through smaller numbers.
#include "skin/label.h"

class QLineEdit;

namespace kavro::skin {

// The committed text of a number field: clamped to [min, max] when those
// are set; an empty or unreadable text becomes min (or stays empty without
// limits).
QString clampNumberText(const QString& text, bool hasMin, int min, bool hasMax, int max);

class CEditUI : public CLabelUI {
  Q_OBJECT
 public:
  explicit CEditUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("Edit"); }

  QString GetText() const override;
  void SetText(const QString& text) override;
  bool IsReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on);
  bool IsNumberOnly() const { return numberOnly_; }
  void SetNumberOnly(bool on);
  int GetMaxChar() const { return maxChar_; }
  void SetMaxChar(int n);
  void SetMinValue(int v);
  void SetMaxValue(int v);
  bool IsPasswordMode() const { return password_; }
  void SetPasswordMode(bool on);
  QString GetPromptText() const { return prompt_; }
  void SetPromptText(const QString& text);
  void SetSel(int start, int end);
  void SetSelAll();
  // Applies the value limits now (as on Enter or focus loss).
  void CommitValue();
  QLineEdit* GetLineEdit() const { return edit_; }

  void SetAttribute(const QString& name, const QString& value) override;
  QString GetAttribute(const QString& name) const override;
  void ReloadText() override;
  void OnScaleChanged() override;
  void PaintText(QPainter&) override {}

 protected:
  void DoInit() override { updateStyle(); }
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* obj, QEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;

 private:
  void updateValidator();
  void updateStyle();

  QLineEdit* edit_;
  bool readOnly_ = false, numberOnly_ = false, password_ = false;
  int maxChar_ = 255;
  bool hasMin_ = false, hasMax_ = false;
  int minValue_ = 0, maxValue_ = 0;
  QString prompt_;
  uint32_t promptColor_ = 0xFF6B7180;
};

}  // namespace kavro::skin
