// The text form of a level: what authors write in levels/*.txt and what `yelko-level decompile`
// prints for any level file. The format is described at the top of level_text.cpp and in
// levels/README.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "board/level_file.h"

// Turns level text into the 300-byte record. `name` is the source's name as messages show it
// ("name:line: ..."). On failure returns false with one message in *error and the record
// in no particular state. Warnings (legal but odd levels) are appended to *warnings, which may be
// null. `firstLine` is the number messages give the text's first line (a level inside a
// collection file starts further down).
bool CompileLevelText(const std::string& text, const std::string& name,
                      std::uint8_t record[LevelRecordSize], std::string* error,
                      std::vector<std::string>* warnings, int firstLine = 1);

// Level text for any bytes: a record of exactly 300 bytes, or a shorter or longer file. Values
// the game would not expect (terrain bytes other than 1 and 2, off-board coordinates, unknown
// platform types, unended lists) are shown as they are, with a comment saying what they are.
// Text decompiled from a well-formed record compiles back to the same 300 bytes, except that
// unused bytes after the lists become 255. Only the first min(size, 300) bytes are read;
// fileSize, when larger than size, is the length reported for a file read only in part.
std::string DecompileLevelBytes(const std::uint8_t* bytes, std::size_t size,
                                std::size_t fileSize = 0);
