// Drawing the scene, collecting balls, and what follows a solved level.
#pragma once

#include <cstdint>

extern std::uint32_t SolvedClock;
extern std::uint8_t FinishedPlayed;

// Water and land tiles, then the balls still lying.
void DrawBoardAndBalls();
// The platforms, then the Player.
void DrawPlatformsAndPlayer();
// Timers, banner, finishing sound, level menu and saved progress.
void HandleSolvedLevel();
void CollectBalls();
void DrawSolvedBanner();

void ResetSceneState();
