// The device objects on a private session bus with the emulated keyboard:
// properties after arrival, PropertiesChanged, the methods' effect on the
// keyboard's memory and the window, every error, DeviceRemoved on unplug;
// and kavro-config's commands against the running window and without one.
#include <gtest/gtest.h>
#include <json/json.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "app/dbus_devices.h"
#include "app/device_scripts.h"
#include "app/inter_program.h"
#include "main_wnd_fixture.h"
#include "private_bus.h"
#include "panels/device_profile.h"
#include "panels/light_control.h"
#include "sim/firmware.h"
#include "skin/window.h"

using namespace kavro;
using namespace kavro::app;

namespace {

constexpr char kKeyboardPath[] = "/com/kavro/Config/devices/keyboard";
constexpr char kProps[] = "org.freedesktop.DBus.Properties";
using test::kCommandLimitMs;

using test::PrivateBus;
[[maybe_unused]] auto* const privateBus = ::testing::AddGlobalTestEnvironment(new PrivateBus);

bool waitFor(const std::function<bool()>& done, int limitMs = 5000) { return test::waitFor(done, limitMs); }

}  // namespace

// Signals seen by the test's own bus connection.
class SignalLog : public QObject {
  Q_OBJECT
 public slots:
  void propertiesChanged(const QString&, const QVariantMap& changed, const QStringList&) { changes.append(changed); }
  void added(const QDBusObjectPath& path) { addedPaths << path.path(); }
  void removed(const QDBusObjectPath& path) { removedPaths << path.path(); }

 public:
  QList<QVariantMap> changes;
  QStringList addedPaths, removedPaths;
  bool sawChange(const QString& name, const QVariant& value) const {
    for (const QVariantMap& c : changes) {
      if (c.contains(name) && c.value(name) == value) return true;
    }
    return false;
  }
};

namespace {

class DeviceBusTest : public test::MainWndFixture {
 protected:
  void SetUp() override {
    test::useDesktopScreen("kavro-dbus-screens.json");
    MainWndFixture::SetUp();
    client = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(PrivateBus::address, "client" + QString::number(++serial)));
    ASSERT_TRUE(client->isConnected());
    client->connect(kDBusService, kKeyboardPath, kProps, "PropertiesChanged", &log,
                    SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    client->connect(kDBusService, kDBusPath, kDBusInterface, "DeviceAdded", &log, SLOT(added(QDBusObjectPath)));
    client->connect(kDBusService, kDBusPath, kDBusInterface, "DeviceRemoved", &log, SLOT(removed(QDBusObjectPath)));
    ASSERT_TRUE(bus.start());
    window = std::make_unique<CMainWnd>();
    window->setTrayMode(CMainWnd::TrayMode::None);
    window->setInputSettings(std::make_shared<input::RecordingInputSettings>());
    window->setInterProgramBus(&bus);
    ASSERT_TRUE(window->Create(nullptr, QString::fromLatin1(kProductName), skin::UI_WNDSTYLE_FRAME, 0, 0, 800, 572));
    scripts = std::make_unique<DeviceScriptService>(window.get());
    registry = std::make_unique<DeviceBusRegistry>(scripts.get(), &bus);
    ASSERT_TRUE(waitFor([&] { return devicePaths() == QStringList{kKeyboardPath}; }, 10000));
  }
  void TearDown() override {
    registry.reset();
    scripts.reset();
    MainWndFixture::TearDown();
    client.reset();
    QDBusConnection::disconnectFromBus("client" + QString::number(serial));
  }

  // A call from the test's connection; the window's loop runs meanwhile.
  QDBusMessage call(const QString& path, const char* iface, const char* method, const QList<QVariant>& args = {}) {
    QDBusMessage m = QDBusMessage::createMethodCall(kDBusService, path, iface, method);
    m.setArguments(args);
    QDBusPendingCall pending = client->asyncCall(m, kCommandLimitMs);
    EXPECT_TRUE(waitFor([&] { return pending.isFinished(); }, kCommandLimitMs));
    return pending.reply();
  }
  QDBusMessage callKeyboard(const char* method, const QList<QVariant>& args) {
    return call(kKeyboardPath, kDeviceInterface, method, args);
  }
  QStringList devicePaths() {
    QStringList out;
    const QDBusReply<QList<QDBusObjectPath>> reply(call(kDBusPath, kDBusInterface, "Devices"));
    for (const QDBusObjectPath& p : reply.value()) out << p.path();
    return out;
  }
  QVariantMap properties() {
    const QDBusReply<QVariantMap> reply(call(kKeyboardPath, kProps, "GetAll", {QString(kDeviceInterface)}));
    return reply.value();
  }
  uint8_t blockByte(size_t offset) const {
    const auto mem = emulator->firmware().memory(sim::Area::Settings);
    return mem.size() > offset ? mem[offset] : 0xFF;
  }
  // The settings block of the keyboard's slot 0 holds the lighting.
  bool keyboardShows(uint8_t effect, uint8_t red, uint8_t green, uint8_t blue) {
    return waitFor([&] {
      return blockByte(sim::block::kEffect) == effect && blockByte(sim::block::kRed) == red &&
             blockByte(sim::block::kGreen) == green && blockByte(sim::block::kBlue) == blue;
    });
  }
  panels::CDeviceProfileUI* profilePanel() {
    for (devices::IDevicePanel* p : keyboard()->panels()) {
      if (auto* panel = dynamic_cast<panels::CDeviceProfileUI*>(p)) return panel;
    }
    return nullptr;
  }

