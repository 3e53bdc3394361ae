// The lighting panel's layout rules and the shared synchronisation effects,
// checked row by row against the rule tables as written for the product
// (cells "E", "D", "D,H", "E,H", "E,-", "D,-"; "-" leaves a property alone).
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include "panels/light_layout_rules.h"

using namespace kavro::panels;

namespace {

GroupState cell(const QString& text) {
  const QStringList parts = text.split(',');
  GroupState s;
  const QString en = parts.value(0).trimmed();
  s.enabled = en == "E" ? Switch::On : en == "D" ? Switch::Off : Switch::Keep;
  const QString vis = parts.size() > 1 ? parts[1].trimmed() : QString("V");
  s.visible = vis == "H" ? Switch::Off : vis == "-" ? Switch::Keep : Switch::On;
  return s;
}

std::vector<int> effects(const QString& list) {
  std::vector<int> out;
  for (const QString& e : list.split(',', Qt::SkipEmptyParts)) out.push_back(e.trimmed().toInt());
  return out;
}

const LightGroup kKeyboardColumns[] = {LightGroup::EffectList, LightGroup::MultiColor, LightGroup::Color,
                                       LightGroup::Palette,    LightGroup::Direction,  LightGroup::Brightness,
                                       LightGroup::Speed};

struct KeyboardRow {
  const char* effects;
  const char* cells;  // effect list | multi | colour | palette | direction | brightness | speed
  bool same, custom, zone;
};

const KeyboardRow kKeyboard[] = {
    {"1,2,3,23,28", "E|E|E|E|E|E|E", false, false, false},
    {"4", "E|D,H|D,H|D,H|D,H|E|E", true, false, false},
    {"5,9,22", "E|E|E|E|D|E|E", true, false, false},
    {"6", "E|E|E|E|D|E|D", true, false, false},
    {"7,8,10,13,15,16,21,24", "E|E|E|E|D|E|E", false, false, false},
    {"11", "E|D,H|D,H|D,H|D,H|E|E", false, false, false},
    {"12", "E|E,H|D,H|D,H|E|E|E", false, false, false},
    {"14", "E|E|E|E|D|E|E", false, false, false},
    {"17", "E,-|D,H|D,H|D,H|D,H|E|D,H", false, false, true},
    {"18", "E|D,H|D,H|D,H|E|E|E", false, false, false},
    {"20", "E|D|E|E|D|E|D", false, true, false},
    {"25,26", "E|D|D|D|D|E|E", false, false, false},
    {"27", "E|D|D|D|D|D|D", true, false, false},
    {"0,19,29,30,99,255", "E,-|D,-|D,-|D,-|D,-|D,-|D,-", false, false, false},
};

// Enabled state only; the document's column order differs from the keyboard's.
const LightGroup kOtherColumns[] = {LightGroup::EffectList, LightGroup::MultiColor, LightGroup::Color,
                                    LightGroup::Palette,    LightGroup::Brightness, LightGroup::Speed,
                                    LightGroup::Direction};

struct OtherRow {
  std::vector<int> types;
  const char* effects;
  const char* cells;  // effect list | multi | colour | palette | brightness | speed | direction
  const char* same;   // "yes", "no" or "-"
};

const OtherRow kOthers[] = {
    {{2, 6}, "0,5", "E|E|E|E|E|E|E", "no"},
    {{2, 6}, "1", "E|D|D|D|E|E|D", "yes"},
    {{2, 6}, "6,7", "E|D|D|D|E|E|D", "no"},
    {{2, 6}, "2", "E|E|E|E|E|E|E", "yes"},
    {{2, 6}, "3", "E|D|E|E|E|D|D", "yes"},
    {{2, 6}, "4", "E|E|E|E|E|E|D", "yes"},
    {{2, 6}, "8", "E|D|D|D|D|D|D", "yes"},
    {{2, 6}, "9,20,27", "E|D|D|D|D|D|D", "no"},
    {{3, 4, 7}, "0", "E|E|E|E|E|E|E", "no"},
    {{3, 4, 7}, "1", "E|D|D|D|E|E|D", "yes"},
    {{3, 4, 7}, "2,4", "E|E|E|E|E|E|D", "yes"},
    {{3, 4, 7}, "3", "E|D|E|E|E|D|D", "yes"},
    {{3, 4, 7}, "8", "E|D|D|D|D|D|D", "yes"},
    {{3, 4, 7}, "5,6,7,9", "E|D|D|D|D|D|D", "no"},
    {{5}, "0,2,3", "E|E|E|E|E|E|-", "-"},
    {{5}, "1", "E|D|E|E|E|D|-", "-"},
    {{5}, "4", "E|D|D|D|E|E|-", "-"},
    {{5}, "5,8,12", "E|D|D|D|D|D|-", "-"},
};

}  // namespace

