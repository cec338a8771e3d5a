// The files layer on POSIX (Linux and the browser's file system), and what every system shares:
// the game's data folder, the fault seam for tests, and saved values kept as files.
#include "platform/files.h"

#include "platform/backend.h"

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace platform {
namespace {

// Reads until count bytes arrived or the file ended; -1 on a read error (errno says which).
long ReadFully(int fd, std::uint8_t* buffer, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(fd, buffer + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += std::size_t(n);
  }
  return long(done);
}

bool WriteFully(int fd, const std::uint8_t* data, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(fd, data + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    done += std::size_t(n);
  }
  return true;
}

void Say(std::string* why, const std::string& text) {
  if (why != nullptr) *why = text;
}
void Say(ReadOutcome* outcome, const std::string& text) {
  outcome->why = text;
}

// Opens a regular file for reading; -1 for anything else (a directory, a device), with errno or
// *why telling which. Non-blocking, so that a named pipe in a file's place is refused instead of
// waiting forever for a writer; reads of a regular file do not block either way.
int OpenForReading(const char* path, bool followLinks, ReadOutcome* outcome) {
  outcome->status = ReadStatus::Unreadable;
  if (path == nullptr || *path == '\0') {
    outcome->status = ReadStatus::Absent;
    Say(outcome, "it has no name");
    return -1;
  }
  if (const int fault = TakeFileFault(FaultOp::Read); fault != 0) {
    Say(outcome, DescribeFileError(fault));
    return -1;
  }
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLinks ? 0 : O_NOFOLLOW));
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) outcome->status = ReadStatus::Absent;
    outcome->link = errno == ELOOP && !followLinks;
    Say(outcome, outcome->link ? "it is a link" : DescribeFileError(errno));
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    outcome->folder = S_ISDIR(st.st_mode);
    Say(outcome, outcome->folder ? FolderNotFile : "it is not a regular file");
    ::close(fd);
    return -1;
  }
  return fd;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

FileKeeper Keeper;

}  // namespace

void SetFileKeeper(FileKeeper keeper) {
  Keeper = keeper;
}

long ReadFilePrefix(const char* path, std::uint8_t* buffer, std::size_t maxBytes,
                    ReadOutcome* outcome) {
  ReadOutcome local;
  if (outcome == nullptr) outcome = &local;
  const int fd = OpenForReading(path, true, outcome);
  if (fd < 0) return -1;
  const long n = ReadFully(fd, buffer, maxBytes);
  if (n < 0) {
    outcome->status = ReadStatus::Unreadable;
    Say(outcome, DescribeFileError(errno));
  } else {
    *outcome = {ReadStatus::Ok, ""};
  }
  ::close(fd);
  return n;
}

ReadOutcome ReadWholeFile(const char* path, std::size_t limit, std::vector<std::uint8_t>* out,
                          bool followLinks) {
  ReadOutcome outcome;
  const int fd = OpenForReading(path, followLinks, &outcome);
  if (fd < 0) return outcome;
  outcome.status = ReadStatus::Unreadable;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || std::size_t(st.st_size) > limit) {
    outcome.why = "it is larger than " + std::to_string(limit) + " bytes";
  } else {
    // Read one byte more than the limit, so a file that grew meanwhile is still refused.
    out->resize(limit < std::size_t(st.st_size) + 1 ? limit + 1 : std::size_t(st.st_size) + 1);
    const long n = ReadFully(fd, out->data(), out->size());
    if (n < 0) {
      outcome.why = DescribeFileError(errno);
    } else if (std::size_t(n) > limit) {
      outcome.why = "it is larger than " + std::to_string(limit) + " bytes";
    } else {
      outcome.status = ReadStatus::Ok;
      out->resize(std::size_t(n));
    }
  }
  if (!outcome) out->clear();
  ::close(fd);
  return outcome;
}

bool ReplaceFileAtomically(const char* path, const std::uint8_t* data, std::size_t size,
                           std::string* why) {
  if (path == nullptr || *path == '\0') {
    Say(why, "it has no name");
    return false;
  }
  if (const int fault = TakeFileFault(FaultOp::Write); fault != 0) {
    Say(why, DescribeFileError(fault));
    return false;
  }
  // Only a regular file (or a link, which rename replaces, never its target) gives way.
  mode_t mode = 0644;
  struct stat old {};
  if (::lstat(path, &old) == 0) {
    if (S_ISDIR(old.st_mode)) {
      Say(why, FolderNotFile);
      return false;
    }
    if (!S_ISREG(old.st_mode) && !S_ISLNK(old.st_mode)) {
      Say(why, "it is not a regular file");
      return false;
    }
    if (S_ISREG(old.st_mode)) mode = old.st_mode & 07777;
  }
  if (Keeper != nullptr && !Keeper(path, data, size, why)) return false;
  const std::string folder = FolderOf(path);
  std::string temp = folder + "/." + BaseName(path) + TemporaryMark + "XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    Say(why, DescribeFileError(errno));
    return false;
  }
  int error = 0;
  if (!WriteFully(fd, data, size) || ::fsync(fd) != 0) error = errno;
  // mkstemp makes the file private; a saved file is an ordinary file of the user's.
  if (::fchmod(fd, mode) != 0 && error == 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temp.c_str(), path) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp.c_str());
    Say(why, DescribeFileError(error));
    return false;
  }
  // Make the rename itself durable: sync the directory that holds the file.
  const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

bool PathExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

int SystemErrorOf(FileFault fault) {
  switch (fault) {
    case FileFault::DiskFull:
      return ENOSPC;
    case FileFault::NotAllowed:
      return EACCES;
    case FileFault::ReadOnlyDisk:
      return EROFS;
    case FileFault::InputOutput:
      return EIO;
    default:
      return 0;
  }
}

