#include "platform/files.h"

#include "platform/backend.h"

// The POSIX implementation; Windows has its own in platform/win32/win32_files.cpp.
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {
namespace {

// Reads until count bytes arrived or the file ended; -1 on a read error.
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
    if (n <= 0) return false;
    done += std::size_t(n);
  }
  return true;
}

// Opens a regular file for reading; -1 for anything else (a directory, a device). Non-blocking,
// so that a named pipe in a file's place is refused instead of waiting forever for a writer;
// reads of a regular file do not block either way.
int OpenForReading(const char* path) {
  if (path == nullptr) return -1;
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

long ReadFilePrefix(const char* path, std::uint8_t* buffer, std::size_t maxBytes) {
  const int fd = OpenForReading(path);
  if (fd < 0) return -1;
  const long n = ReadFully(fd, buffer, maxBytes);
  ::close(fd);
  return n;
}

bool ReadWholeFile(const char* path, std::size_t limit, std::vector<std::uint8_t>* out) {
  const int fd = OpenForReading(path);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && std::size_t(st.st_size) <= limit;
  if (ok) {
    // Read one byte more than the limit, so a file that grew meanwhile is still refused.
    out->resize(limit < std::size_t(st.st_size) + 1 ? limit + 1 : std::size_t(st.st_size) + 1);
    const long n = ReadFully(fd, out->data(), out->size());
    ok = n >= 0 && std::size_t(n) <= limit;
    out->resize(ok ? std::size_t(n) : 0);
  }
  ::close(fd);
  return ok;
}

bool ReplaceFileAtomically(const char* path, const std::uint8_t* data, std::size_t size) {
  if (path == nullptr || *path == '\0') return false;
  std::string temp = std::string(path) + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  bool ok = WriteFully(fd, data, size) && ::fsync(fd) == 0;
  // mkstemp makes the file private; a saved file is an ordinary file of the user's.
  ok = ::fchmod(fd, 0644) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = ::rename(temp.c_str(), path) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // Make the rename itself durable: sync the directory that holds the file.
  const std::string p(path);
  const auto slash = p.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "." : p.substr(0, slash == 0 ? 1 : slash);
  const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
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

}  // namespace platform
#endif  // _WIN32

namespace platform {

bool Backend::ReadUserValue(const char* name, std::size_t limit, std::vector<std::uint8_t>* out) {
  const std::string dir = UserDataDirectory();
  if (dir.empty()) return false;
  return ReadWholeFile((dir + "/" + name).c_str(), limit, out);
}

bool Backend::WriteUserValue(const char* name, const std::uint8_t* data, std::size_t size) {
  const std::string dir = UserDataDirectory();
  if (dir.empty() || !MakeDirectories(dir)) return false;
  return ReplaceFileAtomically((dir + "/" + name).c_str(), data, size);
}

}  // namespace platform
