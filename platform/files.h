// Files the game reads and writes: level files, image sheets, the saved progress.
// Reading never needs write access; writing replaces a file whole or not at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Reads at most maxBytes from the start of the file into buffer. Returns the count read, or -1
// when the file cannot be opened for reading.
long ReadFilePrefix(const char* path, std::uint8_t* buffer, std::size_t maxBytes);

// Reads the whole file. False when it cannot be opened, cannot be read, or holds more than
// limit bytes.
bool ReadWholeFile(const char* path, std::size_t limit, std::vector<std::uint8_t>* out);

// Writes the bytes to a temporary file beside path, flushes it to disk and renames it over path,
// so that path holds either its old content or the new, never a mix. False on any failure, with
// path untouched and no temporary file left behind.
bool ReplaceFileAtomically(const char* path, const std::uint8_t* data, std::size_t size);

// Where the player's saved state lives: $XDG_DATA_HOME/yelko, else $HOME/.local/share/yelko.
// Empty when neither variable is set.
std::string UserDataDirectory();
// Where the Linux desktop keeps its settings: $XDG_CONFIG_HOME/yelko, else
// $HOME/.config/yelko. Empty when neither variable is set.
std::string UserConfigDirectory();

// Creates the directory and its parents as needed. True when it exists afterwards.
bool MakeDirectories(const std::string& path);

}  // namespace platform
