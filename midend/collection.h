// The collection open in the game, and the level of it in play.
//
// A collection's level is played as a puzzle is (midend/puzzle.h): its best is kept by its
// content, so a collection's solved marks and bests are the player's records of its levels'
// keys, and the saved progress of the five levels never moves.
#pragma once

#include <cstdint>
#include <string>

#include "board/level_collection.h"

// The open collection (none: no levels).
extern Collection OpenedCollection;
// The index of the collection's level in play, or -1 when the level in play is not one of it.
extern int CollectionPlace;

// Reads a collection file (or a single level's) and opens it; false with *why when it cannot be
// read or is no collection. Nothing changes on failure.
bool OpenCollectionFile(const std::string& path, std::string* why);
// Opens the collection's text; `name` is the file it came from.
bool OpenCollectionText(const std::string& text, const std::string& name, std::string* why);

// Puts the level at `index` at its start in play; false with *why for an index outside the
// collection or a level that cannot be played (its problem). Returns the unknown platform
// count through *unknown (when given), as PlayPuzzle does.
bool PlayCollectionLevel(int index, std::string* why, int* unknown = nullptr);
// The first level after `index` that can be played, or -1.
int NextPlayableLevel(int index);

void ResetCollectionState();
