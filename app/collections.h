// The game's collection commands: a collection file opened from the command line, the menu, a
// file dropped on the window or text pasted; a level of it played; the next one after a solve.
#pragma once

#include <string>

// Opens the collection (or single level) file and plays its first level that can be played.
// False, with the reason on the status line, when it cannot be read; its broken levels are
// said there too.
bool OpenCollectionAndPlay(const std::string& path);
// The same for a collection's text (pasted, or a file the page was given): `name` names it.
bool OpenCollectionTextAndPlay(const std::string& text, const std::string& name);
// Plays the open collection's level (0-based); false with the reason on the status line.
bool PlayCollectionAt(int index);
// After a solve of a collection's level: its next level that can be played. False when there
// is none (the last was solved) or no collection's level is in play.
bool PlayNextCollectionLevel();

// A collection asked for on the command line (a file, and its level counted from 1; 0 for the
// first it can play): opened and played at the game's start.
void SetStartCollection(const std::string& path, int level);
// At the game's start; false when what was asked could not be opened or played.
bool StartAskedCollection();

void ResetCollectionCommandsState();
