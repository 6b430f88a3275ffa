// A file's whole content in memory, mapped rather than read, for the
// encoder tool's input. One implementation per platform:
// mapped_file_posix.cpp, mapped_file_win32.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tessory {

// A regular file's whole content, mapped read-only: the system reads it
// straight into the mapping, with no copy through a buffer of ours. Throws
// Error naming the file when it cannot be opened, is not a regular file
// (a folder, a device such as /dev/zero) or cannot be mapped. An empty
// file maps to no bytes.
class MappedFile {
 public:
  explicit MappedFile(const std::string& path);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  std::span<const std::uint8_t> Bytes() const { return {data_, size_}; }

 private:
  const std::uint8_t* data_ = nullptr;  // null for an empty file
  std::size_t size_ = 0;
};

}  // namespace tessory
