#pragma once
// Plays one RIFF WAVE held in memory on the sound device, from a thread of its own: a request
// returns at once, is dropped while the sound still plays, and never waits for a busy device.
// Every failure (no device, a busy one, an unreadable wave) is silent.
#include <QByteArray>
#include <atomic>
#include <thread>

namespace players::fireworks {

class SoundPlayer {
 public:
  // `wave` is a RIFF WAVE file of 8- or 16-bit PCM.
  explicit SoundPlayer(const QByteArray& wave);
  ~SoundPlayer();
  SoundPlayer(const SoundPlayer&) = delete;
  SoundPlayer& operator=(const SoundPlayer&) = delete;

  void Play();
  bool Playing() const { return playing_; }
  // Whether the wave could be read, so that there is something to play.
  bool Loaded() const { return !samples_.isEmpty(); }

  // The players' firework sound (the resource "SOUND").
  static QByteArray FireworkSound();

 private:
  void Run();

  QByteArray samples_;
  unsigned channels_ = 0;
  unsigned rate_ = 0;
  unsigned bits_ = 0;
  std::thread thread_;
  std::atomic<bool> playing_ = false;
  std::atomic<bool> stop_ = false;
};

}  // namespace players::fireworks
