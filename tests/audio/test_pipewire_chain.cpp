// The equaliser and voice changer against a private PipeWire daemon started
// by the test, checked with pw-dump (not through the library). Skipped with
// a message where no daemon can start.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "audio/conf_lib_loader.h"
#include "audio/device_select.h"
#include "audio/effect_chains.h"
#include "audio_test_util.h"
#include "profiles/json_file.h"

// PipeWire 0.3's filter-chain module loses a few bytes each time a chain
// with a delay or convolver is built; that is its own leak, not ours. The
// test keeps the module loaded so that the leak can be named.
extern "C" const char* __lsan_default_suppressions() { return "leak:libpipewire-module-filter-chain.so\n"; }

namespace kavro::audio {
namespace {

constexpr char kFilterChainModuleFile[] = "libpipewire-module-filter-chain.so";
constexpr std::array kModuleFolders{"/usr/lib/x86_64-linux-gnu/pipewire-0.3", "/usr/lib64/pipewire-0.3",
                                    "/usr/lib/pipewire-0.3"};

void keepFilterChainModuleLoaded() {
  for (const char* folder : kModuleFolders) {
    const std::string path = std::string(folder) + "/" + kFilterChainModuleFile;
    if (::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE) != nullptr) return;
  }
}

namespace fs = std::filesystem;

constexpr char kStockConfig[] = "/usr/share/pipewire/pipewire.conf";
constexpr char kSinkName[] = "test_headset_sink";
constexpr char kSourceName[] = "test_headset_source";
// Two null devices stand in for the headset's sink and microphone.
constexpr char kFragment[] = R"(context.objects = [
  { factory = adapter
    args = { factory.name = support.null-audio-sink node.name = test_headset_sink
             media.class = Audio/Sink audio.position = [ FL FR ] object.linger = true } }
  { factory = adapter
    args = { factory.name = support.null-audio-sink node.name = test_headset_source
             media.class = Audio/Source audio.position = [ MONO ] object.linger = true } }
]
)";

std::string findProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t colon = dirs.find(':', start);
    std::string candidate = dirs.substr(start, colon - start) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return {};
}

// The graph as pw-dump prints it.
Json::Value dumpGraph() {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen("timeout 10 pw-dump 2>/dev/null", "r"), ::pclose);
  if (!pipe) return {};
  std::string text;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) text.append(buffer, n);
  return profiles::parseJsonText(text);
}

const Json::Value* nodeNamed(const Json::Value& dump, const std::string& name) {
  for (const Json::Value& object : dump) {
    if (object["type"].asString() == "PipeWire:Interface:Node" &&
        object["info"]["props"]["node.name"].asString() == name) {
      return &object;
    }
  }
  return nullptr;
}

// Control values of a filter-chain node: Props "params" as name, value pairs.
std::map<std::string, double> controls(const Json::Value& node) {
  std::map<std::string, double> out;
  for (const Json::Value& props : node["info"]["params"]["Props"]) {
    const Json::Value& list = props["params"];
    for (Json::ArrayIndex i = 0; i + 1 < list.size(); i += 2) {
      if (list[i].isString() && list[i + 1].isNumeric()) out[list[i].asString()] = list[i + 1].asDouble();
    }
  }
  return out;
}

