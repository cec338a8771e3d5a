#include "app/progress.h"

std::uint8_t CurrentLevel;

void ResetProgressState() { CurrentLevel = 0; }
