#include "skin/attr_parse.h"

#include <QStringList>

namespace kavro::skin {

bool parseColor(const QString& text, uint32_t* argb) {
  QString s = text.trimmed();
  if (s.startsWith('#')) s.remove(0, 1);
  else if (s.startsWith("0x", Qt::CaseInsensitive)) s.remove(0, 2);
  if (s.size() != 6 && s.size() != 8) return false;
  bool ok = false;
  uint32_t v = s.toUInt(&ok, 16);
  if (!ok) return false;
  if (s.size() == 6) v |= 0xFF000000u;
  *argb = v;
  return true;
}

bool parseRect4(const QString& text, Rect4* out) {
  const QStringList parts = text.split(',');
  if (parts.size() != 4) return false;
  int v[4];
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    v[i] = parts[i].trimmed().toInt(&ok);
    if (!ok) return false;
  }
  *out = Rect4{v[0], v[1], v[2], v[3]};
  return true;
}

bool parseSize(const QString& text, int* w, int* h) {
  const QStringList parts = text.split(',');
  if (parts.size() != 2) return false;
  bool ok1 = false, ok2 = false;
  int a = parts[0].trimmed().toInt(&ok1);
  int b = parts[1].trimmed().toInt(&ok2);
  if (!ok1 || !ok2) return false;
  *w = a;
  *h = b;
  return true;
}

bool parseBool(const QString& text) {
  const QString s = text.trimmed().toLower();
  return s == "true" || s == "1";
}

int parseInt(const QString& text, int fallback) {
  bool ok = false;
  int v = text.trimmed().toInt(&ok);
  return ok ? v : fallback;
}

QList<QPair<QString, QString>> parseAttributeList(const QString& text) {
  QList<QPair<QString, QString>> out;
  int i = 0;
  const int n = text.size();
  while (i < n) {
    while (i < n && text[i].isSpace()) ++i;
    int nameStart = i;
    while (i < n && text[i] != '=' && !text[i].isSpace()) ++i;
    QString name = text.mid(nameStart, i - nameStart);
    while (i < n && text[i].isSpace()) ++i;
    if (name.isEmpty() || i >= n || text[i] != '=') break;
    ++i;
    while (i < n && text[i].isSpace()) ++i;
    if (i >= n || (text[i] != '\'' && text[i] != '"')) break;
    const QChar quote = text[i++];
    int valueStart = i;
    while (i < n && text[i] != quote) ++i;
    if (i >= n) break;
    out.append({name, text.mid(valueStart, i - valueStart)});
    ++i;
  }
  return out;
}

bool parseImageSpec(const QString& text, ImageSpec* out) {
  *out = ImageSpec{};
  const QString s = text.trimmed();
  if (s.isEmpty()) return false;
  if (!s.contains('=')) {
    out->file = s;
    return true;
  }
  for (const auto& [name, value] : parseAttributeList(s)) {
    if (name == "file" || name == "res") out->file = value.trimmed();
    else if (name == "source") out->hasSource = parseRect4(value, &out->source);
    else if (name == "corner") parseRect4(value, &out->corner);
    else if (name == "dest") out->hasDest = parseRect4(value, &out->dest);
    else if (name == "fade") out->fade = qBound(0, parseInt(value, 255), 255);
  }
  return out->valid();
}

}  // namespace kavro::skin
