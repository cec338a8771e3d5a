#include "platform/riff.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "platform/byte_order.h"
#include "platform/files.h"

namespace platform {

struct RiffFile {
  std::vector<std::uint8_t> bytes;  // the whole file
  std::uint64_t position = 0;
};

namespace {

constexpr std::uint32_t RiffId = FourCC("RIFF");

// One past the chunk's last data byte. A form's stated size counts its form type, which lies
// before dataOffset.
std::uint64_t DataEnd(const ChunkInfo& c) {
  return c.id == RiffId ? std::uint64_t(c.dataOffset) + c.size - 4
                        : std::uint64_t(c.dataOffset) + c.size;
}

// Reads the chunk header at `at` and checks that the chunk lies wholly before `limit`.
bool ChunkAt(const RiffFile& f, std::uint64_t at, std::uint64_t limit, ChunkInfo* out) {
  if (at + 8 > limit) return false;
  ChunkInfo c;
  c.id = Get32(&f.bytes[at]);
  c.size = Get32(&f.bytes[at + 4]);
  if (at + 8 + c.size > limit) return false;
  c.dataOffset = std::uint32_t(at + 8);
  if (c.id == RiffId) {
    if (c.size < 4) return false;
    c.formType = Get32(&f.bytes[at + 8]);
    c.dataOffset += 4;
  }
  *out = c;
  return true;
}

// The range a parent chunk gives its children, if the record describes a chunk of this file.
bool ParentRange(const RiffFile& f, const ChunkInfo& parent, std::uint64_t* begin,
                 std::uint64_t* end) {
  if (parent.id == RiffId && parent.size < 4) return false;
  *begin = parent.dataOffset;
  *end = DataEnd(parent);
  return *begin <= *end && *end <= f.bytes.size();
}

}  // namespace

RiffFile* RiffOpen(const char* path) {
  if (path == nullptr) return nullptr;
  auto* file = new (std::nothrow) RiffFile;
  if (file == nullptr) return nullptr;
  if (!ReadWholeFile(path, MaxRiffFileBytes, &file->bytes)) {
    delete file;
    return nullptr;
  }
  return file;
}

void RiffClose(RiffFile* file) {
  delete file;
}

bool RiffDescendForm(RiffFile* file, ChunkInfo* form, std::uint32_t formType) {
  if (file == nullptr || form == nullptr) return false;
  // Top-level chunks are walked by their sizes; one that claims more than the file ends the
  // search, since nothing after it can be found reliably.
  std::uint64_t at = file->position;
  ChunkInfo c;
  while (ChunkAt(*file, at, file->bytes.size(), &c)) {
    if (c.id == RiffId && c.formType == formType) {
      *form = c;
      file->position = c.dataOffset;
      return true;
    }
    const std::uint64_t end = DataEnd(c);
    at = end + (end & 1);
  }
  return false;
}

bool RiffDescend(RiffFile* file, ChunkInfo* chunk, const ChunkInfo& parent) {
  if (file == nullptr || chunk == nullptr) return false;
  std::uint64_t begin = 0;
  std::uint64_t end = 0;
  if (!ParentRange(*file, parent, &begin, &end) || file->position < begin) return false;
  ChunkInfo c;
  if (!ChunkAt(*file, file->position, end, &c)) return false;
  *chunk = c;
  file->position = c.dataOffset;
  return true;
}

bool RiffFindChunk(RiffFile* file, ChunkInfo* chunk, const ChunkInfo& parent, std::uint32_t id) {
  if (file == nullptr || chunk == nullptr) return false;
  const std::uint64_t start = file->position;
  ChunkInfo c;
  while (RiffDescend(file, &c, parent)) {
    if (c.id == id) {
      *chunk = c;
      return true;
    }
    RiffAscend(file, c);
  }
  file->position = start;
  return false;
}

std::int64_t RiffRead(RiffFile* file, void* buffer, std::int64_t bytes) {
  if (file == nullptr || buffer == nullptr || bytes < 0) return -1;
  const std::uint64_t left =
      file->bytes.size() - std::min<std::uint64_t>(file->position, file->bytes.size());
  const std::uint64_t n = std::min<std::uint64_t>(std::uint64_t(bytes), left);
  if (n > 0) std::memcpy(buffer, &file->bytes[file->position], n);
  file->position += n;
  return std::int64_t(n);
}

bool RiffAscend(RiffFile* file, const ChunkInfo& chunk) {
  if (file == nullptr) return false;
  std::uint64_t begin = 0;
  std::uint64_t end = 0;
  if (!ParentRange(*file, chunk, &begin, &end)) return false;
  // The pad byte after odd-sized data may be missing at the very end of a file.
  file->position = std::min<std::uint64_t>(end + (end & 1), file->bytes.size());
  return true;
}

}  // namespace platform