  static inline int serial = 0;
  std::unique_ptr<QDBusConnection> client;
  SignalLog log;
  InterProgramBus bus;
  std::unique_ptr<DeviceScriptService> scripts;
  std::unique_ptr<DeviceBusRegistry> registry;
};

}  // namespace

TEST_F(DeviceBusTest, TheArrivedKeyboardHasItsPropertiesAndWasAnnounced) {
  EXPECT_TRUE(log.addedPaths.contains(kKeyboardPath));
  const QVariantMap p = properties();
  EXPECT_EQ(p.value("Kind").toString(), "keyboard");
  EXPECT_TRUE(p.value("Path").toString().startsWith("sim:"));
  EXPECT_TRUE(p.value("Firmware").toString().startsWith("V"));
  EXPECT_EQ(p.value("Battery").toInt(), -1);
  EXPECT_TRUE(p.value("Connected").toBool());
  EXPECT_FALSE(p.value("Profile").toString().isEmpty());
  EXPECT_TRUE(p.value("Profiles").toStringList().contains(p.value("Profile").toString()));
  const devices::DeviceLightParams light = keyboard()->getLightParams();
  EXPECT_EQ(p.value("Effect").toInt(), light.light.mode);
  EXPECT_EQ(p.value("Brightness").toInt(), light.light.brightnessLevel);
  EXPECT_EQ(p.value("Colour").toUInt(), (uint(light.light.red) << 16) | (uint(light.light.green) << 8) | light.light.blue);
  EXPECT_GT(p.value("Effects").toStringList().size(), p.value("Effect").toInt());
}

namespace {
// "property Name s" and "method Name ii" for every member of the device
// interface in an introspection document.
QSet<QString> deviceMembers(const QString& xml) {
  QSet<QString> members;
  QXmlStreamReader r(xml);
  bool inDevice = false;
  QString method, args;
  while (!r.atEnd()) {
    r.readNext();
    const auto a = r.attributes();
    if (r.isStartElement() && r.name() == u"interface") inDevice = a.value("name") == QLatin1String(kDeviceInterface);
    if (!inDevice) continue;
    if (r.isStartElement() && r.name() == u"property")
      members << "property " + a.value("name").toString() + " " + a.value("type").toString();
    if (r.isStartElement() && r.name() == u"method") method = a.value("name").toString(), args.clear();
    if (r.isStartElement() && r.name() == u"arg") args += a.value("type").toString();
    if (r.isEndElement() && r.name() == u"method") members << "method " + method + " " + args;
  }
  return members;
}
}  // namespace

// The interface description shipped with the program is what the objects offer.
TEST_F(DeviceBusTest, TheObjectsOfferTheDescribedInterface) {
  QFile file(QStringLiteral(KAVRO_RESOURCES_DIR) + "/../src/app/com.kavro.Config.Device.xml");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QSet<QString> described = deviceMembers(QString::fromUtf8(file.readAll()));
  const QDBusReply<QString> xml(call(kKeyboardPath, "org.freedesktop.DBus.Introspectable", "Introspect"));
  EXPECT_EQ(deviceMembers(xml.value()), described);
  EXPECT_EQ(described.size(), 19);  // 15 properties, 4 methods
}

