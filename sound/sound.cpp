#include "sound/sound.h"

#include <cstring>
#include <memory>
#include <new>

#include "platform/byte_order.h"
#include "platform/riff.h"

SoundSlot SoundTable[SoundSlotCount];
bool SoundMuted;
std::int32_t SoundFirstCall = 1;
bool SoundDeviceOpen;

namespace {

constexpr std::uint16_t WaveFormatPcm = 1;
// The format chunk as it is read: the 18-byte format record, whose last field may lie beyond a
// 16-byte chunk.
constexpr std::int64_t FormatRecordBytes = 18;

using platform::Get16;
using platform::Get32;

SoundSlot* SlotWithBuffer(std::int32_t id) {
  if (id < 0 || id >= SoundSlotCount || SoundTable[id].buffer == nullptr) return nullptr;
  return &SoundTable[id];
}

// The samples of a PCM WAV file and their format; false for anything else.
bool ReadWav(const char* fileName, platform::PcmFormat* format,
             std::unique_ptr<std::uint8_t[]>* samples, std::uint32_t* bytes) {
  platform::RiffFile* file = platform::RiffOpen(fileName);
  if (file == nullptr) return false;
  std::unique_ptr<platform::RiffFile, void (*)(platform::RiffFile*)> closer(file,
                                                                            platform::RiffClose);
  platform::ChunkInfo form;
  platform::ChunkInfo chunk;
  if (!platform::RiffDescendForm(file, &form, platform::FourCC("WAVE"))) return false;
  // The first chunk of the form is the format chunk, whatever its identifier says.
  if (!platform::RiffDescend(file, &chunk, form)) return false;
  std::uint8_t record[FormatRecordBytes];
  if (platform::RiffRead(file, record, FormatRecordBytes) != FormatRecordBytes) return false;
  if (Get16(record) != WaveFormatPcm) return false;
  format->channels = Get16(record + 2);
  format->rate = Get32(record + 4);
  format->bits = Get16(record + 14);
  if (format->channels < 1 || format->channels > 2 || (format->bits != 8 && format->bits != 16) ||
      format->rate == 0) {
    return false;
  }
  if (!platform::RiffAscend(file, chunk)) return false;
  // The chunk's size has been checked against the file; the limit keeps one sound reasonable.
  if (!platform::RiffFindChunk(file, &chunk, form, platform::FourCC("data")) ||
      chunk.size > MaxSoundDataBytes) {
    return false;
  }
  samples->reset(new (std::nothrow) std::uint8_t[chunk.size]);
  if (*samples == nullptr) return false;
  if (platform::RiffRead(file, samples->get(), chunk.size) != std::int64_t(chunk.size)) {
    return false;
  }
  *bytes = chunk.size;
  return true;
}

}  // namespace

std::int32_t SoundInit() {
  if (SoundFirstCall != 0) {
    std::memset(SoundTable, 0, sizeof SoundTable);
    SoundFirstCall = 0;
    SoundDeviceOpen = platform::AudioOpen();
    if (!SoundDeviceOpen) return 0;
  }
  for (std::int32_t i = 0; i < SoundSlotCount; ++i) {
    SoundSlot& slot = SoundTable[i];
    if (slot.buffer != nullptr) {
      platform::StopSoundBuffer(slot.buffer);
      platform::ReleaseSoundBuffer(slot.buffer);
    }
    slot = SoundSlot{};
    slot.id = i;
  }
  return 1;
}

std::int32_t LoadWav(const char* fileName, std::uint32_t) {
  std::int32_t id = 0;
  while (id < SoundSlotCount && SoundTable[id].state != 0) ++id;
  if (id == SoundSlotCount) return -1;  // before the file is touched

  platform::PcmFormat format;
  std::unique_ptr<std::uint8_t[]> samples;
  std::uint32_t bytes = 0;
  if (!ReadWav(fileName, &format, &samples, &bytes)) return -1;

  // From here on the slot is handed out, whether or not the device takes the sound.
  SoundSlot& slot = SoundTable[id];
  slot.rate = format.rate;
  slot.size = bytes;
  slot.state = 1;
  if (!SoundDeviceOpen) return -1;
  // A trailing partial sample frame is left out.
  const std::uint32_t frameBytes = std::uint32_t(format.channels) * (format.bits / 8u);
  // The buffer is labelled with the file's own name, wherever the game's files were found.
  const char* label = fileName;
  for (const char* c = fileName; *c != '\0'; ++c) {
    if (*c == '/' || *c == '\\') label = c + 1;
  }
  slot.buffer =
      platform::CreateSoundBuffer(samples.get(), bytes - bytes % frameBytes, format, label);
  if (slot.buffer == nullptr) return -1;
  return id;
}

std::int32_t PlaySound(std::int32_t id, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {
  SoundSlot* slot = SlotWithBuffer(id);
  if (slot == nullptr || SoundMuted) return 1;
  return platform::PlaySoundBuffer(slot->buffer) ? 1 : 0;
}

std::int32_t StopSound(std::int32_t id) {
  if (SoundSlot* slot = SlotWithBuffer(id)) platform::StopSoundBuffer(slot->buffer);
  return 1;
}

std::int32_t DeleteSound(std::int32_t id) {
  StopSound(id);
  if (SoundSlot* slot = SlotWithBuffer(id)) {
    platform::ReleaseSoundBuffer(slot->buffer);
    slot->buffer = nullptr;  // the slot stays handed out
  }
  return 1;
}

std::int32_t StopAllSounds() {
  for (std::int32_t id = 0; id < SoundSlotCount; ++id) StopSound(id);
  return 1;
}

std::int32_t SoundShutdown() {
  StopAllSounds();
  // Released buffers are forgotten, so nothing can reach them again.
  for (SoundSlot& slot : SoundTable) {
    if (slot.buffer != nullptr) platform::ReleaseSoundBuffer(slot.buffer);
    slot.buffer = nullptr;
  }
  if (SoundDeviceOpen) platform::AudioClose();
  SoundDeviceOpen = false;
  return 1;
}

void SetSoundMuted(bool muted) {
  SoundMuted = muted;
  if (muted) StopAllSounds();
}

void ResetSoundState() {
  SoundMuted = false;
  for (SoundSlot& slot : SoundTable) {
    if (slot.buffer != nullptr) platform::ReleaseSoundBuffer(slot.buffer);
  }
  if (SoundDeviceOpen) platform::AudioClose();
  std::memset(SoundTable, 0, sizeof SoundTable);
  SoundFirstCall = 1;
  SoundDeviceOpen = false;
}
