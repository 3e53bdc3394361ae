#include "panels/shoot_control.h"

#include <QDir>
#include <QPainter>
#include <QPainterPath>

#include "devices/mouse/mouse_device.h"
#include "skin/controls.h"
#include "skin/dialog_builder.h"
#include "widgets/file_dialog.h"
#include "widgets/msg_wnd.h"

namespace kavro::panels {

using skin::CControlUI;

namespace {

constexpr char kLayoutFile[] = "XML/CustomControlXML/ShootControl.xml";
constexpr char kSprayClass[] = "SprayPath";
constexpr char kSprayView[] = "shoot_spray_view";
constexpr char kSlotPrefix[] = "shoot_gun_op_";
constexpr char kShotPrefix[] = "bullet_op_";
constexpr char kShotIndex[] = "bullet_select_index";
constexpr char kPrevious[] = "bullet_selected_prev";
constexpr char kNext[] = "bullet_selected_next";
constexpr char kXCheck[] = "bullet_x_check";
constexpr char kYCheck[] = "bullet_y_check";
constexpr char kXEdit[] = "bullet_x_eidt";
constexpr char kYEdit[] = "bullet_y_eidt";
constexpr char kDelayEdit[] = "bullet_delay_eidt";
constexpr char kImageSwitch[] = "shoot_image_display_switch";
constexpr char kImport[] = "shootdate_import_btn";
constexpr char kExport[] = "shootdate_export_btn";
constexpr char kSave[] = "shootdate_save_btn";
constexpr char kReset[] = "shootdate_reset_btn";

// Messages of the panel.
constexpr char kSaveFailedText[] = "shoot_save_failed_text";
constexpr char kResetMissingText[] = "shoot_reset_missing_text";
constexpr char kImportBrokenText[] = "shoot_import_broken_text";
constexpr char kReadFailedText[] = "shoot_read_failed_text";
constexpr char kSavedText[] = "shoot_saved_text";
constexpr char kFileFilter[] = "Recoil Pattern(*.Shoot)";
constexpr char kFileSuffix[] = "Shoot";

// The spray path's look.
constexpr int kPathMargin = 14;
constexpr qreal kDotRadius = 2.5;
constexpr qreal kSelectedRadius = 5.0;

class LayoutCallback : public skin::IDialogBuilderCallback {
 public:
  CControlUI* CreateControl(const QString& cls) override {
    return cls.compare(QLatin1String(kSprayClass), Qt::CaseInsensitive) == 0 ? new CSprayPathUI : nullptr;
  }
};

int numberAfterPrefix(const QString& name, const char* prefix) {
  const QLatin1String p(prefix);
  if (!name.startsWith(p)) return -1;
  bool ok = false;
  const int n = name.mid(p.size()).toInt(&ok);
  return ok ? n : -1;
}

bool isType(const skin::TNotifyUI& msg, const char* type) { return msg.sType == QLatin1String(type); }

QString runDialog(QWidget* owner, bool save) {
  return widgets::runFileDialog(owner, QString(), save, QDir::homePath(), QLatin1String(kFileFilter),
                                QLatin1String(kFileSuffix));
}

}  // namespace

// ---- spray path -------------------------------------------------------------------

CSprayPathUI::CSprayPathUI(QWidget* parent) : CControlUI(parent) {}

void CSprayPathUI::setPattern(const mouse::RecoilPattern& pattern, int selectedShot) {
  path_ = mouse::sprayPath(pattern);
  selected_ = selectedShot;
  update();
}

// The path is scaled to fit, keeping its proportions, with the start (the
// point aimed at before the first shot) drawn as a ring.
void CSprayPathUI::PaintStatusImage(QPainter& p) {
  CControlUI::PaintStatusImage(p);
  const mouse::SprayBounds b = mouse::sprayBounds(path_);
  const QRectF area = QRectF(rect()).adjusted(kPathMargin, kPathMargin, -kPathMargin, -kPathMargin);
  if (area.width() <= 0 || area.height() <= 0) return;
  const qreal spanX = std::max(1, b.maxX - b.minX), spanY = std::max(1, b.maxY - b.minY);
  const qreal scale = std::min(area.width() / spanX, area.height() / spanY);
  const QPointF offset(area.center().x() - (b.minX + b.maxX) * scale / 2, area.center().y() - (b.minY + b.maxY) * scale / 2);
  auto at = [&](int x, int y) { return QPointF(offset.x() + x * scale, offset.y() + y * scale); };
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath line(at(0, 0));
  for (const mouse::SprayPoint& pt : path_) line.lineTo(at(pt.x, pt.y));
  p.setPen(QPen(QColor(0x2F, 0x8C, 0xFF, 0x90), 1.5));
  p.drawPath(line);
  p.setPen(QPen(QColor(0xE6, 0xE8, 0xEE), 1.5));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(at(0, 0), kSelectedRadius, kSelectedRadius);
  p.setPen(Qt::NoPen);
  for (size_t i = 0; i < path_.size(); ++i) {
    const bool chosen = static_cast<int>(i) == selected_;
    p.setBrush(chosen ? QColor(0xFF, 0xB3, 0x47) : QColor(0x2F, 0x8C, 0xFF));
    const qreal r = chosen ? kSelectedRadius : kDotRadius;
    p.drawEllipse(at(path_[i].x, path_[i].y), r, r);
  }
}

// ---- panel ------------------------------------------------------------------------------

CShootControlUI::CShootControlUI(QWidget* parent) : CVerticalLayoutUI(parent) { buildLayout(); }

void CShootControlUI::buildLayout() {
  LayoutCallback callback;
  skin::CDialogBuilder builder;
  CControlUI* root = builder.Create(QString::fromLatin1(kLayoutFile), &callback);
  if (!root) return;  // the builder has said why in the debug output
  Add(root);
  spray_ = qobject_cast<CSprayPathUI*>(FindControlByName(QString::fromLatin1(kSprayView)));
}

template <class T>
T* CShootControlUI::find(const char* name) const {
  return qobject_cast<T*>(const_cast<CShootControlUI*>(this)->FindControlByName(QString::fromLatin1(name)));
}

void CShootControlUI::setDevice(devices::CHalvionUSBDevice* device) {
  if (auto* mouse = qobject_cast<devices::CHalvionMouseDevice*>(device)) {
    setFolders({mouse->recoilUserFolder(), mouse->recoilFactoryFolder()});
  }
}

void CShootControlUI::setFolders(const mouse::RecoilFolders& folders) {
  folders_ = folders;
  selectSlot(0);
  selectShot(0);
}

void CShootControlUI::refreshFromDevice() {
  if (!folders_.user.empty()) selectSlot(slot_);
}

void CShootControlUI::say(const char* textKey) {
  if (message_) return message_(QString::fromLatin1(textKey));
  widgets::CMsgWnd::ShowMessage(window(), QString(), QString::fromLatin1(textKey));
}

// ---- selection ---------------------------------------------------------------------------

void CShootControlUI::selectSlot(int slot) {
  slot_ = macros::clampRecoilSlot(slot);
  const QString name = QString::fromLatin1(kSlotPrefix) + QString::number(slot_);
  if (auto* o = qobject_cast<skin::COptionUI*>(FindControlByName(name))) o->Selected(true, false);
  pattern_ = mouse::loadPattern(folders_, slot_);
  if (shot_ != mouse::kNoShot) showShot();
  showPath();
}

void CShootControlUI::selectShot(int shot) {
  shot_ = macros::clampShot(shot);
  const QString name = QString::fromLatin1(kShotPrefix) + QString::number(shot_);
  if (auto* o = qobject_cast<skin::COptionUI*>(FindControlByName(name))) o->Selected(true, false);
  if (auto* index = find<CControlUI>(kShotIndex)) index->SetText(QString::fromStdString(mouse::shotNumberText(shot_)));
  showShot();
  showPath();
}

void CShootControlUI::showShot() {
  if (shot_ < 0) return;
  const macros::ShotSetting& s = pattern_[static_cast<size_t>(shot_)];
  showing_ = true;
  if (auto* x = find<skin::COptionUI>(kXCheck)) x->Selected(s.moveLeft, false);
  if (auto* y = find<skin::COptionUI>(kYCheck)) y->Selected(s.moveUp, false);
  if (auto* e = find<CControlUI>(kXEdit)) e->SetText(QString::number(s.horizontal));
  if (auto* e = find<CControlUI>(kYEdit)) e->SetText(QString::number(s.vertical));
  if (auto* e = find<CControlUI>(kDelayEdit)) e->SetText(QString::number(s.delay));
  showing_ = false;
  showDirectionTexts();
}

void CShootControlUI::showDirectionTexts() {
  if (auto* x = find<skin::COptionUI>(kXCheck)) x->SetText(QLatin1String(mouse::horizontalText(x->IsSelected())));
  if (auto* y = find<skin::COptionUI>(kYCheck)) y->SetText(QLatin1String(mouse::verticalText(y->IsSelected())));
}

void CShootControlUI::showPath() {
  if (spray_) spray_->setPattern(pattern_, shot_);
}

// ---- storing and files -------------------------------------------------------------------

bool CShootControlUI::storeShot() {
  if (shot_ < 0 || folders_.user.empty()) return false;
  auto textOf = [this](const char* name) {
    CControlUI* c = find<CControlUI>(name);
    return c ? c->GetText().toStdString() : std::string();
  };
  auto* x = find<skin::COptionUI>(kXCheck);
  auto* y = find<skin::COptionUI>(kYCheck);
  const macros::ShotSetting setting = mouse::shotFromControls(x && x->IsSelected(), textOf(kXEdit),
                                                              y && y->IsSelected(), textOf(kYEdit), textOf(kDelayEdit));
  if (!mouse::storeShot(folders_, slot_, shot_, setting)) {
    say(kSaveFailedText);
    return false;
  }
  pattern_ = mouse::loadPattern(folders_, slot_);
  showShot();  // the edits show the values as stored (limited to their ranges)
  showPath();
  return true;
}

void CShootControlUI::resetSlot() {
  const mouse::RecoilFileResult r = mouse::resetPattern(folders_, slot_);
  if (r == mouse::RecoilFileResult::SourceMissing || r == mouse::RecoilFileResult::NotAPattern) say(kResetMissingText);
  else if (r == mouse::RecoilFileResult::WriteFailed) say(kSaveFailedText);
  selectSlot(slot_);
}

void CShootControlUI::importSlot() {
  const QString source = chooseFile_ ? chooseFile_(false) : runDialog(window(), false);
  if (source.isEmpty()) return;
  const mouse::RecoilFileResult r = mouse::importPattern(source.toStdString(), folders_, slot_);
  if (r == mouse::RecoilFileResult::NotAPattern) say(kImportBrokenText);
  else if (r == mouse::RecoilFileResult::SourceMissing) say(kReadFailedText);
  else if (r == mouse::RecoilFileResult::WriteFailed) say(kSaveFailedText);
  selectSlot(slot_);
}

void CShootControlUI::exportSlot() {
  const QString target = chooseFile_ ? chooseFile_(true) : runDialog(window(), true);
  if (target.isEmpty()) return;
  if (mouse::exportPattern(folders_, slot_, target.toStdString()) != mouse::RecoilFileResult::Done) say(kSaveFailedText);
}

// ---- notifications ------------------------------------------------------------------------

bool CShootControlUI::onNotify(skin::TNotifyUI& msg) {
  if (!msg.pSender || !isAncestorOf(msg.pSender) || showing_) return false;
  const QString name = msg.pSender->GetName();
  if (isType(msg, skin::DUI_MSGTYPE_CLICK)) return handleClick(name);
  if (isType(msg, skin::DUI_MSGTYPE_SELECTCHANGED)) return handleSelectChanged(msg.pSender, name);
  if (isType(msg, skin::DUI_MSGTYPE_KILLFOCUS) || isType(msg, skin::DUI_MSGTYPE_RETURN)) {
    if (name != QLatin1String(kXEdit) && name != QLatin1String(kYEdit) && name != QLatin1String(kDelayEdit)) return false;
    storeShot();
    return true;
  }
  return false;
}

bool CShootControlUI::handleClick(const QString& name) {
  if (name == QLatin1String(kPrevious)) selectShot(mouse::previousShot(shot_));
  else if (name == QLatin1String(kNext)) selectShot(mouse::nextShot(shot_));
  else if (name == QLatin1String(kSave)) {
    if (storeShot()) say(kSavedText);
  } else if (name == QLatin1String(kReset)) resetSlot();
  else if (name == QLatin1String(kImport)) importSlot();
  else if (name == QLatin1String(kExport)) exportSlot();
  else return false;
  return true;
}

bool CShootControlUI::handleSelectChanged(CControlUI* sender, const QString& name) {
  auto* option = qobject_cast<skin::COptionUI*>(sender);
  const bool on = option && option->IsSelected();
  if (int slot = numberAfterPrefix(name, kSlotPrefix); slot >= 0) {
    if (on) selectSlot(slot);
    return true;
  }
  if (int shot = numberAfterPrefix(name, kShotPrefix); shot >= 0) {
    if (on) selectShot(shot);
    return true;
  }
  if (name == QLatin1String(kXCheck) || name == QLatin1String(kYCheck)) {
    // A direction is a value of the shot like the numbers: stored at once.
    showDirectionTexts();
    storeShot();
    return true;
  }
  if (name == QLatin1String(kImageSwitch)) {
    if (spray_) spray_->SetVisible(on);
    return true;
  }
  return false;
}

// ---- registration ---------------------------------------------------------------------------

void registerShootPanel() {
  auto* factory = skin::CControlFactory::GetInstance();
  factory->RegistControl(QStringLiteral("ShootControl"), [] { return new CShootControlUI; });
  factory->RegistControl(QStringLiteral("CShootControlUI"), [] { return new CShootControlUI; });
}

}  // namespace kavro::panels
