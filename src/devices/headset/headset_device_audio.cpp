// The headset's audio side: the library's start-up on the audio worker, the
// operations the voice panels ask for, the audio settings in the profile and
// showing them on the panels. Every library call runs on the audio worker;
// its result comes back to the window thread, where state, profile and
// panels change.
#include <QCoreApplication>
#include <QTimer>

#include "devices/headset/headset_device.h"
#include "platform/debug.h"
#include "profiles/profile_keys.h"
#include "widgets/msg_wnd.h"

namespace kavro::devices {

namespace {
constexpr int kFirstVoiceEffect = 1;
constexpr int kLastVoiceEffect = audio::kMaxVoiceEffect;

QString dbText(double db) { return QString::fromStdString(audio::HeadsetAudio::dbText(db)); }
}  // namespace

// ---- the audio worker ---------------------------------------------------------

bool CHalvionHS6533Device::postAudio(AudioJob work, std::function<void(const AudioResult&)> done) {
  audioQueue_.start();
  auto job = [this, work = std::move(work), done = std::move(done)]() mutable {
    AudioResult r;
    if (headsetAudio_) {
      r.ok = work(*headsetAudio_);
      r.ready = headsetAudio_->ready();
      r.eqActive = headsetAudio_->equaliserActive();
      r.chip = headsetAudio_->state();
    }
    QMetaObject::invokeMethod(
        this,
        [this, r, done = std::move(done)] {
          --audioPending_;
          takeResult(r);
          if (done) done(r);
        },
        Qt::QueuedConnection);
  };
  if (!audioQueue_.post(std::move(job))) return false;
  ++audioPending_;
  return true;
}

bool CHalvionHS6533Device::waitForAudio(int timeoutMs) {
  const uint64_t deadline = tickMs() + static_cast<uint64_t>(std::max(timeoutMs, 0));
  while (audioPending_ > 0) {
    const uint64_t now = tickMs();
    if (now >= deadline || !audioQueue_.waitIdle(static_cast<int>(deadline - now))) return false;
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
  }
  return true;
}

void CHalvionHS6533Device::takeResult(const AudioResult& r) {
  chipReady_ = r.ready;
  if (!r.ready) return;
  chip_ = r.chip;
  if (r.eqActive != eqActive_) {
    eqActive_ = r.eqActive;
    if (IHeadsetVoiceView* v = voiceView()) v->showEqualiserActive(eqActive_);
  }
}

void CHalvionHS6533Device::notice(const QString& key) {
  if (notice_) return notice_(key);
  QPointer<CHalvionHS6533Device> self(this);
  QTimer::singleShot(0, this, [self, key] {
    if (self) widgets::CMsgWnd::ShowMessage(self->window(), QString(), key);
  });
}

// Page set-up, once: the library is loaded from the program's SDK folder and
// started (device lists, selection, features, state, level ranges).
void CHalvionHS6533Device::startAudio() {
  if (audioStarted_) return;
  audioStarted_ = true;
  const std::string path = confLibPath_.empty() ? audio::confLibPath(programFolder()) : confLibPath_;
  auto report = std::make_shared<audio::StartupReport>();
  audioQueue_.start();
  auto job = [this, path, report] {
    confLib_ = std::make_unique<audio::ConfLib>();
    if (!confLib_->load(path)) {
      dbg::printf("audio library not loaded (%s): audio settings are off\n", confLib_->loadError().c_str());
      return;
    }
    headsetAudio_ = std::make_unique<audio::HeadsetAudio>(*confLib_);
    *report = headsetAudio_->start();
  };
  if (!audioQueue_.post(std::move(job))) return;
  // The result rides on an empty job behind the start.
  postAudio([](audio::HeadsetAudio& a) { return a.ready(); }, [this, report](const AudioResult&) {
    if (report->initFailed) notice(QString::fromLatin1(audio::kInitFailedMessage));
    if (report->featuresFailed) notice(QString::fromLatin1(audio::kFeatureFailedMessage));
    showLevelTexts();
  });
}

// ---- profile ------------------------------------------------------------------

void CHalvionHS6533Device::loadAudioProfile() {
  settings_ = profile_.getHeadsetSettings();
  presets_.names = profile_.getCustomEqNames();
  presets_.values.clear();
  for (size_t i = 0; i < presets_.names.size(); ++i)
    presets_.values.push_back(headset::toBands(profile_.getCustomEqValues(static_cast<int>(i))));
  if (unsavedCustomBands()) bands_ = chip_.bands;
  else if (settings_.eqType == headset::kCustomEqPreset) bands_ = presets_.values[static_cast<size_t>(settings_.customEqSelectIndex)];
  else bands_ = headset::toBands(profile_.getEqPreset(settings_.eqType));
}

bool CHalvionHS6533Device::unsavedCustomBands() const {
  const int row = settings_.customEqSelectIndex;
  return settings_.eqType == headset::kCustomEqPreset && (row < 0 || row >= static_cast<int>(presets_.names.size()));
}

void CHalvionHS6533Device::saveAudioSettings() {
  profile_.setHeadsetSettings(settings_);
  if (headset::isFixedEqPreset(settings_.eqType)) profile_.setEqPreset(settings_.eqType, headset::toVector(bands_));
  saveChecked(profile_);
}

// The user presets replace the profile's lists whole, so a deleted row
// leaves no band values behind.
void CHalvionHS6533Device::storeUserPresets() {
  Json::Value node = profile_.deviceNode();
  node[profiles::keys::kCustomEqHzValueInfo] = Json::Value(Json::arrayValue);
  profile_.setDeviceNode(node);
  for (size_t i = 0; i < presets_.values.size(); ++i)
    profile_.setCustomEqValues(static_cast<int>(i), headset::toVector(presets_.values[i]));
  profile_.setCustomEqNames(presets_.names);
  saveAudioSettings();
}

void CHalvionHS6533Device::applyAudioProfile(bool withLevels) {
  const profiles::HeadsetSettings s = settings_;
  const headset::EqBands bands = bands_;
  const bool withBands = !unsavedCustomBands();
  postAudio(
      [s, bands, withLevels, withBands](audio::HeadsetAudio& a) {
        if (!a.ready()) return false;
        bool ok = !withBands || a.applyBands(bands);
        ok = a.setVoiceChanger(s.magicEnable != 0) && ok;
        if (s.magicType >= kFirstVoiceEffect && s.magicType <= kLastVoiceEffect) ok = a.setVoiceEffect(s.magicType) && ok;
        if (!withLevels) return ok;
        ok = a.setMicMuted(s.micInSelect == 0) && ok;
        ok = a.setMicLevel(s.micInValue) && ok;
        ok = a.setMonitorMuted(s.micMonitorSelect == 0) && ok;
        return a.setMonitorLevel(s.micMonitorValue) && ok;
      },
      [this](const AudioResult& r) {
        if (!r.ready) return;
        if (!r.ok) {
          dbg::printf("audio: the card refused some of the profile's values (card: mic %s %d, monitor %s %d)\n",
                      r.chip.micMuted ? "muted" : "on", r.chip.micLevel, r.chip.monitorMuted ? "muted" : "on",
                      r.chip.monitorLevel);
        }
        showLevelTexts();
      });
}

// The chip's microphone and monitor become the audio state.
void CHalvionHS6533Device::takeChipLevels(const audio::ChipState& chip) {
  profiles::HeadsetSettings s = settings_;
  s.micInSelect = chip.micMuted ? 0 : 1;
  s.micInValue = chip.micLevel;
  s.micMonitorSelect = chip.monitorMuted ? 0 : 1;
  s.micMonitorValue = chip.monitorLevel;
  if (!(s == settings_)) {
    settings_ = s;
    saveAudioSettings();
  }
  showAudioState();
}

// ---- equaliser ------------------------------------------------------------------

void CHalvionHS6533Device::sendBands(std::function<void(bool ok)> applied) {
  const headset::EqBands bands = bands_;
  std::function<void(const AudioResult&)> done;
  if (applied) done = [applied = std::move(applied)](const AudioResult& r) { applied(r.ok); };
  postAudio([bands](audio::HeadsetAudio& a) { return a.applyBands(bands); }, std::move(done));
}

void CHalvionHS6533Device::afterAudio(std::function<void(bool ready)> done) {
  postAudio([](audio::HeadsetAudio& a) { return a.ready(); },
            [done = std::move(done)](const AudioResult& r) {
              if (done) done(r.ok);
            });
}

void CHalvionHS6533Device::showBands(bool enabled) {
  IHeadsetVoiceView* v = voiceView();
  if (!v) return;
  for (int i = 0; i < headset::kEqBands; ++i) v->setBand(i, bands_[static_cast<size_t>(i)]);
  v->enableBands(enabled);
}

void CHalvionHS6533Device::selectEqPreset(int preset, std::function<void(bool ok)> applied) {
  if (!headset::isEqPresetChoice(preset)) {
    if (applied) applied(false);
    return;
  }
  IHeadsetVoiceView* v = voiceView();
  settings_.eqType = preset;
  if (v) {
    v->selectPreset(preset);
    v->enableCustomArea(preset == headset::kCustomEqPreset);
  }
  if (preset == headset::kCustomEqPreset) {
    applyUserPreset(std::move(applied));
    return;
  }
  bands_ = headset::fixedEqPreset(preset);
  showBands(false);
  sendBands(std::move(applied));
  saveAudioSettings();
}

// Moving a band under a fixed preset makes the current bands the custom
// equaliser: no user preset is chosen for them yet.
void CHalvionHS6533Device::changeBand(int band, int gain) {
  if (band < 0 || band >= headset::kEqBands) return;
  IHeadsetVoiceView* v = voiceView();
  if (settings_.eqType != headset::kCustomEqPreset) {
    settings_.eqType = headset::kCustomEqPreset;
    settings_.customEqSelectIndex = -1;  // no user preset holds these bands yet
    if (v) {
      v->selectPreset(headset::kCustomEqPreset);
      v->enableCustomArea(true);
      v->enableBands(true);
      v->selectUserPreset(-1);
    }
    saveAudioSettings();
  }
  bands_[static_cast<size_t>(band)] = gain;
  if (v) v->setBand(band, gain);  // the response curve follows
  postAudio([band, gain](audio::HeadsetAudio& a) { return a.setBand(band, gain); }, {});
}

// With no row selected in the list the stored row is taken (and selected);
// without a valid one the current bands stay as custom bands no user preset
// holds, so the profile never names a preset whose bands the chip lacks.
void CHalvionHS6533Device::applyUserPreset(std::function<void(bool ok)> applied) {
  IHeadsetVoiceView* v = voiceView();
  const auto isRow = [this](int row) { return row >= 0 && row < static_cast<int>(presets_.values.size()); };
  int selected = v ? v->selectedUserPreset() : -1;
  if (!isRow(selected)) {
    selected = settings_.customEqSelectIndex;
    if (v && isRow(selected)) v->selectUserPreset(selected);
  }
  if (isRow(selected)) {
    bands_ = presets_.values[static_cast<size_t>(selected)];
    settings_.customEqSelectIndex = selected;
  } else {
    settings_.customEqSelectIndex = -1;
  }
  if (settings_.eqType != headset::kCustomEqPreset && v) {
    v->selectPreset(headset::kCustomEqPreset);
    v->enableCustomArea(true);
  }
  settings_.eqType = headset::kCustomEqPreset;
  showBands(true);
  sendBands(std::move(applied));
  saveAudioSettings();
}

int CHalvionHS6533Device::saveUserPreset() {
  IHeadsetVoiceView* v = voiceView();
  const std::string name = v ? v->presetName().trimmed().toStdString() : std::string();
  const int selected = v ? v->selectedUserPreset() : -1;
  // The bands as the sliders show them: every slider move reached bands_
  // (a slider's own value cannot tell a missing slider from a gain of -1).
  switch (headset::saveUserPreset(presets_, selected, name, bands_)) {
    case headset::SavePresetResult::Overwritten:
      storeUserPresets();
      return 1;
    case headset::SavePresetResult::Added: {
      const int row = static_cast<int>(presets_.names.size()) - 1;
      settings_.customEqSelectIndex = row;
      if (v) {
        v->addUserPreset(QString::fromStdString(name));
        v->selectUserPreset(row);
      }
      storeUserPresets();
      return 1;
    }
    case headset::SavePresetResult::NameTaken: return 0;
    default: return -1;
  }
}

void CHalvionHS6533Device::deleteUserPreset() {
  IHeadsetVoiceView* v = voiceView();
  const int selected = v ? v->selectedUserPreset() : settings_.customEqSelectIndex;
  if (!headset::deleteUserPreset(presets_, selected)) return;
  if (v) v->removeUserPreset(selected);
  // The bands of a deleted preset stay on the card, now held by no preset.
  if (settings_.customEqSelectIndex == selected) settings_.customEqSelectIndex = -1;
  else if (settings_.customEqSelectIndex > selected) --settings_.customEqSelectIndex;
  if (presets_.names.empty()) {
    // No user preset left: fixed preset 1 is shown (nothing goes to the chip).
    settings_.eqType = headset::kFallbackEqPreset;
    settings_.customEqSelectIndex = 0;
    bands_ = headset::fixedEqPreset(headset::kFallbackEqPreset);
    if (v) {
      v->selectPreset(headset::kFallbackEqPreset);
      v->enableCustomArea(false);
    }
    showBands(false);
  }
  storeUserPresets();
}

// ---- microphone and monitor -------------------------------------------------------

// A switch shows the state asked for while toggles are on the way; once the
// last one is back it shows what the chip took.
void CHalvionHS6533Device::toggleMicrophone() {
  const bool on = micSwitch_.flip(settings_.micInSelect != 0);
  const bool posted =
      postAudio([on](audio::HeadsetAudio& a) { return a.setMicMuted(!on); }, [this, on](const AudioResult& r) {
        if (r.ok) {
          settings_.micInSelect = on ? 1 : 0;
          saveAudioSettings();
        }
        const bool shown = micSwitch_.back(settings_.micInSelect != 0);
        if (IHeadsetVoiceView* v = voiceView()) v->setMicOn(shown);
      });
  if (!posted) micSwitch_.back(false);
}

void CHalvionHS6533Device::setMicrophoneLevel(int level) {
  postAudio([level](audio::HeadsetAudio& a) { return a.setMicLevel(level); }, [this, level](const AudioResult& r) {
    if (r.ok) {
      settings_.micInValue = level;
      saveAudioSettings();
    }
    if (IHeadsetVoiceView* v = voiceView()) v->setMicLevel(settings_.micInValue);
    showLevelTexts();
  });
}

void CHalvionHS6533Device::toggleMonitor() {
  const bool on = monitorSwitch_.flip(settings_.micMonitorSelect != 0);
  const bool posted =
      postAudio([on](audio::HeadsetAudio& a) { return a.setMonitorMuted(!on); }, [this, on](const AudioResult& r) {
        if (r.ok) {
          settings_.micMonitorSelect = on ? 1 : 0;
          saveAudioSettings();
        }
        const bool shown = monitorSwitch_.back(settings_.micMonitorSelect != 0);
        if (IHeadsetVoiceView* v = voiceView()) v->setMonitorOn(shown);
      });
  if (!posted) monitorSwitch_.back(false);
}

void CHalvionHS6533Device::setMonitorLevel(int level) {
  postAudio([level](audio::HeadsetAudio& a) { return a.setMonitorLevel(level); }, [this, level](const AudioResult& r) {
    if (r.ok) {
      settings_.micMonitorValue = level;
      saveAudioSettings();
    }
    if (IHeadsetVoiceView* v = voiceView()) v->setMonitorLevel(settings_.micMonitorValue);
    showLevelTexts();
  });
}

void CHalvionHS6533Device::showLevelTexts() {
  IHeadsetVoiceView* v = voiceView();
  if (!v) return;
  if (!chipReady_) return v->showLevelTexts(QString(), QString());
  v->showLevelTexts(dbText(chip_.micDb), dbText(chip_.monitorDb));
}

// ---- voice changer ------------------------------------------------------------------

void CHalvionHS6533Device::setVoiceChanger(bool on) {
  postAudio([on](audio::HeadsetAudio& a) { return a.setVoiceChanger(on); }, [this, on](const AudioResult& r) {
    if (r.ok) {
      settings_.magicEnable = on ? 1 : 0;
      saveAudioSettings();
    }
    if (IHeadsetMagicView* m = magicView()) m->setOn(settings_.magicEnable != 0);
  });
}

void CHalvionHS6533Device::selectVoiceEffect(int effect) {
  if (effect < kFirstVoiceEffect || effect > kLastVoiceEffect) return;
  postAudio([effect](audio::HeadsetAudio& a) { return a.setVoiceEffect(effect); },
            [this, effect](const AudioResult& r) {
              if (r.ok) {
                settings_.magicType = effect;
                saveAudioSettings();
              }
              if (IHeadsetMagicView* m = magicView()) m->selectEffect(settings_.magicType);
            });
}

// ---- showing ------------------------------------------------------------------------

void CHalvionHS6533Device::showUserPresets() {
  IHeadsetVoiceView* v = voiceView();
  if (!v) return;
  v->removeAllUserPresets();
  for (const std::string& name : presets_.names) v->addUserPreset(QString::fromStdString(name));
  const int row = settings_.customEqSelectIndex;
  const bool custom = settings_.eqType == headset::kCustomEqPreset;
  v->selectUserPreset(custom && row >= 0 && row < v->userPresetCount() ? row : -1);
}

void CHalvionHS6533Device::showAudioState() {
  const bool custom = settings_.eqType == headset::kCustomEqPreset;
  if (IHeadsetVoiceView* v = voiceView()) {
    v->selectPreset(settings_.eqType);
    v->enableCustomArea(custom);
    showBands(custom);
    showUserPresets();
    v->setMicOn(settings_.micInSelect != 0);
    v->setMicLevel(settings_.micInValue);
    v->setMonitorOn(settings_.micMonitorSelect != 0);
    v->setMonitorLevel(settings_.micMonitorValue);
    v->showEqualiserActive(eqActive_);
    showLevelTexts();
  }
  if (IHeadsetMagicView* m = magicView()) {
    m->setOn(settings_.magicEnable != 0);
    m->selectEffect(settings_.magicType);
  }
}

}  // namespace kavro::devices