bool IsNotAllowed(const std::string& why) {
  return why == DescribeFileError(EACCES) || why == DescribeFileError(EROFS);
}

void RemoveStaleTemporaryFiles(const std::string& folder) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return;
  const std::time_t now = std::time(nullptr);
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsTemporaryFileName(entry->d_name)) continue;
    const std::string path = (folder.empty() ? "." : folder) + "/" + entry->d_name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime > 60) {
      ::unlink(path.c_str());
    }
  }
  ::closedir(dir);
}

std::string DescribeFileError(int code) {
  switch (code) {
    case ENOSPC:
    case EDQUOT:
      return "the disk is full";
    case EROFS:
      return "the disk is read-only";
    case EACCES:
    case EPERM:
      return "permission denied";
    case ENOENT:
      return "it is missing";
    case EISDIR:
      return "it is a folder, not a file";
    case EIO:
      return "the disk could not be read or written (an input/output error)";
    default:
      return std::strerror(code);
  }
}

namespace {

// $VARIABLE/yelko when the variable holds an absolute path, else $HOME/UNDER_HOME/yelko.
std::string XdgDirectory(const char* variable, const char* underHome) {
  const char* xdg = std::getenv(variable);
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/yelko";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return std::string(home) + underHome + "/yelko";
  return {};
}

}  // namespace

std::string UserDataDirectory() {
  return XdgDirectory("XDG_DATA_HOME", "/.local/share");
}
std::string UserConfigDirectory() {
  return XdgDirectory("XDG_CONFIG_HOME", "/.config");
}

bool MakeDirectories(const std::string& path) {
  if (path.empty()) return false;
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/') continue;
    const std::string part = path.substr(0, i);
    if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

ValueLock::ValueLock() {
  const std::string dir = UserDataDirectory();
  if (dir.empty() || !MakeDirectories(dir)) return;
  const int fd = ::open((dir + "/.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return;
  while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
  }
  handle_ = fd;
}

ValueLock::~ValueLock() {
  if (handle_ >= 0) ::close(int(handle_));  // closing releases the lock
}

std::string ExecutableDirectory() {
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  return FolderOf(std::string(buffer, std::size_t(n)));
}

}  // namespace platform
#endif  // _WIN32

namespace platform {
namespace {

FileFault PendingFault[2];
std::string DataDirectory;
bool DataDirectoryFound;

bool HoldsGameData(const std::string& folder) {
  return PathExists(folder.empty() ? std::string("level1.dat") : folder + "/level1.dat");
}

}  // namespace

void FailNextFileOp(FaultOp op, FileFault fault) {
  PendingFault[int(op)] = fault;
}

int TakeFileFault(FaultOp op) {
  const FileFault fault = PendingFault[int(op)];
  PendingFault[int(op)] = FileFault::None;
  return SystemErrorOf(fault);
}

const std::string& GameDataDirectory() {
  if (DataDirectoryFound) return DataDirectory;
  DataDirectoryFound = true;
  DataDirectory.clear();
  if (HoldsGameData("")) return DataDirectory;
  const std::string exe = ExecutableDirectory();
  if (exe.empty()) return DataDirectory;
  for (const std::string& folder : {exe, exe + "/../share/yelko"}) {
    if (HoldsGameData(folder)) {
      DataDirectory = folder;
      break;
    }
  }
  return DataDirectory;
}

std::string GameDataPath(const std::string& name) {
  const std::string& folder = GameDataDirectory();
  return folder.empty() ? name : folder + "/" + name;
}

void ResetGameDataDirectory() {
  DataDirectory.clear();
  DataDirectoryFound = false;
  PendingFault[0] = PendingFault[1] = FileFault::None;
}

ReadOutcome Backend::ReadUserValue(const char* name, std::size_t limit,
                                   std::vector<std::uint8_t>* out) {
  const std::string dir = UserDataDirectory();
  if (dir.empty()) return {ReadStatus::Absent, "there is no data folder"};
  return ReadWholeFile((dir + "/" + name).c_str(), limit, out);
}

ReadOutcome Backend::ReadUserSetting(const char* name, std::size_t limit,
                                     std::vector<std::uint8_t>* out) {
  const std::string dir = UserConfigDirectory();
  if (dir.empty()) return {ReadStatus::Absent, "there is no settings folder"};
  return ReadWholeFile((dir + "/" + name).c_str(), limit, out);
}

std::string Backend::UserSettingPlace(const char* name) {
  const std::string dir = UserConfigDirectory();
  return dir.empty() ? dir : dir + "/" + name;
}

bool Backend::WriteUserValue(const char* name, const std::uint8_t* data, std::size_t size,
                             std::string* why) {
  const std::string dir = UserDataDirectory();
  if (dir.empty()) {
    if (why != nullptr) *why = "there is no data folder (neither XDG_DATA_HOME nor HOME is set)";
    return false;
  }
  if (!MakeDirectories(dir)) {
    if (why != nullptr) *why = "the folder " + dir + " cannot be made";
    return false;
  }
  return ReplaceFileAtomically((dir + "/" + name).c_str(), data, size, why);
}

bool Backend::UpdateUserValue(const char* name, std::size_t limit, const ValueMerge& merge,
                              std::string* why) {
  const ValueLock lock;
  std::vector<std::uint8_t> bytes;
  const ReadOutcome read = ReadUserValue(name, limit, &bytes);
  if (read.status == ReadStatus::Unreadable) {
    if (why != nullptr) *why = read.why;
    return false;
  }
  if (!merge(&bytes)) return true;  // nothing to change
  return WriteUserValue(name, bytes.data(), bytes.size(), why);
}

}  // namespace platform
