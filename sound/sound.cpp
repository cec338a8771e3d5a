#include "sound/sound.h"

#include <cstring>

SoundSlot SoundTable[SoundSlotCount];

void ResetSoundState() { std::memset(SoundTable, 0, sizeof SoundTable); }