TEST_F(DeviceBusTest, SetLightingReachesTheKeyboardThePanelAndTheListeners) {
  constexpr int kStatic = 6;
  const QDBusMessage reply = callKeyboard("SetLighting", {kStatic, 2, 1, 0, uint(0x11AA33)});
  ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
  // The reply comes once the keyboard has the block.
  EXPECT_EQ(blockByte(sim::block::kEffect), kStatic);
  EXPECT_TRUE(keyboardShows(kStatic, 0x11, 0xAA, 0x33));
  EXPECT_EQ(blockByte(sim::block::kBrightness), 2);
  auto* panel = panels::CLightControlUI::panelOf(keyboard());
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->getEffectIndex(), kStatic);
  EXPECT_EQ(panel->getBrightness(), 2);
  EXPECT_TRUE(waitFor([&] { return log.sawChange("Effect", kStatic) && log.sawChange("Colour", uint(0x11AA33)); }));

  // Values given as "keep" stay as they are.
  ASSERT_EQ(callKeyboard("SetLighting", {-1, 4, -1, -1, kKeepColourWord}).type(), QDBusMessage::ReplyMessage);
  EXPECT_TRUE(keyboardShows(kStatic, 0x11, 0xAA, 0x33));
  EXPECT_EQ(blockByte(sim::block::kBrightness), 4);

  // A change made in the window is announced as well.
  log.changes.clear();
  panel->setBrightness(1);
  window->GetPaintManager().SendNotify(pageControl("deng_light_slider"), skin::DUI_MSGTYPE_VALUECHANGED);
  EXPECT_TRUE(waitFor([&] { return log.sawChange("Brightness", 1); }));
}

TEST_F(DeviceBusTest, ApplyProfileSwitchesTheKeyboardAndTheProfileBar) {
  panels::CDeviceProfileUI* bar = profilePanel();
  ASSERT_NE(bar, nullptr);
  const QString first = bar->profileName(bar->currentProfileIndex());
  const uint8_t firstEffect = keyboard()->getLightParams().light.mode;
  ASSERT_TRUE(bar->addProfile());
  const QString second = bar->profileName(bar->currentProfileIndex());
  ASSERT_NE(first, second);
  ASSERT_EQ(callKeyboard("SetLighting", {firstEffect == 6 ? 5 : 6, -1, -1, -1, kKeepColourWord}).type(),
            QDBusMessage::ReplyMessage);

  const QDBusMessage reply = callKeyboard("ApplyProfile", {first});
  ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
  EXPECT_EQ(bar->profileName(bar->currentProfileIndex()), first);
  EXPECT_EQ(blockByte(sim::block::kEffect), firstEffect);
  EXPECT_EQ(properties().value("Profile").toString(), first);
  EXPECT_TRUE(waitFor([&] { return log.sawChange("Profile", first); }));
}

TEST_F(DeviceBusTest, BadRequestsChangeNothingAndSayWhy) {
  const devices::DeviceLightParams before = keyboard()->getLightParams();
  const std::vector<uint8_t> memory = emulator->firmware().memory(sim::Area::Settings);
  struct Case {
    const char* method;
    QList<QVariant> args;
    const char* error;
  };
  const std::vector<Case> cases = {
      {"ApplyProfile", {QString("No Such Profile")}, cli::kErrorUnknownProfile},
      {"SetLighting", {999, -1, -1, -1, kKeepColourWord}, cli::kErrorOutOfRange},
      {"SetLighting", {0, -1, -1, -1, kKeepColourWord}, cli::kErrorOutOfRange},  // an effect the panel hides
      {"SetLighting", {6, 9, -1, -1, kKeepColourWord}, cli::kErrorOutOfRange},
      {"SetLighting", {6, 1, 7, -1, kKeepColourWord}, cli::kErrorOutOfRange},
      {"SetLighting", {6, 1, 1, 2, kKeepColourWord}, cli::kErrorOutOfRange},
      {"SetLighting", {6, 1, 1, 1, uint(0x1000000)}, cli::kErrorOutOfRange},
      {"SetDpiStage", {1}, cli::kErrorWrongKind},
      {"SetEqualiserPreset", {1}, cli::kErrorWrongKind},
  };
  for (const Case& c : cases) {
    const QDBusMessage reply = callKeyboard(c.method, c.args);
    EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage) << c.method;
    EXPECT_EQ(reply.errorName().toStdString(), c.error) << c.method;
    EXPECT_FALSE(reply.errorMessage().isEmpty());
  }
  EXPECT_EQ(keyboard()->getLightParams().light, before.light);
  EXPECT_EQ(emulator->firmware().memory(sim::Area::Settings), memory);
  // A kind with no device has no object.
  EXPECT_EQ(call("/com/kavro/Config/devices/mouse", kDeviceInterface, "SetDpiStage", {1}).type(),
            QDBusMessage::ErrorMessage);
}

TEST_F(DeviceBusTest, ASilentKeyboardIsADeviceError) {
  emulator->firmware().addFault(sim::Fault{sim::FaultKind::Silence, -1});
  const QDBusMessage reply = callKeyboard("SetLighting", {6, -1, -1, -1, kKeepColourWord});
  EXPECT_EQ(reply.errorName().toStdString(), cli::kErrorDevice);
  emulator->firmware().clearFaults();
}

