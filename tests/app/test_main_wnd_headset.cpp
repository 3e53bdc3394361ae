// The main window's routing table of the headset's voice panels.
#include <gtest/gtest.h>

#include "app/main_wnd_headset.h"
#include "skin/skin_types.h"

namespace kavro::app {
namespace {

using Kind = HeadsetAction::Kind;
const QString kClick = QString::fromLatin1(skin::DUI_MSGTYPE_CLICK);
const QString kSelect = QString::fromLatin1(skin::DUI_MSGTYPE_SELECTCHANGED);
const QString kValue = QString::fromLatin1(skin::DUI_MSGTYPE_VALUECHANGED);
const QString kItem = QString::fromLatin1(skin::DUI_MSGTYPE_ITEMSELECT);

TEST(HeadsetRouting, EveryPanelControlReachesItsOperation) {
  EXPECT_EQ(headsetAction("6533_eq_option_7", kSelect, true, 0), (HeadsetAction{Kind::SelectPreset, 0, 7}));
  EXPECT_EQ(headsetAction("6533_eq_option_13", kSelect, true, 0), (HeadsetAction{Kind::SelectPreset, 0, 13}));
  EXPECT_EQ(headsetAction("6533_eq_hz_slider_9", kValue, false, -4), (HeadsetAction{Kind::ChangeBand, 9, -4}));
  EXPECT_EQ(headsetAction("custom_eq_name_combo", kItem, false, 0), (HeadsetAction{Kind::ApplyUserPreset}));
  EXPECT_EQ(headsetAction("hs_EQ_btn_save", kClick, false, 0), (HeadsetAction{Kind::SaveUserPreset}));
  EXPECT_EQ(headsetAction("hs_EQ_btn_delete", kClick, false, 0), (HeadsetAction{Kind::DeleteUserPreset}));
  EXPECT_EQ(headsetAction("6533_MicIn_option", kClick, true, 0), (HeadsetAction{Kind::ToggleMic}));
  EXPECT_EQ(headsetAction("6533_MicIn_slider", kValue, false, 55), (HeadsetAction{Kind::MicLevel, 0, 55}));
  EXPECT_EQ(headsetAction("6533_MicMoniter_option", kClick, false, 0), (HeadsetAction{Kind::ToggleMonitor}));
  EXPECT_EQ(headsetAction("6533_MicMoniter_slider", kValue, false, 9), (HeadsetAction{Kind::MonitorLevel, 0, 9}));
  EXPECT_EQ(headsetAction("magic_option_4", kSelect, true, 0), (HeadsetAction{Kind::VoiceEffect, 0, 4}));
  EXPECT_EQ(headsetAction("6533_voice_Op_tab", kSelect, true, 0), (HeadsetAction{Kind::ShowAudioTab}));
  EXPECT_EQ(headsetAction("magic_Op_tab", kSelect, true, 0), (HeadsetAction{Kind::ShowAudioTab}));
}

TEST(HeadsetRouting, TheVoiceChangerTakesTheOptionsNewStateAndDeselectionsAreIgnored) {
  // The click arrives before the option flips.
  EXPECT_EQ(headsetAction("magic_enable_option", kClick, false, 0), (HeadsetAction{Kind::VoiceChanger, 0, 1}));
  EXPECT_EQ(headsetAction("magic_enable_option", kClick, true, 0), (HeadsetAction{Kind::VoiceChanger, 0, 0}));
  EXPECT_FALSE(headsetAction("6533_eq_option_3", kSelect, false, 0));
  EXPECT_FALSE(headsetAction("magic_option_2", kSelect, false, 0));
  EXPECT_FALSE(headsetAction("6533_eq_hz_slider_2", QStringLiteral("movevaluechanged"), false, 3));
  EXPECT_FALSE(headsetAction("6533_eq_option_x", kSelect, true, 0));
  EXPECT_FALSE(headsetAction("deng_Op_tab", kSelect, true, 0));
}

}  // namespace
}  // namespace kavro::app
