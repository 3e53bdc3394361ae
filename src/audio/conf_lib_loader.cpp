#include "audio/conf_lib_loader.h"

#include <dlfcn.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace kavro::audio {

struct ConfLib::Api {
  int (*init)();
  int (*uninit)();
  int (*createDeviceList)();
  int (*getDeviceCount)(int, int*);
  int (*getDeviceById)(int, int, OsConfDevice*);
  int (*propertyControl)(OsConfDevice, const char*, void*, void*, int);
  int (*registerCallback)(OsConfCallback, void*);
  int (*showAsioPanel)();
  int (*playTestSound)(OsConfDevice);
  int (*stopTestSound)(OsConfDevice);
  int (*closeTestSound)(OsConfDevice);
};

namespace {

constexpr char kSdkFolder[] = "SDK";

template <typename F>
bool resolve(void* handle, const char* name, F* out, std::string* error) {
  void* symbol = ::dlsym(handle, name);
  if (symbol == nullptr) {
    *error = std::string("function not found: ") + name;
    return false;
  }
  *out = reinterpret_cast<F>(symbol);
  return true;
}

}  // namespace

std::string confLibPath(const std::string& programFolder) {
  std::string folder = programFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + kSdkFolder + "/" + kConfLibFileName;
}

ConfLib::~ConfLib() { unload(); }

bool ConfLib::load(const std::string& path) {
  unload();
  // The library stays mapped once loaded: the sound libraries below it keep
  // process-wide caches (ALSA's configuration, PipeWire's plugins) that an
  // unmapping would leave behind unreachable.
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (handle == nullptr) {
    const char* why = ::dlerror();
    loadError_ = why ? why : "cannot open " + path;
    return false;
  }
  auto api = std::make_unique<Api>();
  std::string error;
  const bool all = resolve(handle, "ConfLibInit", &api->init, &error) &&
                   resolve(handle, "ConfLibUnInit", &api->uninit, &error) &&
                   resolve(handle, "CreateDeviceList", &api->createDeviceList, &error) &&
                   resolve(handle, "GetDeviceCount", &api->getDeviceCount, &error) &&
                   resolve(handle, "GetDeviceById", &api->getDeviceById, &error) &&
                   resolve(handle, "PropertyControl", &api->propertyControl, &error) &&
                   resolve(handle, "RegisterCallbackFunction", &api->registerCallback, &error) &&
                   resolve(handle, "ShowAsioPanel", &api->showAsioPanel, &error) &&
                   resolve(handle, "PlayTestSound", &api->playTestSound, &error) &&
                   resolve(handle, "StopTestSound", &api->stopTestSound, &error) &&
                   resolve(handle, "CloseTestSound", &api->closeTestSound, &error);
  if (!all) {
    ::dlclose(handle);
    loadError_ = error;
    return false;
  }
  handle_ = handle;
  api_ = api.release();
  loadError_.clear();
  return true;
}

// Stops the library (its effects thread ends with it) and closes it.
void ConfLib::unload() {
  if (handle_ == nullptr) return;
  if (initialised_) api_->uninit();
  initialised_ = false;
  delete api_;
  api_ = nullptr;
  ::dlclose(handle_);
  handle_ = nullptr;
}

int ConfLib::init() {
  if (!loaded()) return kNotLoaded;
  const int rc = api_->init();
  initialised_ = true;
  return rc;
}

int ConfLib::createDeviceList() { return loaded() ? api_->createDeviceList() : kNotLoaded; }

int ConfLib::deviceCount(int listKind, int* count) {
  return loaded() ? api_->getDeviceCount(listKind, count) : kNotLoaded;
}

int ConfLib::deviceById(int listKind, int index, OsConfDevice* device) {
  return loaded() ? api_->getDeviceById(listKind, index, device) : kNotLoaded;
}

std::vector<OsConfDevice> ConfLib::devices(int listKind) {
  std::vector<OsConfDevice> out;
  int count = 0;
  if (deviceCount(listKind, &count) != OSCONF_OK) return out;
  for (int i = 0; i < count; ++i) {
    OsConfDevice d{};
    if (deviceById(listKind, i, &d) == OSCONF_OK) out.push_back(d);
  }
  return out;
}

int ConfLib::control(const OsConfDevice& device, const std::string& name, void* value1, std::optional<int> channel,
                     int set) {
  if (!loaded()) return kNotLoaded;
  std::array<char, OSCONF_VALUE_BUFFER_BYTES> value2{};
  if (channel) {
    const std::int32_t c = *channel;
    std::memcpy(value2.data(), &c, sizeof c);
  }
  return api_->propertyControl(device, name.c_str(), value1, channel ? value2.data() : nullptr, set);
}

int ConfLib::read(const OsConfDevice& device, const std::string& name, std::string* text, std::optional<int> channel) {
  std::array<char, OSCONF_VALUE_BUFFER_BYTES> value1{};
  const int rc = control(device, name, value1.data(), channel, OSCONF_GET);
  if (rc == OSCONF_OK && text) {
    value1.back() = '\0';
    *text = value1.data();
  }
  return rc;
}

int ConfLib::writeInt(const OsConfDevice& device, const std::string& name, int value, std::optional<int> channel) {
  std::array<char, OSCONF_VALUE_BUFFER_BYTES> value1{};
  const std::int32_t v = value;
  std::memcpy(value1.data(), &v, sizeof v);
  return control(device, name, value1.data(), channel, OSCONF_SET);
}

int ConfLib::writeFloat(const OsConfDevice& device, const std::string& name, float value,
                        std::optional<int> channel) {
  std::array<char, OSCONF_VALUE_BUFFER_BYTES> value1{};
  std::memcpy(value1.data(), &value, sizeof value);
  return control(device, name, value1.data(), channel, OSCONF_SET);
}

std::optional<double> ConfLib::readNumber(const OsConfDevice& device, const std::string& name,
                                          std::optional<int> channel) {
  std::string text;
  if (read(device, name, &text, channel) != OSCONF_OK || text.empty()) return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0') return std::nullopt;
  return v;
}

int ConfLib::registerCallback(OsConfCallback callback, void* context) {
  return loaded() ? api_->registerCallback(callback, context) : kNotLoaded;
}

std::vector<std::string> splitFeatures(const std::string& text) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    fields.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return fields;
}

}  // namespace kavro::audio
