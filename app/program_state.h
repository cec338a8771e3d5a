// Puts every piece of program-wide state back to how the program starts, for tests and replays.
#pragma once

// Zeroes the game state of every subsystem and installs a fresh headless backend.
void ResetProgramState();
