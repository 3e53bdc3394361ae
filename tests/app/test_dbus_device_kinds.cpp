// The mouse's and the headset's device objects on a private session bus, with
// the emulated mouse and headset and the simulated audio card: the mouse's
// power reading, SetDpiStage in the mouse's memory, the profile and the page,
// SetEqualiserPreset on the card and the voice panel, the refused requests;
// and kavro-config's dpi, eq and battery with the window and without.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <optional>

#include "../devices/headset/headset_test_env.h"
#include "app/dbus_devices.h"
#include "app/device_script_adapter_kinds.h"
#include "app/device_scripts.h"
#include "app/inter_program.h"
#include "devices/headset/headset_device.h"
#include "devices/headset/headset_eq.h"
#include "devices/mouse/mouse_device.h"
#include "devices/mouse/mouse_settings.h"
#include "main_wnd_fixture.h"
#include "private_bus.h"
#include "sim/firmware.h"

using namespace kavro;
using namespace kavro::app;

namespace {

constexpr char kMousePath[] = "/com/kavro/Config/devices/mouse";
constexpr char kHeadsetPath[] = "/com/kavro/Config/devices/headset";
constexpr char kProps[] = "org.freedesktop.DBus.Properties";
constexpr size_t kMouseKind = 0;
constexpr size_t kHeadsetKind = 3;
// The emulated mouse's power block: 85 %, on battery, wireless, link normal.
constexpr int kEmulatedBattery = 85;

class AudioEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    qputenv("KAVRO_AUDIO_SIM", "1");
    qputenv("KAVRO_AUDIO_EFFECTS", "0");
    qunsetenv("KAVRO_AUDIO_SIM_SINK");
    qunsetenv("KAVRO_AUDIO_SIM_SOURCE");
  }
};
[[maybe_unused]] auto* const privateBus = ::testing::AddGlobalTestEnvironment(new test::PrivateBus);
[[maybe_unused]] auto* const audioEnv = ::testing::AddGlobalTestEnvironment(new AudioEnvironment);

bool waitFor(const std::function<bool()>& done, int limitMs = 5000) { return test::waitFor(done, limitMs); }

}  // namespace

// PropertiesChanged as the test's own connection sees it.
class ChangeLog : public QObject {
  Q_OBJECT
 public slots:
  void propertiesChanged(const QString&, const QVariantMap& changed, const QStringList&) { seen.append(changed); }

 public:
  bool saw(const QString& name, const QVariant& value) const {
    for (const QVariantMap& c : seen) {
      if (c.contains(name) && c.value(name) == value) return true;
    }
    return false;
  }
  QList<QVariantMap> seen;
};

