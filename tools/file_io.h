// Reading and inspecting files by UTF-8 path on every platform (wide paths
// on Windows). Files are written through OutputFile.
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

// Opens an existing file for binary reading; null when it cannot.
UniqueFile TryOpenForRead(const std::string& path);

bool FileExists(const std::string& path);
// Size of an existing file, or -1.
long long FileSize(const std::string& path);
void RemoveFile(const std::string& path);

}  // namespace tessory
