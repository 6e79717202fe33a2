#include "app/output/players/fireworks/sound_player.h"

#include <alsa/asoundlib.h>

#include <QFile>
#include <span>
#include <stdexcept>
#include <string_view>

#include "platform/base/byte_cursor.h"

namespace players::fireworks {

namespace {

void BadWave(std::string_view) {
  throw std::runtime_error("not a PCM wave");
}

// ALSA reports a missing device on standard error; a player stays silent instead.
void Quiet(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

SoundPlayer::SoundPlayer(const QByteArray& wave) {
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(wave.constData()),
                                       static_cast<size_t>(wave.size()));
  try {
    plat::TByteCursor cursor(bytes, BadWave, false);
    if (cursor.Text(4) != "RIFF") BadWave({});
    cursor.Skip(4);
    if (cursor.Text(4) != "WAVE") BadWave({});
    while (!cursor.AtEnd()) {
      const std::string id = cursor.Text(4);
      const uint32_t size = cursor.DWord();
      if (id == "fmt ") {
        const size_t start = cursor.Position();
        if (cursor.Word() != 1) BadWave({});  // PCM
        channels_ = cursor.Word();
        rate_ = cursor.DWord();
        cursor.Skip(6);
        bits_ = cursor.Word();
        cursor.Seek(start + size);
      } else if (id == "data") {
        const std::span<const uint8_t> data = cursor.Bytes(size);
        if (channels_ == 0 || rate_ == 0 || (bits_ != 8 && bits_ != 16)) BadWave({});
        samples_ = QByteArray(reinterpret_cast<const char*>(data.data()),
                              static_cast<qsizetype>(data.size()));
        return;
      } else {
        cursor.Skip(size + (size & 1));
      }
    }
  } catch (const std::runtime_error&) {
    samples_.clear();
  }
}

SoundPlayer::~SoundPlayer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

QByteArray SoundPlayer::FireworkSound() {
  QFile resource(QStringLiteral(":/SOUND/SOUND"));
  return resource.open(QIODevice::ReadOnly) ? resource.readAll() : QByteArray();
}

void SoundPlayer::Play() {
  if (!Loaded() || playing_.exchange(true)) return;
  if (thread_.joinable()) thread_.join();  // the last sound's thread, already finished
  thread_ = std::thread(&SoundPlayer::Run, this);
}

void SoundPlayer::Run() {
  snd_lib_error_set_handler(Quiet);
  snd_pcm_t* pcm = nullptr;
  // Opened without blocking, so a device another program holds fails at once.
  if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) {
    playing_ = false;
    return;
  }
  const snd_pcm_format_t format = bits_ == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
  const size_t frame = channels_ * bits_ / 8;
  if (snd_pcm_set_params(pcm, format, SND_PCM_ACCESS_RW_INTERLEAVED, channels_, rate_, 1, 250000) ==
          0 &&
      snd_pcm_nonblock(pcm, 0) == 0) {
    // In pieces of a tenth of a second, so that ending the program stops the sound soon.
    const size_t piece = rate_ / 10;
    const size_t frames = static_cast<size_t>(samples_.size()) / frame;
    for (size_t at = 0; at < frames && !stop_;) {
      const snd_pcm_sframes_t written =
          snd_pcm_writei(pcm, samples_.constData() + at * frame, std::min(piece, frames - at));
      if (written < 0 && snd_pcm_recover(pcm, static_cast<int>(written), 1) < 0) break;
      if (written > 0) at += static_cast<size_t>(written);
    }
    if (stop_)
      snd_pcm_drop(pcm);
    else
      snd_pcm_drain(pcm);
  }
  snd_pcm_close(pcm);
  playing_ = false;
}

}  // namespace players::fireworks
