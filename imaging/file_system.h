// The platform's file calls that output files are built on: POSIX in
// file_system_posix.cpp, Win32 in file_system_win32.cpp. Each failing call
// gives the system's own reason, worded for the user ("No space left on
// device", "There is not enough space on the disk.").
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tessory::filesystem {

// An open file of the platform: a descriptor, or a HANDLE on Windows.
using NativeFile = std::intptr_t;
inline constexpr NativeFile kNoFile = -1;

// The outcome of one call: empty `reason` means it succeeded.
struct Status {
  std::string reason;
  bool Ok() const { return reason.empty(); }
};

struct CreateResult {
  NativeFile file = kNoFile;
  bool nameTaken = false;  // failed because a file of that name exists
  Status status;
};

// Creates `path` as a new, empty file open for writing; never opens or
// truncates one that exists.
CreateResult CreateExclusive(const std::string& path);
// Opens an existing device or pipe for writing (a terminal, /dev/null);
// regular files are never opened this way.
CreateResult OpenDevice(const std::string& path);
// True when `path` names a device or pipe rather than a file or folder.
bool IsDevice(const std::string& path);

Status WriteAll(NativeFile file, std::span<const std::uint8_t> bytes);
Status Close(NativeFile file);
// Makes the bytes written to the closed file `path` durable, before it
// takes another file's place.
Status FlushToDisk(const std::string& path);
// Renames `from` to `to` where no file or folder is called `to`; fails,
// and changes nothing, where one is or where the file system cannot
// rename without replacing.
Status MoveToNewName(const std::string& from, const std::string& to);
// Renames `from` to `to`, replacing a file at `to` in one step.
Status MoveOver(const std::string& from, const std::string& to);
void Remove(const std::string& path);
// Creates the folder `path` and every missing folder above it; succeeds
// where the folder exists already. Folders it made stay when a deeper one
// fails.
Status CreateFolders(const std::string& path);

}  // namespace tessory::filesystem
