// The recoil editor panel on its real layout, over folders of its own: shot
// selection at the ends, a stored shot's file layout, reset, import and
// export through the file chooser, and the spray path beside the numbers.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "macros/recoil_data.h"
#include "panels/shoot_control.h"
#include "profiles/json_file.h"
#include "skin/controls.h"
#include "skin/qt_app.h"

using namespace kavro;
using namespace kavro::panels;

namespace {

namespace fs = std::filesystem;

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct ShootRig {
  test::AppGuard app;
  QTemporaryDir user, factory;
  CShootControlUI panel;
  std::vector<QString> messages;
  QString chosen;  // what the file chooser answers

  ShootRig() {
    for (int slot = 0; slot < macros::kRecoilSlotCount; ++slot) {
      const std::string name = macros::shootFileName(slot);
      fs::copy_file(std::string(KAVRO_RESOURCES_DIR) + "/DefaultData/" + name,
                    factory.filePath(QString::fromStdString(name)).toStdString());
    }
    panel.setMessageSink([this](const QString& key) { messages.push_back(key); });
    panel.setFileChooser([this](bool) { return chosen; });
    panel.setFolders({user.path().toStdString(), factory.path().toStdString()});
  }
  skin::CControlUI* c(const char* name) { return panel.FindControlByName(QString::fromLatin1(name)); }
  bool notify(const char* type, const char* name) {
    skin::TNotifyUI msg;
    msg.sType = QString::fromLatin1(type);
    msg.pSender = c(name);
    EXPECT_NE(msg.pSender, nullptr) << name;
    return panel.onNotify(msg);
  }
  void edit(const char* name, const QString& text) {
    c(name)->SetText(text);
    notify(skin::DUI_MSGTYPE_KILLFOCUS, name);
  }
  void check(const char* name, bool on) {
    qobject_cast<skin::COptionUI*>(c(name))->Selected(on, false);
    notify(skin::DUI_MSGTYPE_SELECTCHANGED, name);
  }
  std::string userFile(int slot) const { return user.filePath(QString::fromStdString(macros::shootFileName(slot))).toStdString(); }
  std::string factoryFile(int slot) const {
    return factory.filePath(QString::fromStdString(macros::shootFileName(slot))).toStdString();
  }
};

TEST(ShootPanel, PreviousAndNextStayWithinTheThirtyShots) {
  ShootRig rig;
  EXPECT_EQ(rig.panel.selectedShot(), 0);
  EXPECT_TRUE(rig.notify(skin::DUI_MSGTYPE_CLICK, "bullet_selected_prev"));
  EXPECT_EQ(rig.panel.selectedShot(), 0);
  EXPECT_EQ(rig.c("bullet_select_index")->GetText(), "1");
  rig.check("bullet_op_29", true);
  EXPECT_EQ(rig.panel.selectedShot(), 29);
  EXPECT_TRUE(rig.notify(skin::DUI_MSGTYPE_CLICK, "bullet_selected_next"));
  EXPECT_EQ(rig.panel.selectedShot(), 29);
  EXPECT_EQ(rig.c("bullet_select_index")->GetText(), "30");
  EXPECT_TRUE(qobject_cast<skin::COptionUI*>(rig.c("bullet_op_29"))->IsSelected());
}

TEST(ShootPanel, AStoredShotKeepsTheFourStepLayoutAndRedrawsThePath) {
  ShootRig rig;
  rig.check("shoot_gun_op_2", true);
  rig.check("bullet_op_4", true);
  rig.check("bullet_x_check", true);
  EXPECT_EQ(rig.c("bullet_x_check")->GetText(), "mouse_move_to_left_text");
  rig.edit("bullet_x_eidt", "12");
  rig.edit("bullet_y_eidt", "999");  // limited to one byte
  rig.edit("bullet_delay_eidt", "70");
  EXPECT_EQ(rig.c("bullet_y_eidt")->GetText(), "255");

  const Json::Value events = profiles::readJsonDocument(rig.userFile(2))["Events"];
  ASSERT_EQ(events.size(), static_cast<Json::ArrayIndex>(macros::kEventsPerPattern));
  const Json::Value& press = events[16];
  EXPECT_EQ(press["Action"].asString(), "down");
  EXPECT_TRUE(press["Delay"].isInt());
  EXPECT_EQ(press["Delay"].asInt(), macros::kShotPressDelay);
  EXPECT_EQ(events[17]["Delay"].asInt(), macros::kShotReleaseDelay);
  EXPECT_EQ(events[18]["Action"].asString(), "down");  // left
  EXPECT_EQ(events[18]["Button"].asInt(), 12);
  EXPECT_EQ(events[18]["Delay"].asInt(), macros::kShotHorizontalDelay);
  EXPECT_EQ(events[19]["Action"].asString(), "up");  // down the screen
  EXPECT_EQ(events[19]["Button"].asInt(), 255);
  EXPECT_EQ(events[19]["Delay"].asInt(), 70);
  // Every other shot is the factory's.
  const macros::RecoilPattern factory = macros::readPattern(profiles::readJsonDocument(rig.factoryFile(2)));
  for (int shot = 0; shot < macros::kShotsPerPattern; ++shot) {
    if (shot != 4) {
      EXPECT_EQ(rig.panel.pattern()[static_cast<size_t>(shot)], factory[static_cast<size_t>(shot)]) << shot;
    }
  }
  // The picture follows the pattern: shot 4 moved the aim 12 to the left.
  const auto& path = rig.panel.sprayView()->path();
  ASSERT_EQ(path.size(), static_cast<size_t>(macros::kShotsPerPattern));
  EXPECT_EQ(path[4].x - path[3].x, -12);
  EXPECT_TRUE(rig.messages.empty());
}

TEST(ShootPanel, ResetCopiesTheFactoryFileAndAMissingOneChangesNothing) {
  ShootRig rig;
  rig.edit("bullet_x_eidt", "40");
  ASSERT_TRUE(fs::exists(rig.userFile(0)));
  EXPECT_TRUE(rig.notify(skin::DUI_MSGTYPE_CLICK, "shootdate_reset_btn"));
  EXPECT_EQ(fileText(rig.userFile(0)), fileText(rig.factoryFile(0)));
  EXPECT_EQ(rig.c("bullet_x_eidt")->GetText(), QString::number(rig.panel.pattern()[0].horizontal));

  rig.check("shoot_gun_op_1", true);
  rig.edit("bullet_delay_eidt", "33");
  const std::string before = fileText(rig.userFile(1));
  fs::remove(rig.factoryFile(1));
  rig.notify(skin::DUI_MSGTYPE_CLICK, "shootdate_reset_btn");
  EXPECT_EQ(fileText(rig.userFile(1)), before);
  EXPECT_EQ(rig.messages, std::vector<QString>{"shoot_reset_missing_text"});
}

TEST(ShootPanel, ImportRefusesABrokenPatternAndExportWritesOneThatImportsBack) {
  ShootRig rig;
  rig.edit("bullet_x_eidt", "21");
  const std::string before = fileText(rig.userFile(0));

  QTemporaryDir outside;
  const QString broken = outside.filePath("broken.Shoot");
  {
    std::ofstream(broken.toStdString()) << R"({"Events": [{"Action": "down", "Button": 1, "Delay": 10, "Type": 1}]})";
  }
  rig.chosen = broken;
  rig.notify(skin::DUI_MSGTYPE_CLICK, "shootdate_import_btn");
  EXPECT_EQ(rig.messages, std::vector<QString>{"shoot_import_broken_text"});
  EXPECT_EQ(fileText(rig.userFile(0)), before);

  rig.chosen = outside.filePath("slot0.Shoot");
  rig.notify(skin::DUI_MSGTYPE_CLICK, "shootdate_export_btn");
  const macros::RecoilPattern exported = rig.panel.pattern();
  rig.check("shoot_gun_op_3", true);
  rig.notify(skin::DUI_MSGTYPE_CLICK, "shootdate_import_btn");
  EXPECT_EQ(rig.panel.selectedSlot(), 3);
  EXPECT_EQ(rig.panel.pattern(), exported);
  EXPECT_EQ(rig.panel.pattern()[0].horizontal, 21);
  EXPECT_EQ(rig.messages.size(), 1u);

  // A cancelled dialog does nothing.
  rig.chosen.clear();
  rig.notify(skin::DUI_MSGTYPE_CLICK, "shootdate_import_btn");
  EXPECT_EQ(rig.panel.pattern(), exported);
}

TEST(ShootPanel, AFailedSaveIsReportedAndTheFileKeepsItsShot) {
  ShootRig rig;
  rig.edit("bullet_x_eidt", "7");
  profiles::testing::setWriteFault(profiles::testing::WriteFault::Rename);
  rig.edit("bullet_x_eidt", "9");
  profiles::testing::setWriteFault(profiles::testing::WriteFault::None);
  EXPECT_EQ(rig.messages, std::vector<QString>{"shoot_save_failed_text"});
  EXPECT_EQ(macros::readPattern(profiles::readJsonDocument(rig.userFile(0)))[0].horizontal, 7);
}

}  // namespace