namespace {

TEST(PowerReading, TheStatusBlockGivesBatteryChargingAndLink) {
  std::array<uint8_t, devices::kPowerStatusBytes> status{60, 1, 0, 1, 0, 0};
  PowerReading r = powerFromStatus(status, true);
  EXPECT_EQ(r.battery, 60);
  EXPECT_TRUE(r.charging);
  EXPECT_TRUE(r.connected);
  status[1] = 2;  // on battery
  for (uint8_t link : {1, 2}) {  // asleep, lost
    status[mouse::kStatusConnectionByte] = link;
    r = powerFromStatus(status, true);
    EXPECT_FALSE(r.charging);
    EXPECT_FALSE(r.connected) << int(link);
    EXPECT_TRUE(powerFromStatus(status, false).connected) << "a cable has no link state";
  }
  status[mouse::kStatusConnectionByte] = 4;  // battery low: still there
  EXPECT_TRUE(powerFromStatus(status, true).connected);

  // A pad on its cable has no battery, whatever level it reports.
  const std::array<uint8_t, devices::kPowerStatusBytes> pad{100, 0, 0, 0, 0, 1};
  EXPECT_EQ(padPowerFromStatus(pad).battery, -1);
  EXPECT_EQ(padPowerFromStatus({70, 1, 0, 0, 0, 0}).battery, 70);
}

class DeviceKindsBusTest : public test::MainWndFixture {
 protected:
  void SetUp() override {
    test::useDesktopScreen("kavro-dbus-kinds-screens.json");
    MainWndFixture::SetUp();
    mouseEmulator = sim::makeEmulator(sim::DeviceKind::Mouse, sim::inProcessPresence(), "buskinds-m" + tag());
    headsetEmulator = sim::makeEmulator(sim::DeviceKind::Headset, sim::inProcessPresence(), "buskinds-h" + tag());
    ASSERT_TRUE(mouseEmulator->plug());
    ASSERT_TRUE(headsetEmulator->plug());
    ++serial;
    client = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(test::PrivateBus::address, connName()));
    ASSERT_TRUE(client->isConnected());
    client->connect(kDBusService, kMousePath, kProps, "PropertiesChanged", &changes,
                    SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    ASSERT_TRUE(bus.start());
    window = std::make_unique<CMainWnd>();
    window->setTrayMode(CMainWnd::TrayMode::None);
    window->setInputSettings(std::make_shared<input::RecordingInputSettings>());
    window->setInterProgramBus(&bus);
    ASSERT_TRUE(window->Create(nullptr, QString::fromLatin1(kProductName), skin::UI_WNDSTYLE_FRAME, 0, 0, 800, 572));
    scripts = std::make_unique<DeviceScriptService>(window.get());
    registry = std::make_unique<DeviceBusRegistry>(scripts.get(), &bus);
    ASSERT_TRUE(waitFor([&] { return scripts->readyDevice("mouse") && scripts->readyDevice("headset"); }, 15000));
    ASSERT_TRUE(waitFor([&] { return headset()->audioReady(); }, 10000));
    ASSERT_TRUE(waitFor([&] { return registry->devicePaths().size() == 3; }));
  }
  void TearDown() override {
    registry.reset();
    scripts.reset();
    MainWndFixture::TearDown();
    for (auto* e : {&mouseEmulator, &headsetEmulator}) {
      if (*e) {
        EXPECT_EQ((*e)->violations(), 0u);
      }
      e->reset();
    }
    client.reset();
    QDBusConnection::disconnectFromBus(connName());
  }
  static std::string tag() { return std::to_string(serial) + "-"; }
  static QString connName() { return "kinds-client" + QString::number(serial); }

  devices::CHalvionMouseDevice* mouse() {
    return qobject_cast<devices::CHalvionMouseDevice*>(window->deviceManager()->deviceOfKind(kMouseKind));
  }
  devices::CHalvionHS6533Device* headset() {
    return qobject_cast<devices::CHalvionHS6533Device*>(window->deviceManager()->deviceOfKind(kHeadsetKind));
  }
  QDBusMessage call(const char* path, const char* method, const QList<QVariant>& args = {}) {
    QDBusMessage m = QDBusMessage::createMethodCall(kDBusService, path, kDeviceInterface, method);
    m.setArguments(args);
    QDBusPendingCall pending = client->asyncCall(m, test::kCommandLimitMs);
    EXPECT_TRUE(waitFor([&] { return pending.isFinished(); }, test::kCommandLimitMs));
    return pending.reply();
  }
  QVariant property(const char* path, const char* name) {
    QDBusMessage m = QDBusMessage::createMethodCall(kDBusService, path, kProps, "Get");
    m.setArguments({QString(kDeviceInterface), QString(name)});
    QDBusPendingCall pending = client->asyncCall(m, test::kCommandLimitMs);
    EXPECT_TRUE(waitFor([&] { return pending.isFinished(); }, test::kCommandLimitMs));
    const QDBusReply<QDBusVariant> reply(pending.reply());
    return reply.value().variant();
  }
  uint8_t mouseByte(size_t offset) const {
    const auto mem = mouseEmulator->firmware().memory(sim::Area::Settings);
    return mem.size() > offset ? mem[offset] : 0xFF;
  }
  bool optionSelected(devices::CHalvionUSBDevice* page, const QString& name) {
    skin::CControlUI* c = page->FindControlByName(name);
    if (!c) c = window->FindControl(name);
    auto* o = qobject_cast<skin::COptionUI*>(c);
    return o && o->IsSelected();
  }
  // The card's bands are those of a fixed headset preset.
  bool cardHasPreset(int preset) {
    test::CardReader card;
    const headset::EqBands bands = headset::fixedEqPreset(preset);
    for (int i = 0; i < headset::kEqBands; ++i) {
      if (card.playback("EQ_Slider" + std::to_string(i + 1)) != std::to_string(bands[size_t(i)])) return false;
    }
    return true;
  }

