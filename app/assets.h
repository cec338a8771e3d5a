// Start-up and shutdown of every device and asset, in a fixed order.
#pragma once

#include <cstdint>

extern std::int32_t WalkSound;
extern std::int32_t ThumpSound;
extern std::int32_t CrunchSound;
extern std::int32_t BifaldSound;
extern std::int32_t FinishedSound;

std::int32_t GameInit();
std::int32_t GameShutdown();

void ResetAssetState();
