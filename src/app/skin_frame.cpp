#include "app/skin_frame.h"

#include <QEvent>
#include <QPainter>

#include "app/app_settings.h"
#include "platform/debug.h"
#include "skin/controls.h"
#include "skin/render.h"

namespace kavro::app {

using namespace kavro::skin;

namespace {
constexpr qreal kSwatchInset = 5;
constexpr qreal kRingWidth = 2;
}  // namespace

void CAccentSwatchUI::PaintBkColor(QPainter& p) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(Qt::NoPen);
  p.setBrush(rawColor(swatch_));
  const qreal inset = kSwatchInset * GetScale();
  p.drawEllipse(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
  p.restore();
}

// The chosen swatch carries a ring in the text colour; the hot one a thin one.
void CAccentSwatchUI::PaintBorder(QPainter& p) {
  if (!IsSelected() && !isHot()) return;
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  const qreal w = (IsSelected() ? kRingWidth : 1) * GetScale();
  p.setPen(QPen(argbColor(currentTextColor()), w));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(rect()).adjusted(w, w, -w, -w));
  p.restore();
}

CControlUI* CSkinFrame::CreateControl(const QString& className) {
  if (className.compare(QLatin1String("AccentSwatch"), Qt::CaseInsensitive) == 0) return new CAccentSwatchUI;
  return CWindowWnd::CreateControl(className);
}

void CSkinFrame::InitWindow() {
  for (const AccentChoice& a : kAccentChoices) {
    if (auto* s = Find<CAccentSwatchUI>(QString::fromLatin1(a.name))) s->setSwatch(a.color);
  }
  showSelection();
}

void CSkinFrame::showSelection() {
  const SkinTheme& t = CurrentSkinTheme();
  if (auto* o = Find<COptionUI>("skin_dark_opt")) o->Selected(t.tone == SkinTone::Dark, false);
  if (auto* o = Find<COptionUI>("skin_light_opt")) o->Selected(t.tone == SkinTone::Light, false);
  for (const AccentChoice& a : kAccentChoices) {
    auto* s = Find<COptionUI>(QString::fromLatin1(a.name));
    if (s) s->Selected((a.color & 0xFFFFFF) == (t.accent & 0xFFFFFF), false);
  }
}

void CSkinFrame::Notify(TNotifyUI& msg) {
  if (msg.pSender && msg.sType == QLatin1String(DUI_MSGTYPE_SELECTCHANGED)) {
    auto* option = qobject_cast<COptionUI*>(msg.pSender);
    if (!option || !option->IsSelected()) return;
    const QString name = option->GetName();
    if (name == QLatin1String("skin_dark_opt")) return chooseTone(SkinTone::Dark);
    if (name == QLatin1String("skin_light_opt")) return chooseTone(SkinTone::Light);
    for (const AccentChoice& a : kAccentChoices) {
      if (name == QLatin1String(a.name)) return chooseAccent(a.color);
    }
    return;
  }
  CWindowWnd::Notify(msg);
}

void CSkinFrame::chooseTone(SkinTone tone) {
  SkinTheme t = CurrentSkinTheme();
  t.tone = tone;
  apply(t);
}

void CSkinFrame::chooseAccent(uint32_t accent) {
  SkinTheme t = CurrentSkinTheme();
  t.accent = accent;
  apply(t);
}

void CSkinFrame::apply(const SkinTheme& theme) {
  SetSkinTheme(theme);
  if (!storeSkinTheme(theme)) dbg::write("skin: the choice could not be stored\n");
  showSelection();
}

// A pop-up: it goes when the user turns to another window.
void CSkinFrame::changeEvent(QEvent* e) {
  CWindowWnd::changeEvent(e);
  if (e->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible()) Close(0);
}

}  // namespace kavro::app
