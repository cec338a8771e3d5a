// The names (and pars) of the shipped levels ("First crossing"), which the build writes into
// par.txt from the first line of each level's source, as "# name KEY NAME" comments. Like par, a
// name belongs to a level's bytes: a changed level file has none.
#pragma once

#include <cstdint>
#include <string>

// The level's name, or "" when it has none.
std::string LevelName(std::uint64_t key);
// The par par.txt gives the level, or -1.
std::int32_t ShippedPar(std::uint64_t key);
// "Level 2", with its name when it has one ("Level 2 · The canal"); "level.dat" for level 0.
std::string LevelTitle(std::int32_t number, std::uint64_t key, const char* between = " \xC2\xB7 ");

void ResetLevelNamesState();
