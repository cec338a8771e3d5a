// Files the game reads and writes: level files, image sheets, the saved progress.
// Reading never needs write access; writing replaces a file whole or not at all. Every failure
// comes back with a reason a player can read ("the disk is full"), never as silence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// What a read found. A file that is there but cannot be read (an I/O error, a folder or a
// device in its place, more bytes than the reader takes) is Unreadable, never Absent: what
// cannot be read must not be overwritten as if it were not there.
enum class ReadStatus : std::uint8_t { Ok, Absent, Unreadable };

struct ReadOutcome {
  ReadStatus status = ReadStatus::Absent;
  std::string why;      // "" when Ok: "it is missing", FolderNotFile, ...
  bool folder = false;  // a folder stands where the file should
  bool link = false;    // a symbolic link that was not to be followed
  explicit operator bool() const { return status == ReadStatus::Ok; }
};
inline constexpr const char* FolderNotFile = "it is a folder, not a file";

// Reads at most maxBytes from the start of the file into buffer. Returns the count read, or -1
// when the file cannot be opened or read (then *outcome, when given, says why).
long ReadFilePrefix(const char* path, std::uint8_t* buffer, std::size_t maxBytes,
                    ReadOutcome* outcome = nullptr);

// Reads the whole file. Not Ok when it is missing, cannot be read, or holds more than limit
// bytes. With followLinks false a symbolic link is not followed: it reads as Unreadable.
ReadOutcome ReadWholeFile(const char* path, std::size_t limit, std::vector<std::uint8_t>* out,
                          bool followLinks = true);

// Writes the bytes to a temporary file beside path, flushes it to disk and renames it over path,
// so that path holds either its old content or the new, never a mix. Only a regular file (or a
// symbolic link, which is replaced by a regular file) is ever replaced: a folder, a device, a
// pipe or a socket at path is refused. A replaced file keeps its permission bits. False on any
// failure, with path untouched, no temporary file left behind and *why (when given) saying why.
bool ReplaceFileAtomically(const char* path, const std::uint8_t* data, std::size_t size,
                           std::string* why = nullptr);

// Where files last no longer than the program (the browser's memory), the backend keeps a copy of
// the files the player saves in a store of its own. ReplaceFileAtomically asks the keeper first;
// a copy that fails fails the save, with *why saying why. Null: no keeper.
using FileKeeper = bool (*)(const char* path, const std::uint8_t* data, std::size_t size,
                            std::string* why);
void SetFileKeeper(FileKeeper keeper);

// True when something (a file, a folder, a link) stands at path.
bool PathExists(const std::string& path);

// The paths of the regular files in the folder whose names end in `suffix`, sorted by name, at
// most `limit` of them; none when the folder is missing or cannot be read.
std::vector<std::string> FilesInFolder(const std::string& folder, const std::string& suffix,
                                       std::size_t limit);

// The temporary files of saves that never finished (the game was killed) are named so that they
// are known for the game's: removes those in the folder that are older than a minute.
void RemoveStaleTemporaryFiles(const std::string& folder);
// True when the name is one of the game's temporary files: a dot, the name of the file a save
// replaces, then this mark and a few letters (".progress.yelko-tmp-Ab12Cd").
bool IsTemporaryFileName(const std::string& name);
inline constexpr char TemporaryMark[] = ".yelko-tmp-";

// An error code (errno, or a Win32 error on Windows) in a few plain words.
std::string DescribeFileError(int code);
// True when the words say the place may not be written (permission, a read-only disk), where
// another place may do.
bool IsNotAllowed(const std::string& why);

// For tests: the next read (or the next write) of a file or a saved value fails with this
// error, as the disk would.
enum class FaultOp : std::uint8_t { Read, Write };
enum class FileFault : std::uint8_t { None, DiskFull, NotAllowed, ReadOnlyDisk, InputOutput };
void FailNextFileOp(FaultOp op, FileFault fault);
// The system's error code to fail with now, or 0 (and the fault is used up).
int TakeFileFault(FaultOp op);
// The system's error code (errno, or a Win32 error) for a fault.
int SystemErrorOf(FileFault fault);

// Where the player's saved state lives: $XDG_DATA_HOME/yelko, else $HOME/.local/share/yelko.
// Empty when neither variable is set.
std::string UserDataDirectory();
// Where the Linux desktop keeps its settings: $XDG_CONFIG_HOME/yelko, else
// $HOME/.config/yelko. Empty when neither variable is set.
std::string UserConfigDirectory();

// Creates the directory and its parents as needed. True when it exists afterwards.
bool MakeDirectories(const std::string& path);

// Holds a lock that every copy of the game takes around a read-merge-write of a saved value,
// so that two copies never write over what the other just wrote. Released when destroyed.
class ValueLock {
 public:
  ValueLock();
  ~ValueLock();
  ValueLock(const ValueLock&) = delete;
  ValueLock& operator=(const ValueLock&) = delete;

 private:
  std::intptr_t handle_ = -1;
};

// The folder the game's own files (levels, pictures, sounds, pars) are read from: the current
// directory when it holds them (as the replay runner, the tests and level authors use it), else
// the folder of the executable, else the installed data folder ../share/yelko beside it. "" is
// the current directory. Found once, at the first call.
const std::string& GameDataDirectory();
// A game file's path: the name inside GameDataDirectory().
std::string GameDataPath(const std::string& name);
// Forgets the folder found (tests).
void ResetGameDataDirectory();
// The folder of the running executable, or "" when it cannot be told.
std::string ExecutableDirectory();

#ifdef _WIN32
// The game's text and paths are UTF-8 and Windows speaks UTF-16: text to Windows (text that is
// not UTF-8, such as a path from the ANSI command line, read in the ANSI code page) and back.
std::wstring Utf16(const std::string& text);
std::string Utf8(const std::wstring& text);
#endif

}  // namespace platform
