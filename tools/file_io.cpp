#include "tools/file_io.h"

#include <sys/stat.h>

#ifdef _WIN32
#include "framework/utf8.h"
#endif

namespace tessory {

UniqueFile TryOpenForRead(const std::string& path) {
#ifdef _WIN32
  return UniqueFile(_wfopen(Widen(path).c_str(), L"rb"));
#else
  return UniqueFile(std::fopen(path.c_str(), "rb"));
#endif
}

bool FileExists(const std::string& path) { return FileSize(path) >= 0; }

long long FileSize(const std::string& path) {
#ifdef _WIN32
  struct _stat64 info;
  if (_wstat64(Widen(path).c_str(), &info) != 0) return -1;
#else
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return -1;
#endif
  return static_cast<long long>(info.st_size);
}

void RemoveFile(const std::string& path) {
#ifdef _WIN32
  _wremove(Widen(path).c_str());
#else
  std::remove(path.c_str());
#endif
}

}  // namespace tessory