TEST_F(DeviceBusTest, UnplugRemovesTheObjectAndEndsWaitingRequests) {
  // The keyboard takes its time; it is unplugged before it answers.
  emulator->firmware().addFault(sim::Fault{sim::FaultKind::Slow, -1, 0, 3000});
  std::optional<cli::CallResult> result;
  scripts->setLighting("keyboard", cli::LightValues{6, -1, -1, -1, cli::kKeepColour},
                       [&](const cli::CallResult& r) { result = r; });
  ASSERT_FALSE(result);
  emulator->unplug();
  ASSERT_TRUE(waitFor([&] { return result.has_value(); }, 10000));
  EXPECT_EQ(result->errorName, cli::kErrorNoDevice);
  EXPECT_TRUE(waitFor([&] { return log.removedPaths.contains(kKeyboardPath); }));
  EXPECT_TRUE(devicePaths().isEmpty());
  EXPECT_EQ(callKeyboard("ApplyProfile", {QString("Profile 1")}).type(), QDBusMessage::ErrorMessage);
}

// ---- kavro-config against the running window --------------------------------------

namespace {

using test::CommandRun;
using test::parseJson;
using test::runCommand;

}  // namespace

TEST_F(DeviceBusTest, CommandsGoToTheRunningWindow) {
  QTemporaryDir runtime;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_RUNTIME_DIR", runtime.path());
  CommandRun r = runCommand({"devices", "--json"}, env);
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  Json::Value v = parseJson(r.out);
  ASSERT_EQ(v["devices"].size(), 1u);
  EXPECT_EQ(v["devices"][0]["kind"].asString(), "keyboard");

  r = runCommand({"light", "keyboard", "--effect", "Static", "--colour", "2040ff"}, env);
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(keyboardShows(6, 0x20, 0x40, 0xFF));
  EXPECT_EQ(panels::CLightControlUI::panelOf(keyboard())->getEffectIndex(), 6);

  r = runCommand({"profile", "keyboard", "nope"}, env);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.contains("nope"));
  EXPECT_EQ(runCommand({"dpi", "1"}, env).exitCode, 2);
  EXPECT_EQ(runCommand({"eq", "0"}, env).exitCode, 2);
  EXPECT_EQ(runCommand({"light", "keyboard", "--brightness", "9"}, env).exitCode, 1);
  EXPECT_EQ(runCommand({"light"}, env).exitCode, 1);
}

// ---- kavro-config without a running program ------------------------------------------

TEST(HeadlessCommands, TheDeviceCodeRunsWithoutAWindowAgainstKavroSim) {
  QTemporaryDir home;
  const QString simDir = home.filePath("sim");
  QProcess sim;
  sim.start(QStringLiteral(KAVRO_SIM_EXE), {"--dir", simDir, "--devices", "keyboard", "--fresh", "--quiet"});
  ASSERT_TRUE(sim.waitForStarted(10000));
  ASSERT_TRUE(waitFor([&] { return QFile::exists(simDir + "/keyboard-if1.sock"); }, 10000));

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home.filePath("no-bus"));
  env.insert("KAVRO_SIM_DIR", simDir);
  env.insert("XDG_DATA_HOME", home.filePath("data"));
  env.insert("XDG_CONFIG_HOME", home.filePath("config"));
  env.insert("XDG_RUNTIME_DIR", home.path());

  CommandRun r = runCommand({"light", "keyboard", "--effect", "6", "--colour", "0000FF", "--brightness", "3"}, env);
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  // A second run reads back what the first one left on the keyboard and in its profile.
  r = runCommand({"devices", "--json"}, env);
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  const Json::Value v = parseJson(r.out);
  ASSERT_EQ(v["devices"].size(), 1u);
  EXPECT_EQ(v["devices"][0]["lighting"]["effect"].asInt(), 6);
  EXPECT_EQ(v["devices"][0]["lighting"]["colour"].asString(), "0000FF");
  EXPECT_EQ(v["devices"][0]["lighting"]["brightness"].asInt(), 3);

  r = runCommand({"profile", "keyboard"}, env);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.out.startsWith("* "));
  EXPECT_EQ(runCommand({"profile", "keyboard", "nope"}, env).exitCode, 1);
  EXPECT_EQ(runCommand({"battery", "--json"}, env).exitCode, 0);
  EXPECT_EQ(runCommand({"eq", "1"}, env).exitCode, 2);

  sim.closeWriteChannel();
  if (!sim.waitForFinished(5000)) sim.kill();
}

#include "test_dbus_devices.moc"
