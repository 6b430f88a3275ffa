// Files by UTF-8 path on every platform (wide paths on Windows).
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace tessory {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
// Owns an open file; closing it is the last thing its owner does.
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` for binary writing, creating it or emptying an existing
// file. Throws EFCreateError "Cannot create file <path>" when it cannot.
UniqueFile CreateFileForWrite(const std::string& path);

// Like CreateFileForWrite, but returns null instead of throwing.
UniqueFile TryOpenForWrite(const std::string& path);

// Opens an existing file for binary reading; null when it cannot.
UniqueFile TryOpenForRead(const std::string& path);

// Closes the file, reporting buffered bytes that could not be stored as
// EWriteError "Stream write error". The file is closed either way.
void CloseWrittenFile(UniqueFile file);

enum class NewFileResult { Created, AlreadyExists, Failed };

// Creates `path` as a new empty file, atomically refusing one that exists.
NewFileResult CreateNewFile(const std::string& path);

bool FileExists(const std::string& path);
// Size of an existing file, or -1.
long long FileSize(const std::string& path);
void RemoveFile(const std::string& path);

}  // namespace tessory