  static inline int serial = 0;
  ChangeLog changes;
  std::unique_ptr<sim::Emulator> mouseEmulator, headsetEmulator;
  std::unique_ptr<QDBusConnection> client;
  InterProgramBus bus;
  std::unique_ptr<DeviceScriptService> scripts;
  std::unique_ptr<DeviceBusRegistry> registry;
};

}  // namespace

TEST_F(DeviceKindsBusTest, TheMouseReportsItsPowerAndAnnouncesChanges) {
  ASSERT_TRUE(waitFor([&] { return property(kMousePath, "Battery").toInt() == kEmulatedBattery; }));
  EXPECT_FALSE(property(kMousePath, "Charging").toBool());
  EXPECT_TRUE(property(kMousePath, "Connected").toBool());
  EXPECT_EQ(property(kHeadsetPath, "Battery").toInt(), -1);

  mouseEmulator->firmware().setStatusByte(sim::status::kBattery, 40);
  mouseEmulator->firmware().setStatusByte(sim::status::kCharging, 1);
  mouse()->pollStatus();
  EXPECT_TRUE(waitFor([&] { return changes.saw("Battery", 40) && changes.saw("Charging", true); }));
  mouseEmulator->firmware().setStatusByte(sim::status::kConnection, 2);  // the link is lost
  mouse()->pollStatus();
  EXPECT_TRUE(waitFor([&] { return changes.saw("Connected", false); }));
}

TEST_F(DeviceKindsBusTest, SetDpiStageGoesThroughTheMousePage) {
  devices::CHalvionMouseDevice* m = mouse();
  const int target = m->currentStage() == 2 ? 1 : 2;
  m->setStageEnabled(target, true);
  ASSERT_TRUE(m->waitForCommands(5000));

  const QDBusMessage reply = call(kMousePath, "SetDpiStage", {target});
  ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
  // The answer comes once the mouse has the block.
  EXPECT_EQ(mouseByte(mouse::kSbCurrentStage), mouse::currentStageIndex(target));
  EXPECT_EQ(m->currentStage(), target);
  EXPECT_TRUE(optionSelected(m, "DPI_select_option_" + QString::number(target)));
  const Json::Value saved = profiles::readJsonDocument(m->profileData().getProfilePath());
  EXPECT_EQ(saved["Device"][0]["DPIStages"]["StageActive"].asInt(), target);
  // The stage in use again: nothing to write, and still a plain answer.
  EXPECT_EQ(call(kMousePath, "SetDpiStage", {target}).type(), QDBusMessage::ReplyMessage);
}

TEST_F(DeviceKindsBusTest, SetEqualiserPresetReachesTheCardTheProfileAndThePanel) {
  devices::CHalvionHS6533Device* h = headset();
  const int preset = h->audioSettings().eqType == 4 ? 2 : 3;  // counted from 0: fixed preset preset + 1
  const QDBusMessage reply = call(kHeadsetPath, "SetEqualiserPreset", {preset});
  ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
  EXPECT_TRUE(cardHasPreset(preset + 1));
  EXPECT_EQ(h->audioSettings().eqType, preset + 1);
  EXPECT_EQ(test::savedStages(*h)["EqType"].asInt(), preset + 1);
  EXPECT_TRUE(optionSelected(h, "6533_eq_option_" + QString::number(preset + 1)));
  // The last one is the custom equaliser.
  ASSERT_EQ(call(kHeadsetPath, "SetEqualiserPreset", {headset::kCustomEqPreset - 1}).type(),
            QDBusMessage::ReplyMessage);
  EXPECT_EQ(h->audioSettings().eqType, headset::kCustomEqPreset);
}

