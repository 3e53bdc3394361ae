#pragma once
// CRichEditUI: multi-line text (plain, or formatted with rich="true").
// User changes send "textchanged"; with wantreturn="false" Enter sends
// "return" instead of starting a line.
#include "skin/label.h"

class QTextEdit;

namespace kavro::skin {

class CRichEditUI : public CLabelUI {
  Q_OBJECT
 public:
  explicit CRichEditUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("RichEdit"); }

  QString GetText() const override;
  void SetText(const QString& text) override;
  bool IsReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on);
  bool IsRich() const { return rich_; }
  int GetLimitText() const { return limit_; }
  void SetLimitText(int n) { limit_ = n; }
  void AppendText(const QString& text);
  QTextEdit* GetTextEdit() const { return edit_; }

  void SetAttribute(const QString& name, const QString& value) override;
  QString GetAttribute(const QString& name) const override;
  void OnScaleChanged() override;
  void PaintText(QPainter&) override {}

 protected:
  void DoInit() override { updateStyle(); }
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* obj, QEvent* e) override;

 private:
  void onChanged();
  void updateStyle();

  QTextEdit* edit_;
  bool readOnly_ = false, rich_ = false, wantReturn_ = true;
  int limit_ = 0;  // 0: no limit
  bool settingText_ = false;
};

}  // namespace kavro::skin
