#include "panels/device_profile_prompts.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "skin/resource_manager.h"
#include "widgets/file_dialog.h"
#include "widgets/msg_wnd.h"

namespace kavro::panels {

namespace {

const QString kFilter = QStringLiteral("Profile Files(*.json)");
const QString kSuffix = QStringLiteral("json");

QString title(const char* key) { return skin::CResourceManager::GetInstance().ResolveText(QLatin1String(key)); }

// The folder the last import or export used, for the next dialog of this run.
QString& lastFolder() {
  static QString folder;
  return folder;
}

// Remembers the folder of a chosen file for the next dialog of this run.
QString runFileDialog(QWidget* owner, const QString& caption, QFileDialog::AcceptMode mode, const QString& start) {
  const QString chosen =
      widgets::runFileDialog(owner, caption, mode == QFileDialog::AcceptSave, start, kFilter, kSuffix);
  if (!chosen.isEmpty()) lastFolder() = QFileInfo(chosen).absolutePath();
  return chosen;
}

}  // namespace

QString dialogStartFolder(const QString& lastUsed, const QString& home) {
  if (!lastUsed.isEmpty() && QFileInfo(lastUsed).isDir()) return lastUsed;
  return home;
}

QString profileFileName(const QString& profileName) {
  QString name = profileName.trimmed();
  // Characters that cannot stand in a file name, or that would make it hidden
  // or a path, become '_'.
  for (QChar& c : name) {
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control) c = QLatin1Char('_');
  }
  while (name.startsWith(QLatin1Char('.'))) name.remove(0, 1);
  if (name.isEmpty()) name = QStringLiteral("profile");
  return name + QLatin1Char('.') + kSuffix;
}

QString DialogProfilePrompts::askImportPath() {
  const QString folder = dialogStartFolder(lastFolder(), QDir::homePath());
  return runFileDialog(owner_, title("profile_import_title"), QFileDialog::AcceptOpen, folder);
}

QString DialogProfilePrompts::askExportPath(const QString& profileName) {
  const QString folder = dialogStartFolder(lastFolder(), QDir::homePath());
  return runFileDialog(owner_, title("profile_export_title"), QFileDialog::AcceptSave,
                       QDir(folder).filePath(profileFileName(profileName)));
}

void DialogProfilePrompts::showNotice(const QString& text) {
  widgets::CMsgWnd::ShowMessage(owner_ ? owner_->window() : nullptr, QString(), text);
}

bool DialogProfilePrompts::askConfirmation(const QString& text) {
  return widgets::CMsgWnd::ShowMessage(owner_ ? owner_->window() : nullptr, QString(), text, 96,
                                       skin::DT_CENTER | skin::DT_VCENTER | skin::DT_WORDBREAK,
                                       widgets::CMsgWnd::kConfirmCancel) == 1;
}

QString countMessageText(const QString& key, int count) {
  QString text = skin::CResourceManager::GetInstance().ResolveText(key);
  const int at = text.indexOf(QLatin1String("%d"));
  if (at >= 0) text.replace(at, 2, QString::number(count));
  return text;
}

QString nameMessageText(const QString& key, const QString& name) {
  QString text = skin::CResourceManager::GetInstance().ResolveText(key);
  const int at = text.indexOf(QLatin1String("%1"));
  if (at >= 0) text.replace(at, 2, name);
  return text;
}

}  // namespace kavro::panels
