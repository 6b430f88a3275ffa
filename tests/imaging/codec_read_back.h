// Reads a written file back through the same path handling the writers
// use (UTF-8 paths; wide on Windows), so non-ASCII names work everywhere.
#pragma once

#include <string>

#include "tools/file_io.h"

namespace tessory::test {

inline std::string ReadBack(const std::string& path) {
  UniqueFile file = TryOpenForRead(path);
  std::string bytes;
  if (!file) return bytes;
  char chunk[65536];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;) bytes.append(chunk, n);
  return bytes;
}

}  // namespace tessory::test
