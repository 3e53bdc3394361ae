#pragma once
// The macros of one device: the index "macro.config" and one event file per
// macro in the device's macro folder. The macro panel drives it; the key
// assignment panel and the device objects read the same list.
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include <json/json.h>

#include "macros/macro_event.h"
#include "macros/macro_files.h"

namespace kavro::macros {

class MacroModel {
 public:
  using Clock = std::function<std::chrono::system_clock::time_point()>;

  // folder: the device's macro folder; file names are appended to it (a
  // missing trailing '/' is added). clock: the time new macro ids are made of
  // (the system clock when empty).
  explicit MacroModel(std::string folder, Clock clock = {});

  const std::string& folder() const { return folder_; }
  std::string indexPath() const;
  // The event file of macro i; empty when i is out of range or the macro's id
  // cannot name a file.
  std::string eventFilePath(std::size_t i) const;

  // Reads "macro.config". A missing or damaged index gives an empty list.
  void loadIndex();

  const std::vector<MacroEntry>& macros() const { return entries_; }
  std::size_t count() const { return entries_.size(); }
  std::vector<std::string> names() const;

  // Appends a macro with the first free default name and a new id and
  // rewrites the index. Returns the name, or empty when the list is full or
  // the index could not be written (the list is then unchanged).
  std::string addMacro();

  // Removes macro i from the index, then deletes its event file. Returns
  // false, changing nothing, when i is out of range or the index could not
  // be written.
  bool deleteMacro(std::size_t i);

  enum class RenameResult { Renamed, NoSuchMacro, EmptyName, HasSpace, NameTaken, WriteFailed };
  // Only the name in the index changes; the event file keeps its old
  // "MacroName" until the macro is next saved.
  RenameResult renameMacro(std::size_t i, const std::string& newName);

  // The steps of macro i; empty when the event file is missing or damaged.
  std::vector<MacroEvent> loadEvents(std::size_t i) const;
  // Writes macro i's event file. On failure the old file stays as it was.
  bool saveEvents(std::size_t i, const std::vector<MacroEvent>& events);

  // Copies macro i's event file byte for byte to targetPath.
  bool exportMacro(std::size_t i, const std::string& targetPath) const;
  // Adds a macro (default name, new id) whose event file is a byte-for-byte
  // copy of sourcePath. Returns its name, or empty when the list is full, the
  // source cannot be read or the copy cannot be written (nothing is added).
  std::string importMacro(const std::string& sourcePath);

 private:
  std::string newMacroId() const;
  bool idInUse(const std::string& id) const;
  bool writeIndex(const Json::Value& index);
  Json::Value& infoArray(Json::Value& index) const;

  std::string folder_;
  Clock clock_;
  Json::Value index_;  // as read, so members we do not know survive a rewrite
  std::vector<MacroEntry> entries_;
};

// The macro names of the second index file "vexor_macro.config" in a user
// data folder (read by the mousepad and headset pages).
std::vector<std::string> readVexorMacroNames(const std::string& userFolder);

}  // namespace kavro::macros
