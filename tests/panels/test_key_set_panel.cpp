// The key assignment panel's controls against a key list: what each
// function stores, how a stored code comes back into the controls, key
// capture and the download to the device.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <linux/input-event-codes.h>

#include "fake_key_target.h"
#include "hook/hook_records.h"
#include "macros/macro_key_rules.h"
#include "macros/macro_model.h"
#include "panels/key_set_control.h"
#include "skin/controls.h"
#include "skin/qt_app.h"

using namespace kavro;
using namespace kavro::panels;

namespace {

constexpr profiles::KeyCodeBytes kDefaultA{0x20, 0, 0x04};

class KeySetPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::qtApp();
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString() + "/";
    macros::MacroModel model(folder);
    model.addMacro();
    model.addMacro();
    device = std::make_unique<test::FakeKeyDevice>(folder);
    device->keys = {test::keyItem(0, kDefaultA, kDefaultA), test::keyItem(1, {0x20, 0, 0x05}, {0x20, 0, 0x05})};
    prompts = std::make_shared<test::ScriptedPrompts>();
    panel = std::make_unique<CKeySetControlUI>();
    panel->setPrompts(prompts);
    panel->setDevice(device.get());
    panel->selectKey(0);
  }
  void TearDown() override {
    panel.reset();
    device.reset();
    test::flushDeletes();
  }
  // Sets the form as the user would and stores it.
  profiles::KeyCodeBytes apply(const macros::KeySetForm& form) {
    panel->showForm(form);
    panel->applyControls();
    return device->keys[0].code;
  }
  macros::KeySetForm form(int function) {
    macros::KeySetForm f;
    f.function = function;
    return f;
  }
  skin::CControlUI* control(const char* name) { return panel->FindControlByName(QString::fromLatin1(name)); }

  QTemporaryDir dir;
  std::unique_ptr<test::FakeKeyDevice> device;
  std::shared_ptr<test::ScriptedPrompts> prompts;
  std::unique_ptr<CKeySetControlUI> panel;
};

TEST_F(KeySetPanelTest, SwingAndWheelSecondDirectionRoundTrip) {
  macros::KeySetForm wheel = form(macros::kFunctionMouseWheel);
  wheel.wheelDirectionItem = 1;
  wheel.wheelCount = 5;
  wheel.wheelDelay = 2;
  wheel.wheelSpeed = 3;
  EXPECT_EQ(apply(wheel), (profiles::KeyCodeBytes{0x12, 0x23, 0xFB}));
  EXPECT_GE(device->labelRefreshes, 1);
  panel->selectKey(1);
  panel->selectKey(0);
  EXPECT_EQ(control("keyset_mousewheel_num_edit")->GetText(), "5");
  EXPECT_EQ(qobject_cast<skin::CComboUI*>(control("keyset_mousewheel_combo"))->GetCurSel(), 1);
  EXPECT_EQ(qobject_cast<skin::CTabLayoutUI*>(control("function_switch_tablayout"))->GetCurSel(), 3);

  macros::KeySetForm swing = form(macros::kFunctionMouseSwing);
  swing.swingDirectionItem = 1;
  swing.swingCount = 5;
  EXPECT_EQ(apply(swing), (profiles::KeyCodeBytes{0x11, 0x00, 0x85}));
}

TEST_F(KeySetPanelTest, MacroRepeatAndTheDefaultShownAsFunctionZero) {
  macros::KeySetForm macro = form(macros::kFunctionMacro);
  macro.macroItem = 1;
  macro.playModeItem = macros::kPlayModeRepeatItem;
  macro.repeatCount = 7;
  EXPECT_EQ(apply(macro), (profiles::KeyCodeBytes{0x71, 1, 7}));
  panel->selectKey(0);
  EXPECT_TRUE(control("keyset_macro_cycle_layout")->IsVisible());
  EXPECT_EQ(control("keyset_macro_cycle_edit")->GetText(), "7");

  // A macro chosen without a play mode plays once.
  macros::KeySetForm once = form(macros::kFunctionMacro);
  once.macroItem = 0;
  EXPECT_EQ(apply(once), (profiles::KeyCodeBytes{0x70, 0, 0}));

  // The default code shows function 0, whatever its kind: here a macro.
  device->keys[1] = test::keyItem(1, {0x70, 0, 0}, {0x70, 0, 0});
  panel->selectKey(1);
  EXPECT_EQ(panel->readForm().function, macros::kFunctionDefault);
  EXPECT_TRUE(control("keyset_layout")->IsVisible());
}

