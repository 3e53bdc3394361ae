#pragma once
// The language list ("Language.config" in the program data folder) and
// applying a language to the skin: its text file is loaded by the resource
// manager and every open window shows the new texts at once.
#include <QString>
#include <optional>
#include <vector>

namespace kavro::app {

inline constexpr int kEnglishLanguageId = 1033;
inline constexpr int kChineseLanguageId = 2052;

struct LanguageEntry {
  int id = 0;        // "Language_ID": what "LANGUAGE" stores
  QString name;      // "Language_name": given to the resource manager
  QString file;      // "Language_file": the text file in the skin folder
  QString text;      // "Language_text": shown in the language list
};

// "<program folder>/DefaultData/Language.config".
QString languageConfigPath();
// The "Language" array of the file; empty when the file is missing or
// broken. Entries without a usable file name are left out.
std::vector<LanguageEntry> readLanguageList(const QString& path);

// The index of the first entry with id; 0 when no entry has it.
int languageIndexOfId(const std::vector<LanguageEntry>& list, int id);
// The index to start with: the stored id when there is one, else the
// desktop's language when the list has it, else 0.
int startLanguageIndex(const std::vector<LanguageEntry>& list, std::optional<int> storedId, int desktopId);
// The desktop's language as a language id (2052 for Chinese, else 1033).
int desktopLanguageId();

// Loads entry's text file and re-texts every open window; false (and the
// texts unchanged) when the file cannot be read.
bool applyLanguageEntry(const LanguageEntry& entry);

}  // namespace kavro::app
