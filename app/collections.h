// The game's collection commands: a collection file opened from the command line, the menu, a
// file dropped on the window or text pasted; a level of it played; the next one after a solve.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

// Opens the collection (or single level) file and plays its first level that can be played.
// False, with the reason on the status line, when it cannot be read; its broken levels are
// said there too.
bool OpenCollectionAndPlay(const std::string& path);
// The same for a collection's text (pasted, or a file the page was given): `name` names it.
bool OpenCollectionTextAndPlay(const std::string& text, const std::string& name);
// Paste code or level (Ctrl+V): plays what the clipboard holds, a collection's text, or else a
// puzzle's code or name or a level's text.
void PasteAndPlay();
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

// File > Open collection: "Choose a file…" where the system has a file dialog, and the
// collections found in the game's and the player's collections folders (files ending in .txt),
// named by their title lines.
inline constexpr std::uint16_t CmdChooseCollection = 70;
inline constexpr std::uint16_t CmdFoundCollectionBase = 71;
inline constexpr std::size_t MaxListedCollections = 19;
struct FoundCollection {
  std::string path;
  const char* title;  // kept for the program's life: the menu points at it
};
// Looked for once, at the first call.
const std::vector<FoundCollection>& FoundCollections();
// The player's collections folder ("" when there is no data folder).
std::string PlayerCollectionsFolder();
// The menu's commands: the dialog asked for, a found collection opened.
void ChooseCollectionFile(platform::Window window);
void OpenFoundCollection(std::size_t n);
// The files given to the game (dropped on it, chosen in a dialog): each opened in turn.
void OpenGivenFiles();

void ResetCollectionCommandsState();
