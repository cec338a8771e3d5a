#include "app/assets.h"

std::int32_t WalkSound;
std::int32_t ThumpSound;
std::int32_t CrunchSound;
std::int32_t BifaldSound;
std::int32_t FinishedSound;

void ResetAssetState() { WalkSound = ThumpSound = CrunchSound = BifaldSound = FinishedSound = 0; }
