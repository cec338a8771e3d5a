// Files on Windows: the functions of platform/files.h over the Win32 file API. Part of the core
// library in the Windows build, so the tools, the tests and the replay runner use it too.
#define WIN32_LEAN_AND_MEAN
#include "platform/win32/win32_files.h"

#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <string>

#include "platform/files.h"

namespace platform {
namespace {

bool userFolderFallback = false;

// Opens a regular file for reading, shared so that an open file can still be replaced. Anything
// else (a directory, a pipe, a device) is refused.
HANDLE OpenForReading(const char* path) {
  if (path == nullptr || *path == '\0') return INVALID_HANDLE_VALUE;
  HANDLE h =
      ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return h;
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    ::CloseHandle(h);
    return INVALID_HANDLE_VALUE;
  }
  return h;
}

long ReadFully(HANDLE h, std::uint8_t* buffer, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const DWORD chunk = DWORD(count - done > (1u << 30) ? (1u << 30) : count - done);
    DWORD n = 0;
    if (!::ReadFile(h, buffer + done, chunk, &n, nullptr)) return -1;
    if (n == 0) break;
    done += n;
  }
  return long(done);
}

bool IsRelative(const char* path) {
  const bool drive = std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
  return !drive && path[0] != '\\' && path[0] != '/';
}

bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Where a relative file lives when the game's folder cannot be written: %LOCALAPPDATA%\Yelko.
std::string UserCopy(const char* path) {
  const char* local = std::getenv("LOCALAPPDATA");
  if (local == nullptr || *local == '\0') return {};
  return std::string(local) + "\\Yelko\\" + path;
}

// A relative path the game reads: its copy in the user folder once one was written there.
std::string ReadPath(const char* path) {
  if (userFolderFallback && IsRelative(path)) {
    const std::string copy = UserCopy(path);
    if (!copy.empty() && Exists(copy)) return copy;
  }
  return path;
}

// Replaces the file whole; ERROR_SUCCESS, or the error that stopped it (the file then stands
// as it was).
DWORD ReplaceAt(const std::string& path, const std::uint8_t* data, std::size_t size) {
  // A read-only file is not replaced, as Windows itself refuses (Wine would not).
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return ERROR_ACCESS_DENIED;
  }
  // A temporary name beside the target, unique to this process and call.
  static unsigned counter = 0;
  const std::string temp = path + "." + std::to_string(::GetCurrentProcessId()) + "." +
                           std::to_string(++counter) + ".tmp";
  HANDLE h = ::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return ::GetLastError();
  DWORD error = ERROR_SUCCESS;
  std::size_t done = 0;
  while (error == ERROR_SUCCESS && done < size) {
    const DWORD chunk = DWORD(size - done > (1u << 30) ? (1u << 30) : size - done);
    DWORD n = 0;
    if (!::WriteFile(h, data + done, chunk, &n, nullptr) || n == 0) error = ::GetLastError();
    done += n;
  }
  if (error == ERROR_SUCCESS && !::FlushFileBuffers(h)) error = ::GetLastError();
  if (!::CloseHandle(h) && error == ERROR_SUCCESS) error = ::GetLastError();
  // MOVEFILE_WRITE_THROUGH: returns once the rename itself is on disk.
  if (error == ERROR_SUCCESS &&
      !::MoveFileExA(temp.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = ::GetLastError();
  }
  if (error != ERROR_SUCCESS) ::DeleteFileA(temp.c_str());
  return error;
}

}  // namespace

void win32::UseUserFolderFallback(bool on) {
  userFolderFallback = on;
}

long ReadFilePrefix(const char* path, std::uint8_t* buffer, std::size_t maxBytes) {
  if (path == nullptr) return -1;
  HANDLE h = OpenForReading(ReadPath(path).c_str());
  if (h == INVALID_HANDLE_VALUE) return -1;
  const long n = ReadFully(h, buffer, maxBytes);
  ::CloseHandle(h);
  return n;
}

bool ReadWholeFile(const char* path, std::size_t limit, std::vector<std::uint8_t>* out) {
  if (path == nullptr) return false;
  HANDLE h = OpenForReading(ReadPath(path).c_str());
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool ok = ::GetFileSizeEx(h, &size) && std::uint64_t(size.QuadPart) <= limit;
  if (ok) {
    // One byte more than the limit, so a file that grew meanwhile is still refused.
    out->resize(std::size_t(size.QuadPart) + 1);
    const long n = ReadFully(h, out->data(), out->size());
    ok = n >= 0 && std::size_t(n) <= limit;
    out->resize(ok ? std::size_t(n) : 0);
  }
  ::CloseHandle(h);
  return ok;
}

bool ReplaceFileAtomically(const char* path, const std::uint8_t* data, std::size_t size) {
  if (path == nullptr || *path == '\0' || (data == nullptr && size != 0)) return false;
  if (!userFolderFallback || !IsRelative(path)) return ReplaceAt(path, data, size) == 0;
  // The game's own files (level.dat) are written beside it, or, once its folder turned out not
  // to be writable (Program Files), in the user folder, which reads then prefer.
  const std::string copy = UserCopy(path);
  if (copy.empty() || !Exists(copy)) {
    const DWORD error = ReplaceAt(path, data, size);
    if (error == ERROR_SUCCESS) return true;
    if (copy.empty() || (error != ERROR_ACCESS_DENIED && error != ERROR_WRITE_PROTECT)) {
      return false;
    }
  }
  const std::string folder = copy.substr(0, copy.find_last_of('\\'));
  return MakeDirectories(folder) && ReplaceAt(copy, data, size) == ERROR_SUCCESS;
}

// XDG_DATA_HOME, when set to an absolute path, wins here too, so that tests and a portable
// setup can keep the saved values in a folder of their own.
std::string UserDataDirectory() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && *xdg != '\0' && !IsRelative(xdg)) return std::string(xdg) + "/yelko";
  const char* local = std::getenv("LOCALAPPDATA");
  if (local != nullptr && *local != '\0') return std::string(local) + "\\Yelko";
  return {};
}

bool MakeDirectories(const std::string& path) {
  if (path.empty()) return false;
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/' && path[i] != '\\') continue;
    const std::string part = path.substr(0, i);
    if (part.size() == 2 && part[1] == ':') continue;  // a drive, "C:"
    ::CreateDirectoryA(part.c_str(), nullptr);
  }
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace platform
