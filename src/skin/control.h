#pragma once
// CControlUI: the base of every skin control. A control is a QWidget whose
// look comes from layout attributes (colours, images, borders, fonts) and
// whose events reach the window as notifications.
#include <QHash>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "skin/attr_parse.h"
#include "skin/skin_types.h"

namespace kavro::skin {

class CPaintManagerUI;
class CContainerUI;

class CControlUI : public QWidget {
  Q_OBJECT
 public:
  explicit CControlUI(QWidget* parent = nullptr);
  ~CControlUI() override;

  virtual QString GetClass() const { return QStringLiteral("Control"); }

  // Identity and owner.
  QString GetName() const { return name_; }
  void SetName(const QString& name) { name_ = name; }
  CPaintManagerUI* GetManager() const { return manager_; }
  CControlUI* GetParent() const { return parent_; }
  // Attaches the control (and, for containers, its children) to a window.
  virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true);
  // Depth-first search of this subtree for the first control with the name.
  virtual CControlUI* FindControlByName(const QString& name);
  // Calls fn for this control and, for containers, every descendant.
  virtual void ForEach(const std::function<void(CControlUI*)>& fn) { fn(this); }

  // Text; the shown text is the language text when the text names a key.
  virtual QString GetText() const { return text_; }
  virtual void SetText(const QString& text);
  QString GetDisplayText() const;
  QString GetToolTip() const { return tooltip_; }
  void SetToolTip(const QString& tip);
  // Language texts changed: re-applies the shown texts of the subtree.
  virtual void ReloadText();

  // State, read back as set.
  bool IsVisible() const { return visible_; }
  virtual void SetVisible(bool visible = true);
  bool IsEnabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled = true);
  bool IsMouseEnabled() const { return mouseEnabled_; }
  void SetMouseEnabled(bool enabled);
  bool IsFocused() const { return hasFocus(); }
  void SetFocus() { setFocus(Qt::OtherFocusReason); }
  QString GetUserData() const { return userData_; }
  void SetUserData(const QString& data) { userData_ = data; }
  uintptr_t GetTag() const { return tag_; }
  void SetTag(uintptr_t tag) { tag_ = tag; }

  // Colours are 0xAARRGGBB.
  uint32_t GetBkColor() const { return bkColor_; }
  void SetBkColor(uint32_t argb);
  uint32_t GetBorderColor() const { return borderColor_; }
  void SetBorderColor(uint32_t argb);
  int GetBorderSize() const { return borderSize_; }
  void SetBorderSize(int size);
  QString GetBkImage() const { return bkImage_; }
  void SetBkImage(const QString& image);
  QString GetForeImage() const { return foreImage_; }
  void SetForeImage(const QString& image);

  // Size and position rules for the parent's layout, in unscaled units.
  int GetFixedWidth() const { return fixedWidth_; }
  int GetFixedHeight() const { return fixedHeight_; }
  void SetFixedWidth(int w);
  void SetFixedHeight(int h);
  int GetMinWidth() const { return minWidth_; }
  int GetMinHeight() const { return minHeight_; }
  int GetMaxWidth() const { return maxWidth_; }
  int GetMaxHeight() const { return maxHeight_; }
  Rect4 GetPadding() const { return padding_; }
  void SetPadding(const Rect4& padding);
  bool IsFloat() const { return float_; }
  void SetFloat(bool on);
  Rect4 GetFloatPos() const { return floatPos_; }
  void SetFloatPos(const Rect4& pos);
  // Rectangle in window coordinates.
  QRect GetPos() const;

  // Attributes by name; GetAttribute returns the value last set (or the live
  // value of state that code can change, such as text and visibility).
  virtual void SetAttribute(const QString& name, const QString& value);
  virtual QString GetAttribute(const QString& name) const;
  void ApplyAttributeList(const QString& list);

  // Control timers: repeated "timer" notifications with wParam = id.
  bool SetTimer(int id, int elapseMs);
  void KillTimer(int id);
  void KillTimers();
  bool HasTimer(int id) const { return timers_.contains(id); }

  // Sends a notification to the window's notify handler.
  void SendNotify(const QString& type, WPARAM wParam = 0, LPARAM lParam = 0);

  virtual bool Activate();
  void Invalidate() { update(); }
  // Asks the parent to lay its children out again (size or visibility changed).
  void NeedParentUpdate();
  virtual void NeedUpdate() {}

  // Scale of the window (DPI / 96) and a scaled length.
  double GetScale() const;
  int Scaled(int v) const { return qRound(v * GetScale()); }
  virtual void OnScaleChanged();

  // Painting steps; DoPaint runs them in order.
  virtual void DoPaint(QPainter& p);
  virtual void PaintBkColor(QPainter& p);
  virtual void PaintBkImage(QPainter& p);
  virtual void PaintStatusImage(QPainter& p);
  virtual void PaintText(QPainter& p);
  virtual void PaintBorder(QPainter& p);
  bool DrawImage(QPainter& p, const QString& image, const QRect& dest = QRect());
  qreal BorderRadius() const;
  QFont ScaledFont(int fontId) const;

  static Qt::CursorShape CursorShapeFromName(const QString& name, bool* ok = nullptr);

 protected:
  // Called once when the control first gets a window.
  virtual void DoInit() {}
  virtual void OnTimer(int id);
  virtual void OnMouseEnter() {}
  virtual void OnMouseLeave() {}

  void paintEvent(QPaintEvent*) override;
  void timerEvent(QTimerEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  bool isHot() const { return hot_; }
  void setHot(bool hot);
  void setParentControl(CControlUI* parent) { parent_ = parent; }

  QMap<QString, QString> attrs_;
  QString text_;
  uint32_t bkColor_ = 0, bkColor2_ = 0, borderColor_ = 0, hotBorderColor_ = 0, focusBorderColor_ = 0;
  int borderSize_ = 0;
  int borderRound_ = 0;
  QString bkImage_, foreImage_;
  bool contextMenu_ = false;

 private:
  QString name_;
  QString tooltip_;
  QString userData_;
  uintptr_t tag_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  bool mouseEnabled_ = true;
  bool hot_ = false;
  bool themed_ = true;  // "themed='false'": colours painted as given (user colour swatches)
  bool inited_ = false;
  bool float_ = false;
  Rect4 floatPos_;
  Rect4 padding_;
  int fixedWidth_ = 0, fixedHeight_ = 0;
  int minWidth_ = 0, minHeight_ = 0, maxWidth_ = 9999, maxHeight_ = 9999;
  CPaintManagerUI* manager_ = nullptr;
  CControlUI* parent_ = nullptr;
  QHash<int, int> timers_;  // control timer id -> QObject timer id
};

}  // namespace kavro::skin