TEST(LightLayoutRules, EveryKeyboardRow) {
  for (const KeyboardRow& row : kKeyboard) {
    const QStringList cells = QString(row.cells).split('|');
    ASSERT_EQ(cells.size(), 7);
    for (int effect : effects(row.effects)) {
      for (bool flag : {false, true}) {
        SCOPED_TRACE(testing::Message() << "effect " << effect << " flag " << flag);
        const LightLayout l = lightLayoutFor(kLightKeyboard, effect, flag);
        for (int c = 0; c < 7; ++c) EXPECT_EQ(l[kKeyboardColumns[c]], cell(cells[c])) << "column " << c;
        // Custom colours and the second zone are hidden unless their effect shows them.
        EXPECT_EQ(l[LightGroup::Custom].visible, row.custom ? Switch::On : Switch::Off);
        EXPECT_EQ(l[LightGroup::SecondZone].visible, row.zone ? Switch::On : Switch::Off);
        if (row.zone) {
          EXPECT_EQ(l[LightGroup::SecondZone].enabled, Switch::On);
        }
        EXPECT_EQ(l[LightGroup::SameMode].visible, row.same && flag ? Switch::On : Switch::Off);
      }
    }
  }
}

TEST(LightLayoutRules, EveryRowOfTheOtherDevices) {
  for (const OtherRow& row : kOthers) {
    const QStringList cells = QString(row.cells).split('|');
    ASSERT_EQ(cells.size(), 7);
    for (int type : row.types) {
      for (int effect : effects(row.effects)) {
        for (bool flag : {false, true}) {
          SCOPED_TRACE(testing::Message() << "type " << type << " effect " << effect << " flag " << flag);
          const LightLayout l = lightLayoutFor(type, effect, flag);
          for (int c = 0; c < 7; ++c) {
            GroupState want = cell(cells[c]);
            want.visible = Switch::Keep;  // these devices never touch visibility of the groups
            EXPECT_EQ(l[kOtherColumns[c]], want) << "column " << c;
          }
          const QString same = row.same;
          const Switch sameWant = same == "-"                       ? Switch::Keep
                                  : same == "yes" && flag            ? Switch::On
                                                                     : Switch::Off;
          EXPECT_EQ(l[LightGroup::SameMode].visible, sameWant);
          EXPECT_EQ(l[LightGroup::Custom], GroupState{});
          EXPECT_EQ(l[LightGroup::SecondZone], GroupState{});
        }
      }
    }
  }
}

TEST(LightLayoutRules, UnknownDeviceTypesChangeNothing) {
  for (int type : {0, 8, -1, 100}) EXPECT_EQ(lightLayoutFor(type, 3, true), LightLayout{});
}

TEST(LightLayoutRules, SameModeIsOfferedExactlyAfterTheSharedEffects) {
  // The button follows the effects that synchronisation can copy, plus
  // keyboard effect 9.
  for (int type : {1, 2, 3, 4, 7}) {
    for (int effect = 0; effect < 40; ++effect) {
      const bool shared = commonEffectOf(type, effect).has_value() || (type == 1 && effect == 9);
      EXPECT_EQ(lightLayoutFor(type, effect, true)[LightGroup::SameMode].visible == Switch::On, shared)
          << "type " << type << " effect " << effect;
    }
  }
}

TEST(LightLayoutRules, CommonEffectsRoundTripPerKind) {
  const std::pair<CommonEffect, std::pair<int, int>> table[] = {
      {CommonEffect::Spectrum, {4, 1}}, {CommonEffect::Breathing, {5, 2}}, {CommonEffect::Static, {6, 3}},
      {CommonEffect::Blinking, {22, 4}}, {CommonEffect::Off, {27, 8}}};
  for (const auto& [effect, modes] : table) {
    EXPECT_EQ(effectForCommon(1, effect), modes.first);
    EXPECT_EQ(commonEffectOf(1, modes.first), effect);
    for (int type : {2, 3, 6, 7}) {
      EXPECT_EQ(effectForCommon(type, effect), modes.second);
      EXPECT_EQ(commonEffectOf(type, modes.second), effect);
    }
  }
  EXPECT_FALSE(commonEffectOf(1, 1).has_value());
  EXPECT_FALSE(commonEffectOf(2, 6).has_value());
  EXPECT_FALSE(commonEffectOf(0, 1).has_value());
}

TEST(LightLayoutRules, GroupControlNames) {
  EXPECT_STREQ(lightGroupControl(LightGroup::EffectList), "lighteffect_layout");
  EXPECT_STREQ(lightGroupControl(LightGroup::Palette), "colorpallet_layout");
  EXPECT_STREQ(lightGroupControl(LightGroup::SecondZone), "light_combo_ZZCCmodeSelectLayout");
  EXPECT_STREQ(lightGroupControl(LightGroup::SameMode), "deng_same_mode");
}
