// A collection: many levels in one text file, each in the text form of a single level.
//
//   # comments anywhere
//   title Islands                   optional header lines, before the first level
//   author The Yelko team
//   level First crossing            each level starts with its name ...
//   map                             ... and holds the lines of a level file
//   ...
//
// A file without any `level` line is a single level: read as a collection of one, named by
// the file. A level that cannot be compiled or set up stays in the collection with what is
// wrong, so that a collection with a broken level still plays the others.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "board/level_file.h"

// What a collection file may hold: beyond these it is refused as a whole.
inline constexpr std::size_t MaxCollectionBytes = 4 << 20;
inline constexpr std::size_t MaxCollectionLevels = 5000;
inline constexpr std::size_t MaxCollectionNameBytes = 80;

struct CollectionLevel {
  std::string name;
  std::uint8_t record[LevelRecordSize] = {};
  std::string problem;  // "" when the level can be played, else what is wrong with it
  std::string text;     // its lines as written, after the `level` line
  int line = 0;         // the line of its `level` line (1 for a single level's file)
};

struct Collection {
  std::string title;   // the `title` line, else the file's name without folder and extension
  std::string author;  // "" when not given
  std::vector<CollectionLevel> levels;
};

// Reads a collection's text (or a single level's). `fileName` names the source in messages
// and gives the title when the text has none. False, with *error, only when the text is not a
// collection at all (too large, too many levels, not text, a header line it does not know);
// problems of single levels are kept in their `problem`.
bool ReadCollection(const std::string& text, const std::string& fileName, Collection* out,
                    std::string* error);

// The collection's text: the header, then each level's `level` line and its lines as written.
// Read back, it gives the same collection.
std::string CollectionText(const Collection& collection);

// True when the text holds a `level` line: it is a collection, not a single level.
bool LooksLikeCollection(const std::string& text);

// The title of a level's source: its first line when that is a comment ("# Level 1: First
// crossing." gives "First crossing"), as a clean name; "" when the first line is no comment.
std::string LevelSourceTitle(const std::string& text);

// A name made safe to show on one line and to write in a collection's lines: control characters
// become blanks, a '#' (there a comment's start) goes, blanks at the ends go, and it is cut to
// MaxCollectionNameBytes (never inside a UTF-8 character).
std::string CleanLevelName(std::string name);
