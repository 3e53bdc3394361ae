#pragma once
// The program's private fonts from its "Font" folder: loaded at start in
// table order, removed at exit in reverse order. A missing or unreadable
// font is skipped without a message.
#include <QString>
#include <vector>

namespace kavro::app {

struct PrivateFont {
  QString path;
  int id = -1;  // application font id, -1 when the font was not loaded
};

extern const char* const kPrivateFontFiles[5];

std::vector<PrivateFont> loadPrivateFonts(const QString& programFolder);
void releasePrivateFonts(std::vector<PrivateFont>& fonts);

}  // namespace kavro::app
