#include "board/level_file.h"

#include <cstring>

std::uint8_t LevelRecord[LevelRecordSize];

void ResetLevelFileState() { std::memset(LevelRecord, 0, sizeof LevelRecord); }
