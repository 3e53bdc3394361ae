#pragma once
// A device page for the macro and key assignment panels without hardware: a
// key list in memory, a macro folder on disk, and the downloads recorded.
#include <QTemporaryDir>

#include <functional>
#include <string>
#include <vector>

#include "devices/device_base.h"
#include "devices/key_assign_target.h"
#include "panels/macro_control.h"

namespace kavro::test {

class FakeKeyDevice : public devices::CHalvionUSBDevice, public devices::IKeyAssignTarget {
 public:
  explicit FakeKeyDevice(std::string folder) : folder_(std::move(folder)) {}

  std::vector<profiles::KeyAssignment> keyAssignmentList() const override { return keys; }
  void storeKeyAssignments(const std::vector<profiles::KeyAssignment>& list) override {
    keys = list;
    ++stores;
  }
  int keyPositionOf(const skin::CControlUI*) const override { return -1; }
  void refreshKeyLabels() override { ++labelRefreshes; }
  int writeKeyTable() override {
    ++tableWrites;
    return 1;
  }
  std::string macroFolder() const override { return folder_; }
  void macroListChanged() override { ++listChanges; }
  int downloadMacros(std::function<void(int)> failed) override {
    ++downloads;
    if (refuseDownload && failed) failed(-102);
    return downloadAnswer;
  }
  void saveProfileData() override { ++profileSaves; }

  std::vector<profiles::KeyAssignment> keys;
  int stores = 0, labelRefreshes = 0, tableWrites = 0, listChanges = 0, downloads = 0, profileSaves = 0;
  int downloadAnswer = 0;
  bool refuseDownload = false;

 private:
  std::string folder_;
};

// Answers the panels' questions from a script and keeps what they said.
class ScriptedPrompts : public panels::IMacroPrompts {
 public:
  QString askImportPath() override { return importPath; }
  QString askExportPath(const QString&) override { return exportPath; }
  void showNotice(const QString& text) override { notices.push_back(text); }
  bool askConfirmation(const QString& text) override {
    questions.push_back(text);
    const bool yes = answers.empty() ? false : answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    return yes;
  }

  QString importPath, exportPath;
  std::vector<bool> answers;
  std::vector<QString> notices, questions;
};

// A key assignment item at position p running code, with the given default.
inline profiles::KeyAssignment keyItem(uint16_t p, profiles::KeyCodeBytes code, profiles::KeyCodeBytes def) {
  return {p, code, p, def};
}

}  // namespace kavro::test