class PipeWireChain : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string daemon = findProgram("pipewire");
    if (daemon.empty()) GTEST_SKIP() << "pipewire is not installed: the filter chains are not tried";
    if (findProgram("pw-dump").empty()) GTEST_SKIP() << "pw-dump is not installed";
    if (!fs::exists(kStockConfig)) GTEST_SKIP() << "no PipeWire configuration at " << kStockConfig;
    fs::create_directories(config.path() + "/pipewire.conf.d");
    fs::copy_file(kStockConfig, config.path() + "/pipewire.conf");
    std::ofstream(config.path() + "/pipewire.conf.d/kavro-test.conf") << kFragment;
    startDaemon(daemon);
    if (!waitForSocket()) GTEST_SKIP() << "a private PipeWire daemon did not start (see " << runtime.file("log") << ")";
    env.set("XDG_RUNTIME_DIR", runtime.path());
    env.set("PIPEWIRE_RUNTIME_DIR", runtime.path());
    env.set("PIPEWIRE_REMOTE", std::nullopt);
    env.set("XDG_DATA_HOME", data.path());
    env.set("KAVRO_AUDIO_SIM", "1");
    env.set("KAVRO_AUDIO_SIM_SINK", kSinkName);
    env.set("KAVRO_AUDIO_SIM_SOURCE", kSourceName);
    env.set("KAVRO_AUDIO_EFFECTS", std::nullopt);
    if (nodeNamed(dumpGraph(), kSinkName) == nullptr) GTEST_SKIP() << "the private daemon shows no test sink";
    keepFilterChainModuleLoaded();
  }

  void TearDown() override {
    lib.reset();
    if (daemonPid > 0) {
      ::kill(daemonPid, SIGTERM);
      int status = 0;
      ::waitpid(daemonPid, &status, 0);
    }
  }

  void startDaemon(const std::string& program) {
    const std::string log = runtime.file("log");
    daemonPid = ::fork();
    if (daemonPid == 0) {
      int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (fd >= 0) {
        ::dup2(fd, STDOUT_FILENO);
        ::dup2(fd, STDERR_FILENO);
      }
      ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
      ::setenv("PIPEWIRE_RUNTIME_DIR", runtime.path().c_str(), 1);
      ::setenv("PIPEWIRE_CONFIG_DIR", config.path().c_str(), 1);
      ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
  }

  bool waitForSocket() {
    for (int i = 0; i < 100 && daemonPid > 0; ++i) {
      if (fs::exists(runtime.file("pipewire-0"))) return true;
      int status = 0;
      if (::waitpid(daemonPid, &status, WNOHANG) == daemonPid) {
        daemonPid = -1;
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  void start() {
    lib = std::make_unique<ConfLib>();
    ASSERT_TRUE(lib->load(test::confLibUnderTest())) << lib->loadError();
    ASSERT_EQ(lib->init(), OSCONF_OK);
    ASSERT_EQ(lib->createDeviceList(), OSCONF_OK);
    playback = *selectPlayback(lib->devices(OSCONF_LIST_PLAYBACK));
    capture = *selectCapture(lib->devices(OSCONF_LIST_CAPTURE));
  }

  std::string text(const OsConfDevice& d, const std::string& name) {
    std::string t;
    EXPECT_EQ(lib->read(d, name, &t), OSCONF_OK) << name;
    return t;
  }

  void expectGains(const std::vector<int>& gains) {
    const Json::Value dump = dumpGraph();
    const Json::Value* node = nodeNamed(dump, kEqSinkNode);
    ASSERT_NE(node, nullptr);
    auto values = controls(*node);
    for (int band = 0; band < kEqBands; ++band) {
      ASSERT_TRUE(values.count(eqGainControl(band))) << eqGainControl(band);
      EXPECT_NEAR(values[eqGainControl(band)], gains[band], 1e-3) << eqGainControl(band);
      EXPECT_NEAR(values["eq_band_" + std::to_string(band + 1) + ":Freq"], kEqBandHz[band], 1e-3);
    }
  }

  test::TempDir runtime;
  test::TempDir config;
  test::TempDir data;
  test::EnvGuard env;
  pid_t daemonPid = -1;
  std::unique_ptr<ConfLib> lib;
  OsConfDevice playback{};
  OsConfDevice capture{};
};

TEST_F(PipeWireChain, EqualiserChainPlaysToTheHeadsetSinkAndItsGainsFollowTheSliders) {
  start();
  EXPECT_EQ(text(playback, "EQ_Active"), "1");
  EXPECT_EQ(splitFeatures(text(playback, "GetSupportFeature"))[4], "1");
  const Json::Value dump = dumpGraph();
  const Json::Value* sink = nodeNamed(dump, kEqSinkNode);
  const Json::Value* output = nodeNamed(dump, kEqOutputNode);
  ASSERT_TRUE(sink && output);
  EXPECT_EQ((*sink)["info"]["props"]["media.class"].asString(), "Audio/Sink");
  EXPECT_EQ((*output)["info"]["props"]["target.object"].asString(), kSinkName);
  expectGains(std::vector<int>(kEqBands, 0));

  const std::vector<int> preset = {7, 11, 6, -3, -11, -1, 6, 13, 6, 13};
  ASSERT_EQ(lib->writeInt(playback, "Enable_EQ_GFX", 1), OSCONF_OK);
  for (int band = 0; band < kEqBands; ++band) {
    ASSERT_EQ(lib->writeInt(playback, "EQ_Slider" + std::to_string(band + 1), preset[band]), OSCONF_OK);
  }
  expectGains(preset);

  // Off: the filters go flat, the sliders keep their values.
  ASSERT_EQ(lib->writeInt(playback, "Enable_EQ_GFX", 0), OSCONF_OK);
  expectGains(std::vector<int>(kEqBands, 0));
  EXPECT_EQ(text(playback, "EQ_Slider5"), "-11");
  ASSERT_EQ(lib->writeInt(playback, "Enable_EQ_GFX", 1), OSCONF_OK);

  // A new start builds the chain with the stored gains.
  start();
  expectGains(preset);
}

TEST_F(PipeWireChain, VoiceChangerIsAVirtualMicrophoneForEachEffect) {
  start();
  EXPECT_EQ(nodeNamed(dumpGraph(), kVoiceSourceNode), nullptr);
  ASSERT_EQ(lib->writeInt(capture, "Enable_MAGICVOICE", 1), OSCONF_OK);
  for (int effect = 0; effect < kVoiceEffects; ++effect) {
    ASSERT_EQ(lib->writeInt(capture, "MagicVoice_Selection", effect), OSCONF_OK) << effect;
    EXPECT_EQ(text(capture, "MagicVoice_Active"), "1");
    const Json::Value dump = dumpGraph();
    const Json::Value* source = nodeNamed(dump, kVoiceSourceNode);
    const Json::Value* input = nodeNamed(dump, kVoiceInputNode);
    ASSERT_TRUE(source && input) << effect;
    EXPECT_EQ((*source)["info"]["props"]["media.class"].asString(), "Audio/Source");
    EXPECT_EQ((*input)["info"]["props"]["target.object"].asString(), kSourceName);
  }
  ASSERT_EQ(lib->writeInt(capture, "Enable_MAGICVOICE", 0), OSCONF_OK);
  EXPECT_EQ(text(capture, "MagicVoice_Active"), "0");
  EXPECT_EQ(nodeNamed(dumpGraph(), kVoiceSourceNode), nullptr);
}

TEST_F(PipeWireChain, WithoutTheHeadsetSinkTheEqualiserIsStoredOnly) {
  env.set("KAVRO_AUDIO_SIM_SINK", "no_such_sink");
  start();
  EXPECT_EQ(text(playback, "EQ_Active"), "0");
  EXPECT_EQ(lib->writeInt(playback, "EQ_Slider1", 5), OSCONF_OK);
  EXPECT_EQ(text(playback, "EQ_Slider1"), "5");
  EXPECT_EQ(nodeNamed(dumpGraph(), kEqSinkNode), nullptr);
}

}  // namespace
}  // namespace kavro::audio
