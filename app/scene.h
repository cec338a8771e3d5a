// Drawing the scene of play from the level and its state, and what follows a solved level.
#pragma once

#include <array>
#include <cstdint>

#include "board/level.h"
#include "play/rules.h"

extern std::uint32_t SolvedClock;
extern std::uint8_t FinishedPlayed;

// Water and land tiles, then the balls still lying: as the state stood before this frame's step.
void DrawBoardAndBalls(const Level& level, const GameState& state);
// The platforms, then the Player, where they stand after it.
void DrawPlatformsAndPlayer(const Level& level, const GameState& state);
// The hint's arrow over the Player while a hint is shown.
void DrawHint(const GameState& state);
// Timers, banner, finishing sound, level menu and saved progress, for a level solved before
// this frame.
void HandleSolvedLevel(bool solved);
// What a frame's balls taken mean to the player: a crunch each, and for the last one the
// applause, the next level made current and the solve marked as earned or not.
void SoundCollectedBalls(const RuleEvents& events);
void DrawSolvedBanner();
// While a level stands solved: the moments (milliseconds after SolvedClock) at which something
// is still to happen; 0 for none.
std::array<std::uint32_t, 2> SolvedEventTimes();

void ResetSceneState();
