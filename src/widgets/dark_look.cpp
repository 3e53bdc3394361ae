#include "widgets/dark_look.h"

#include <QWidget>

namespace kavro::widgets {

namespace {
// Colours of the skin (see resources/skin/res.xml).
const QColor kWindow(0x1B, 0x1F, 0x26);
const QColor kField(0x15, 0x18, 0x1E);
const QColor kFieldAlternate(0x1A, 0x1E, 0x25);
const QColor kButton(0x26, 0x2B, 0x35);
const QColor kText(0xE6, 0xE8, 0xEE);
const QColor kDimText(0x8A, 0x93, 0xA3);
const QColor kDisabledText(0x5F, 0x66, 0x73);
const QColor kAccent(0x2F, 0x8C, 0xFF);
const QColor kBorder(0x34, 0x3A, 0x46);

// Frames and scroll bars that the palette alone leaves light in some styles.
constexpr char kStyleSheet[] =
    "QLabel { color: #C9CED8; }"
    "QLineEdit, QComboBox, QAbstractItemView { background: #15181E; color: #E6E8EE;"
    " border: 1px solid #343A46; border-radius: 4px; selection-background-color: #2F8CFF; }"
    "QPushButton { background: #262B35; color: #E6E8EE; border: 1px solid #343A46;"
    " border-radius: 6px; padding: 4px 12px; }"
    "QToolButton { background: #262B35; border: 1px solid #343A46; border-radius: 6px; padding: 2px; }"
    "QPushButton:hover, QToolButton:hover { background: #2F3542; }"
    "QPushButton:default { background: #2F8CFF; border-color: #2F8CFF; color: #FFFFFF; }"
    "QPushButton:disabled { color: #5F6673; }"
    "QHeaderView::section { background: #1B1F26; color: #8A93A3; border: none;"
    " border-bottom: 1px solid #343A46; padding: 4px; }"
    "QScrollBar { background: #15181E; width: 10px; height: 10px; }"
    "QScrollBar::handle { background: #343A46; border-radius: 4px; min-height: 24px; min-width: 24px; }"
    "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }";
}  // namespace

QPalette darkPalette() {
  QPalette p;
  p.setColor(QPalette::Window, kWindow);
  p.setColor(QPalette::WindowText, kText);
  p.setColor(QPalette::Base, kField);
  p.setColor(QPalette::AlternateBase, kFieldAlternate);
  p.setColor(QPalette::Text, kText);
  p.setColor(QPalette::PlaceholderText, kDimText);
  p.setColor(QPalette::Button, kButton);
  p.setColor(QPalette::ButtonText, kText);
  p.setColor(QPalette::BrightText, Qt::white);
  p.setColor(QPalette::Highlight, kAccent);
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::ToolTipBase, kWindow);
  p.setColor(QPalette::ToolTipText, kText);
  p.setColor(QPalette::Link, kAccent);
  p.setColor(QPalette::Light, kBorder);
  p.setColor(QPalette::Midlight, kBorder);
  p.setColor(QPalette::Mid, kBorder);
  p.setColor(QPalette::Dark, kField);
  p.setColor(QPalette::Shadow, Qt::black);
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    p.setColor(QPalette::Disabled, role, kDisabledText);
  }
  return p;
}

void applyDarkLook(QWidget* window) {
  if (!window) return;
  window->setPalette(darkPalette());
  window->setAutoFillBackground(true);
  window->setStyleSheet(QString::fromLatin1(kStyleSheet));
}

}  // namespace kavro::widgets
