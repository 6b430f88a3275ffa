#include <windows.h>

#include "framework/handles_win32.h"
#include "framework/utf8.h"
#include "framework/win32_error_win32.h"
#include "imaging/file_system.h"

namespace tessory::filesystem {
namespace {

Status Failed(DWORD code) {
  std::string reason = SystemMessage(code);
  if (reason.empty()) reason = "System error " + std::to_string(code);
  return {reason};
}

HANDLE Handle(NativeFile file) { return reinterpret_cast<HANDLE>(file); }
NativeFile Native(HANDLE handle) { return reinterpret_cast<NativeFile>(handle); }

}  // namespace

CreateResult CreateExclusive(const std::string& path) {
  const HANDLE handle = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    return {kNoFile, code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS, Failed(code)};
  }
  return {Native(handle), false, {}};
}

CreateResult OpenDevice(const std::string& path) {
  const HANDLE handle =
      CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {kNoFile, false, Failed(GetLastError())};
  return {Native(handle), false, {}};
}

// Names such as NUL or CON are devices in every folder; the rest of the
// file system holds only files and folders.
bool IsDevice(const std::string& path) {
  const UniqueFileHandle handle(CreateFileW(Widen(path).c_str(), 0,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return false;
  const DWORD type = GetFileType(handle.get());
  return type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE;
}

Status WriteAll(NativeFile file, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(Handle(file), bytes.data(), chunk, &written, nullptr)) return Failed(GetLastError());
    if (written == 0) return Failed(ERROR_DISK_FULL);
    bytes = bytes.subspan(written);
  }
  return {};
}

Status Close(NativeFile file) {
  if (!CloseHandle(Handle(file))) return Failed(GetLastError());
  return {};
}

Status FlushToDisk(const std::string& path) {
  const UniqueFileHandle handle(
      CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) return Failed(GetLastError());
  if (!FlushFileBuffers(handle.get())) return Failed(GetLastError());
  return {};
}

Status MoveToNewName(const std::string& from, const std::string& to) {
  if (!MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), 0)) return Failed(GetLastError());
  return {};
}

Status MoveOver(const std::string& from, const std::string& to) {
  if (!MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return Failed(GetLastError());
  }
  return {};
}

void Remove(const std::string& path) { DeleteFileW(Widen(path).c_str()); }

Status CreateFolders(const std::string& path) {
  const std::wstring wide = Widen(path);
  // The drive ("C:\") or the share ("\\server\share\") is never made.
  std::size_t start = 0;
  if (wide.size() >= 2 && wide[1] == L':') {
    start = 2;
  } else if (wide.starts_with(L"\\\\") || wide.starts_with(L"//")) {
    start = wide.find_first_of(L"\\/", 2);
    start = start == std::wstring::npos ? wide.size() : wide.find_first_of(L"\\/", start + 1);
  }
  for (std::size_t end = start;;) {
    end = end >= wide.size() ? std::wstring::npos : wide.find_first_of(L"\\/", end + 1);
    const std::wstring folder = wide.substr(0, end);
    const bool isRoot = folder.size() <= start || folder.back() == L'\\' || folder.back() == L'/';
    if (!isRoot && !CreateDirectoryW(folder.c_str(), nullptr)) {
      const DWORD error = GetLastError();
      const DWORD attributes = GetFileAttributesW(folder.c_str());
      if (error != ERROR_ALREADY_EXISTS || attributes == INVALID_FILE_ATTRIBUTES ||
          !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return Failed(error == ERROR_ALREADY_EXISTS ? ERROR_DIRECTORY : error);
      }
    }
    if (end == std::wstring::npos) return {};
  }
}

}  // namespace tessory::filesystem
