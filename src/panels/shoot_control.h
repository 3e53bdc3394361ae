#pragma once
// CShootControlUI: the recoil editor of the mouse page. For each of four
// weapon slots it edits 30 shots (horizontal and vertical correction with
// their directions, and the wait after the shot), stores each shot as the
// edits lose the focus, resets a slot from the factory pattern, exchanges a
// slot's pattern file through file dialogs, and draws the pattern as a spray
// path beside the numbers. Its layout is "XML/CustomControlXML/ShootControl.xml".
#include <QPointer>
#include <QString>

#include <functional>

#include "devices/device_panel.h"
#include "devices/mouse/recoil_editor.h"
#include "skin/container.h"

namespace kavro::panels {

// The spray path: the pattern's accumulated corrections, shot by shot, with
// the selected shot marked. Class name "SprayPath" in the panel's layout.
class CSprayPathUI : public skin::CControlUI {
  Q_OBJECT
 public:
  explicit CSprayPathUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("SprayPath"); }
  void setPattern(const mouse::RecoilPattern& pattern, int selectedShot);
  const std::vector<mouse::SprayPoint>& path() const { return path_; }
  void PaintStatusImage(QPainter& p) override;

 private:
  std::vector<mouse::SprayPoint> path_;
  int selected_ = mouse::kNoShot;
};

class CShootControlUI : public skin::CVerticalLayoutUI, public devices::IDevicePanel {
  Q_OBJECT
 public:
  explicit CShootControlUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("ShootControl"); }

  // ---- device panel ---------------------------------------------------------
  // The mouse page gives its folders; slot 0 and shot 0 are selected.
  void setDevice(devices::CHalvionUSBDevice* device) override;
  bool onNotify(skin::TNotifyUI& msg) override;
  void refreshFromDevice() override;

  // ---- set-up (tests and pages without a mouse device) -------------------------
  void setFolders(const mouse::RecoilFolders& folders);
  // Asks for a file: save chooses a target, otherwise a source. Empty: cancelled.
  using FileChooser = std::function<QString(bool save)>;
  void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
  // Shows a message (a language key). Default: the message dialog.
  using MessageSink = std::function<void(const QString& textKey)>;
  void setMessageSink(MessageSink sink) { message_ = std::move(sink); }

  // ---- operations ------------------------------------------------------------------
  void selectSlot(int slot);
  void selectShot(int shot);
  // Stores the selected shot from the controls; false (with a message) when
  // the file could not be written.
  bool storeShot();
  void resetSlot();
  void importSlot();
  void exportSlot();

  int selectedSlot() const { return slot_; }
  int selectedShot() const { return shot_; }
  const mouse::RecoilPattern& pattern() const { return pattern_; }
  CSprayPathUI* sprayView() const { return spray_; }

 private:
  void buildLayout();
  template <class T>
  T* find(const char* name) const;
  void showShot();
  void showDirectionTexts();
  void showPath();
  void say(const char* textKey);
  bool handleClick(const QString& name);
  bool handleSelectChanged(skin::CControlUI* sender, const QString& name);

  mouse::RecoilFolders folders_;
  mouse::RecoilPattern pattern_{};
  int slot_ = 0;
  int shot_ = mouse::kNoShot;
  bool showing_ = false;  // controls are being filled: their notifications are ours
  CSprayPathUI* spray_ = nullptr;
  FileChooser chooseFile_;
  MessageSink message_;
};

// Registers "ShootControl" / "CShootControlUI" (the panel) with the control
// factory; the spray path inside its layout comes from the panel's own builder.
void registerShootPanel();

}  // namespace kavro::panels
