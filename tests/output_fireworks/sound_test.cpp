// The firework sound: the resource is the wave the script makes, `file` agrees on its format,
// and playing returns at once and stays silent where there is no sound device.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "app/output/players/fireworks/sound_player.h"

namespace players::fireworks {
namespace {

std::string Output(const std::string& command) {
  std::string text;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[256];
  while (pipe && fgets(buffer, sizeof buffer, pipe)) text += buffer;
  if (pipe) pclose(pipe);
  return text;
}

TEST(FireworkSound, ResourceIsTheScriptsEightBitMonoWave) {
  const QByteArray sound = SoundPlayer::FireworkSound();
  ASSERT_EQ(sound.size(), 23584);
  const std::string made = testing::TempDir() + "firework.wav";
  ASSERT_EQ(std::system(
                ("python3 " VELMORA_SOURCE_DIR "/scripts/make_firework_sound.py " + made).c_str()),
            0);
  QFile file(QString::fromStdString(made));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), sound);
  const std::string facts = Output("file -b " + made);
  for (const char* part : {"RIFF", "WAVE", "PCM", "8 bit", "mono 11025 Hz"})
    EXPECT_NE(facts.find(part), std::string::npos) << part << " in " << facts;
  EXPECT_EQ(sound.mid(40, 4), QByteArray("\xF4\x5B\x00\x00", 4));  // 23,540 sample bytes
}

TEST(FireworkSound, PlayingReturnsAtOnceAndEndsSilentlyWithoutADevice) {
  // ALSA finds no card in an empty configuration; the player must neither wait nor complain.
  setenv("ALSA_CONFIG_PATH", "/dev/null", 1);
  SoundPlayer player(SoundPlayer::FireworkSound());
  ASSERT_TRUE(player.Loaded());
  testing::internal::CaptureStderr();
  player.Play();
  player.Play();  // dropped or refused, never queued
  for (int i = 0; i < 500 && player.Playing(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(player.Playing());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  unsetenv("ALSA_CONFIG_PATH");
}

TEST(FireworkSound, WavesThatAreNotPcmAreNotPlayed) {
  const QByteArray good = SoundPlayer::FireworkSound();
  QByteArray compressed = good;
  compressed[20] = 2;  // ADPCM
  for (const QByteArray& wave :
       {QByteArray("RIFF"), good.left(40), compressed, QByteArray(100, 'x')}) {
    SoundPlayer player(wave);
    EXPECT_FALSE(player.Loaded());
    player.Play();
    EXPECT_FALSE(player.Playing());
  }
}

}  // namespace
}  // namespace players::fireworks
