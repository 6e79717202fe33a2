#pragma once
// A screensaver's options: one INI file per screensaver file, named after it without its
// extension, group "SETTINGS", every value stored as decimal text. A value that is no number
// reads as its default, one outside its range is clamped into it.
#include <QSettings>
#include <QString>
#include <cstdint>

#include "app/output/players/fireworks/fireworks_engine.h"

namespace players::screensaver {

// The range of each number the settings dialog offers.
struct SettingRange {
  int Low;
  int High;
};
constexpr SettingRange kTailLengthRange{1, 255};
constexpr SettingRange kLaunchRateRange{1, 5000};
constexpr SettingRange kRocketSpeedRange{1, 50};
constexpr SettingRange kTransitionRange{1, 60};

// The system colour of menu text.
constexpr uint32_t kDefaultBgColor = 0x80000007;
// A screensaver never configured launches every 200 ms; the settings dialog offers 100.
constexpr int kPlayerLaunchRate = 200;
constexpr int kDialogLaunchRate = 100;

struct SaverSettings {
  int RocketSpeed = 20;
  uint32_t BgColor = kDefaultBgColor;  // 0x00BBGGRR, or a system colour
  int LaunchRate = kPlayerLaunchRate;  // ms between launches
  int Transition = 3;                  // seconds between pictures
  fireworks::BurstSwitches Kinds{true, false, false, false, true};
  bool PlayMusic = true;
  bool UseDesktop = false;
  int TailLength = 30;  // the blend's constant alpha
};

// The settings file of the screensaver file `own_file`, under $XDG_CONFIG_HOME.
QString SettingsFile(const QString& own_file);

// Reads the settings, with `launch_rate` as the default of "LaunchRate". All five burst kinds off
// would leave rockets rising forever: that reads as mono-colour bursts on.
SaverSettings ReadSettings(QSettings& store, int launch_rate);

// Writes the twelve keys in the dialog's order; with no burst kind on, "ShowRegular" is "1".
void WriteSettings(QSettings& store, const SaverSettings& settings);

}  // namespace players::screensaver
