#include "app/private_fonts.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>

namespace kavro::app {

const char* const kPrivateFontFiles[5] = {
    "Font/Simplified_Chinese.ttf",  "Font/Vortana-Regular.otf",  "Font/NotoSansThai-Regular.ttf",
    "Font/NotoSansCJKtc-Regular.otf", "Font/Metropolis-Regular.ttf",
};

std::vector<PrivateFont> loadPrivateFonts(const QString& programFolder) {
  std::vector<PrivateFont> fonts;
  for (const char* rel : kPrivateFontFiles) {
    PrivateFont f;
    f.path = QDir(programFolder).filePath(QString::fromLatin1(rel));
    QFile file(f.path);
    // The font database copies the data, so the buffer goes at once.
    if (file.open(QIODevice::ReadOnly)) f.id = QFontDatabase::addApplicationFontFromData(file.readAll());
    fonts.push_back(f);
  }
  return fonts;
}

void releasePrivateFonts(std::vector<PrivateFont>& fonts) {
  for (auto it = fonts.rbegin(); it != fonts.rend(); ++it) {
    if (it->id >= 0) QFontDatabase::removeApplicationFont(it->id);
    it->id = -1;
  }
}

}  // namespace kavro::app