// Deleting a macro renumbers the table under the open panel: the key being
// edited shows, and keeps, its new number.
TEST_F(KeySetPanelTest, AMacroDeletedWhileItsKeyIsOpenShowsTheRenumberedMacro) {
  macros::KeySetForm second = form(macros::kFunctionMacro);
  second.macroItem = 1;
  EXPECT_EQ(apply(second), (profiles::KeyCodeBytes{0x70, 1, 0}));

  macros::MacroModel model(dir.path().toStdString() + "/");
  model.loadIndex();
  ASSERT_TRUE(model.deleteMacro(0));
  ASSERT_TRUE(macros::renumberAfterMacroDelete(device->keys, 0));
  panel->refreshMacroNames();
  EXPECT_EQ(panel->readForm().macroItem, 0);
  panel->applyControls();
  EXPECT_EQ(device->keys[0].code, (profiles::KeyCodeBytes{0x70, 0, 0}));
}

TEST_F(KeySetPanelTest, CapturedRightAltThenAKeyGivesAltAndTheKey) {
  EXPECT_EQ(apply(form(macros::kFunctionKeyboard)), (profiles::KeyCodeBytes{0x20, 0, 0}));
  panel->captureKey(hook::keyInputForLinuxKey(KEY_RIGHTALT, true, 10));
  EXPECT_EQ(panel->readForm().modifierOption, 3);  // Alt, as for the left key
  panel->captureKey(hook::keyInputForLinuxKey(KEY_Q, false, 20));  // a release takes nothing
  panel->captureKey(hook::keyInputForLinuxKey(KEY_A, true, 30));
  EXPECT_EQ(device->keys[0].code, (profiles::KeyCodeBytes{0x20, 0x04, 0x04}));
  EXPECT_EQ(control("keyset_keyboard_text_edit")->GetUserData(), "keyboard_key_A");
  EXPECT_FALSE(control("keyset_keyboard_text_edit")->GetText().isEmpty());
}

TEST_F(KeySetPanelTest, SaveToDeviceReportsEachOutcome) {
  device->downloadAnswer = 12;  // too long by 12 events: nothing else goes out
  panel->saveToDevice();
  EXPECT_EQ(device->tableWrites, 0);
  ASSERT_EQ(prompts->notices.size(), 1u);
  EXPECT_EQ(prompts->notices[0], "message_text_16");  // no language loaded: the key itself

  device->downloadAnswer = -1;  // no macro image: said, and the key table still goes out
  panel->saveToDevice();
  EXPECT_EQ(device->tableWrites, 1);
  ASSERT_EQ(prompts->notices.size(), 2u);
  EXPECT_EQ(prompts->notices[1], "message_text_7");
  prompts->notices.clear();
  device->tableWrites = 0;
  device->profileSaves = 0;

  device->downloadAnswer = 0;
  device->refuseDownload = true;  // the device says no
  panel->saveToDevice();
  EXPECT_EQ(device->tableWrites, 1);
  EXPECT_EQ(device->profileSaves, 1);
  ASSERT_EQ(prompts->notices.size(), 1u);
  EXPECT_EQ(prompts->notices[0], "message_macro_write_failed");

  device->refuseDownload = false;
  panel->saveToDevice();
  EXPECT_EQ(device->tableWrites, 2);
  EXPECT_EQ(prompts->notices.size(), 1u);
}

}  // namespace
