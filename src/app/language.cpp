#include "app/language.h"

#include <QCoreApplication>
#include <QLocale>

#include "platform/debug.h"
#include "profiles/json_file.h"
#include "profiles/profile_paths.h"
#include "skin/paint_manager.h"
#include "skin/resource_manager.h"

namespace kavro::app {

namespace {

bool isPlainName(const QString& file) {
  return !file.isEmpty() && profiles::isPlainFileName(file.toStdString()) && !file.startsWith(QLatin1Char('.'));
}
}  // namespace

QString languageConfigPath() {
  const std::string folder = profiles::defaultDataFolderFor(QCoreApplication::applicationDirPath().toStdString());
  return QString::fromStdString(profiles::joinPath(folder, profiles::kLanguageFileName));
}

std::vector<LanguageEntry> readLanguageList(const QString& path) {
  std::vector<LanguageEntry> out;
  const profiles::DocumentRead read = profiles::readJsonDocumentChecked(path.toStdString());
  if (read.state != profiles::DocumentState::Ok || !read.document.isObject()) return out;
  const Json::Value& list = read.document["Language"];
  if (!list.isArray()) return out;
  for (const Json::Value& row : list) {
    if (!row.isObject()) continue;
    LanguageEntry e;
    e.id = row["Language_ID"].isIntegral() ? row["Language_ID"].asInt() : 0;
    e.name = QString::fromStdString(row["Language_name"].isString() ? row["Language_name"].asString() : "");
    e.file = QString::fromStdString(row["Language_file"].isString() ? row["Language_file"].asString() : "");
    e.text = QString::fromStdString(row["Language_text"].isString() ? row["Language_text"].asString() : "");
    if (!isPlainName(e.file)) continue;  // a text file outside the skin folder is never read
    if (e.text.isEmpty()) e.text = e.name;
    out.push_back(std::move(e));
  }
  return out;
}

int languageIndexOfId(const std::vector<LanguageEntry>& list, int id) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].id == id) return static_cast<int>(i);
  }
  return 0;
}

int startLanguageIndex(const std::vector<LanguageEntry>& list, std::optional<int> storedId, int desktopId) {
  return languageIndexOfId(list, storedId.value_or(desktopId));
}

int desktopLanguageId() { return QLocale().language() == QLocale::Chinese ? kChineseLanguageId : kEnglishLanguageId; }

bool applyLanguageEntry(const LanguageEntry& entry) {
  auto& rm = skin::CResourceManager::GetInstance();
  if (!rm.LoadLanguage(entry.file)) {
    dbg::printf("language: %s cannot be read\n", entry.file.toUtf8().constData());
    return false;
  }
  rm.SetLanguage(entry.name);
  skin::CPaintManagerUI::ReloadAllText();
  return true;
}

}  // namespace kavro::app
