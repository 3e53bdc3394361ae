#pragma once
// The update list's items: the program itself and every attached device that
// has a row in the model table, with what the update query sends for each.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kavro::update {

// Item name of the program's own entry, and the name its row shows.
inline constexpr char kAppItemName[] = "ALL";
inline constexpr char kAppRowName[] = "AP";
// Sent as the app key by an item without key data.
inline constexpr char kNoAppKey[] = "NULL";
// Added to the service's base address for the query.
inline constexpr char kUpdatesPath[] = "updates";

// One row of the model table, as the device tables hold it: the device type
// (0 for the program), a key number, a third number, then the series, the
// model code (the item name, "ALL" for the program), the model family, the
// display name and the installed version's text (the program's only).
struct ModelEntry {
  int type = 0;
  int keyNumber = 0;
  int third = 0;
  std::array<std::string, 5> strings;
};
enum ModelString : size_t { kModelSeries = 0, kModelCode = 1, kModelFamily = 2, kModelDisplay = 3, kModelVersion = 4 };

// An attached device: its type number and its 16-bit firmware (HID) version.
// model, when known, selects the model row by its code; otherwise the first
// row of the device's type is used.
struct AttachedDevice {
  uint16_t type = 0;
  uint16_t version = 0;
  std::string model;
};

// The pieces of an app key, joined as "%s_%d_%s_%s_%d".
struct AppKeyPieces {
  bool present = false;
  std::string series;
  int number = 0;
  std::string model;
  std::string family;
  int number2 = 0;
};

struct UpdateItem {
  bool hexVersion = false;    // a device version: 16 bits shown in hexadecimal
  int installedVersion = 0;
  std::string name;           // "ALL" for the program, else the model code
  std::string displayName;
  AppKeyPieces key;
  std::string installedText;  // the installed version as the program shows it
  bool hasInstalledVersion() const { return installedVersion != 0; }
  bool isApp() const { return name == kAppItemName; }
};

// The model table's device type of a device type number (the long-time-out
// mouse is a mouse).
uint16_t modelTypeOf(uint16_t deviceType);

// The program's item first (from the model row named "ALL"), then one item per
// attached device that has a model row, in the order given.
std::vector<UpdateItem> buildUpdateItems(const std::vector<ModelEntry>& models,
                                         const std::vector<AttachedDevice>& devices);

// The program's installed version number from its version text: the digits
// before the first '.' ("V1000.02" → 1000); 0 when there are none.
int appVersionNumber(const std::string& versionText);

std::string appKey(const AppKeyPieces& key);
// "V%04x" of the installed version with the hex flag, else "V%d".
std::string currentVersionText(const UpdateItem& item);
// "AP" for the program's item, else the item's own name.
std::string rowName(const UpdateItem& item);

// "app_key=<key>&version=<%x or %d>", the key form-encoded.
std::string queryBody(const UpdateItem& item);
// base + "updates" (with a '/' between when base lacks one).
std::string queryUrl(const std::string& base);

// The service's base address: KAVRO_UPDATE_URL from the environment, else the
// address this build was configured with.
std::string updateServiceBase();

}  // namespace kavro::update