TEST_F(DeviceKindsBusTest, RefusedStagesAndPresetsChangeNothingAndSayWhy) {
  devices::CHalvionMouseDevice* m = mouse();
  const int off = m->currentStage() == 4 ? 3 : 4;
  m->setStageEnabled(off, false);
  ASSERT_TRUE(m->waitForCommands(5000));
  const int stage = m->currentStage();
  const int eqType = headset()->audioSettings().eqType;
  const std::vector<uint8_t> memory = mouseEmulator->firmware().memory(sim::Area::Settings);
  struct Case {
    const char* path;
    const char* method;
    int value;
    const char* error;
  };
  const Case cases[] = {
      {kMousePath, "SetDpiStage", int(mouse::kStageCount), cli::kErrorOutOfRange},
      {kMousePath, "SetDpiStage", -1, cli::kErrorOutOfRange},
      {kMousePath, "SetDpiStage", off, cli::kErrorOutOfRange},  // switched off on the page
      {kMousePath, "SetEqualiserPreset", 1, cli::kErrorWrongKind},
      {kHeadsetPath, "SetDpiStage", 1, cli::kErrorWrongKind},
      {kHeadsetPath, "SetEqualiserPreset", headset::kCustomEqPreset, cli::kErrorOutOfRange},
      {kHeadsetPath, "SetEqualiserPreset", -1, cli::kErrorOutOfRange},
  };
  for (const Case& c : cases) {
    const QDBusMessage reply = call(c.path, c.method, {c.value});
    EXPECT_EQ(reply.errorName().toStdString(), c.error) << c.path << " " << c.method << " " << c.value;
    EXPECT_FALSE(reply.errorMessage().isEmpty());
  }
  EXPECT_EQ(m->currentStage(), stage);
  EXPECT_EQ(mouseEmulator->firmware().memory(sim::Area::Settings), memory);
  EXPECT_EQ(headset()->audioSettings().eqType, eqType);
}

// The mouse's own write never comes back once it is gone: the request
// still ends, with an error.
TEST_F(DeviceKindsBusTest, AMouseUnpluggedBeforeItAnswersEndsTheRequest) {
  mouseEmulator->firmware().addFault(sim::Fault{sim::FaultKind::Slow, -1, 0, 3000});
  std::optional<cli::CallResult> result;
  scripts->setDpiStage("mouse", mouse()->currentStage() == 2 ? 1 : 2, [&](const cli::CallResult& r) { result = r; });
  ASSERT_FALSE(result);
  mouseEmulator->unplug();
  ASSERT_TRUE(waitFor([&] { return result.has_value(); }, 10000));
  // Which error depends on whether the removal or the failed read is seen
  // first; either way the request is not reported as done.
  EXPECT_TRUE(result->errorName == cli::kErrorNoDevice || result->errorName == cli::kErrorDevice) << result->errorName;
}

TEST_F(DeviceKindsBusTest, DpiEqAndBatteryCommandsGoToTheRunningWindow) {
  QTemporaryDir runtime;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_RUNTIME_DIR", runtime.path());
  mouse()->setStageEnabled(2, true);
  ASSERT_TRUE(mouse()->waitForCommands(5000));
  const int eqType = headset()->audioSettings().eqType;

  test::CommandRun r = test::runCommand({"dpi", "2"}, env);
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_EQ(mouse()->currentStage(), 2);
  EXPECT_EQ(mouseByte(mouse::kSbCurrentStage), mouse::currentStageIndex(2));
  r = test::runCommand({"eq", eqType == 4 ? "4" : "3"}, env);
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  const int wanted = eqType == 4 ? 5 : 4;
  EXPECT_EQ(headset()->audioSettings().eqType, wanted);
  EXPECT_TRUE(cardHasPreset(wanted));
  EXPECT_TRUE(optionSelected(headset(), "6533_eq_option_" + QString::number(wanted)));

  r = test::runCommand({"dpi", "9"}, env);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.contains("out of range")) << r.err.toStdString();
  EXPECT_EQ(test::runCommand({"eq", "13"}, env).exitCode, 1);
  r = test::runCommand({"battery", "--json"}, env);
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  bool sawMouse = false;
  const Json::Value listed = test::parseJson(r.out);
  for (const Json::Value& d : listed["devices"]) {
    if (d["kind"].asString() != "mouse") continue;
    sawMouse = true;
    EXPECT_EQ(d["battery"]["level"].asInt(), kEmulatedBattery);
  }
  EXPECT_TRUE(sawMouse) << r.out.toStdString();
}

