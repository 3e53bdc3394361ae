#include "panels/device_profile_prompts.h"

#include <QFileDialog>

#include "widgets/msg_wnd.h"
#include "skin/resource_manager.h"

namespace kavro::panels {

namespace {

const QString kFilter = QStringLiteral("Profile Files(*.json)");

QString title(const char* key) { return skin::CResourceManager::GetInstance().ResolveText(QLatin1String(key)); }

}  // namespace

QString DialogProfilePrompts::askImportPath() {
  return QFileDialog::getOpenFileName(owner_, title("profile_import_title"), QString(), kFilter);
}

QString DialogProfilePrompts::askExportPath() {
  QFileDialog dialog(owner_, title("profile_export_title"), QString(), kFilter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("json"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

void DialogProfilePrompts::showNotice(const QString& text) {
  widgets::CMsgWnd::ShowMessage(owner_ ? owner_->window() : nullptr, QString(), text);
}

QString countMessageText(const QString& key, int count) {
  QString text = skin::CResourceManager::GetInstance().ResolveText(key);
  const int at = text.indexOf(QLatin1String("%d"));
  if (at >= 0) text.replace(at, 2, QString::number(count));
  return text;
}

}  // namespace kavro::panels
