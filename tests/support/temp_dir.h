// A fresh folder under the system's temporary folder, removed with its
// contents at the end of the test.
#pragma once

#include <filesystem>
#include <string>

namespace tessory::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // The folder's path, ending in the platform's delimiter.
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// A UTF-8 path as the file system library takes it.
std::filesystem::path PathOf(const std::string& path);

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// The first line of an error text; file errors go on with the path and the
// system's reason.
inline std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

}  // namespace tessory::test
