#include "app/output/players/screensaver/saver_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

namespace players::screensaver {

namespace {

const QString kGroup = QStringLiteral("SETTINGS");

int ReadNumber(QSettings& store, const char* key, int fallback, SettingRange range) {
  bool number = false;
  const qlonglong value = store.value(QLatin1String(key)).toString().trimmed().toLongLong(&number);
  if (!number) return fallback;
  return static_cast<int>(std::clamp<qlonglong>(value, range.Low, range.High));
}

bool ReadSwitch(QSettings& store, const char* key, bool fallback) {
  return ReadNumber(store, key, fallback ? 1 : 0, {0, 255}) != 0;
}

// A colour is stored as a signed 32-bit number; its unsigned spelling is read too.
uint32_t ReadColour(QSettings& store, const char* key, uint32_t fallback) {
  bool number = false;
  const qlonglong value = store.value(QLatin1String(key)).toString().trimmed().toLongLong(&number);
  if (!number || value < INT32_MIN || value > UINT32_MAX) return fallback;
  return static_cast<uint32_t>(value);
}

bool AnyKind(const fireworks::BurstSwitches& kinds) {
  return kinds.ShowRegular || kinds.ShowSmiley || kinds.ShowStar || kinds.ShowSpiral ||
         kinds.ShowRandom;
}

}  // namespace

QString SettingsFile(const QString& own_file) {
  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return QDir(config).filePath(QStringLiteral("velmora-screensavers/") +
                               QFileInfo(own_file).completeBaseName() + QStringLiteral(".ini"));
}

SaverSettings ReadSettings(QSettings& store, int launch_rate) {
  const SaverSettings fallback;
  SaverSettings s;
  store.beginGroup(kGroup);
  s.RocketSpeed = ReadNumber(store, "RocketSpeed", fallback.RocketSpeed, kRocketSpeedRange);
  s.BgColor = ReadColour(store, "BgColor", fallback.BgColor);
  s.LaunchRate = ReadNumber(store, "LaunchRate", launch_rate, kLaunchRateRange);
  s.Transition = ReadNumber(store, "Transition", fallback.Transition, kTransitionRange);
  s.Kinds.ShowRegular = ReadSwitch(store, "ShowRegular", fallback.Kinds.ShowRegular);
  s.Kinds.ShowSmiley = ReadSwitch(store, "ShowSmiley", fallback.Kinds.ShowSmiley);
  s.Kinds.ShowStar = ReadSwitch(store, "ShowStar", fallback.Kinds.ShowStar);
  s.Kinds.ShowSpiral = ReadSwitch(store, "ShowSpiral", fallback.Kinds.ShowSpiral);
  s.Kinds.ShowRandom = ReadSwitch(store, "ShowRandom", fallback.Kinds.ShowRandom);
  if (!AnyKind(s.Kinds)) s.Kinds.ShowRegular = true;
  s.PlayMusic = ReadNumber(store, "PlayMusic", 1, {INT32_MIN, INT32_MAX}) == 1;
  s.UseDesktop = ReadNumber(store, "UseDesktop", 0, {INT32_MIN, INT32_MAX}) == 1;
  s.TailLength = ReadNumber(store, "TailLength", fallback.TailLength, kTailLengthRange);
  store.endGroup();
  return s;
}

void WriteSettings(QSettings& store, const SaverSettings& settings) {
  const auto put = [&store](const char* key, qlonglong value) {
    store.setValue(QLatin1String(key), QString::number(value));
  };
  const fireworks::BurstSwitches& kinds = settings.Kinds;
  store.beginGroup(kGroup);
  put("TailLength", settings.TailLength);
  put("LaunchRate", settings.LaunchRate);
  put("RocketSpeed", settings.RocketSpeed);
  put("Transition", settings.Transition);
  put("ShowRegular", kinds.ShowRegular);
  put("ShowSmiley", kinds.ShowSmiley);
  put("ShowStar", kinds.ShowStar);
  put("ShowSpiral", kinds.ShowSpiral);
  put("ShowRandom", kinds.ShowRandom);
  put("UseDesktop", settings.UseDesktop);
  put("BgColor", static_cast<int32_t>(settings.BgColor));
  put("PlayMusic", settings.PlayMusic);
  if (!AnyKind(kinds)) put("ShowRegular", 1);
  store.endGroup();
  store.sync();
}

}  // namespace players::screensaver
