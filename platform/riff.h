// Chunk-by-chunk reading of RIFF files (WAV), in the manner of the multimedia file services the
// sound layer was written for: descend into a form or chunk, read, ascend, close. Every size is
// checked against the file: a chunk never reaches past its parent or the end of the file.
#pragma once

#include <cstdint>

namespace platform {

struct RiffFile;

// Four characters as a chunk identifier ("WAVE", "fmt ", "data").
constexpr std::uint32_t FourCC(const char (&s)[5]) {
  return std::uint32_t(std::uint8_t(s[0])) | std::uint32_t(std::uint8_t(s[1])) << 8 |
         std::uint32_t(std::uint8_t(s[2])) << 16 | std::uint32_t(std::uint8_t(s[3])) << 24;
}

struct ChunkInfo {
  std::uint32_t id = 0;          // chunk identifier
  std::uint32_t size = 0;        // bytes of data, as the file states it (checked against the file)
  std::uint32_t formType = 0;    // for a RIFF form: its form type
  std::uint32_t dataOffset = 0;  // file offset of the chunk's data (after a form's type)
};

// Files larger than this are refused at open.
inline constexpr std::uint32_t MaxRiffFileBytes = 64u << 20;

// Null when the file cannot be opened or read.
RiffFile* RiffOpen(const char* path);
void RiffClose(RiffFile* file);
// Finds a RIFF form of that type from the current position and enters it.
bool RiffDescendForm(RiffFile* file, ChunkInfo* form, std::uint32_t formType);
// Enters the chunk at the current position inside the parent.
bool RiffDescend(RiffFile* file, ChunkInfo* chunk, const ChunkInfo& parent);
// Searches the parent from the current position for a chunk with that identifier and enters it.
bool RiffFindChunk(RiffFile* file, ChunkInfo* chunk, const ChunkInfo& parent, std::uint32_t id);
// Reads up to `bytes` from the current position; returns the count read (short at file end).
std::int64_t RiffRead(RiffFile* file, void* buffer, std::int64_t bytes);
// Leaves the chunk: the position goes to the end of its data (padded to an even offset).
bool RiffAscend(RiffFile* file, const ChunkInfo& chunk);

}  // namespace platform
