// Files on Windows: the functions of platform/files.h over the Win32 file API. Part of the core
// library in the Windows build, so the tools, the tests and the replay runner use it too.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <string>

#include "platform/files.h"

namespace platform {

std::wstring Utf16(const std::string& text) {
  if (text.empty()) return {};
  for (const UINT page : {UINT(CP_UTF8), UINT(CP_ACP)}) {
    const DWORD flags = page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int n = ::MultiByteToWideChar(page, flags, text.data(), int(text.size()), nullptr, 0);
    if (n <= 0) continue;
    std::wstring out(std::size_t(n), L'\0');
    ::MultiByteToWideChar(page, flags, text.data(), int(text.size()), out.data(), n);
    return out;
  }
  return {};
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                      nullptr, nullptr);
  std::string out(std::size_t(n > 0 ? n : 0), '\0');
  if (n > 0) {
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr,
                          nullptr);
  }
  return out;
}

namespace {

void Say(std::string* why, const std::string& text) {
  if (why != nullptr) *why = text;
}
void Say(ReadOutcome* outcome, const std::string& text) {
  outcome->why = text;
}

// Opens a regular file for reading, shared so that an open file can still be replaced. Anything
// else (a directory, a pipe, a device) is refused.
HANDLE OpenForReading(const char* path, bool followLinks, ReadOutcome* outcome) {
  outcome->status = ReadStatus::Unreadable;
  if (path == nullptr || *path == '\0') {
    outcome->status = ReadStatus::Absent;
    Say(outcome, "it has no name");
    return INVALID_HANDLE_VALUE;
  }
  if (const int fault = TakeFileFault(FaultOp::Read); fault != 0) {
    Say(outcome, DescribeFileError(fault));
    return INVALID_HANDLE_VALUE;
  }
  HANDLE h = ::CreateFileW(
      Utf16(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING,
      FILE_ATTRIBUTE_NORMAL | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      outcome->status = ReadStatus::Absent;
    }
    // Windows opens no folder as a file: it answers "access denied".
    const DWORD attributes = ::GetFileAttributesW(Utf16(path).c_str());
    outcome->folder =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    Say(outcome, outcome->folder ? FolderNotFile : DescribeFileError(int(error)));
    return h;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    outcome->folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    outcome->link = !outcome->folder && !followLinks &&
                    (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    Say(outcome, outcome->folder ? FolderNotFile
                 : outcome->link ? "it is a link"
                                 : "it is not a regular file");
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

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

long ReadFilePrefix(const char* path, std::uint8_t* buffer, std::size_t maxBytes,
                    ReadOutcome* outcome) {
  ReadOutcome local;
  if (outcome == nullptr) outcome = &local;
  HANDLE h = OpenForReading(path, true, outcome);
  if (h == INVALID_HANDLE_VALUE) return -1;
  const long n = ReadFully(h, buffer, maxBytes);
  if (n < 0) {
    outcome->status = ReadStatus::Unreadable;
    Say(outcome, DescribeFileError(int(::GetLastError())));
  } else {
    *outcome = {ReadStatus::Ok, ""};
  }
  ::CloseHandle(h);
  return n;
}

ReadOutcome ReadWholeFile(const char* path, std::size_t limit, std::vector<std::uint8_t>* out,
                          bool followLinks) {
  ReadOutcome outcome;
  HANDLE h = OpenForReading(path, followLinks, &outcome);
  if (h == INVALID_HANDLE_VALUE) return outcome;
  outcome.status = ReadStatus::Unreadable;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(h, &size) || std::uint64_t(size.QuadPart) > limit) {
    outcome.why = "it is larger than " + std::to_string(limit) + " bytes";
  } else {
    // One byte more than the limit, so a file that grew meanwhile is still refused.
    out->resize(std::size_t(size.QuadPart) + 1);
    const long n = ReadFully(h, out->data(), out->size());
    if (n < 0) {
      outcome.why = DescribeFileError(int(::GetLastError()));
    } else if (std::size_t(n) > limit) {
      outcome.why = "it is larger than " + std::to_string(limit) + " bytes";
    } else {
      outcome.status = ReadStatus::Ok;
      out->resize(std::size_t(n));
    }
  }
  if (!outcome) out->clear();
  ::CloseHandle(h);
  return outcome;
}

bool ReplaceFileAtomically(const char* path, const std::uint8_t* data, std::size_t size,
                           std::string* why) {
  if (path == nullptr || *path == '\0' || (data == nullptr && size != 0)) {
    Say(why, "it has no name");
    return false;
  }
  if (const int fault = TakeFileFault(FaultOp::Write); fault != 0) {
    Say(why, DescribeFileError(fault));
    return false;
  }
  const std::wstring target = Utf16(path);
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      Say(why, FolderNotFile);
      return false;
    }
    // A read-only file is not replaced, as Windows itself refuses (Wine would not).
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      Say(why, DescribeFileError(ERROR_ACCESS_DENIED));
      return false;
    }
    HANDLE probe =
        ::CreateFileW(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
      const DWORD type = ::GetFileType(probe);
      ::CloseHandle(probe);
      if (type != FILE_TYPE_DISK) {
        Say(why, "it is not a regular file");
        return false;
      }
    }
  }
  // A temporary name beside the target, unique to this process and call, known for the game's.
  static unsigned counter = 0;
  const std::string temp = FolderOf(path) + "\\." + BaseName(path) + TemporaryMark +
                           std::to_string(::GetCurrentProcessId()) + "-" +
                           std::to_string(++counter);
  const std::wstring wideTemp = Utf16(temp);
  HANDLE h = ::CreateFileW(wideTemp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    Say(why, DescribeFileError(int(::GetLastError())));
    return false;
  }
  DWORD error = ERROR_SUCCESS;
  std::size_t done = 0;
  while (error == ERROR_SUCCESS && done < size) {
    const DWORD chunk = DWORD(size - done > (1u << 30) ? (1u << 30) : size - done);
    DWORD n = 0;
    if (!::WriteFile(h, data + done, chunk, &n, nullptr)) error = ::GetLastError();
    if (error == ERROR_SUCCESS && n == 0) error = ERROR_DISK_FULL;
    done += n;
  }
  if (error == ERROR_SUCCESS && !::FlushFileBuffers(h)) error = ::GetLastError();
  if (!::CloseHandle(h) && error == ERROR_SUCCESS) error = ::GetLastError();
  // MOVEFILE_WRITE_THROUGH: returns once the rename itself is on disk.
  if (error == ERROR_SUCCESS &&
      !::MoveFileExW(wideTemp.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = ::GetLastError();
  }
  if (error != ERROR_SUCCESS) {
    ::DeleteFileW(wideTemp.c_str());
    Say(why, DescribeFileError(int(error)));
    return false;
  }
  return true;
}

bool PathExists(const std::string& path) {
  return !path.empty() && ::GetFileAttributesW(Utf16(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

int SystemErrorOf(FileFault fault) {
  switch (fault) {
    case FileFault::DiskFull:
      return ERROR_DISK_FULL;
    case FileFault::NotAllowed:
      return ERROR_ACCESS_DENIED;
    case FileFault::ReadOnlyDisk:
      return ERROR_WRITE_PROTECT;
    case FileFault::InputOutput:
      return ERROR_IO_DEVICE;
    default:
      return 0;
  }
}

bool IsNotAllowed(const std::string& why) {
  return why == DescribeFileError(ERROR_ACCESS_DENIED) ||
         why == DescribeFileError(ERROR_WRITE_PROTECT);
}

void RemoveStaleTemporaryFiles(const std::string& folder) {
  const std::string base = folder.empty() ? "." : folder;
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileW(Utf16(base + "\\.*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  const auto ticks = [](const FILETIME& t) {
    return (std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    const std::string name = Utf8(found.cFileName);
    if (!IsTemporaryFileName(name)) continue;
    // File times count 100 ns steps: a minute is 600 million of them.
    if (ticks(now) - ticks(found.ftLastWriteTime) > 600'000'000ull) {
      ::DeleteFileW(Utf16(base + "\\" + name).c_str());
    }
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
}

std::string DescribeFileError(int code) {
  switch (DWORD(code)) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "the disk is full";
    case ERROR_WRITE_PROTECT:
      return "the disk is read-only";
    case ERROR_ACCESS_DENIED:
      return "permission denied";
    // Not a refusal for good: the save must not go elsewhere, as for a folder it may not write.
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "another program is using it";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return "it is missing";
    case ERROR_INVALID_NAME:
      return "Windows takes no such name";
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
      return "the disk could not be read or written (an input/output error)";
    default:
      return "Windows error " + std::to_string(code);
  }
}

// XDG_DATA_HOME, when set to an absolute path, wins here too, so that tests and a portable
// setup can keep the saved values in a folder of their own.
std::string UserDataDirectory() {
  const auto absolute = [](const wchar_t* p) {
    return (p[0] != L'\0' && p[1] == L':') || p[0] == L'\\' || p[0] == L'/';
  };
  const wchar_t* xdg = ::_wgetenv(L"XDG_DATA_HOME");
  if (xdg != nullptr && *xdg != L'\0' && absolute(xdg)) {
    return Utf8(xdg) + "/yelko";
  }
  const wchar_t* local = ::_wgetenv(L"LOCALAPPDATA");
  if (local != nullptr && *local != L'\0') return Utf8(local) + "\\Yelko";
  return {};
}

std::string UserConfigDirectory() {
  return UserDataDirectory();
}

bool MakeDirectories(const std::string& path) {
  if (path.empty()) return false;
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/' && path[i] != '\\') continue;
    const std::string part = path.substr(0, i);
    if (part.size() == 2 && part[1] == ':') continue;  // a drive, "C:"
    ::CreateDirectoryW(Utf16(part).c_str(), nullptr);
  }
  const DWORD attributes = ::GetFileAttributesW(Utf16(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// One mutex for every copy of the game in the user's session.
ValueLock::ValueLock() {
  HANDLE mutex = ::CreateMutexA(nullptr, FALSE, "Local\\YelkoSavedValues");
  if (mutex == nullptr) return;
  const DWORD waited = ::WaitForSingleObject(mutex, INFINITE);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    ::CloseHandle(mutex);
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(mutex);
}

ValueLock::~ValueLock() {
  if (handle_ == -1) return;
  HANDLE mutex = reinterpret_cast<HANDLE>(handle_);
  ::ReleaseMutex(mutex);
  ::CloseHandle(mutex);
}

std::string ExecutableDirectory() {
  wchar_t path[MAX_PATH * 4];
  const DWORD n = ::GetModuleFileNameW(nullptr, path, DWORD(std::size(path)));
  if (n == 0 || n >= std::size(path)) return {};
  return FolderOf(Utf8(std::wstring(path, n)));
}

}  // namespace platform