// ---- without a running program ---------------------------------------------------------

namespace {

// Every integer saved under `key`, anywhere in the profile files below root.
std::vector<int> savedValues(const QString& root, const char* key) {
  std::vector<int> out;
  std::function<void(const Json::Value&)> walk = [&](const Json::Value& v) {
    if (v.isObject()) {
      if (v.isMember(key) && v[key].isInt()) out.push_back(v[key].asInt());
      for (const auto& name : v.getMemberNames()) walk(v[name]);
    } else if (v.isArray()) {
      for (const Json::Value& e : v) walk(e);
    }
  };
  QDirIterator it(root, {"*.json", "*.Json"}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    QFile f(it.next());
    if (f.open(QIODevice::ReadOnly)) walk(test::parseJson(QString::fromUtf8(f.readAll())));
  }
  return out;
}

}  // namespace

TEST(HeadlessKindCommands, DpiEqAndBatteryRunAgainstKavroSim) {
  QTemporaryDir home;
  const QString simDir = home.filePath("sim");
  QProcess sim;
  sim.start(QStringLiteral(KAVRO_SIM_EXE), {"--dir", simDir, "--devices", "mouse,headset", "--fresh", "--quiet"});
  ASSERT_TRUE(sim.waitForStarted(10000));
  ASSERT_TRUE(waitFor([&] { return QDir(simDir).entryList({"headset-*.sock"}, QDir::System).size() > 0; }, 10000));

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home.filePath("no-bus"));
  env.insert("KAVRO_SIM_DIR", simDir);
  env.insert("XDG_DATA_HOME", home.filePath("data"));
  env.insert("XDG_CONFIG_HOME", home.filePath("config"));
  env.insert("XDG_RUNTIME_DIR", home.path());

  // The first power poll is in before the listing.
  test::CommandRun r = test::runCommand({"battery", "--json"}, env);
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  int mouseBattery = -2;
  const Json::Value listed = test::parseJson(r.out);
  for (const Json::Value& d : listed["devices"]) {
    if (d["kind"].asString() == "mouse") mouseBattery = d["battery"]["level"].asInt();
  }
  EXPECT_EQ(mouseBattery, kEmulatedBattery) << r.out.toStdString();

  // Each command leaves its choice in the device's saved profile.
  r = test::runCommand({"dpi", "2"}, env);
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  const std::vector<int> stages = savedValues(home.filePath("data"), "StageActive");
  EXPECT_NE(std::find(stages.begin(), stages.end(), 2), stages.end()) << stages.size();
  r = test::runCommand({"eq", "3"}, env);
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  const std::vector<int> eq = savedValues(home.filePath("data"), "EqType");
  EXPECT_NE(std::find(eq.begin(), eq.end(), headset::kFirstEqPreset + 3), eq.end()) << eq.size();
  EXPECT_EQ(test::runCommand({"dpi", "5"}, env).exitCode, 1);
  EXPECT_EQ(test::runCommand({"eq", "13"}, env).exitCode, 1);
  EXPECT_EQ(test::runCommand({"light", "keyboard", "--effect", "6"}, env).exitCode, 2);

  sim.closeWriteChannel();
  if (!sim.waitForFinished(5000)) sim.kill();
}

#include "test_dbus_device_kinds.moc"
