#pragma once
// Loads the audio configuration library at run time and calls it by name.
// Without the library, or when one of its functions is missing, every call
// fails with kNotLoaded and does nothing.
#include <optional>
#include <string>
#include <vector>

#include "audio/conf_lib.h"

namespace kavro::audio {

// Result of every call while the library is not loaded.
inline constexpr int kNotLoaded = -1000;
// File name of the library inside the program's SDK folder.
inline constexpr char kConfLibFileName[] = "libosConfLib.so";

// "<programFolder>/SDK/libosConfLib.so".
std::string confLibPath(const std::string& programFolder);

class ConfLib {
 public:
  ConfLib() = default;
  ~ConfLib();
  ConfLib(const ConfLib&) = delete;
  ConfLib& operator=(const ConfLib&) = delete;

  // Opens the library and resolves all its functions. False (and nothing
  // loaded) when the file cannot be opened or a function is missing.
  bool load(const std::string& path);
  bool loaded() const { return handle_ != nullptr; }
  // Why the last load failed ("" after a successful one).
  const std::string& loadError() const { return loadError_; }

  int init();
  int createDeviceList();
  int deviceCount(int listKind, int* count);
  int deviceById(int listKind, int index, OsConfDevice* device);
  // Every entry of a list (empty when the list cannot be read).
  std::vector<OsConfDevice> devices(int listKind);

  // PropertyControl with the value buffers as the library expects them.
  // Reads give the decimal text; channel goes into buffer 2 when given.
  int read(const OsConfDevice& device, const std::string& name, std::string* text,
           std::optional<int> channel = std::nullopt);
  int writeInt(const OsConfDevice& device, const std::string& name, int value,
               std::optional<int> channel = std::nullopt);
  int writeFloat(const OsConfDevice& device, const std::string& name, float value,
                 std::optional<int> channel = std::nullopt);
  // A read whose text is a number, or nothing when the read or the number fails.
  std::optional<double> readNumber(const OsConfDevice& device, const std::string& name,
                                   std::optional<int> channel = std::nullopt);

  int registerCallback(OsConfCallback callback, void* context);

 private:
  struct Api;
  int control(const OsConfDevice& device, const std::string& name, void* value1, std::optional<int> channel,
              int set);
  void unload();

  void* handle_ = nullptr;
  Api* api_ = nullptr;
  bool initialised_ = false;
  std::string loadError_;
};

// The feature list text split at commas (fields as text).
std::vector<std::string> splitFeatures(const std::string& text);

}  // namespace kavro::audio
